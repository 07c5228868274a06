#pragma once

// The per-user settings: section [Settings] of VARDO/Pellora.ini in the user's configuration folder.

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace pellora {

inline constexpr std::string_view kSettingsSection = "Settings";
inline constexpr std::string_view kSettingWindowHandle = "hWnd";
inline constexpr std::string_view kSettingBackImage = "BackImage";

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

private:
    std::filesystem::path m_file;
};

} // namespace pellora
