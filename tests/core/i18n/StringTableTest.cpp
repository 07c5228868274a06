#include "core/i18n/StringTable.h"

#include "core/util/IniFile.h"
#include "core/util/RunFolder.h"
#include "core/util/Support.h"
#include "support/FileTreeSupport.h"
#include "support/StringTableFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::StringTableFixture;

constexpr std::string_view kBody = "[String Table]\r\n"
                                   "100=Name\r\n"
                                   "101=Address\r\n"
                                   "102=Model\r\n"
                                   "103=Port\r\n"
                                   "104=Driver\r\n"
                                   "105=\r\n"
                                   "106=Two\\nLines\\tTabbed\r\n"
                                   "[Pellorix.exe\\IDD_CORVAN2_FORM]\r\n"
                                   "COLUMNS=0x3E9:100,102-104\r\n"
                                   "TITLE=0:101\r\n"
                                   "[pellorix.EXE\\Message]\r\n"
                                   "M1=1:106\r\n"
                                   "M2=2:100,105,999,101\r\n";

TEST(StringTable, LoadsTextsAndItemReferencesOfItsGroup)
{
    const StringTableFixture fixture(kBody);
    StringTable table;
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0, kStringTableGroup));

    std::vector<std::string> texts;
    EXPECT_EQ(table.GetItemTexts("idd_corvan2_form", 1001, texts), 4u);
    EXPECT_EQ(texts, (std::vector<std::string>{"Name", "Model", "Port", "Driver"}));
    EXPECT_EQ(table.GetItemText("IDD_CORVAN2_FORM", 0), "Address");
    EXPECT_EQ(table.GetKeyText("IDD_CORVAN2_FORM", "title"), "Address");
    EXPECT_EQ(table.GetKeyTexts("IDD_CORVAN2_FORM", "Columns", texts), 4u);
    EXPECT_EQ(table.GetItemText("MESSAGE", 1), "Two\r\nLines\tTabbed");

    // Empty and missing texts are pruned from the entries.
    EXPECT_EQ(table.FindEntry("MESSAGE", 2).textIds, (std::vector<std::uint32_t>{100, 101}));
    EXPECT_EQ(table.FindEntry("MESSAGE", 2).name, "M2");

    // Unknown sections, items and texts give empty results.
    EXPECT_EQ(table.GetItemTexts("MESSAGE", 3, texts), 0u);
    EXPECT_TRUE(texts.empty());
    EXPECT_EQ(table.GetItemText("NOWHERE", 1), "");
    EXPECT_EQ(table.GetKeyText("MESSAGE", "M9"), "");
    EXPECT_EQ(table.GetText(4711), "");
    const StringEntry none = table.FindEntry("MESSAGE", 77);
    EXPECT_TRUE(none.name.empty());
    EXPECT_EQ(none.id, 0);
    EXPECT_TRUE(none.textIds.empty());
}

