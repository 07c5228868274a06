#include "core/i18n/StringTable.h"

#include "core/package/ZipArchive.h"
#include "core/platform/Profile.h"
#include "core/platform/Utf16.h"
#include "core/util/IniFile.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <system_error>

namespace pellora {

namespace fs = std::filesystem;
using platform::EqualsNoCase;
using platform::FoldCase;

std::uint16_t NormalizeLanguage(std::uint32_t value)
{
    if ((value & 0xFFFF) == 0)
        return 0;
    return static_cast<std::uint16_t>((value & 0x3FF) | 0x400);
}

namespace string_table {

namespace {

constexpr std::size_t kMaxHeaderValue = 259;

// Inclusive run of text numbers named by one element of a text list.
struct TextRange {
    std::uint32_t first;
    std::uint32_t last;
};

std::string_view trimReference(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Sign and magnitude of a leading number as the C library reads it: blanks, an optional sign, then digits
// up to the first other character. The magnitude saturates at limit.
struct ParsedNumber {
    bool negative = false;
    std::uint64_t magnitude = 0;
    bool saturated = false;
};

ParsedNumber parseNumber(std::string_view text, unsigned base, std::uint64_t limit, bool allowHexPrefix)
{
    ParsedNumber result;
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        result.negative = text[i++] == '-';
    if (allowHexPrefix && i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (result.saturated)
            continue;
        result.magnitude = result.magnitude * base + digit;
        if (result.magnitude > limit) {
            result.magnitude = limit;
            result.saturated = true;
        }
    }
    return result;
}

// A decimal integer as atoi reads it, held to the 32-bit range.
std::int32_t parseInt32(std::string_view text)
{
    const ParsedNumber n = parseNumber(text, 10, std::uint64_t{1} << 31, false);
    if (n.negative)
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(n.magnitude));
    return static_cast<std::int32_t>(std::min<std::uint64_t>(n.magnitude, std::numeric_limits<std::int32_t>::max()));
}

// A decimal key as strtoul reads it into 32 bits: too large gives the largest value, a minus sign negates.
std::uint32_t parseTextKey(std::string_view text)
{
    const ParsedNumber n = parseNumber(text, 10, std::numeric_limits<std::uint32_t>::max(), false);
    if (n.saturated)
        return std::numeric_limits<std::uint32_t>::max();
    const auto value = static_cast<std::uint32_t>(n.magnitude);
    return n.negative ? static_cast<std::uint32_t>(0u - value) : value;
}

std::int32_t parseItemNumber(std::string_view text)
{
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const ParsedNumber n = parseNumber(text.substr(2), 16, std::numeric_limits<std::uint32_t>::max(), false);
        const auto value = static_cast<std::uint32_t>(n.magnitude);
        return static_cast<std::int32_t>(n.negative ? 0u - value : value);
    }
    return parseInt32(text);
}

// A locale value as "%x" reads it; only the low 16 bits are used, so the value wraps freely.
std::uint32_t parseLocale(std::string_view text)
{
    const ParsedNumber n = parseNumber(text, 16, std::numeric_limits<std::uint64_t>::max() >> 4, true);
    const auto value = static_cast<std::uint32_t>(n.magnitude);
    return n.negative ? 0u - value : value;
}

std::uint32_t textNumber(std::string_view text)
{
    return static_cast<std::uint32_t>(std::max<std::int32_t>(parseInt32(text), 0));
}

// The item number and the text ranges of an item reference.
std::int32_t parseReference(std::string_view value, std::vector<TextRange>& ranges)
{
    std::string_view number;
    std::string_view list = value;
    if (const auto colon = value.find(':'); colon != std::string_view::npos) {
        number = value.substr(0, colon);
        list = value.substr(colon + 1);
    }
    const std::int32_t id = parseItemNumber(trimReference(number));
    list = trimReference(list);
    for (;;) {
        const auto comma = list.find(',');
        const std::string_view element = trimReference(list.substr(0, comma));
        if (const auto dash = element.find('-'); dash != std::string_view::npos) {
            const std::uint32_t first = textNumber(trimReference(element.substr(0, dash)));
            const std::uint32_t last = textNumber(trimReference(element.substr(dash + 1)));
            if (first <= last)
                ranges.push_back({first, last});
        } else {
            const std::uint32_t single = textNumber(element);
            ranges.push_back({single, single});
        }
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return id;
}

} // namespace

std::string DecodeText(std::string_view bytes)
{
    if (bytes.size() < 2 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xFE)
        return std::string(bytes);

    return platform::Utf16LeToUtf8(bytes.substr(2));
}

bool HasValidHeader(const CIniFile& ini, std::uint16_t language)
{
    const CIniSection* info = ini.FindSection("File Info");
    if (!info)
        return false;
    const auto value = [info](std::string_view key) {
        const std::string* found = info->FindValue(key);
        return found ? std::string_view(*found).substr(0, kMaxHeaderValue) : std::string_view{};
    };
    return EqualsNoCase(value("Type"), "Tessaris String Table") && EqualsNoCase(value("Version"), "5.0") &&
           (parseLocale(value("Locale")) & 0xFFFF) == language;
}

bool ParseItemReference(std::string_view value, std::int32_t& id, std::vector<std::uint32_t>& textIds,
                        std::size_t maxTextIds)
{
    std::vector<TextRange> ranges;
    id = parseReference(value, ranges);
    textIds.clear();
    for (const TextRange& range : ranges) {
        if (range.last - range.first >= maxTextIds - textIds.size())
            return false;
        for (std::uint64_t n = range.first; n <= range.last; ++n)
            textIds.push_back(static_cast<std::uint32_t>(n));
    }
    return true;
}

bool ParseContent(const CIniFile& ini, std::string_view groupName, StringTableContent& content)
{
    content.group.name = std::string(groupName);
    content.group.sections.clear();
    content.texts.clear();

    // Ranges are kept unexpanded until the texts are known: a reference such as 1-4000000000 costs only
    // the texts that really exist in it.
    std::vector<TextRange> ranges;
    std::vector<std::size_t> rangeEnds; // per entry in reading order: end of its ranges
    for (const CIniSection& section : ini.GetSections()) {
        const std::string& name = section.GetName();
        const auto backslash = name.rfind('\\');
        if (backslash != std::string::npos) {
            if (!EqualsNoCase(std::string_view(name).substr(0, backslash), groupName))
                continue;
            StringSection parsed;
            parsed.name = name.substr(backslash + 1);
            parsed.entries.reserve(section.GetEntryCount());
            for (const IniEntry& line : section.GetEntries()) {
                StringEntry entry;
                entry.name = line.key;
                entry.id = parseReference(line.value, ranges);
                rangeEnds.push_back(ranges.size());
                parsed.entries.push_back(std::move(entry));
            }
            content.group.sections.push_back(std::move(parsed));
        } else if (EqualsNoCase(name, "String Table")) {
            for (const IniEntry& line : section.GetEntries())
                content.texts[parseTextKey(line.key)] = line.value;
        }
    }

    std::vector<std::uint32_t> present;
    present.reserve(content.texts.size());
    for (const auto& [number, text] : content.texts) {
        if (!text.empty())
            present.push_back(number);
    }
    std::sort(present.begin(), present.end());

    std::size_t total = 0;
    std::size_t entryIndex = 0;
    std::size_t rangeIndex = 0;
    for (StringSection& section : content.group.sections) {
        for (StringEntry& entry : section.entries) {
            const std::size_t end = rangeEnds[entryIndex++];
            for (; rangeIndex < end; ++rangeIndex) {
                const TextRange range = ranges[rangeIndex];
                for (auto it = std::lower_bound(present.begin(), present.end(), range.first);
                     it != present.end() && *it <= range.last; ++it) {
                    if (++total > kMaxTextIds)
                        return false;
                    entry.textIds.push_back(*it);
                }
            }
        }
    }
    return true;
}

std::string ExpandEscapes(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            if (text[i + 1] == 'n') {
                out += "\r\n";
                ++i;
                continue;
            }
            if (text[i + 1] == 't') {
                out += '\t';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

} // namespace string_table

namespace {

// The table file of a language in the program folder; empty when there is none.
fs::path findTableFile(const fs::path& folder, std::uint16_t language)
{
    char flat[32];
    char nested[32];
    std::snprintf(flat, sizeof flat, "TSST%04X.dat", static_cast<unsigned>(language));
    std::snprintf(nested, sizeof nested, "%04X", static_cast<unsigned>(language));
    std::error_code ec;
    for (const fs::path& candidate : {folder / flat, folder / nested / "String.dat"}) {
        if (fs::exists(candidate, ec))
            return candidate;
    }
    return {};
}

// The text file held by a table archive, read in memory: a temporary folder that is full or missing never
// looks like a missing table. Of several files at the archive's root the last by name is taken (of two of
// one name the later); false when the archive cannot be read or holds no such file.
bool extractText(const fs::path& archive, std::string& text)
{
    CZipArchive zip;
    zip.SetArchiveName(archive);
    zip.SetSizeLimit(string_table::kMaxTextBytes);
    zip.SetEntryLimit(256);
    std::vector<ZipMemoryFile> files;
    if (!zip.ExtractInMemory(files))
        return false;
    std::size_t chosen = files.size();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const bool atRoot = files[i].name.find('/') == std::string::npos;
        if (atRoot && (chosen == files.size() || files[i].name >= files[chosen].name))
            chosen = i;
    }
    if (chosen == files.size())
        return false;
    text = std::move(files[chosen].bytes);
    return true;
}

bool loadAttempt(const fs::path& folder, std::uint16_t language, std::string_view groupName, StringTableContent& content)
{
    const fs::path file = findTableFile(folder, language);
    std::string raw;
    if (file.empty() || !extractText(file, raw))
        return false;
    CIniFile ini;
    ini.Parse(string_table::DecodeText(raw));
    return string_table::HasValidHeader(ini, language) && string_table::ParseContent(ini, groupName, content);
}

} // namespace

bool StringTable::Load(const fs::path& programFolder, std::uint16_t language, std::string_view groupName)
{
    StringTableContent content;
    if (!loadAttempt(programFolder, language, groupName, content) &&
        (language == 0 || !loadAttempt(programFolder, 0, groupName, content)))
        return false;

    std::unordered_map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < content.group.sections.size(); ++i)
        index.try_emplace(FoldCase(content.group.sections[i].name), i);
    m_group = std::move(content.group);
    m_texts = std::move(content.texts);
    m_sectionIndex = std::move(index);
    return true;
}

std::string StringTable::GetText(std::uint32_t number) const
{
    const auto it = m_texts.find(number);
    return it == m_texts.end() ? std::string() : string_table::ExpandEscapes(it->second);
}

const StringSection* StringTable::findSection(std::string_view name) const
{
    const auto it = m_sectionIndex.find(FoldCase(name));
    return it == m_sectionIndex.end() ? nullptr : &m_group.sections[it->second];
}

const StringEntry* StringTable::findEntry(std::string_view section, std::int32_t item) const
{
    const StringSection* found = findSection(section);
    if (!found)
        return nullptr;
    for (const StringEntry& entry : found->entries) {
        if (entry.id == item)
            return &entry;
    }
    return nullptr;
}

std::size_t StringTable::collectTexts(const StringEntry* entry, std::vector<std::string>& texts) const
{
    texts.clear();
    if (entry) {
        texts.reserve(entry->textIds.size());
        for (const std::uint32_t id : entry->textIds)
            texts.push_back(GetText(id));
    }
    return texts.size();
}

std::size_t StringTable::GetItemTexts(std::string_view section, std::int32_t item,
                                      std::vector<std::string>& texts) const
{
    return collectTexts(findEntry(section, item), texts);
}

std::string StringTable::GetItemText(std::string_view section, std::int32_t item) const
{
    const StringEntry* entry = findEntry(section, item);
    return entry && !entry->textIds.empty() ? GetText(entry->textIds.front()) : std::string();
}

std::size_t StringTable::GetKeyTexts(std::string_view section, std::string_view key,
                                     std::vector<std::string>& texts) const
{
    const StringEntry* match = nullptr;
    if (const StringSection* found = findSection(section)) {
        for (const StringEntry& entry : found->entries) {
            if (EqualsNoCase(entry.name, key)) {
                match = &entry;
                break;
            }
        }
    }
    return collectTexts(match, texts);
}

std::string StringTable::GetKeyText(std::string_view section, std::string_view key) const
{
    std::vector<std::string> texts;
    return GetKeyTexts(section, key, texts) > 0 ? texts.front() : std::string();
}

StringEntry StringTable::FindEntry(std::string_view section, std::int32_t item) const
{
    const StringEntry* entry = findEntry(section, item);
    return entry ? *entry : StringEntry{};
}

void StringTable::SetText(std::uint32_t number, std::string text)
{
    m_texts[number] = std::move(text);
}

StringTable& TheStringTable()
{
    static StringTable table;
    return table;
}

} // namespace pellora
