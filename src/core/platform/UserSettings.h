#pragma once

// The per-user settings: section [Settings] of VARDO/Pellora.ini in the user's configuration folder.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pellora {

inline constexpr std::string_view kSettingsSection = "Settings";
inline constexpr std::string_view kSettingWindowHandle = "hWnd";
inline constexpr std::string_view kSettingBackImage = "BackImage";
inline constexpr std::string_view kSettingPlacement = "Placement";
inline constexpr std::string_view kSettingBarState = "BarState";
inline constexpr std::string_view kSettingBarWidth = "BarWidth";
inline constexpr std::string_view kSettingBarHeight = "BarHeight";
// The print servers the shared-printer page asks besides the system's own, separated by ";".
inline constexpr std::string_view kSettingPrintServers = "PrintServers";
// The key file the window's package builds are signed with (empty: none) and its password file.
inline constexpr std::string_view kSettingSignKey = "SignKey";
inline constexpr std::string_view kSettingSignPasswordFile = "SignPasswordFile";

class UserSettings {
public:
    // The file of the user running the program (see DefaultFile).
    UserSettings();
    explicit UserSettings(std::filesystem::path file);

    // $XDG_CONFIG_HOME/VARDO/Pellora.ini, with ~/.config when XDG_CONFIG_HOME is unset, empty or not
    // an absolute path; empty when no home folder is known either.
    static std::filesystem::path DefaultFile();

    const std::filesystem::path& file() const { return m_file; }

    // The value as a decimal integer; defaultValue when it is missing or not a number.
    std::int64_t GetInt(std::string_view name, std::int64_t defaultValue = 0) const;
    // Writes the value at once, creating the folder; false when it could not be written.
    bool SetInt(std::string_view name, std::int64_t value);

    // The text as stored; defaultValue when it is missing.
    std::string GetString(std::string_view name, std::string_view defaultValue = {}) const;
    // Writes the text at once; false when it could not be written (a text holding CR or LF never is).
    bool SetString(std::string_view name, std::string_view value);

    // The same in another section of the file (the recently-used file list keeps its own).
    std::string GetSectionString(std::string_view section, std::string_view name,
                                 std::string_view defaultValue = {}) const;
    bool SetSectionString(std::string_view section, std::string_view name, std::string_view value);
    // Removes the value; true when it is gone from the file afterwards.
    bool RemoveSectionValue(std::string_view section, std::string_view name);

private:
    bool flushed(bool written);

    std::filesystem::path m_file;
};

} // namespace pellora
