#pragma once

// The machine-wide settings file of the printer maker's software and the values read from it.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace pellora {

// "[Settings]" of "Tessaris/Tessaris Corvane.ini" in the first search folder that holds that file; values
// are written in registry export notation ("ShowItem=dword:00000008").
class MachineSettings {
public:
    // The folders of $XDG_CONFIG_DIRS (absolute ones only), or /etc/xdg when it names none.
    static std::vector<std::filesystem::path> DefaultSearchFolders();

    MachineSettings();
    explicit MachineSettings(std::vector<std::filesystem::path> searchFolders);

    // The settings file, or an empty path when no search folder holds it.
    std::filesystem::path SettingsFile() const;
    // The named value when it is a DWORD.
    std::optional<uint32_t> ReadDword(std::string_view valueName) const;
    // Bit 3 of "ShowItem": the hydro dialog shows its port settings.
    bool ShowItemHasPortSettings() const;

private:
    std::vector<std::filesystem::path> m_searchFolders;
};

// The same through the default search folders.
std::optional<uint32_t> ReadMachineSetting(std::string_view valueName);
bool ShowItemHasPortSettings();

} // namespace pellora
