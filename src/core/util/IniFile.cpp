#include "core/util/IniFile.h"

#include "core/platform/Profile.h"
#include "core/platform/RegularFile.h"

#include <cerrno>

namespace pellora {

namespace fs = std::filesystem;
using platform::EqualsNoCase;
using platform::FoldCase;
using platform::TrimBlanks;

const IniEntry* CIniSection::GetEntry(std::size_t index) const
{
    return index < m_entries.size() ? &m_entries[index] : nullptr;
}

const std::string* CIniSection::FindValue(std::string_view key) const
{
    for (const IniEntry& entry : m_entries) {
        if (EqualsNoCase(entry.key, key))
            return &entry.value;
    }
    return nullptr;
}

IniEntry CIniFile::SplitLine(std::string_view line)
{
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return {};
    std::string_view value = TrimBlanks(line.substr(equals + 1));
    while (!value.empty() && value.front() == '"')
        value.remove_prefix(1);
    while (!value.empty() && value.back() == '"')
        value.remove_suffix(1);
    return {std::string(TrimBlanks(line.substr(0, equals))), std::string(value)};
}

void CIniFile::Clear()
{
    m_sections.clear();
    m_index.clear();
}

void CIniFile::Parse(std::string_view text)
{
    Clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);

    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t current = kNone; // none before the first section
    while (!text.empty()) {
        const auto lf = text.find('\n');
        const std::string_view line = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view{} : text.substr(lf + 1);

        const std::string_view trimmed = TrimBlanks(line);
        if (trimmed.empty())
            continue;
        if (trimmed.front() == '[') {
            std::string_view name = trimmed.substr(1);
            if (const auto close = name.find(']'); close != std::string_view::npos)
                name = name.substr(0, close);
            name = TrimBlanks(name);
            // A repeated section continues the first one of its name.
            const auto [it, added] = m_index.try_emplace(FoldCase(name), m_sections.size());
            if (added)
                m_sections.emplace_back(std::string(name));
            current = it->second;
            continue;
        }
        if (current != kNone)
            m_sections[current].m_entries.push_back(SplitLine(trimmed));
    }
}

bool CIniFile::Load(const fs::path& file)
{
    Clear();
    std::string text;
    const Status read = platform::ReadRegularFile(file, kMaxFileSize, text);
    if (read.systemError() == ENOENT)
        return true;
    if (!read.ok())
        return false;
    Parse(text);
    return true;
}

const CIniSection* CIniFile::GetSection(std::size_t index) const
{
    return index < m_sections.size() ? &m_sections[index] : nullptr;
}

const CIniSection* CIniFile::FindSection(std::string_view name) const
{
    const auto it = m_index.find(FoldCase(TrimBlanks(name)));
    return it == m_index.end() ? nullptr : &m_sections[it->second];
}

} // namespace pellora
