#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {
namespace {

constexpr std::uint16_t kStartLanguage = 0x0409;

CommandLineInfo parse(std::vector<std::string> arguments)
{
    return ParseCommandLine(arguments, kStartLanguage);
}

std::string full(const std::string& relative)
{
    return (fs::current_path() / relative).lexically_normal().string();
}

TEST(CommandLineTest, ModelDropsTheMakerPrefixOnlyWhenItIsExact)
{
    EXPECT_EQ(parse({"/MVARDO RX-C3400"}).model, "RX-C3400");
    EXPECT_EQ(parse({"/MRX-C3400"}).model, "RX-C3400");
    EXPECT_EQ(parse({"/Mvardo RX-C3400"}).model, "vardo RX-C3400");
    EXPECT_EQ(parse({"/MVARDORX-C3400"}).model, "VARDORX-C3400");
    EXPECT_EQ(parse({"/MVARDO "}).model, "");
    EXPECT_EQ(parse({"/MVARDO VARDO X"}).model, "VARDO X");
}

TEST(CommandLineTest, SwitchLettersIgnoreCaseAndDashWorksLikeSlash)
{
    const CommandLineInfo info = parse({"-a10.0.0.5", "/i/srv/drivers", "-mRX-C3400"});
    EXPECT_EQ(info.address, "10.0.0.5");
    EXPECT_EQ(info.folder, "/srv/drivers");
    EXPECT_EQ(info.model, "RX-C3400");
    EXPECT_TRUE(info.HasScriptModeArguments());
    EXPECT_TRUE(info.fileList.empty());
    EXPECT_EQ(info.shellCommand, ShellCommand::None);

    EXPECT_FALSE(parse({"/MRX-C3400"}).HasScriptModeArguments());
    EXPECT_FALSE(parse({"/A10.0.0.5", "/M"}).HasScriptModeArguments());
}

TEST(CommandLineTest, DdeIsTheWholeArgumentAndOtherDSwitchesAreIgnored)
{
    EXPECT_EQ(parse({"/dde"}).shellCommand, ShellCommand::Dde);
    EXPECT_EQ(parse({"/DDE"}).shellCommand, ShellCommand::Dde);
    EXPECT_EQ(parse({"-Dde"}).shellCommand, ShellCommand::Dde);

    for (const char* other : {"/D", "/ddex", "/Dfile.qsm", "/dd"}) {
        const CommandLineInfo info = parse({other});
        EXPECT_EQ(info.shellCommand, ShellCommand::None) << other;
        EXPECT_TRUE(info.fileList.empty()) << other;
    }

    // A file argument after "/dde" joins the list but leaves the shell command alone.
    const CommandLineInfo info = parse({"/dde", "a.qsm"});
    EXPECT_EQ(info.shellCommand, ShellCommand::Dde);
    EXPECT_EQ(info.fileList, std::vector<std::string>{full("a.qsm")});
}

TEST(CommandLineTest, FileArgumentsBecomeFullNormalPathsInOrder)
{
    const CommandLineInfo info = parse({"sub/../one.qsm", "/F./two.qst", "/F/srv/x/./three.exe", "-f/abs/four.qsm"});
    EXPECT_EQ(info.fileList, (std::vector<std::string>{full("one.qsm"), full("two.qst"), "/srv/x/three.exe",
                                                       "/abs/four.qsm"}));
    EXPECT_EQ(info.shellCommand, ShellCommand::Open);

    // An absolute path that names an existing file is a file, not a switch; anything else stays a switch.
    const fs::path existing = fs::temp_directory_path() / "pellora-commandline-test.qsm";
    { std::ofstream(existing) << "[SOFTWARE]\n"; }
    EXPECT_EQ(parse({existing.string()}).fileList, std::vector<std::string>{existing.string()});
    fs::remove(existing);
    EXPECT_TRUE(parse({"/home/no/such/a.qsm"}).fileList.empty());

    // "/F" opens even after "/dde"; an empty name is no file.
    EXPECT_EQ(parse({"/dde", "/Fa.qsm"}).shellCommand, ShellCommand::Open);
    EXPECT_TRUE(parse({"/F", ""}).fileList.empty());
    EXPECT_EQ(parse({"/F", ""}).shellCommand, ShellCommand::None);
}

TEST(CommandLineTest, LanguageSwitchReadsHexadecimalAndReducesToTheDefaultSubLanguage)
{
    EXPECT_EQ(parse({"/L411"}).language, 0x0411);
    EXPECT_EQ(parse({"/l0"}).language, 0);
    EXPECT_EQ(parse({"/L10411"}).language, 0x0411);
    EXPECT_EQ(parse({"/L10000"}).language, 0); // low 16 bits are 0
    EXPECT_EQ(parse({"/L809"}).language, 0x0409);
    EXPECT_EQ(parse({"/LC0A"}).language, 0x040A);
    EXPECT_EQ(parse({"/L0x407"}).language, 0x0407);
    // Read as far as it is hexadecimal, like the C library's number reading.
    EXPECT_EQ(parse({"/L12xyz"}).language, 0x0412);
    // Not hexadecimal at all: the language stays.
    EXPECT_EQ(parse({"/Lxyz"}).language, kStartLanguage);
    EXPECT_EQ(parse({"/L"}).language, kStartLanguage);
    // The last switch wins.
    EXPECT_EQ(parse({"/L407", "/L40C"}).language, 0x040C);
}

TEST(CommandLineTest, ViewModeTurnsTheSplashOffAndUnknownSwitchesChangeNothing)
{
    const CommandLineInfo view = parse({"/V"});
    EXPECT_TRUE(view.viewMode);
    EXPECT_FALSE(view.showSplash);

    const CommandLineInfo other = parse({"/X", "/Zfoo", "/", "-", "/Embedding"});
    EXPECT_FALSE(other.viewMode);
    EXPECT_TRUE(other.showSplash);
    EXPECT_TRUE(other.fileList.empty());
    EXPECT_EQ(other.shellCommand, ShellCommand::None);
    EXPECT_EQ(other.language, kStartLanguage);
    EXPECT_TRUE(other.outputFile.empty());
}

TEST(CommandLineTest, LocaleNamesGiveTheLanguageWithTheDefaultSubLanguage)
{
    EXPECT_EQ(LanguageFromLocaleName("de_DE"), 0x0407);
    EXPECT_EQ(LanguageFromLocaleName("ja_JP.eucJP"), 0x0411);
    EXPECT_EQ(LanguageFromLocaleName("en_GB.UTF-8"), 0x0409);
    EXPECT_EQ(LanguageFromLocaleName("sr_RS@latin"), 0x041A);
    EXPECT_EQ(LanguageFromLocaleName("pt-BR"), 0x0416);
    for (const char* neutral : {"C", "C.UTF-8", "POSIX", "", "xx_YY"})
        EXPECT_EQ(LanguageFromLocaleName(neutral), 0) << neutral;
}

// Sets or unsets the locale variables for one test and puts them back.
class LocaleEnvironment {
public:
    LocaleEnvironment()
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    ~LocaleEnvironment()
    {
        for (std::size_t i = 0; i < m_saved.size(); ++i) {
            if (m_saved[i])
                ::setenv(kNames[i], m_saved[i]->c_str(), 1);
            else
                ::unsetenv(kNames[i]);
        }
    }
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};

private:
    std::vector<std::optional<std::string>> m_saved;
};

TEST(CommandLineTest, UserLanguageTakesTheFirstLocaleVariableThatIsSet)
{
    const LocaleEnvironment environment;
    EXPECT_EQ(UserDefaultLanguage(), 0);

    ::setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_EQ(UserDefaultLanguage(), 0x0411);
    ::setenv("LC_MESSAGES", "de_DE.UTF-8", 1);
    EXPECT_EQ(UserDefaultLanguage(), 0x0407);
    ::setenv("LC_ALL", "", 1); // empty counts as unset
    EXPECT_EQ(UserDefaultLanguage(), 0x0407);
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(UserDefaultLanguage(), 0);
}

} // namespace
} // namespace pellora
