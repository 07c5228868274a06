#pragma once

// Whole-file INI reader: every section in file order with all of its key/value lines.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pellora {

struct IniEntry {
    std::string key;
    std::string value;
};

class CIniSection {
public:
    explicit CIniSection(std::string name) : m_name(std::move(name)) {}

    const std::string& GetName() const { return m_name; }
    std::size_t GetEntryCount() const { return m_entries.size(); }
    // nullptr when index is out of range.
    const IniEntry* GetEntry(std::size_t index) const;
    const std::vector<IniEntry>& GetEntries() const { return m_entries; }
    // The value of the first entry whose key equals key without regard to case; nullptr when none.
    const std::string* FindValue(std::string_view key) const;

private:
    friend class CIniFile;
    std::string m_name;
    std::vector<IniEntry> m_entries;
};

// Lines are split at their first "="; key and value lose white space at both ends, the value then loses
// every double quote at its start and end. A line without "=" gives an empty key and value; blank lines
// give nothing. The lines of a section that appears again (same name without regard to case) are added to
// the first section of that name, so that a text made of several pieces reads as one.
class CIniFile {
public:
    // Files larger than this are not read.
    static constexpr std::uintmax_t kMaxFileSize = 256u * 1024 * 1024;

    // Replaces the contents by those of the file. A missing, empty or unreadable file gives no sections;
    // the result is false when the file exists but cannot be read or is too large.
    bool Load(const std::filesystem::path& file);
    // Replaces the contents by those of the text (CRLF or LF line ends, an UTF-8 byte-order mark is skipped).
    void Parse(std::string_view text);
    void Clear();

    std::size_t GetSectionCount() const { return m_sections.size(); }
    // nullptr when index is out of range.
    const CIniSection* GetSection(std::size_t index) const;
    const std::vector<CIniSection>& GetSections() const { return m_sections; }
    // The section of that name, compared without regard to case; nullptr when none.
    const CIniSection* FindSection(std::string_view name) const;

    // How a line of a section reads as key and value.
    static IniEntry SplitLine(std::string_view line);

private:
    std::vector<CIniSection> m_sections;
    std::unordered_map<std::string, std::size_t> m_index; // folded name -> position in m_sections
};

} // namespace pellora
