#include "core/package/WindowsNames.h"

#include "core/util/Support.h"
#include "support/FileTreeSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {
namespace {

TEST(WindowsNamesTest, EachFaultAndTheNamesThatPass)
{
    struct Case {
        std::string name;
        NameFault fault;
    };
    const std::vector<Case> cases = {
        {"a:b", NameFault::ForbiddenCharacter},
        {"what?.txt", NameFault::ForbiddenCharacter},
        {"x|y", NameFault::ForbiddenCharacter},
        {"<in>", NameFault::ForbiddenCharacter},
        {"say \"hi\"", NameFault::ForbiddenCharacter},
        {"back\\slash", NameFault::ForbiddenCharacter},
        {"star*", NameFault::ForbiddenCharacter},
        {"tab\there", NameFault::ControlCharacter},
        {"line\nbreak", NameFault::ControlCharacter},
        {std::string("\x01") + "start", NameFault::ControlCharacter},
        {"\x1F", NameFault::ControlCharacter},
        {"del\x7F", NameFault::ControlCharacter},
        {"trailing.", NameFault::TrailingDotOrBlank},
        {"trailing ", NameFault::TrailingDotOrBlank},
        {"..", NameFault::TrailingDotOrBlank},
        {"CON", NameFault::DeviceName},
        {"con", NameFault::DeviceName},
        {"aux.txt", NameFault::DeviceName},
        {"COM1", NameFault::DeviceName},
        {"com9.inf", NameFault::DeviceName},
        {"LPT9.log", NameFault::DeviceName},
        {"Nul.tar.gz", NameFault::DeviceName},
        {"PRN", NameFault::DeviceName},
        {"con.d", NameFault::DeviceName},
        {"CON .txt", NameFault::DeviceName},
        {"CONIN$", NameFault::DeviceName},
        {"conout$.dat", NameFault::DeviceName},
        {"COM\xC2\xB9", NameFault::DeviceName},
        {"lpt\xC2\xB3.txt", NameFault::DeviceName},
        {"S\xFC" "d.inf", NameFault::NotUtf8},        // Latin-1, not UTF-8
        {"\xC3\x28", NameFault::NotUtf8},             // a lead byte without its continuation
        {"\xC0\xAF", NameFault::NotUtf8},             // an overlong "/"
        {"\xED\xA0\x80", NameFault::NotUtf8},         // a surrogate
        {"\xE2\x82", NameFault::NotUtf8},             // cut short
        {"Setup.exe", NameFault::None},
        {"CONSOLE.txt", NameFault::None},
        {"COM0", NameFault::None},
        {"LPT10", NameFault::None},
        {"COM", NameFault::None},
        {"NULL", NameFault::None},
        {"xcon", NameFault::None},
        {"a.b.c", NameFault::None},
        {"name with spaces inside.txt", NameFault::None},
        {" leading blank", NameFault::None},
        {".hidden", NameFault::None},
        {"S\xC3\xBC" "d.inf", NameFault::None},
        {"\xE6\x97\xA5\xE6\x9C\xAC.txt", NameFault::None},
        {"100% [final] & co; #1 {x}=y,z'~!@^", NameFault::None},
    };
    EXPECT_EQ(VisibleName("tab\there\xFF S\xC3\xBC" "d\x7F"), "tab\\x09here\\xFF S\xC3\xBC" "d\\x7F");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char forbidden = 0;
        EXPECT_EQ(WindowsNameFault(c.name, &forbidden), c.fault);
        if (c.fault == NameFault::ControlCharacter || c.fault == NameFault::NotUtf8) {
            EXPECT_NE(VisibleName(c.name).find("\\x"), std::string::npos) << "shown escaped";
        }
        if (c.fault == NameFault::ForbiddenCharacter) {
            EXPECT_NE(c.name.find(forbidden), std::string::npos);
        }
    }
}

