#include "core/platform/Profile.h"

#include "core/platform/AtomicFile.h"
#include "core/platform/FileDescriptor.h"
#include "core/platform/RegularFile.h"

#include <algorithm>
#include <cstring>
#include <system_error>
#include <utility>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::size_t NoCaseHash::operator()(std::string_view text) const
{
    // Setting bit 5 of every byte maps both letter cases to one value; other bytes may collide more,
    // which equality sorts out. Eight bytes at a time.
    constexpr uint64_t kFold = 0x2020202020202020ull;
    uint64_t hash = 14695981039346656037ull ^ text.size();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        hash = (hash ^ (word | kFold)) * 1099511628211ull;
        hash ^= hash >> 29;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, text.data() + i, text.size() - i);
    hash = (hash ^ (tail | (kFold >> (8 * (8 - (text.size() - i)) % 64)))) * 1099511628211ull;
    return static_cast<std::size_t>(hash ^ (hash >> 32));
}

bool NoCaseEqual::operator()(std::string_view a, std::string_view b) const
{
    return EqualsNoCase(a, b);
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

namespace {

std::string_view readerValue(std::string_view rawValue)
{
    std::string_view value = TrimBlanks(rawValue);
    if (value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\''))
        value = value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::string ProfileDocument::parsedValue(std::string_view rawValue)
{
    return std::string(readerValue(rawValue));
}

ProfileDocument::ProfileDocument() = default;
ProfileDocument::~ProfileDocument() = default;
ProfileDocument::ProfileDocument(ProfileDocument&&) noexcept = default;
ProfileDocument& ProfileDocument::operator=(ProfileDocument&&) noexcept = default;

ProfileDocument::Line ProfileDocument::Line::View(std::string_view text)
{
    Line line;
    line.text = text;
    const ParsedLine parsed = parseLine(text);
    if (parsed.kind == ParsedLine::KeyValue) {
        const std::string_view value = readerValue(parsed.value);
        line.keyPos = static_cast<uint32_t>(parsed.name.data() - text.data());
        line.keyLength = static_cast<uint32_t>(parsed.name.size());
        line.valuePos = static_cast<uint32_t>(value.data() - text.data());
        line.valueLength = static_cast<uint32_t>(value.size());
    }
    return line;
}

ProfileDocument::Line ProfileDocument::Line::Other(std::string_view lines)
{
    Line line;
    line.text = lines;
    return line;
}

ProfileDocument::Line ProfileDocument::Line::Own(std::string text)
{
    auto owned = std::make_unique<std::string>(std::move(text));
    Line line = View(*owned);
    line.owned = std::move(owned);
    return line;
}

void ProfileDocument::parse(std::string_view text)
{
    m_preamble.reset();
    m_sections.clear();
    m_firstSection.clear();
    m_byteOrderMark = text.size() >= 3 && text.substr(0, 3) == kByteOrderMark;
    if (m_byteOrderMark)
        text.remove_prefix(3);
    m_text = std::make_unique<std::string>(text);
    text = *m_text;

    Section* current = nullptr;
    // Whether the last line taken was one that is not key=value, and so may grow into a run.
    bool inRun = false;
    const auto extendRun = [](std::string_view& run, std::string_view raw) {
        run = std::string_view(run.data(), static_cast<std::size_t>(raw.data() + raw.size() - run.data()));
    };
    while (!text.empty()) {
        const auto lf = text.find('\n');
        const std::string_view raw = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);
        std::string_view line = raw;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        const ParsedLine parsed = parseLine(line);
        if (parsed.kind == ParsedLine::SectionHeader) {
            current = &appendSection(parsed.name);
            current->header = std::string(line);
            inRun = false;
            continue;
        }
        if (!current) {
            if (m_preamble)
                extendRun(*m_preamble, raw);
            else
                m_preamble = raw;
            continue;
        }
        if (parsed.kind == ParsedLine::KeyValue) {
            current->lines.push_back(Line::View(line));
            indexLine(*current, current->lines.size() - 1);
            inRun = false;
        } else if (inRun) {
            extendRun(current->lines.back().text, raw);
        } else {
            current->lines.push_back(Line::Other(raw));
            inRun = true;
        }
    }
}

namespace {

// Appends each line of lines (separated by "\n", a CR before it dropped) with CRLF.
void appendLines(std::string& out, std::string_view lines)
{
    for (;;) {
        const auto lf = lines.find('\n');
        std::string_view line = lines.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        out.append(line).append("\r\n");
        if (lf == std::string_view::npos)
            return;
        lines.remove_prefix(lf + 1);
    }
}

} // namespace

std::string ProfileDocument::serialize() const
{
    std::size_t size = 3 + (m_preamble ? m_preamble->size() * 2 + 2 : 0);
    for (const auto& section : m_sections) {
        size += section.header.size() + 2;
        for (const auto& line : section.lines)
            size += line.text.size() * (line.keyLength == 0 ? 2 : 1) + 2;
    }
    std::string out;
    out.reserve(size);
    if (m_byteOrderMark)
        out.append(kByteOrderMark);
    if (m_preamble)
        appendLines(out, *m_preamble);
    for (const auto& section : m_sections) {
        out.append(section.header).append("\r\n");
        for (const auto& line : section.lines) {
            if (line.keyLength == 0)
                appendLines(out, line.text);
            else
                out.append(line.text).append("\r\n");
        }
    }
    return out;
}

ProfileDocument::Section* ProfileDocument::findSection(std::string_view name)
{
    const auto it = m_firstSection.find(TrimBlanks(name));
    return it == m_firstSection.end() ? nullptr : &m_sections[it->second];
}

const ProfileDocument::Section* ProfileDocument::findSection(std::string_view name) const
{
    const auto it = m_firstSection.find(TrimBlanks(name));
    return it == m_firstSection.end() ? nullptr : &m_sections[it->second];
}

ProfileDocument::Section& ProfileDocument::appendSection(std::string_view name)
{
    Section section;
    section.name = std::string(name);
    section.header = "[" + section.name + "]";
    m_sections.push_back(std::move(section));
    m_firstSection.try_emplace(std::string(name), m_sections.size() - 1);
    return m_sections.back();
}

void ProfileDocument::indexLine(Section& section, std::size_t index)
{
    const Line& line = section.lines[index];
    if (line.keyLength != 0)
        section.firstKey.try_emplace(line.key(), index);
}

std::optional<std::string> ProfileDocument::get(std::string_view section, std::string_view key) const
{
    const Section* found = findSection(section);
    if (!found)
        return std::nullopt;
    const auto it = found->firstKey.find(TrimBlanks(key));
    if (it == found->firstKey.end())
        return std::nullopt;
    return std::string(found->lines[it->second].value());
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

    Section* target = findSection(section);
    if (!target)
        target = &appendSection(section);

    const auto it = target->firstKey.find(key);
    if (it != target->firstKey.end()) {
        const std::size_t index = it->second;
        Line& line = target->lines[index];
        std::string replaced(line.key());
        replaced.append("=").append(value);
        target->firstKey.erase(it); // the old key text goes with the old line
        line = Line::Own(std::move(replaced));
        target->firstKey.emplace(line.key(), index);
        return true;
    }

    const std::size_t position = insertPosition(*target);
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append("=").append(value);
    target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(position), Line::Own(std::move(text)));
    target->firstKey.emplace(target->lines[position].key(), position);
    return true;
}

