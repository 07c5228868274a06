#pragma once

// One manual page in the man macros of roff: sections, paragraphs and tagged entries, escaped as roff needs.

#include <string>
#include <string_view>

namespace pellora::packaging {

class RoffPage {
public:
    // The title line: page name, section, the package's name and version, the manual's name.
    RoffPage(std::string_view name, int section, std::string_view source, std::string_view manual);

    void Section(std::string_view title);
    // The NAME line "name \- summary".
    void NameLine(std::string_view name, std::string_view summary);
    void Paragraph(std::string_view text);
    // A paragraph of roff already formatted (Bold, Italic, Command).
    void FormattedParagraph(std::string_view roff);
    // A tagged entry: the tag is roff already formatted, the text plain.
    void Entry(std::string_view tag, std::string_view text);

    const std::string& text() const { return m_text; }

    // Plain text for roff: backslashes kept, a dash that begins a word made a minus (options), a
    // control character at the start of a line made harmless.
    static std::string Escape(std::string_view text);
    static std::string Bold(std::string_view text);
    static std::string Italic(std::string_view text);
    // A command line in the usage notation: option and command words bold, placeholders (words that
    // begin with a capital) italic, brackets and bars plain.
    static std::string Command(std::string_view usage);

private:
    void line(std::string_view roff);

    std::string m_text;
};

} // namespace pellora::packaging
