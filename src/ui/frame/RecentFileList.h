#pragma once

// The recently-used document files: at most 16, the newest first, kept in the user's settings.

#include <cstddef>
#include <filesystem>
#include <string_view>
#include <vector>

namespace pellora {
class UserSettings;
}

namespace pellora::ui {

class RecentFileList {
public:
    static constexpr std::size_t kMaxEntries = 16;
    static constexpr std::string_view kSection = "Recent File List";

    // The entries stored under "File1" to "File16"; empty or repeated ones are skipped.
    void Load(const UserSettings& settings);
    // Writes every entry and removes the keys of entries no longer there; false when a write failed.
    bool Save(UserSettings& settings) const;

    // Puts path at the front (moving it there when it is in the list) and drops entries beyond 16.
    void Add(const std::filesystem::path& path);
    void Remove(std::size_t index);

    const std::vector<std::filesystem::path>& entries() const { return m_entries; }
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }

private:
    std::vector<std::filesystem::path> m_entries;
};

} // namespace pellora::ui