TEST(StringTable, ItemReferencesFollowTheirReadingRules)
{
    struct Case {
        std::string_view value;
        std::int32_t id;
        std::vector<std::uint32_t> textIds;
    };
    const std::vector<Case> cases = {
        {"0x3E9:100,102-104", 1001, {100, 102, 103, 104}},
        {"0X10 : 7", 16, {7}},
        {"5:", 5, {0}},
        {"100", 0, {100}},
        {"1:7-5", 1, {}},
        {"2: 3 - 4 , 9 ,", 2, {3, 4, 9, 0}},
        {"abc:x", 0, {0}},
        {"-7:1", -7, {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        std::int32_t id = -1;
        std::vector<std::uint32_t> textIds;
        ASSERT_TRUE(string_table::ParseItemReference(c.value, id, textIds));
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(textIds, c.textIds);
    }
    std::int32_t id = 0;
    std::vector<std::uint32_t> textIds;
    EXPECT_FALSE(string_table::ParseItemReference("1:0-4000000000", id, textIds, 1000));
}

TEST(StringTable, TextKeysAreNumbersQuotesProtectBlanksAndLaterLinesWin)
{
    CIniFile ini;
    ini.Parse(StringTableFixture::TableText("[String Table]\n"
                                            "0100=early\n"
                                            "100=late\n"
                                            "7=  \"  Printer  \"  \n"
                                            "x=not a number\n"
                                            "[Pellorix.exe\\S]\n"
                                            "A=1:100,7,0\n"
                                            "[Other.exe\\S]\n"
                                            "B=2:7\n"
                                            "[S]\n"
                                            "C=3:7\n"));
    StringTableContent content;
    ASSERT_TRUE(string_table::ParseContent(ini, kStringTableGroup, content));
    EXPECT_EQ(content.texts.at(100), "late");
    EXPECT_EQ(content.texts.at(7), "  Printer  ");
    EXPECT_EQ(content.texts.at(0), "not a number");
    ASSERT_EQ(content.group.sections.size(), 1u);
    EXPECT_EQ(content.group.sections[0].name, "S");
    ASSERT_EQ(content.group.sections[0].entries.size(), 1u);
    EXPECT_EQ(content.group.sections[0].entries[0].textIds, (std::vector<std::uint32_t>{100, 7, 0}));
}

TEST(StringTable, RepeatedSectionsOfATableMadeOfPiecesReadAsOne)
{
    CIniFile ini;
    ini.Parse(StringTableFixture::TableText("[String Table]\n1=one\n[Pellorix.exe\\S]\nA=1:1\n"
                                            "[String Table]\n2=two\n1=ONE\n[pellorix.exe\\T]\nB=2:2\n"
                                            "[Pellorix.exe\\S]\nC=3:2,1\n"));
    StringTableContent content;
    ASSERT_TRUE(string_table::ParseContent(ini, kStringTableGroup, content));
    EXPECT_EQ(content.texts.at(1), "ONE");
    EXPECT_EQ(content.texts.at(2), "two");
    ASSERT_EQ(content.group.sections.size(), 2u);
    EXPECT_EQ(content.group.sections[0].name, "S");
    ASSERT_EQ(content.group.sections[0].entries.size(), 2u);
    EXPECT_EQ(content.group.sections[0].entries[1].textIds, (std::vector<std::uint32_t>{2, 1}));
}

TEST(StringTable, HugeRangesCostOnlyTheTextsTheyHold)
{
    std::string body = "[String Table]\n5=five\n3000000000=far\n[Pellorix.exe\\S]\n";
    for (int i = 0; i < 2000; ++i)
        body += "A=" + std::to_string(i) + ":0-2147483647\n";
    CIniFile ini;
    ini.Parse(StringTableFixture::TableText(body));
    StringTableContent content;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(string_table::ParseContent(ini, kStringTableGroup, content));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(content.group.sections.at(0).entries.size(), 2000u);
    EXPECT_EQ(content.group.sections[0].entries[1999].textIds, std::vector<std::uint32_t>{5});
}

TEST(StringTable, HeaderNamesKindVersionAndLanguage)
{
    const auto valid = [](std::string_view header, std::uint16_t language) {
        CIniFile ini;
        ini.Parse(header);
        return string_table::HasValidHeader(ini, language);
    };
    const std::string japanese = StringTableFixture::TableText("", "411");
    EXPECT_TRUE(valid(japanese, 0x0411));
    EXPECT_TRUE(valid(StringTableFixture::TableText("", "10411"), 0x0411));
    EXPECT_TRUE(valid(StringTableFixture::TableText("", "0x0411"), 0x0411));
    EXPECT_FALSE(valid(japanese, 0x0407));
    EXPECT_TRUE(valid("[file info]\ntype=TESSARIS STRING TABLE\nversion=5.0\nlocale=0\n", 0));
    EXPECT_FALSE(valid("[File Info]\nType=Tessaris String Table\nVersion=5.1\nLocale=0\n", 0));
    EXPECT_FALSE(valid("[File Info]\nType=Other Table\nVersion=5.0\nLocale=0\n", 0));
    EXPECT_FALSE(valid("[String Table]\n1=x\n", 0));
}

TEST(StringTable, FindsTheSecondFileNameAndFallsBackToTheNeutralTable)
{
    const StringTableFixture fixture("[String Table]\n1=neutral\n[Pellorix.exe\\S]\nA=1:1\n");
    StringTable table;

    fixture.WriteTable("0411/String.dat",
                       StringTableFixture::TableText("[String Table]\n1=japanese\n[Pellorix.exe\\S]\nA=1:1\n", "10411"));
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0x0411, kStringTableGroup));
    EXPECT_EQ(table.GetItemText("S", 1), "japanese");

    // No file for German: the neutral table serves.
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0x0407, kStringTableGroup));
    EXPECT_EQ(table.GetItemText("S", 1), "neutral");

    // A German file that claims another language fails its header check.
    fixture.WriteTable("TSST0407.dat",
                       StringTableFixture::TableText("[String Table]\n1=wrong\n[Pellorix.exe\\S]\nA=1:1\n", "40C"));
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0x0407, kStringTableGroup));
    EXPECT_EQ(table.GetItemText("S", 1), "neutral");
}

TEST(StringTable, FailedLoadKeepsTheOldTableAndSetTextLastsUntilTheNextLoad)
{
    const StringTableFixture fixture("[String Table]\n1=neutral\n[Pellorix.exe\\S]\nA=1:1\n");
    StringTable table;
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0, kStringTableGroup));
    table.SetText(1, "changed");
    EXPECT_EQ(table.GetItemText("S", 1), "changed");
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0, kStringTableGroup));
    EXPECT_EQ(table.GetItemText("S", 1), "neutral");

    // Broken archive, archive with an unsafe entry, wrong header, missing file: all fail, nothing changes.
    fixture.folder().writeFile("TSST0000.dat", "PK\x03\x04 broken");
    EXPECT_FALSE(table.Load(fixture.folder().path(), 0, kStringTableGroup));
    StringTableFixture::WriteZip(fixture.folder().file("TSST0000.dat"),
                                 {{"../String.txt", StringTableFixture::TableText("[String Table]\n1=evil\n")}});
    EXPECT_FALSE(table.Load(fixture.folder().path(), 0, kStringTableGroup));
    EXPECT_FALSE(fs::exists(GetWorkFolder() / "String.txt"));
    fixture.WriteTable("TSST0000.dat", "[File Info]\nType=Tessaris String Table\nVersion=4.0\nLocale=0\n");
    EXPECT_FALSE(table.Load(fixture.folder().path(), 0, kStringTableGroup));
    fs::remove(fixture.folder().file("TSST0000.dat"));
    EXPECT_FALSE(table.Load(fixture.folder().path(), 0x0411, kStringTableGroup));

    EXPECT_EQ(table.GetItemText("S", 1), "neutral");
    EXPECT_EQ(table.GetText(1), "neutral");
}

