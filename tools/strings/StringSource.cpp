#include "tools/strings/StringSource.h"

#include "core/i18n/StringTable.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/Profile.h"
#include "core/util/IniFile.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace pellora::strings {

namespace {

constexpr std::string_view kTextSection = "String Table";
constexpr std::string_view kHeaderSection = "File Info";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The text number a key names: its leading decimal digits.
std::uint32_t textNumberOf(std::string_view key)
{
    return static_cast<std::uint32_t>(std::strtoul(std::string(key).c_str(), nullptr, 10));
}

// A text as a line's value: quoted when the reader would otherwise lose blanks or quotes at its ends.
std::string valueFor(const std::string& text)
{
    const bool needsQuotes = !text.empty()
        && (std::isspace(static_cast<unsigned char>(text.front())) || std::isspace(static_cast<unsigned char>(text.back()))
            || text.front() == '"' || text.back() == '"');
    return needsQuotes ? "\"" + text + "\"" : text;
}

} // namespace

Status StringSource::Open(const fs::path& file)
{
    *this = StringSource();
    m_paths.push_back(file);
    const std::string stem = file.stem().string();
    if (stem.size() == 8 && platform::EqualsNoCase(stem.substr(0, 4), "TSST")) {
        std::vector<fs::path> fragments;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(file.parent_path() / stem.substr(4), error)) {
            if (entry.is_regular_file() && entry.path().extension() == ".txt")
                fragments.push_back(entry.path());
        }
        std::sort(fragments.begin(), fragments.end());
        m_paths.insert(m_paths.end(), fragments.begin(), fragments.end());
    }
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        std::error_code error;
        if (!fs::is_regular_file(m_paths[i], error))
            return Status::Failure("cannot read " + m_paths[i].string());
        read(i, string_table::DecodeText(readAll(m_paths[i])));
    }
    return Status::Ok();
}

void StringSource::read(std::size_t file, const std::string& bytes)
{
    File text;
    text.lineEnd = bytes.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    text.endsWithLineEnd = bytes.empty() || bytes.back() == '\n';
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    if (!text.lines.empty() && text.lines.front().rfind(kByteOrderMark, 0) == 0) {
        text.lines.front().erase(0, kByteOrderMark.size());
        text.byteOrderMark = kByteOrderMark;
    }

    enum class Kind { Other, Header, Texts, Group } kind = Kind::Other;
    Section* section = nullptr;
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        const std::string_view line = platform::TrimBlanks(text.lines[i]);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            if (kind == Kind::Texts && !m_haveTextSection) {
                m_textSectionEnd = {file, i};
                m_haveTextSection = true;
            }
            const std::string name(line.substr(1, line.size() - 2));
            const std::size_t slash = name.rfind('\\');
            if (platform::EqualsNoCase(name, kHeaderSection)) {
                kind = Kind::Header;
            } else if (platform::EqualsNoCase(name, kTextSection)) {
                kind = Kind::Texts;
            } else if (slash != std::string::npos && platform::EqualsNoCase(name.substr(0, slash), kStringTableGroup)) {
                kind = Kind::Group;
                section = &sectionNamed(name.substr(slash + 1));
            } else {
                kind = Kind::Other;
            }
            continue;
        }
        const IniEntry entry = CIniFile::SplitLine(text.lines[i]);
        if (entry.key.empty())
            continue;
        switch (kind) {
        case Kind::Header:
            if (platform::EqualsNoCase(entry.key, "Locale"))
                m_language = NormalizeLanguage(static_cast<std::uint32_t>(std::strtoul(entry.value.c_str(), nullptr, 16)));
            break;
        case Kind::Texts: {
            const std::uint32_t number = textNumberOf(entry.key);
            m_texts[number] = entry.value;
            m_places[number] = {file, i};
            break;
        }
        case Kind::Group: {
            Item item;
            item.key = entry.key;
            std::vector<std::uint32_t> numbers;
            if (string_table::ParseItemReference(entry.value, item.id, numbers))
                item.textNumbers = std::move(numbers);
            section->items.push_back(std::move(item));
            break;
        }
        case Kind::Other:
            break;
        }
    }
    if (kind == Kind::Texts && !m_haveTextSection) {
        m_textSectionEnd = {file, text.lines.size()};
        m_haveTextSection = true;
    }
    m_files.push_back(std::move(text));
}

StringSource::Section& StringSource::sectionNamed(const std::string& name)
{
    for (Section& section : m_sections) {
        if (platform::EqualsNoCase(section.name, name))
            return section;
    }
    m_sections.push_back({name, {}});
    return m_sections.back();
}

std::string StringSource::Text(std::uint32_t number) const
{
    const auto found = m_texts.find(number);
    return found == m_texts.end() ? std::string() : found->second;
}

void StringSource::SetText(std::uint32_t number, std::string text)
{
    if (Text(number) == text && m_texts.count(number) != 0)
        return;
    m_texts[number] = std::move(text);
    m_changed[number] = true;
}

Status StringSource::Save()
{
    if (m_files.empty())
        return Status::Failure("no string table is open");
    std::vector<std::pair<std::uint32_t, std::string>> added;
    for (const auto& [number, changed] : m_changed) {
        std::string line = std::to_string(number) + "=" + valueFor(m_texts[number]);
        const auto place = m_places.find(number);
        if (place != m_places.end())
            m_files[place->second.file].lines[place->second.line] = std::move(line);
        else
            added.emplace_back(number, std::move(line));
    }
    if (!added.empty()) {
        if (!m_haveTextSection) {
            m_files[0].lines.emplace_back("[" + std::string(kTextSection) + "]");
            m_textSectionEnd = {0, m_files[0].lines.size()};
            m_haveTextSection = true;
        }
        const std::size_t file = m_textSectionEnd.file;
        std::vector<std::string>& lines = m_files[file].lines;
        // Before the blank lines that close the section; the lines below move down.
        std::size_t at = m_textSectionEnd.line;
        while (at > 0 && platform::TrimBlanks(lines[at - 1]).empty())
            --at;
        for (auto& [number, place] : m_places) {
            if (place.file == file && place.line >= at)
                place.line += added.size();
        }
        for (std::size_t i = 0; i < added.size(); ++i) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at + i), added[i].second);
            m_places[added[i].first] = {file, at + i};
        }
        m_textSectionEnd.line += added.size();
    }
    for (std::size_t i = 0; i < m_files.size(); ++i) {
        const File& file = m_files[i];
        std::string bytes = file.byteOrderMark;
        for (std::size_t line = 0; line < file.lines.size(); ++line) {
            bytes += file.lines[line];
            if (line + 1 < file.lines.size() || file.endsWithLineEnd)
                bytes += file.lineEnd;
        }
        if (Status status = platform::SaveFileContents(m_paths[i], bytes); !status.ok())
            return status;
    }
    m_changed.clear();
    return Status::Ok();
}

} // namespace pellora::strings