TEST(WindowsNamesTest, NamesThatDifferOnlyInLetterCaseAreOneName)
{
    const std::vector<std::pair<std::string, std::string>> same = {
        {"Readme.txt", "README.TXT"},
        {"S\xC3\xBC" "d.inf", "S\xC3\x9C" "D.INF"},      // ü, Ü
        {"\xC3\xBF", "\xC5\xB8"},                          // ÿ, Ÿ
        {"\xC3\x80\xC3\x9E", "\xC3\xA0\xC3\xBE"},          // ÀÞ, àþ
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\x82\xC3\x93" "D\xC5\xB9"}, // Łódź, łÓDŹ
        {"\xCE\xA3\xCE\x9F", "\xCF\x83\xCE\xBF"},          // ΣΟ, σο
        {"\xD0\xAF\xD0\x81", "\xD1\x8F\xD1\x91"},          // ЯЁ, яё
    };
    for (const auto& [a, b] : same) {
        SCOPED_TRACE(a + " / " + b);
        EXPECT_EQ(WindowsNameKey(a), WindowsNameKey(b));
    }
    const std::vector<std::pair<std::string, std::string>> different = {
        {"\xC3\x9F", "ss"},         // ß stays apart from "ss"
        {"\xC3\x97", "\xC3\xB7"},   // × and ÷ are no letter pair
        {"a", "\xC3\xA0"},          // accents count
        {"\xFF", "\xFE"},           // bytes that are no UTF-8 stay as they are
    };
    for (const auto& [a, b] : different) {
        SCOPED_TRACE(a + " / " + b);
        EXPECT_NE(WindowsNameKey(a), WindowsNameKey(b));
    }

    const std::vector<std::string> top = {"CVSetUp.exe", "TSPa.exe", "Site.qst", "TSPA.exe"};
    const std::optional<NameRefusal> twins = CheckFolderNames(top, {});
    ASSERT_TRUE(twins.has_value());
    EXPECT_EQ(twins->fault, NameFault::NameTwin);
    EXPECT_EQ(twins->path, "TSPA.exe");
    EXPECT_EQ(twins->other, "TSPa.exe");
    EXPECT_NE(twins->Describe().find("\"TSPA.exe\" in the package"), std::string::npos) << twins->Describe();
    EXPECT_FALSE(CheckFolderNames(std::vector<std::string>{"DRIVER_000", "DRIVER_001", "SETTING"}, {}).has_value());
}

TEST(WindowsNamesTest, TreeCheckNamesThePathBelowItsFolderAndSkipsFoldersWithoutFiles)
{
    const ScopedTempFolder temp;
    ASSERT_TRUE(temp.valid());
    const fs::path root = temp.path() / "driver";
    test::WriteFileBytes(root / "x64" / "RX.DLL", "dll");
    test::WriteFileBytes(root / "Readme.txt", "one");
    fs::create_directories(root / "empty|folder" / "below?");
    fs::create_directories(root / "X64.");
    EXPECT_FALSE(CheckFolderTree(root, root).has_value()) << "folders without files are not packed";

    test::WriteFileBytes(root / "docs" / "de" / "Lies mich?.txt", "zwei");
    std::optional<NameRefusal> refusal = CheckFolderTree(root, root, "Utilities");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->fault, NameFault::ForbiddenCharacter);
    EXPECT_EQ(refusal->path, "Utilities/docs/de/Lies mich?.txt");
    EXPECT_EQ(refusal->other, "?");
    EXPECT_EQ(refusal->folder, root);
    fs::remove_all(root / "docs");

    test::WriteFileBytes(root / "empty|folder" / "below?" / "file.txt", "three");
    refusal = CheckFolderTree(root, root);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->path, "empty|folder") << "the outermost folder on the way is named first";
    fs::remove_all(root / "empty|folder");

    test::WriteFileBytes(root / "x64" / "sub" / "rx.dll", "lower");
    test::WriteFileBytes(root / "x64" / "SUB" / "other.dll", "upper");
    refusal = CheckFolderTree(root, root);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->fault, NameFault::NameTwin);
    EXPECT_EQ(refusal->path, "x64/sub");
    EXPECT_EQ(refusal->other, "x64/SUB");
}

} // namespace
} // namespace pellora
