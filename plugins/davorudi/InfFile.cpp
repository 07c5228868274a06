#include "InfFile.h"

#include <array>
#include <cstdint>

namespace pellora::davorudi {

namespace {

constexpr std::string_view kBlanks = " \t\v\f\r\x1A";
constexpr std::string_view kMakerPrefix = "vardo ";

std::string_view Trim(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string FromUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        return static_cast<std::uint32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    const std::size_t count = bytes.size() / 2;
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

bool IsUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t more = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= more)
            return false;
        for (std::size_t k = 1; k <= more; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if ((more == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (more == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += more + 1;
    }
    return true;
}

// Windows-1252 characters 0x80 to 0x9F; the rest of the upper half equals Latin-1.
constexpr std::array<std::uint16_t, 32> kCp1252 = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

std::string FromCp1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        AppendUtf8(out, c >= 0x80 && c < 0xA0 ? kCp1252[c - 0x80] : c);
    }
    return out;
}

std::string DecodeText(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return FromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF"))
        return FromUtf16(bytes.substr(2), true);
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    else if (bytes.size() >= 2 && bytes[0] != '\0' && bytes[1] == '\0')
        return FromUtf16(bytes, false);
    return IsUtf8(bytes) ? std::string(bytes) : FromCp1252(bytes);
}

// The part of a line before a ";" that is not inside double quotes.
std::string_view StripComment(std::string_view line)
{
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ';' && !quoted)
            return line.substr(0, i);
    }
    return line;
}

std::size_t FindOutsideQuotes(std::string_view text, char wanted, std::size_t from = 0)
{
    bool quoted = false;
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == wanted && !quoted)
            return i;
    }
    return std::string_view::npos;
}

// Removes the quotes of quoted parts; "" inside quotes stands for one quote.
std::string Unquote(std::string_view text)
{
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '"') {
            out += text[i];
        } else if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
            out += '"';
            ++i;
        } else {
            quoted = !quoted;
        }
    }
    return out;
}

std::vector<std::string> SplitList(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = FindOutsideQuotes(text, ',', start);
        parts.push_back(std::string(Trim(Unquote(Trim(text.substr(start, comma - start))))));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return parts;
}

} // namespace

InfFile::InfFile(std::string_view bytes)
{
    Parse(DecodeText(bytes));
    CollectStrings();
}

void InfFile::Parse(std::string_view text)
{
    Section* current = nullptr;
    std::string pending; // a line continued with a trailing backslash
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view physical = Trim(StripComment(text.substr(start, end - start)));
        start = end + 1;
        if (physical.ends_with('\\') && start <= text.size()) {
            physical.remove_suffix(1);
            pending += physical;
            continue;
        }
        std::string logical = pending + std::string(physical);
        pending.clear();
        const std::string_view line = Trim(logical);
        if (line.empty())
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
            current = &m_sections[Lower(name)];
            continue;
        }
        if (current == nullptr)
            continue;
        Line entry;
        const std::size_t equals = FindOutsideQuotes(line, '=');
        if (equals == std::string_view::npos) {
            entry.value = line;
        } else {
            entry.hasKey = true;
            entry.key = Trim(line.substr(0, equals));
            entry.value = Trim(line.substr(equals + 1));
        }
        current->push_back(std::move(entry));
    }
}

void InfFile::CollectStrings()
{
    // [Strings] first, then localised sections such as [Strings.0409] for keys it lacks.
    auto take = [this](const Section& section) {
        for (const Line& line : section) {
            if (line.hasKey)
                m_strings.emplace(Lower(Trim(Unquote(line.key))), std::string(Trim(Unquote(line.value))));
        }
    };
    if (const Section* strings = Find("strings"))
        take(*strings);
    for (const auto& [name, section] : m_sections) {
        if (name.starts_with("strings."))
            take(section);
    }
}

const InfFile::Section* InfFile::Find(std::string_view name) const
{
    const auto found = m_sections.find(Lower(name));
    return found == m_sections.end() ? nullptr : &found->second;
}

std::string InfFile::Expand(std::string_view text) const
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out += text[i++];
            continue;
        }
        const std::size_t close = text.find('%', i + 1);
        if (close == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        if (close == i + 1) {
            out += '%'; // "%%"
        } else {
            const auto found = m_strings.find(Lower(text.substr(i + 1, close - i - 1)));
            out += found != m_strings.end() ? std::string_view(found->second) : text.substr(i, close - i + 1);
        }
        i = close + 1;
    }
    return out;
}

std::vector<std::string> InfFile::ModelNames() const
{
    std::vector<std::string> names;
    const Section* manufacturer = Find("manufacturer");
    if (manufacturer == nullptr)
        return names;
    for (const Line& entry : *manufacturer) {
        const std::vector<std::string> parts = SplitList(entry.value);
        if (parts.empty() || parts.front().empty())
            continue;
        std::vector<std::string> sectionNames{parts.front()};
        for (std::size_t i = 1; i < parts.size(); ++i) {
            if (!parts[i].empty())
                sectionNames.push_back(parts.front() + "." + parts[i]);
        }
        for (const std::string& sectionName : sectionNames) {
            const Section* models = Find(sectionName);
            if (models == nullptr)
                continue;
            for (const Line& line : *models) {
                if (!line.hasKey)
                    continue;
                std::string name(Trim(Expand(Unquote(line.key))));
                if (!name.empty())
                    names.push_back(std::move(name));
            }
        }
    }
    return names;
}

std::string ComparableModelName(std::string_view name)
{
    // Callers may have put the prefix before a name that already had it in another letter case.
    const std::string lower = Lower(Trim(name));
    std::string_view view = lower;
    while (view.starts_with(kMakerPrefix))
        view = Trim(view.substr(kMakerPrefix.size()));
    return std::string(view);
}

} // namespace pellora::davorudi
