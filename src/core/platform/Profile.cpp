#include "core/platform/Profile.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

namespace pellora::platform {

namespace fs = std::filesystem;

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view CutUtf8(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t end = maxBytes;
    // Step back over continuation bytes so that no sequence is split.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool holdsLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

struct ParsedLine {
    enum Kind { Other, SectionHeader, KeyValue } kind = Other;
    std::string_view name;  // section name or key
    std::string_view value; // raw value after "="
};

ParsedLine parseLine(std::string_view line)
{
    const std::string_view trimmed = TrimBlanks(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
        std::string_view name = trimmed.substr(1);
        if (const auto close = name.find(']'); close != std::string_view::npos)
            name = name.substr(0, close);
        return {ParsedLine::SectionHeader, TrimBlanks(name), {}};
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    if (key.empty())
        return {};
    return {ParsedLine::KeyValue, key, line.substr(equals + 1)};
}

} // namespace

std::string ProfileDocument::parsedValue(std::string_view rawValue)
{
    std::string_view value = TrimBlanks(rawValue);
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

void ProfileDocument::parse(std::string_view text)
{
    m_preamble.clear();
    m_sections.clear();
    m_firstSection.clear();
    m_byteOrderMark = text.size() >= 3 && text.substr(0, 3) == kByteOrderMark;
    if (m_byteOrderMark)
        text.remove_prefix(3);

    Section* current = nullptr;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        const ParsedLine parsed = parseLine(line);
        if (parsed.kind == ParsedLine::SectionHeader) {
            current = &appendSection(parsed.name);
            current->header = std::string(line);
            continue;
        }
        if (!current) {
            m_preamble.emplace_back(line);
            continue;
        }
        Line entry;
        entry.raw = std::string(line);
        if (parsed.kind == ParsedLine::KeyValue) {
            entry.key = std::string(parsed.name);
            entry.value = parsedValue(parsed.value);
        }
        current->lines.push_back(std::move(entry));
        indexLine(*current, current->lines.size() - 1);
    }
}

std::string ProfileDocument::serialize() const
{
    std::string out;
    std::size_t size = 0;
    for (const auto& line : m_preamble)
        size += line.size() + 2;
    for (const auto& section : m_sections) {
        size += section.header.size() + 2;
        for (const auto& line : section.lines)
            size += line.raw.size() + 2;
    }
    out.reserve(size + 3);
    if (m_byteOrderMark)
        out.append(kByteOrderMark);
    for (const auto& line : m_preamble)
        out.append(line).append("\r\n");
    for (const auto& section : m_sections) {
        out.append(section.header).append("\r\n");
        for (const auto& line : section.lines)
            out.append(line.raw).append("\r\n");
    }
    return out;
}

ProfileDocument::Section* ProfileDocument::findSection(std::string_view name)
{
    const auto it = m_firstSection.find(FoldCase(TrimBlanks(name)));
    return it == m_firstSection.end() ? nullptr : &m_sections[it->second];
}

const ProfileDocument::Section* ProfileDocument::findSection(std::string_view name) const
{
    const auto it = m_firstSection.find(FoldCase(TrimBlanks(name)));
    return it == m_firstSection.end() ? nullptr : &m_sections[it->second];
}

ProfileDocument::Section& ProfileDocument::appendSection(std::string_view name)
{
    Section section;
    section.name = std::string(name);
    section.header = "[" + section.name + "]";
    m_sections.push_back(std::move(section));
    m_firstSection.try_emplace(FoldCase(name), m_sections.size() - 1);
    return m_sections.back();
}

void ProfileDocument::indexLine(Section& section, std::size_t index)
{
    const Line& line = section.lines[index];
    if (!line.key.empty())
        section.firstKey.try_emplace(FoldCase(line.key), index);
}

std::optional<std::string> ProfileDocument::get(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(section);
    if (!found)
        return std::nullopt;
    const auto it = found->firstKey.find(FoldCase(TrimBlanks(key)));
    if (it == found->firstKey.end())
        return std::nullopt;
    return found->lines[it->second].value;
}

bool ProfileDocument::set(std::string_view section, std::string_view key, std::string_view value)
{
    // Names that would read back as something else are refused, as is any line break.
    if (holdsLineBreak(section) || holdsLineBreak(key) || holdsLineBreak(value))
        return false;
    if (section.empty() || TrimBlanks(section) != section || section.find(']') != std::string_view::npos)
        return false;
    if (key.empty() || TrimBlanks(key) != key || key.find('=') != std::string_view::npos || key.front() == '[')
        return false;

    std::string raw;
    raw.reserve(key.size() + 1 + value.size());
    raw.append(key).append("=").append(value);
    const ParsedLine parsed = parseLine(raw);
    if (parsed.kind != ParsedLine::KeyValue)
        return false;

    Section* target = findSection(section);
    if (!target)
        target = &appendSection(section);

    const auto it = target->firstKey.find(FoldCase(key));
    if (it != target->firstKey.end()) {
        Line& line = target->lines[it->second];
        line.raw = line.key + "=" + std::string(value);
        line.value = parsedValue(parseLine(line.raw).value);
        return true;
    }

    // A new key goes after the last non-blank line of the section.
    std::size_t position = target->lines.size();
    while (position > 0 && TrimBlanks(target->lines[position - 1].raw).empty())
        --position;
    Line line{std::string(key), std::move(raw), parsedValue(parsed.value)};
    target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(position), std::move(line));
    target->firstKey.emplace(FoldCase(key), position);
    return true;
}

bool ProfileDocument::removeKey(std::string_view section, std::string_view key)
{
    Section* target = findSection(section);
    if (!target)
        return false;
    const auto it = target->firstKey.find(FoldCase(TrimBlanks(key)));
    if (it == target->firstKey.end())
        return false;
    target->lines.erase(target->lines.begin() + static_cast<std::ptrdiff_t>(it->second));
    target->firstKey.clear();
    for (std::size_t i = 0; i < target->lines.size(); ++i)
        indexLine(*target, i);
    return true;
}

bool ProfileDocument::removeSection(std::string_view section)
{
    const auto it = m_firstSection.find(FoldCase(TrimBlanks(section)));
    if (it == m_firstSection.end())
        return false;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(it->second));
    m_firstSection.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_firstSection.try_emplace(FoldCase(m_sections[i].name), i);
    return true;
}

