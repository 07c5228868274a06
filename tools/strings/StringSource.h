#pragma once

// A string-table source as translators edit it: the head file of a language with the window fragments
// the build joins to it (or one text file alone), and the place of every text so that edited texts go
// back into the line that holds them.

#include "core/platform/Status.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace pellora::strings {

class StringSource {
public:
    struct Item {
        std::string key;
        std::int32_t id = 0;
        std::vector<std::uint32_t> textNumbers;
    };
    struct Section {
        std::string name;
        std::vector<Item> items;
    };

    // Reads file; a head file "TSSTxxxx.txt" takes the fragments "xxxx/*.txt" beside it, in name order.
    Status Open(const std::filesystem::path& file);

    // The language of the header's "Locale" (0 when it has none).
    std::uint16_t language() const { return m_language; }
    // The sections of the program's group, in the order they first appear.
    const std::vector<Section>& sections() const { return m_sections; }
    const std::vector<std::filesystem::path>& files() const { return m_paths; }

    // A text as the source writes it (escapes such as \n not expanded); empty when there is none.
    std::string Text(std::uint32_t number) const;
    // Replaces a text; Save writes it.
    void SetText(std::uint32_t number, std::string text);
    bool modified() const { return !m_changed.empty(); }

    // Writes each changed text into the line that holds it, or, for a new number, at the end of the first
    // "String Table" section; every other line stays as it was (a UTF-16 source is written as UTF-8).
    Status Save();

private:
    struct Line {
        std::size_t file;
        std::size_t line;
    };
    struct File {
        std::vector<std::string> lines; // without their line ends
        std::string lineEnd;
        std::string byteOrderMark;
        bool endsWithLineEnd = true;
    };

    void read(std::size_t file, const std::string& bytes);
    Section& sectionNamed(const std::string& name);

    std::vector<std::filesystem::path> m_paths;
    std::vector<File> m_files;
    std::vector<Section> m_sections;
    std::map<std::uint32_t, std::string> m_texts;
    std::map<std::uint32_t, Line> m_places;
    std::map<std::uint32_t, bool> m_changed;
    Line m_textSectionEnd {0, 0}; // the line after the first "String Table" section
    bool m_haveTextSection = false;
    std::uint16_t m_language = 0;
};

} // namespace pellora::strings
