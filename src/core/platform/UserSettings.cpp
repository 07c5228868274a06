#include "core/platform/UserSettings.h"

#include "core/platform/Profile.h"

#include <pwd.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

fs::path homeFolder()
{
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
        && found->pw_dir != nullptr && *found->pw_dir != '\0')
        return found->pw_dir;
    return {};
}

} // namespace

UserSettings::UserSettings()
    : m_file(DefaultFile())
{
}

UserSettings::UserSettings(fs::path file)
    : m_file(std::move(file))
{
}

fs::path UserSettings::DefaultFile()
{
    fs::path base;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && fs::path(config).is_absolute())
        base = config;
    else if (const fs::path home = homeFolder(); !home.empty())
        base = home / ".config";
    else
        return {};
    return base / "VARDO" / "Pellora.ini";
}

std::int64_t UserSettings::GetInt(std::string_view name, std::int64_t defaultValue) const
{
    if (m_file.empty())
        return defaultValue;
    const std::optional<std::string> text = platform::Profile::instance().get(m_file, kSettingsSection, name);
    if (!text || text->empty())
        return defaultValue;
    std::int64_t value = 0;
    const char* const end = text->data() + text->size();
    const auto [stop, error] = std::from_chars(text->data(), end, value);
    if (error != std::errc() || stop != end)
        return defaultValue;
    return value;
}

bool UserSettings::SetInt(std::string_view name, std::int64_t value)
{
    return SetSectionString(kSettingsSection, name, std::to_string(value));
}

std::string UserSettings::GetString(std::string_view name, std::string_view defaultValue) const
{
    return GetSectionString(kSettingsSection, name, defaultValue);
}

bool UserSettings::SetString(std::string_view name, std::string_view value)
{
    return SetSectionString(kSettingsSection, name, value);
}

std::string UserSettings::GetSectionString(std::string_view section, std::string_view name,
                                           std::string_view defaultValue) const
{
    if (m_file.empty())
        return std::string(defaultValue);
    const std::optional<std::string> text = platform::Profile::instance().get(m_file, section, name);
    return text ? *text : std::string(defaultValue);
}

bool UserSettings::SetSectionString(std::string_view section, std::string_view name, std::string_view value)
{
    if (m_file.empty())
        return false;
    std::error_code error;
    fs::create_directories(m_file.parent_path(), error);
    if (error)
        return false;
    return flushed(platform::Profile::instance().write(m_file, section, name, value));
}

bool UserSettings::RemoveSectionValue(std::string_view section, std::string_view name)
{
    if (m_file.empty())
        return false;
    platform::Profile& profile = platform::Profile::instance();
    if (!profile.get(m_file, section, name))
        return true;
    return flushed(profile.removeKey(m_file, section, name));
}

// Writes the cached file; a failed change or write drops the cache so that it never differs from the file.
bool UserSettings::flushed(bool written)
{
    platform::Profile& profile = platform::Profile::instance();
    if (!written || !profile.flush(m_file)) {
        profile.forget(m_file);
        return false;
    }
    return true;
}

} // namespace pellora
