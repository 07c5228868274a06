#include "core/script/MachineSettings.h"

#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;
using pellora::MachineSettings;

namespace {

constexpr std::string_view kSettingsFile = "Tessaris/Tessaris Corvane.ini";

class MachineSettingsTest : public ::testing::Test {
protected:
    fs::path folder(std::string_view name) const { return m_root.path() / name; }
    void writeSettings(std::string_view folderName, std::string_view text) const
    {
        m_root.writeFile(std::string(folderName) + "/" + std::string(kSettingsFile), text);
    }

    pellora::test::TestProgramFolder m_root;
};

// Sets an environment variable for the life of the object and restores the old value afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace

TEST_F(MachineSettingsTest, ReadsADwordFromTheFirstFolderHoldingTheFile)
{
    writeSettings("second", "[Settings]\r\nShowItem=dword:0000000a\r\n");
    writeSettings("third", "[Settings]\r\nShowItem=dword:00000001\r\n");
    const MachineSettings settings({folder("first"), folder("second"), folder("third")});
    EXPECT_EQ(settings.SettingsFile(), folder("second") / kSettingsFile);
    EXPECT_EQ(settings.ReadDword("ShowItem"), 10u);
    EXPECT_EQ(settings.ReadDword("showitem"), 10u);
    EXPECT_TRUE(settings.ShowItemHasPortSettings());
}

TEST_F(MachineSettingsTest, PortSettingsFollowBitThreeOfShowItemInAnyDwordNotation)
{
    writeSettings("typed", "[Settings]\nShowItem=hex(4):08,01,00,00\n");
    writeSettings("quoted", "[Settings]\n\"ShowItem\"=dword:00000008\n");
    writeSettings("clear", "[Settings]\nShowItem=dword:FFFFFFF7\n");
    EXPECT_EQ(MachineSettings({folder("typed")}).ReadDword("ShowItem"), 0x108u);
    EXPECT_TRUE(MachineSettings({folder("typed")}).ShowItemHasPortSettings());
    EXPECT_TRUE(MachineSettings({folder("quoted")}).ShowItemHasPortSettings());
    EXPECT_FALSE(MachineSettings({folder("clear")}).ShowItemHasPortSettings());
}

TEST_F(MachineSettingsTest, FailsForAnythingButAPresentDword)
{
    writeSettings("etc", "[Settings]\nText=\"abc\"\nDecimal=8\nBytes=hex:08,00,00,00\nShort=hex(4):08,00\n"
                         "Empty=\n[Other]\nShowItem=dword:00000008\n");
    const MachineSettings settings({folder("etc")});
    for (const char* name : {"Text", "Decimal", "Bytes", "Short", "Empty", "Missing", "ShowItem", ""})
        EXPECT_EQ(settings.ReadDword(name), std::nullopt) << name;
    EXPECT_FALSE(settings.ShowItemHasPortSettings());

    const MachineSettings nowhere({folder("none")});
    EXPECT_TRUE(nowhere.SettingsFile().empty());
    EXPECT_EQ(nowhere.ReadDword("ShowItem"), std::nullopt);
    EXPECT_EQ(MachineSettings(std::vector<fs::path>{}).ReadDword("ShowItem"), std::nullopt);
}

TEST_F(MachineSettingsTest, SearchFoldersComeFromXdgConfigDirs)
{
    {
        const ScopedEnvironment environment("XDG_CONFIG_DIRS", "/opt/one::relative/two:/opt/three");
        EXPECT_EQ(MachineSettings::DefaultSearchFolders(), (std::vector<fs::path>{"/opt/one", "/opt/three"}));
    }
    for (const char* value : {static_cast<const char*>(nullptr), "", "relative"}) {
        const ScopedEnvironment environment("XDG_CONFIG_DIRS", value);
        EXPECT_EQ(MachineSettings::DefaultSearchFolders(), std::vector<fs::path>{"/etc/xdg"});
    }

    writeSettings("xdg", "[Settings]\nShowItem=dword:00000009\n");
    const std::string list = folder("missing").string() + ":" + folder("xdg").string();
    const ScopedEnvironment environment("XDG_CONFIG_DIRS", list.c_str());
    EXPECT_EQ(pellora::ReadMachineSetting("ShowItem"), 9u);
    EXPECT_TRUE(pellora::ShowItemHasPortSettings());
}
