#pragma once

// The string table: texts by number and item references by section, read from the files TSSTxxxx.dat.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pellora {

class CIniFile;

// The group whose sections this program reads; the command-line tool reads the same sections.
inline constexpr std::string_view kStringTableGroup = "Pellorix.exe";

struct StringEntry {
    std::string name;                 // key of the line
    std::int32_t id = 0;              // item number
    std::vector<std::uint32_t> textIds; // in file order
};

struct StringSection {
    std::string name; // part after the last backslash
    std::vector<StringEntry> entries;
};

struct StringGroup {
    std::string name; // executable file name
    std::vector<StringSection> sections;
};

struct LanguageInfo {
    std::uint16_t id;
    const char* name;
};

// The languages offered by the language commands.
inline constexpr std::array<LanguageInfo, 8> kLanguages{{
    {0x0000, "Natural"},
    {0x0407, "German"},
    {0x040A, "Spanish"},
    {0x040C, "French"},
    {0x0410, "Italian"},
    {0x0411, "Japanese"},
    {0x0413, "Dutch"},
    {0x0416, "Portuguese"},
}};

// The primary language with its default sub-language; 0 when the low 16 bits are 0.
std::uint16_t NormalizeLanguage(std::uint32_t value);

// Everything one string-table text holds for one group.
struct StringTableContent {
    StringGroup group;
    std::unordered_map<std::uint32_t, std::string> texts;
};

// Reading string-table texts, without files.
namespace string_table {

// Largest text file taken from a table archive.
inline constexpr std::uint64_t kMaxTextBytes = 4u * 1024 * 1024;
// Most text numbers that all entries of a table may hold together.
inline constexpr std::size_t kMaxTextIds = std::size_t{1} << 22;

// UTF-16 little-endian text with the byte-order mark FF FE becomes UTF-8 (the mark dropped, a last odd byte
// ignored, unpaired surrogates replaced by U+FFFD); any other text is returned as it is.
std::string DecodeText(std::string_view bytes);
// Whether the "File Info" section names a table of this kind, version and language.
bool HasValidHeader(const CIniFile& ini, std::uint16_t language);
// Reads the texts and the sections of group groupName, then drops every text number without a text.
// false when the table holds more text numbers than kMaxTextIds.
bool ParseContent(const CIniFile& ini, std::string_view groupName, StringTableContent& content);
// The item number and text numbers of an item reference, before pruning; at most maxTextIds numbers
// (false when there would be more).
bool ParseItemReference(std::string_view value, std::int32_t& id, std::vector<std::uint32_t>& textIds,
                        std::size_t maxTextIds = kMaxTextIds);
// Backslash-n becomes CR LF, backslash-t a tab.
std::string ExpandEscapes(std::string_view text);

} // namespace string_table

class StringTable {
public:
    // Loads the table of the language from the program folder, else the neutral one; on failure the
    // content stays as it was.
    bool Load(const std::filesystem::path& programFolder, std::uint16_t language, std::string_view groupName);

    std::string GetText(std::uint32_t number) const;
    std::size_t GetItemTexts(std::string_view section, std::int32_t item, std::vector<std::string>& texts) const;
    std::string GetItemText(std::string_view section, std::int32_t item) const;
    std::size_t GetKeyTexts(std::string_view section, std::string_view key, std::vector<std::string>& texts) const;
    std::string GetKeyText(std::string_view section, std::string_view key) const;
    StringEntry FindEntry(std::string_view section, std::int32_t item) const;
    void SetText(std::uint32_t number, std::string text);

    const StringGroup& GetGroup() const { return m_group; }
    std::size_t GetTextCount() const { return m_texts.size(); }

private:
    const StringSection* findSection(std::string_view name) const;
    const StringEntry* findEntry(std::string_view section, std::int32_t item) const;
    std::size_t collectTexts(const StringEntry* entry, std::vector<std::string>& texts) const;

    StringGroup m_group;
    std::unordered_map<std::uint32_t, std::string> m_texts;
    std::unordered_map<std::string, std::size_t> m_sectionIndex; // folded name -> first section
};

// The one table of the process.
StringTable& TheStringTable();

} // namespace pellora
