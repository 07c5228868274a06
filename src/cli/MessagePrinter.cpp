#include "cli/MessagePrinter.h"

#include "core/i18n/StringTable.h"
#include "core/util/Support.h"

namespace pellora::cli {

namespace {

constexpr std::string_view kMessageSection = "MESSAGE";

// Texts hand out CR LF for their line breaks; a terminal wants LF.
std::string UnixLineEnds(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out += text[i];
    }
    return out;
}

} // namespace

MessagePrinter::MessagePrinter(const StringTable& table, std::FILE* out)
    : m_table(table)
    , m_out(out)
    , m_caption(GetOwnProductName())
{
}

std::string MessagePrinter::MessageText(int number) const
{
    const std::string text = m_table.GetItemText(kMessageSection, number);
    if (text.empty())
        return "message " + std::to_string(number);
    return UnixLineEnds(text);
}

void MessagePrinter::Message(int number, std::string_view detail) const
{
    print(m_caption + ": ", number, detail);
}

void MessagePrinter::FileMessage(int number, const std::filesystem::path& file, std::string_view detail) const
{
    print(m_caption + ": " + std::string(LastPathComponent(file.string())) + ":\n", number, detail);
}

void MessagePrinter::PrinterMessage(int number, int printerNumber, std::string_view printerName) const
{
    print(m_caption + ": printer " + std::to_string(printerNumber) + " \"" + std::string(printerName) + "\":\n",
          number, {});
}

void MessagePrinter::Plain(std::string_view text) const
{
    std::fprintf(m_out, "%s: %.*s\n", m_caption.c_str(), static_cast<int>(text.size()), text.data());
}

void MessagePrinter::print(const std::string& head, int number, std::string_view detail) const
{
    std::fprintf(m_out, "%s%s\n", head.c_str(), MessageText(number).c_str());
    if (!detail.empty())
        std::fprintf(m_out, "(%.*s)\n", static_cast<int>(detail.size()), detail.data());
}

} // namespace pellora::cli
