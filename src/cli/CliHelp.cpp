#include "cli/CliHelp.h"

#include <cstddef>

namespace pellora::cli {

namespace {

constexpr std::size_t kLineWidth = 79;
constexpr std::size_t kCommandColumn = 32;
constexpr std::size_t kOptionColumn = 22;
constexpr std::size_t kStatusColumn = 13;

// Appends text broken at blanks into lines of at most kLineWidth; every line but the first starts at
// column, the first continues where out's last line ends.
void AppendWrapped(std::string& out, std::string_view text, std::size_t column)
{
    const std::size_t lineStart = out.rfind('\n');
    std::size_t used = out.size() - (lineStart == std::string::npos ? 0 : lineStart + 1);
    bool lineEmpty = true;
    while (!text.empty()) {
        const std::size_t blank = text.find(' ');
        const std::string_view word = text.substr(0, blank);
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
        if (!lineEmpty && used + 1 + word.size() > kLineWidth) {
            out += '\n';
            out.append(column, ' ');
            used = column;
            lineEmpty = true;
        }
        if (!lineEmpty) {
            out += ' ';
            ++used;
        }
        out += word;
        used += word.size();
        lineEmpty = false;
    }
    out += '\n';
}

// "  term   text": the text from column on, or on the next line when the term reaches into it.
void AppendEntry(std::string& out, std::string_view term, std::string_view text, std::size_t column)
{
    out += "  ";
    out += term;
    const std::size_t used = term.size() + 2;
    if (used + 2 > column) {
        out += '\n';
        out.append(column, ' ');
    } else {
        out.append(column - used, ' ');
    }
    AppendWrapped(out, text, column);
}

} // namespace

std::string ExitStatusText(const ExitStatusHelp& status)
{
    std::string text = std::to_string(status.first);
    if (status.last != status.first)
        text += " to " + std::to_string(status.last);
    return text;
}

std::string UsageText()
{
    std::string out = "Usage: ";
    out += kCliProgram;
    out += ' ';
    out += kCliUsage;
    out += "\n\nCommands:\n";
    for (const CommandHelp& command : kCommandHelp)
        AppendEntry(out, std::string(command.name) + " " + std::string(command.arguments), command.text, kCommandColumn);
    out += '\n';
    AppendWrapped(out, kInputNote, 0);
    out += "\nOptions:\n";
    for (const OptionHelp& option : kOptionHelp) {
        std::string term(option.names);
        if (!option.value.empty())
            term += " " + std::string(option.value);
        AppendEntry(out, term, option.text, kOptionColumn);
    }
    out += '\n';
    AppendWrapped(out, kOptionNote, 0);
    out += "\nExit status:\n";
    for (const ExitStatusHelp& status : kExitStatusHelp)
        AppendEntry(out, ExitStatusText(status), status.text, kStatusColumn);
    return out;
}

std::string ShortUsage()
{
    std::string words;
    for (const CommandHelp& command : kCommandHelp) {
        if (!words.empty())
            words += '|';
        words += command.name;
    }
    return "Usage: " + std::string(kCliProgram) + " [--lang HEX] " + words + " ... (" + std::string(kCliProgram) +
           " --help tells more)";
}

} // namespace pellora::cli
