#include "core/script/MachineSettings.h"

#include "core/platform/Profile.h"
#include "core/script/RegistryValue.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

namespace pellora {

namespace {

constexpr const char* kSettingsFile = "Tessaris/Tessaris Corvane.ini";
constexpr const char* kSettingsSection = "Settings";
constexpr uint32_t kShowPortSettings = 0x8;

} // namespace

std::vector<std::filesystem::path> MachineSettings::DefaultSearchFolders()
{
    std::vector<std::filesystem::path> folders;
    const char* variable = std::getenv("XDG_CONFIG_DIRS");
    std::string_view list = variable ? variable : "";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::filesystem::path folder(list.substr(0, colon));
        if (folder.is_absolute())
            folders.push_back(folder);
        list = colon == std::string_view::npos ? std::string_view{} : list.substr(colon + 1);
    }
    if (folders.empty())
        folders.emplace_back("/etc/xdg");
    return folders;
}

MachineSettings::MachineSettings() : m_searchFolders(DefaultSearchFolders()) {}

MachineSettings::MachineSettings(std::vector<std::filesystem::path> searchFolders)
    : m_searchFolders(std::move(searchFolders))
{
}

std::filesystem::path MachineSettings::SettingsFile() const
{
    for (const auto& folder : m_searchFolders) {
        std::filesystem::path file = folder / kSettingsFile;
        std::error_code error;
        if (std::filesystem::is_regular_file(file, error))
            return file;
    }
    return {};
}

std::optional<uint32_t> MachineSettings::ReadDword(std::string_view valueName) const
{
    const std::filesystem::path file = SettingsFile();
    if (file.empty() || valueName.empty())
        return std::nullopt;
    auto& profile = platform::Profile::instance();
    std::optional<std::string> text = profile.get(file, kSettingsSection, valueName);
    if (!text) {
        // Export files put the value name in double quotes.
        text = profile.get(file, kSettingsSection, "\"" + std::string(valueName) + "\"");
    }
    if (!text)
        return std::nullopt;
    const std::optional<RegistryValue> value = RegistryValue::Parse(*text);
    return value ? value->AsDword() : std::nullopt;
}

bool MachineSettings::ShowItemHasPortSettings() const
{
    const std::optional<uint32_t> showItem = ReadDword("ShowItem");
    return showItem && (*showItem & kShowPortSettings) != 0;
}

std::optional<uint32_t> ReadMachineSetting(std::string_view valueName)
{
    return MachineSettings().ReadDword(valueName);
}

bool ShowItemHasPortSettings()
{
    return MachineSettings().ShowItemHasPortSettings();
}

} // namespace pellora