std::vector<std::string> ProfileDocument::sectionNames() const
{
    std::vector<std::string> names;
    names.reserve(m_sections.size());
    for (const auto& section : m_sections)
        names.push_back(section.name);
    return names;
}

bool ProfileDocument::hasSection(std::string_view section) const
{
    return findSection(section) != nullptr;
}

std::vector<std::pair<std::string, std::string>> ProfileDocument::sectionEntries(std::string_view section) const
{
    std::vector<std::pair<std::string, std::string>> entries;
    if (const Section* found = findSection(section)) {
        for (const auto& line : found->lines) {
            if (!line.key.empty())
                entries.emplace_back(line.key, line.value);
        }
    }
    return entries;
}

bool ProfileDocument::operator==(const ProfileDocument& other) const
{
    if (m_sections.size() != other.m_sections.size())
        return false;
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        const Section& a = m_sections[s];
        const Section& b = other.m_sections[s];
        if (a.name != b.name || a.lines.size() != b.lines.size())
            return false;
        for (std::size_t l = 0; l < a.lines.size(); ++l) {
            if (a.lines[l].key != b.lines[l].key || a.lines[l].value != b.lines[l].value)
                return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

struct Profile::Entry {
    ProfileDocument document;
    bool dirty = false;
    bool onDisk = false;
    fs::file_time_type modified{};
    std::uintmax_t size = 0;
};

namespace {

fs::path cacheKey(const fs::path& file)
{
    std::error_code error;
    fs::path absolute = fs::absolute(file, error);
    return (error ? file : absolute).lexically_normal();
}

bool readWholeFile(const fs::path& file, std::string& text)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = std::move(buffer).str();
    return !in.bad();
}

bool statFile(const fs::path& file, fs::file_time_type& modified, std::uintmax_t& size)
{
    std::error_code error;
    const auto status = fs::status(file, error);
    if (error || !fs::is_regular_file(status))
        return false;
    modified = fs::last_write_time(file, error);
    if (error)
        return false;
    size = fs::file_size(file, error);
    return !error;
}

} // namespace

Profile& Profile::instance()
{
    static Profile profile;
    return profile;
}

Profile::Entry& Profile::entry(const fs::path& file)
{
    const fs::path key = cacheKey(file);
    auto& slot = m_files[key];
    if (!slot)
        slot = std::make_unique<Entry>();
    Entry& cached = *slot;
    if (cached.dirty)
        return cached;

    fs::file_time_type modified{};
    std::uintmax_t size = 0;
    const bool exists = statFile(key, modified, size);
    if (exists == cached.onDisk && (!exists || (modified == cached.modified && size == cached.size)))
        return cached;

    std::string text;
    if (exists && readWholeFile(key, text))
        cached.document.parse(text);
    else
        cached.document = ProfileDocument{};
    cached.onDisk = exists;
    cached.modified = modified;
    cached.size = size;
    return cached;
}

std::optional<std::string> Profile::get(const fs::path& file, std::string_view section, std::string_view key)
{
    const std::lock_guard lock(m_mutex);
    return entry(file).document.get(section, key);
}

std::string Profile::getString(const fs::path& file, std::string_view section, std::string_view key,
                               std::string_view defaultValue, std::size_t bufferSize)
{
    const std::optional<std::string> value = get(file, section, key);
    const std::string_view text = value ? std::string_view(*value) : defaultValue;
    return std::string(CutUtf8(text, bufferSize == 0 ? 0 : bufferSize - 1));
}

bool Profile::write(const fs::path& file, std::string_view section, std::string_view key, std::string_view value)
{
    const std::lock_guard lock(m_mutex);
    Entry& cached = entry(file);
    if (!cached.document.set(section, key, value))
        return false;
    cached.dirty = true;
    return true;
}

bool Profile::removeKey(const fs::path& file, std::string_view section, std::string_view key)
{
    const std::lock_guard lock(m_mutex);
    Entry& cached = entry(file);
    if (!cached.document.removeKey(section, key))
        return false;
    cached.dirty = true;
    return true;
}

std::vector<std::string> Profile::sectionNames(const fs::path& file)
{
    const std::lock_guard lock(m_mutex);
    return entry(file).document.sectionNames();
}

std::vector<std::pair<std::string, std::string>> Profile::sectionEntries(const fs::path& file,
                                                                         std::string_view section)
{
    const std::lock_guard lock(m_mutex);
    return entry(file).document.sectionEntries(section);
}

bool Profile::flush(const fs::path& file)
{
    const std::lock_guard lock(m_mutex);
    const fs::path key = cacheKey(file);
    const auto it = m_files.find(key);
    if (it == m_files.end() || !it->second->dirty)
        return true;
    Entry& cached = *it->second;

    const std::string text = cached.document.serialize();
    fs::path beside = key;
    beside += ".part";
    {
        std::ofstream out(beside, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(beside, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::rename(beside, key, error);
    if (error) {
        fs::remove(beside, error);
        return false;
    }

    // What a reader of the file on disk gets must be exactly what was written.
    std::string back;
    ProfileDocument reread;
    if (!readWholeFile(key, back))
        return false;
    reread.parse(back);
    cached.dirty = false;
    cached.onDisk = statFile(key, cached.modified, cached.size);
    if (back != text || !(reread == cached.document)) {
        cached.document = std::move(reread);
        return false;
    }
    return true;
}

bool Profile::flushAll()
{
    std::vector<fs::path> dirty;
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& [path, cached] : m_files) {
            if (cached->dirty)
                dirty.push_back(path);
        }
    }
    bool ok = true;
    for (const auto& path : dirty)
        ok = flush(path) && ok;
    return ok;
}

void Profile::forget(const fs::path& file)
{
    const std::lock_guard lock(m_mutex);
    m_files.erase(cacheKey(file));
}

} // namespace pellora::platform