TEST(StringTable, LoadsWhenNoTemporaryFolderCanBeMade)
{
    const StringTableFixture fixture("[String Table]\n1=neutral\n[Pellorix.exe\\S]\nA=1:1\n");
    // A file stands where the run's temporary folders would be made, as good as a full disk.
    const fs::path places = GetRunFolder();
    const fs::path aside = places.string() + ".aside";
    fs::rename(places, aside);
    test::WriteFileBytes(places, "");
    const bool blocked = MakeTempFolder().empty();
    StringTable table;
    const bool loaded = table.Load(fixture.folder().path(), 0, kStringTableGroup);
    fs::remove(places);
    fs::rename(aside, places);

    ASSERT_TRUE(blocked);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(table.GetItemText("S", 1), "neutral");
}

TEST(StringTable, ReadsUtf16TablesAndSurvivesMalformedOnes)
{
    const StringTableFixture fixture;
    const std::string text =
        StringTableFixture::TableText("[String Table]\r\n1=Grüße 𝄞\r\n[Pellorix.exe\\S]\r\nA=1:1\r\n");
    fixture.WriteTable("TSST0000.dat", StringTableFixture::ToUtf16(text));
    StringTable table;
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0, kStringTableGroup));
    EXPECT_EQ(table.GetItemText("S", 1), "Grüße 𝄞");

    // An odd byte at the end and a lone surrogate do not stop the table.
    std::string damaged = StringTableFixture::ToUtf16(
        StringTableFixture::TableText("[String Table]\r\n2=a"));
    damaged += std::string("\x00\xD8", 2) + StringTableFixture::ToUtf16("b\r\n[Pellorix.exe\\S]\r\nB=2:2\r\n").substr(2);
    damaged += '\x41';
    fixture.WriteTable("TSST0000.dat", damaged);
    ASSERT_TRUE(table.Load(fixture.folder().path(), 0, kStringTableGroup));
    EXPECT_EQ(table.GetItemText("S", 2), "a\xEF\xBF\xBD" "b");
}

TEST(StringTable, LanguageIdentifiersKeepThePrimaryLanguage)
{
    EXPECT_EQ(NormalizeLanguage(0x0809), 0x0409);
    EXPECT_EQ(NormalizeLanguage(0x0C0A), 0x040A);
    EXPECT_EQ(NormalizeLanguage(0x0411), 0x0411);
    EXPECT_EQ(NormalizeLanguage(0x10411), 0x0411);
    EXPECT_EQ(NormalizeLanguage(0x411), 0x0411);
    EXPECT_EQ(NormalizeLanguage(0x10000), 0);
    EXPECT_EQ(NormalizeLanguage(0), 0);
}

TEST(StringTable, EveryShippedTableHoldsEveryMessageAndGeneralText)
{
    std::vector<fs::path> shipped;
    for (const auto& entry : fs::directory_iterator(PELLORA_BIN_DIR)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 12 && name.rfind("TSST", 0) == 0 && name.substr(8) == ".dat")
            shipped.push_back(entry.path());
    }
    ASSERT_NE(std::find(shipped.begin(), shipped.end(), fs::path(PELLORA_BIN_DIR) / "TSST0000.dat"), shipped.end());

    for (const fs::path& file : shipped) {
        SCOPED_TRACE(file.filename().string());
        const auto language = static_cast<std::uint16_t>(std::stoul(file.filename().string().substr(4, 4), nullptr, 16));
        const StringTableFixture fixture;
        fs::copy_file(file, fixture.folder().file(file.filename().string()));
        StringTable table;
        ASSERT_TRUE(table.Load(fixture.folder().path(), language, kStringTableGroup));
        // Only the table of the language itself: the neutral fallback is not in the fixture's folder.
        for (const int message : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 17, 22, 24, 25, 26, 27, 999})
            EXPECT_FALSE(table.GetItemText("MESSAGE", message).empty()) << "message " << message;
        for (const int item : {1, 2, 3, 6, 7, 11, 12, 101, 103, 106, 112})
            EXPECT_FALSE(table.GetItemText("ETC", item).empty()) << "ETC item " << item;
        EXPECT_EQ(table.GetItemText("ETC", 12), "Pellora");
    }
}

} // namespace
} // namespace pellora
