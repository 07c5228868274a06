#include "ui/frame/RecentFileList.h"

#include "core/platform/UserSettings.h"

#include <algorithm>
#include <string>

namespace fs = std::filesystem;

namespace pellora::ui {

namespace {

std::string keyOf(std::size_t index)
{
    return "File" + std::to_string(index + 1);
}

// The form under which a path is kept: absolute and without "." or ".." parts.
fs::path normalised(const fs::path& path)
{
    std::error_code error;
    fs::path absolute = fs::absolute(path, error);
    if (error)
        absolute = path;
    return absolute.lexically_normal();
}

} // namespace

void RecentFileList::Load(const UserSettings& settings)
{
    m_entries.clear();
    for (std::size_t i = 0; i < kMaxEntries; ++i) {
        const std::string text = settings.GetSectionString(kSection, keyOf(i));
        if (text.empty())
            continue;
        const fs::path path(text);
        if (std::find(m_entries.begin(), m_entries.end(), path) == m_entries.end())
            m_entries.push_back(path);
    }
}

bool RecentFileList::Save(UserSettings& settings) const
{
    bool ok = true;
    for (std::size_t i = 0; i < kMaxEntries; ++i) {
        if (i < m_entries.size())
            ok = settings.SetSectionString(kSection, keyOf(i), m_entries[i].string()) && ok;
        else
            ok = settings.RemoveSectionValue(kSection, keyOf(i)) && ok;
    }
    return ok;
}

void RecentFileList::Add(const fs::path& path)
{
    if (path.empty())
        return;
    const fs::path entry = normalised(path);
    m_entries.erase(std::remove(m_entries.begin(), m_entries.end(), entry), m_entries.end());
    m_entries.insert(m_entries.begin(), entry);
    if (m_entries.size() > kMaxEntries)
        m_entries.resize(kMaxEntries);
}

void RecentFileList::Remove(std::size_t index)
{
    if (index < m_entries.size())
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
}

} // namespace pellora::ui