std::size_t ProfileDocument::insertPosition(Section& section)
{
    // A new key goes after the last non-blank line of the section; a run of lines that ends in blank
    // lines is split before them.
    std::size_t position = section.lines.size();
    while (position > 0 && TrimBlanks(section.lines[position - 1].text).empty())
        --position;
    if (position == 0 || section.lines[position - 1].keyLength != 0)
        return position;
    Line& run = section.lines[position - 1];
    std::size_t end = run.text.size(); // of the last line that is not blank
    for (;;) {
        const auto lf = run.text.rfind('\n', end == 0 ? 0 : end - 1);
        const std::size_t start = lf == std::string_view::npos ? 0 : lf + 1;
        if (!TrimBlanks(run.text.substr(start, end - start)).empty() || lf == std::string_view::npos)
            break;
        end = lf;
    }
    if (end == run.text.size())
        return position;
    const std::string_view blanks = run.text.substr(end + 1);
    run.text = run.text.substr(0, end);
    section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(position), Line::Other(blanks));
    return position;
}

bool ProfileDocument::removeKey(std::string_view section, std::string_view key)
{
    Section* target = findSection(section);
    if (!target)
        return false;
    const auto it = target->firstKey.find(TrimBlanks(key));
    if (it == target->firstKey.end())
        return false;
    const std::size_t index = it->second;
    target->firstKey.clear();
    target->lines.erase(target->lines.begin() + static_cast<std::ptrdiff_t>(index));
    for (std::size_t i = 0; i < target->lines.size(); ++i)
        indexLine(*target, i);
    return true;
}

bool ProfileDocument::removeSection(std::string_view section)
{
    const auto it = m_firstSection.find(TrimBlanks(section));
    if (it == m_firstSection.end())
        return false;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(it->second));
    m_firstSection.clear();
    for (std::size_t i = 0; i < m_sections.size(); ++i)
        m_firstSection.try_emplace(m_sections[i].name, i);
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
        entries.reserve(found->lines.size());
        for (const auto& line : found->lines) {
            if (line.keyLength != 0)
                entries.emplace_back(line.key(), line.value());
        }
    }
    return entries;
}

std::size_t ProfileDocument::keyCount(std::string_view section) const
{
    const Section* found = findSection(section);
    if (!found)
        return 0;
    return static_cast<std::size_t>(
        std::count_if(found->lines.begin(), found->lines.end(), [](const Line& line) { return line.keyLength != 0; }));
}

