#include "RoffPage.h"

#include <cctype>

namespace pellora::packaging {

namespace {

bool IsPlaceholder(std::string_view word)
{
    return !word.empty() && std::isupper(static_cast<unsigned char>(word.front()));
}

// One word of a usage: leading "[" and trailing "]" or "..." stay plain around the formatted core;
// "a|b" formats each side.
std::string UsageWord(std::string_view word)
{
    std::string out;
    while (!word.empty() && word.front() == '[') {
        out += '[';
        word.remove_prefix(1);
    }
    std::string tail;
    while (!word.empty() && word.back() == ']') {
        tail.insert(tail.begin(), ']');
        word.remove_suffix(1);
    }
    if (word == "...")
        return out + "\\&..." + tail;
    for (bool first = true; ; first = false) {
        const std::size_t bar = word.find('|');
        const std::string_view part = word.substr(0, bar);
        if (!first)
            out += '|';
        out += IsPlaceholder(part) ? RoffPage::Italic(part) : RoffPage::Bold(part);
        if (bar == std::string_view::npos)
            break;
        word.remove_prefix(bar + 1);
    }
    return out + tail;
}

} // namespace

RoffPage::RoffPage(std::string_view name, int section, std::string_view source, std::string_view manual)
{
    std::string title;
    for (const char c : name)
        title += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    line(".TH " + Escape(title) + " " + std::to_string(section) + " \"\" \"" + Escape(source) + "\" \"" +
         Escape(manual) + "\"");
}

void RoffPage::Section(std::string_view title)
{
    line(".SH " + std::string(title));
}

void RoffPage::NameLine(std::string_view name, std::string_view summary)
{
    line(Escape(name) + " \\- " + Escape(summary));
}

void RoffPage::Paragraph(std::string_view text)
{
    line(".PP");
    line(Escape(text));
}

void RoffPage::FormattedParagraph(std::string_view roff)
{
    line(".PP");
    line(roff);
}

void RoffPage::Entry(std::string_view tag, std::string_view text)
{
    line(".TP");
    line(tag);
    line(Escape(text));
}

std::string RoffPage::Escape(std::string_view text)
{
    std::string out;
    char previous = ' ';
    for (const char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-' && (previous == ' ' || previous == '-' || previous == '(' || previous == '"'))
            out += "\\-";
        else
            out += c;
        previous = c;
    }
    if (!out.empty() && (out.front() == '.' || out.front() == '\''))
        out.insert(0, "\\&");
    return out;
}

std::string RoffPage::Bold(std::string_view text)
{
    return "\\fB" + Escape(text) + "\\fR";
}

std::string RoffPage::Italic(std::string_view text)
{
    return "\\fI" + Escape(text) + "\\fR";
}

std::string RoffPage::Command(std::string_view usage)
{
    std::string out;
    while (!usage.empty()) {
        const std::size_t blank = usage.find(' ');
        if (!out.empty())
            out += ' ';
        out += UsageWord(usage.substr(0, blank));
        if (blank == std::string_view::npos)
            break;
        usage.remove_prefix(blank + 1);
    }
    return out;
}

void RoffPage::line(std::string_view roff)
{
    m_text += roff;
    m_text += '\n';
}

} // namespace pellora::packaging
