#pragma once

// Private-profile (INI) files: the platform's reading and writing rules over a per-file cache.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pellora::platform {

// Hash and equality of names without regard to ASCII letter case; lookups take any string view.
struct NoCaseHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
};
struct NoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
template <typename Value>
using NoCaseMap = std::unordered_map<std::string, Value, NoCaseHash, NoCaseEqual>;

// One INI text held in memory. Section and key names compare without regard to case; the first of
// duplicate sections or keys is the one read and written; values are read trimmed, with one pair of
// matching enclosing quotes (" or ') removed.
class ProfileDocument {
public:
    // Replaces the content by the parsed text (CRLF or LF line ends).
    void parse(std::string_view text);
    // The whole text with CRLF line ends.
    std::string serialize() const;

    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    // Replaces the value in place or appends the key (and the section); false when a name or the value
    // holds CR or LF, or a name is empty or unusable, and then nothing changes.
    bool set(std::string_view section, std::string_view key, std::string_view value);
    bool removeKey(std::string_view section, std::string_view key);
    bool removeSection(std::string_view section);

    std::vector<std::string> sectionNames() const;
    bool hasSection(std::string_view section) const;
    // The key=value lines of a section as the reader sees them (key and value already parsed).
    std::vector<std::pair<std::string, std::string>> sectionEntries(std::string_view section) const;
    // The number of key=value lines of a section.
    std::size_t keyCount(std::string_view section) const;

    // What a reader of the file gets for the line "key=value".
    static std::string parsedValue(std::string_view rawValue);

    // The same sections with the same key=value lines in the same order: what a reader sees.
    bool operator==(const ProfileDocument& other) const;

    ProfileDocument();
    ~ProfileDocument();
    ProfileDocument(ProfileDocument&&) noexcept;
    ProfileDocument& operator=(ProfileDocument&&) noexcept;
    ProfileDocument(const ProfileDocument&) = delete;
    ProfileDocument& operator=(const ProfileDocument&) = delete;

private:
    // One key=value line as it stands in the file, with the key and the value a reader sees; or a run
    // of consecutive lines that are not key=value (comments, blank lines), held as one text with their
    // line ends, so that a file of blank lines costs no more than its bytes. A parsed line views the
    // document's text; a written one owns its text on the heap, so that views into it survive moves.
    struct Line {
        std::unique_ptr<std::string> owned;
        std::string_view text;
        uint32_t keyPos = 0;
        uint32_t keyLength = 0;
        uint32_t valuePos = 0;
        uint32_t valueLength = 0;

        static Line View(std::string_view text);
        static Line Own(std::string text);
        // Lines that are not key=value, with "\n" or "\r\n" between them.
        static Line Other(std::string_view lines);
        std::string_view key() const { return text.substr(keyPos, keyLength); }
        std::string_view value() const { return text.substr(valuePos, valueLength); }
    };
    using KeyIndex = std::unordered_map<std::string_view, std::size_t, NoCaseHash, NoCaseEqual>;
    struct Section {
        std::string name;
        std::string header; // the section line as it stands in the file
        std::vector<Line> lines;
        KeyIndex firstKey;  // key (viewing its line) -> index in lines
    };

    Section* findSection(std::string_view name);
    const Section* findSection(std::string_view name) const;
    Section& appendSection(std::string_view name);
    static void indexLine(Section& section, std::size_t index);
    static std::size_t insertPosition(Section& section);

    std::unique_ptr<std::string> m_text;          // the parsed text, viewed by the parsed lines
    bool m_byteOrderMark = false;                 // a UTF-8 mark began the text and is written back
    std::optional<std::string_view> m_preamble;   // the lines before the first section
    std::vector<Section> m_sections;
    NoCaseMap<std::size_t> m_firstSection; // name -> index
};

// The private-profile functions. Each file is read once into a cache; writes change the cache and
// flush() writes the file once, then reads it back and checks that a reader gets what was written. Only
// regular files of at most kMaxFileBytes are read, without ever waiting on a pipe or a device; anything
// else reads as an empty file.
class Profile {
public:
    static constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;

    static Profile& instance();

    std::optional<std::string> get(const std::filesystem::path& file, std::string_view section,
                                   std::string_view key);
    // The value, or defaultValue when the key is missing, cut to at most bufferSize - 1 bytes
    // without splitting a UTF-8 sequence.
    std::string getString(const std::filesystem::path& file, std::string_view section,
                          std::string_view key, std::string_view defaultValue = {},
                          std::size_t bufferSize = 1024);
    bool write(const std::filesystem::path& file, std::string_view section, std::string_view key,
               std::string_view value);
    bool removeKey(const std::filesystem::path& file, std::string_view section, std::string_view key);
    std::vector<std::string> sectionNames(const std::filesystem::path& file);
    std::vector<std::pair<std::string, std::string>> sectionEntries(const std::filesystem::path& file,
                                                                    std::string_view section);
    std::size_t keyCount(const std::filesystem::path& file, std::string_view section);

    // Writes a changed file through the atomic writer; the new file replaces the old one only when a
    // reader of it gets exactly what the cache holds.
    bool flush(const std::filesystem::path& file);
    // Starts the cached copy of file as an empty text, without reading the file: a writer that makes the
    // whole file anew (the next flush replaces the file).
    void startEmpty(const std::filesystem::path& file);
    bool flushAll();
    // Drops the cached copy without writing it.
    void forget(const std::filesystem::path& file);

private:
    struct Entry;
    Entry& entry(const std::filesystem::path& file);

    std::mutex m_mutex;
    std::map<std::filesystem::path, std::unique_ptr<Entry>> m_files;
    std::unordered_map<std::string, Entry*> m_byGivenPath; // paths as callers spell them
};

// Text helpers shared by the readers of outside data.
std::string FoldCase(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
std::string_view TrimBlanks(std::string_view text);
// At most maxBytes bytes of text, never ending inside a UTF-8 sequence.
std::string_view CutUtf8(std::string_view text, std::size_t maxBytes);

} // namespace pellora::platform
