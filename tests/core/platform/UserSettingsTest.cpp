#include "core/platform/UserSettings.h"

#include "core/util/Support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace pellora {
namespace {

// Sets the variables for one test and puts them back.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(std::initializer_list<const char*> names)
    {
        for (const char* name : names) {
            const char* value = std::getenv(name);
            m_saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        }
    }
    ~EnvironmentGuard()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                ::setenv(name, value->c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SettingsTest, FileFollowsTheConfigurationFolderOfTheUser)
{
    const EnvironmentGuard guard {"XDG_CONFIG_HOME", "HOME"};
    ::setenv("HOME", "/home/admin", 1);

    ::setenv("XDG_CONFIG_HOME", "/srv/config", 1);
    EXPECT_EQ(UserSettings::DefaultFile(), fs::path("/srv/config/VARDO/Pellora.ini"));
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(UserSettings::DefaultFile(), fs::path("/home/admin/.config/VARDO/Pellora.ini"));
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(UserSettings::DefaultFile(), fs::path("/home/admin/.config/VARDO/Pellora.ini"));
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(UserSettings::DefaultFile(), fs::path("/home/admin/.config/VARDO/Pellora.ini"));
}

TEST(SettingsTest, WritingCreatesTheFolderAndValuesReadBack)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    const fs::path file = folder.path() / "config" / "VARDO" / "Pellora.ini";
    UserSettings settings(file);

    EXPECT_EQ(settings.GetInt("BackImage", 7), 7);
    EXPECT_FALSE(fs::exists(file));

    ASSERT_TRUE(settings.SetInt(kSettingBackImage, 1));
    ASSERT_TRUE(settings.SetInt(kSettingWindowHandle, 4194307));
    EXPECT_EQ(readFile(file), "[Settings]\r\nBackImage=1\r\nhWnd=4194307\r\n");

    ASSERT_TRUE(settings.SetInt("backimage", -2));
    EXPECT_EQ(UserSettings(file).GetInt("BACKIMAGE"), -2);
    EXPECT_EQ(UserSettings(file).GetInt("hWnd"), 4194307);
}

TEST(SettingsTest, ValuesThatAreNotNumbersGiveTheDefault)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    const fs::path file = folder.path() / "Pellora.ini";
    std::ofstream(file, std::ios::binary) << "[Settings]\r\nBackImage=on\r\nhWnd=12abc\r\nPlacement=\r\n"
                                             "[Other]\r\nLimit=5\r\n";
    const UserSettings settings(file);
    EXPECT_EQ(settings.GetInt("BackImage", 3), 3);
    EXPECT_EQ(settings.GetInt("hWnd", 0), 0);
    EXPECT_EQ(settings.GetInt("Placement", -1), -1);
    EXPECT_EQ(settings.GetInt("Limit", 9), 9); // another section
}

TEST(SettingsTest, AFileThatCannotBeMadeIsReportedAndReadsAsDefaults)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    std::ofstream(folder.path() / "VARDO") << "a file where the folder should be";
    UserSettings settings(folder.path() / "VARDO" / "Pellora.ini");
    EXPECT_FALSE(settings.SetInt(kSettingBackImage, 1));
    EXPECT_EQ(settings.GetInt(kSettingBackImage, 0), 0);

    UserSettings nowhere {fs::path()};
    EXPECT_FALSE(nowhere.SetInt(kSettingBackImage, 1));
    EXPECT_EQ(nowhere.GetInt(kSettingBackImage, 5), 5);
}

TEST(SettingsTest, TextsReadBackAndStayInTheirSection)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    const fs::path file = folder.path() / "Pellora.ini";
    UserSettings settings(file);

    EXPECT_EQ(settings.GetString(kSettingPlacement, "none"), "none");
    const std::string placement(88, 'A');
    ASSERT_TRUE(settings.SetString(kSettingPlacement, placement));
    ASSERT_TRUE(settings.SetSectionString("Recent File List", "File1", "/home/admin/Office.qst"));
    ASSERT_TRUE(settings.SetInt(kSettingBarWidth, 260));

    const UserSettings reread(file);
    EXPECT_EQ(reread.GetString("placement"), placement);
    EXPECT_EQ(reread.GetSectionString("recent file list", "FILE1"), "/home/admin/Office.qst");
    EXPECT_EQ(reread.GetString("File1", "-"), "-");
    EXPECT_EQ(reread.GetInt(kSettingBarWidth), 260);

    ASSERT_TRUE(settings.RemoveSectionValue("Recent File List", "File1"));
    EXPECT_EQ(UserSettings(file).GetSectionString("Recent File List", "File1", "gone"), "gone");
    EXPECT_TRUE(settings.RemoveSectionValue("Recent File List", "File9"));
}

TEST(SettingsTest, ATextWithALineBreakIsRefusedAndChangesNothing)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    const fs::path file = folder.path() / "Pellora.ini";
    UserSettings settings(file);
    ASSERT_TRUE(settings.SetString(kSettingBarState, "0A0B"));

    EXPECT_FALSE(settings.SetString(kSettingBarState, "0A0B\r\nhWnd=1"));
    EXPECT_FALSE(settings.SetString(kSettingBarState, std::string("0A\r\n[Other]")));
    EXPECT_FALSE(settings.SetString(kSettingBarState, std::string("line\nbreak")));
    EXPECT_EQ(UserSettings(file).GetString(kSettingBarState), "0A0B");
    EXPECT_EQ(readFile(file), "[Settings]\r\nBarState=0A0B\r\n");
}

} // namespace
} // namespace pellora