bool ProfileDocument::operator==(const ProfileDocument& other) const
{
    if (m_sections.size() != other.m_sections.size())
        return false;
    const auto keyed = [](const Line& line) { return line.keyLength != 0; };
    for (std::size_t s = 0; s < m_sections.size(); ++s) {
        const Section& a = m_sections[s];
        const Section& b = other.m_sections[s];
        if (a.name != b.name)
            return false;
        auto x = std::find_if(a.lines.begin(), a.lines.end(), keyed);
        auto y = std::find_if(b.lines.begin(), b.lines.end(), keyed);
        for (; x != a.lines.end() && y != b.lines.end();
             x = std::find_if(x + 1, a.lines.end(), keyed), y = std::find_if(y + 1, b.lines.end(), keyed)) {
            if (x->key() != y->key() || x->value() != y->value())
                return false;
        }
        if (x != a.lines.end() || y != b.lines.end())
            return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------

namespace {

struct FileStamp {
    struct timespec modified {};
    off_t size = 0;
    bool operator==(const FileStamp& other) const
    {
        return modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec &&
               size == other.size;
    }
};

} // namespace

struct Profile::Entry {
    std::filesystem::path path; // absolute and normal
    ProfileDocument document;
    bool dirty = false;
    // Open while the file exists: fstat on it notices a change in place, and a link count of 0 a file
    // that was replaced or deleted, without a path lookup per key.
    FileDescriptor file;
    FileStamp stamp;

    // True when the file on disk is no longer the one the cache holds.
    bool stale() const
    {
        struct stat status {};
        if (!file.valid())
            return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
        if (::fstat(file.get(), &status) != 0 || status.st_nlink == 0)
            return true;
        return !(FileStamp{status.st_mtim, status.st_size} == stamp);
    }

    // Reads the file on disk into the cache; a missing or unreadable file gives an empty document.
    void reload()
    {
        file.reset();
        document = ProfileDocument{};
        std::string text;
        if (readFile(path, file, stamp, text))
            document.parse(text);
    }

    // Keeps a descriptor of the file on disk and its stamp, after the cache was written there.
    void watch()
    {
        FileDescriptor opened;
        struct stat status {};
        if (OpenRegularFile(path, opened, &status).ok()) {
            stamp = {status.st_mtim, status.st_size};
            file = std::move(opened);
        } else {
            file.reset();
        }
    }

    // Opens and reads the whole file; the descriptor and its stamp are kept for later checks.
    static bool readFile(const fs::path& path, FileDescriptor& file, FileStamp& stamp, std::string& text)
    {
        FileDescriptor opened;
        struct stat status {};
        if (!OpenRegularFile(path, opened, &status).ok() || static_cast<std::uint64_t>(status.st_size) > kMaxFileBytes)
            return false;
        text.resize(static_cast<std::size_t>(status.st_size));
        const long long got = ReadAt(opened.get(), text.data(), text.size(), 0);
        text.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        stamp = {status.st_mtim, status.st_size};
        file = std::move(opened);
        return true;
    }
};

namespace {

fs::path cacheKey(const fs::path& file)
{
    std::error_code error;
    fs::path absolute = fs::absolute(file, error);
    return (error ? file : absolute).lexically_normal();
}

} // namespace

Profile& Profile::instance()
{
    static Profile profile;
    return profile;
}

Profile::Entry& Profile::entry(const fs::path& file)
{
    Entry* found = nullptr;
    if (const auto alias = m_byGivenPath.find(file.native()); alias != m_byGivenPath.end()) {
        found = alias->second;
    } else {
        fs::path key = cacheKey(file);
        auto& slot = m_files[key];
        if (!slot) {
            slot = std::make_unique<Entry>();
            slot->path = std::move(key);
            slot->reload();
        }
        found = slot.get();
        if (file.is_absolute())
            m_byGivenPath.emplace(file.native(), found);
    }
    if (!found->dirty && found->stale())
        found->reload();
    return *found;
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

std::size_t Profile::keyCount(const fs::path& file, std::string_view section)
{
    const std::lock_guard lock(m_mutex);
    return entry(file).document.keyCount(section);
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
    AtomicFileWriter writer(key);
    writer.Write(text);
    // What a reader of the file gets must be exactly what was written, before it replaces the old file.
    std::string back;
    if (writer.ok()) {
        ProfileDocument reread;
        const bool readBack = writer.ReadBack(back);
        reread.parse(back);
        if (!readBack || back != text || !(reread == cached.document)) {
            writer.Fail(Status::Failure("a reader would not get what was written to " + key.string()));
            cached.dirty = false;
            cached.reload();
            return false;
        }
    }
    if (!writer.Commit().ok())
        return false;
    cached.dirty = false;
    cached.watch();
    return true;
}

void Profile::startEmpty(const fs::path& file)
{
    const std::lock_guard lock(m_mutex);
    Entry& cached = entry(file);
    cached.document = ProfileDocument{};
    cached.dirty = true;
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
    const auto it = m_files.find(cacheKey(file));
    if (it == m_files.end())
        return;
    std::erase_if(m_byGivenPath, [&](const auto& alias) { return alias.second == it->second.get(); });
    m_files.erase(it);
}

} // namespace pellora::platform
