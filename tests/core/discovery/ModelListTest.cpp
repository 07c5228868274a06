#include "core/discovery/ModelList.h"

#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::TestProgramFolder;

// The questions the program asks of the list of a program folder, read anew for each.
bool IsModelListed(const TestProgramFolder& program, std::string_view name)
{
    return ModelList::InFolder(program.path()).IsModelListed(name);
}

int GetModelGroupIndex(const TestProgramFolder& program, std::string_view name)
{
    return ModelList::InFolder(program.path()).GetModelGroupIndex(name);
}

bool ModelListExists(const TestProgramFolder& program)
{
    return ModelList::InFolder(program.path()).opened();
}

TEST(ModelListMatching, IgnoresCaseAndAcceptsTheMakerPrefix)
{
    const TestProgramFolder program;
    EXPECT_TRUE(IsModelListed(program, "RX-C3400"));
    EXPECT_TRUE(IsModelListed(program, "rx-c3400"));
    EXPECT_TRUE(IsModelListed(program, "VDL-N4000+"));
    EXPECT_TRUE(IsModelListed(program, "VARDO RX-C3400"));
    EXPECT_TRUE(IsModelListed(program, "vardo vdl-n4000+"));
    EXPECT_TRUE(IsModelListed(program, "Vardo VMF-XC5600"));

    EXPECT_FALSE(IsModelListed(program, ""));
    EXPECT_FALSE(IsModelListed(program, "RX-C9999"));
    EXPECT_FALSE(IsModelListed(program, "VARDORX-C3400"));
    EXPECT_FALSE(IsModelListed(program, "OTHER RX-C3400"));
    // The bare prefix names no model.
    EXPECT_FALSE(IsModelListed(program, "VARDO "));
}

TEST(ModelListMatching, MatchesBySubstringAcrossTheWholeLine)
{
    const ModelList list = ModelList::FromText("[Group]\nRX-A100 / RX-A200, RX-A300\n");
    EXPECT_TRUE(list.IsModelListed("RX-A100"));
    EXPECT_TRUE(list.IsModelListed("RX-A200"));
    EXPECT_TRUE(list.IsModelListed("rx-a300"));
    EXPECT_TRUE(list.IsModelListed("A2"));    // a short name matches inside a longer one
    EXPECT_TRUE(list.IsModelListed("GROUP")); // header lines take part
    EXPECT_FALSE(list.IsModelListed("RX-A400"));
}

TEST(ModelListMatching, PrefixStaysRemovedForLaterLines)
{
    // Each line takes off at most one prefix, and a prefix taken off stays off for the lines after it.
    const ModelList list = ModelList::FromText("[A]\nRX-B1\n");
    EXPECT_TRUE(list.IsModelListed("VARDO RX-B1"));
    EXPECT_TRUE(list.IsModelListed("VARDO VARDO RX-B1"));
    EXPECT_FALSE(ModelList::FromText("RX-B1\n").IsModelListed("VARDO VARDO RX-B1"));
}

TEST(ModelListGroups, CountsHeadersBeforeTheFirstMatchingLine)
{
    const ModelList list = ModelList::FromText("[First]\r\nRX-A100\r\n[Second]\r\nRX-B200\r\n");
    EXPECT_EQ(list.GetModelGroupIndex("RX-A100"), 1);
    EXPECT_EQ(list.GetModelGroupIndex("rx-b200"), 2);
    EXPECT_EQ(list.GetModelGroupIndex("RX-C300"), -1);
    EXPECT_EQ(list.GetModelGroupIndex(""), -1);
    // Only a header holds the name: the headers before that header.
    EXPECT_EQ(list.GetModelGroupIndex("second"), 1);
    EXPECT_EQ(list.GetModelGroupIndex("[First]"), 0);

    const ModelList noHeaderFirst = ModelList::FromText("RX-Z1\n[G]\nRX-Z2\n");
    EXPECT_EQ(noHeaderFirst.GetModelGroupIndex("RX-Z1"), 0);
    EXPECT_EQ(noHeaderFirst.GetModelGroupIndex("RX-Z2"), 1);
}

TEST(ModelListGroups, TheMakerPrefixIsNotRemoved)
{
    const ModelList list = ModelList::FromText("[A]\nRX-C3400\n[B]\nVardo RX-C7000\n");
    EXPECT_EQ(list.GetModelGroupIndex("VARDO RX-C3400"), -1);
    EXPECT_EQ(list.GetModelGroupIndex("VARDO RX-C7000"), 2);
    EXPECT_TRUE(list.IsModelListed("VARDO RX-C3400"));
}

TEST(ModelListGroups, NamesAreTheHeadersInFileOrderAlignedWithTheGroupIndex)
{
    // The printer tab's model box lists these names; a model's group index selects among them.
    const ModelList list = ModelList::FromText("RX-A100\n[ First ]\nRX-B200\n[Second]x\n[]\nRX-C300\n");
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"First", "Second", ""}));
    EXPECT_EQ(list.GetModelGroupIndex("RX-B200"), 1);
    EXPECT_EQ(list.GetModelGroupIndex("RX-C300"), 3);
    EXPECT_TRUE(ModelList(fs::path("/nonexistent/Modelname.dat")).GroupNames().empty());
}

TEST(ModelListGroups, UsesTheProgramFolderList)
{
    const TestProgramFolder program;
    EXPECT_EQ(GetModelGroupIndex(program, "RX-C3400"), 1);
    EXPECT_EQ(GetModelGroupIndex(program, "VDL-N4000+"), 2);
    EXPECT_EQ(GetModelGroupIndex(program, "vmf-x3300"), 3);
    EXPECT_EQ(GetModelGroupIndex(program, "RX-C9999"), -1);
}

TEST(ModelListFile, MissingEmptyAndBlankFiles)
{
    const TestProgramFolder program;
    EXPECT_TRUE(ModelListExists(program));

    program.writeModelList("");
    EXPECT_TRUE(ModelListExists(program));
    EXPECT_FALSE(IsModelListed(program, "RX-C3400"));
    EXPECT_EQ(GetModelGroupIndex(program, "RX-C3400"), -1);

    program.writeModelList("\r\n\n\r\n");
    EXPECT_TRUE(ModelList(program.file(kModelListFileName)).lines().empty());
    EXPECT_EQ(GetModelGroupIndex(program, "RX-C3400"), -1);

    program.removeModelList();
    EXPECT_FALSE(ModelListExists(program));
    EXPECT_FALSE(IsModelListed(program, "RX-C3400"));
    EXPECT_EQ(GetModelGroupIndex(program, "RX-C3400"), 0);
    EXPECT_EQ(GetModelGroupIndex(program, ""), -1);

    fs::create_directory(program.file(kModelListFileName));
    EXPECT_FALSE(ModelListExists(program));
}

TEST(ModelListFile, SplitsLinesOfEitherEndingAndSkipsEmptyOnes)
{
    const auto lines = ModelList::ParseLines("[Mono]\r\n\r\nrx-a1\n\nRX-B2\r\n[Broken\nlast]x");
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].upper, "[MONO]");
    EXPECT_TRUE(lines[0].header);
    EXPECT_EQ(lines[1].upper, "RX-A1");
    EXPECT_FALSE(lines[1].header);
    EXPECT_EQ(lines[2].upper, "RX-B2");
    EXPECT_FALSE(lines[3].header); // "[" without "]"
    EXPECT_FALSE(lines[4].header); // "]" without "["
    EXPECT_EQ(lines[4].upper, "LAST]X");

    // A line with both brackets anywhere is a header.
    EXPECT_TRUE(ModelList::ParseLines("a]b[c")[0].header);
}

TEST(ModelListFile, UpperCasingLeavesMultiByteTextIntact)
{
    EXPECT_EQ(ModelList::ToUpper("stra\xC3\x9F" "e rx-\xC3\xA9"), "STRA\xC3\x9F" "E RX-\xC3\xA9");
    const ModelList list = ModelList::FromText("Mod\xC3\xA8le-\xE2\x82\xAC 100\n");
    EXPECT_TRUE(list.IsModelListed("mod\xC3\xA8le-\xE2\x82\xAC 100"));
    EXPECT_FALSE(list.IsModelListed("MOD\xC3\x88LE"));
}

TEST(ModelListFile, AChangedFileIsReadAgain)
{
    const TestProgramFolder program("RX-AAAA\r\n");
    const fs::path file = program.file(kModelListFileName);
    EXPECT_TRUE(IsModelListed(program, "RX-AAAA"));

    // Same size, rewritten at once.
    program.writeModelList("RX-BBBB\r\n");
    EXPECT_TRUE(IsModelListed(program, "RX-BBBB"));
    EXPECT_FALSE(IsModelListed(program, "RX-AAAA"));

    // A file that has not changed for a while is taken from the cache until its time or size changes.
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(file, past);
    EXPECT_TRUE(IsModelListed(program, "RX-BBBB"));
    EXPECT_TRUE(IsModelListed(program, "RX-BBBB"));
    program.writeModelList("RX-CCCC\r\n");
    fs::last_write_time(file, past + std::chrono::seconds(5));
    EXPECT_TRUE(IsModelListed(program, "RX-CCCC"));
    program.writeModelList("RX-DDDDD\r\n");
    fs::last_write_time(file, past + std::chrono::seconds(5));
    EXPECT_TRUE(IsModelListed(program, "RX-DDDDD"));
    EXPECT_FALSE(IsModelListed(program, "RX-CCCC"));
}

// The shipped list gives every model a group of its own (the model box of the printer tab lists the
// group names), holding the model and its series name as reported by printers.
TEST(ModelListFile, ShippedListHasOneGroupPerModel)
{
    const ModelList list(fs::path(PELLORA_SOURCE_DIR) / "resources" / kModelListFileName);
    ASSERT_TRUE(list.opened());
    EXPECT_TRUE(list.IsModelListed("VARDO RX-C3400"));
    EXPECT_TRUE(list.IsModelListed("VDL-N4000+"));
    EXPECT_TRUE(list.IsModelListed("VARDO VDL-N4000+ Series"));
    EXPECT_EQ(list.GetModelGroupIndex("RX-C3400"), 2);
    EXPECT_EQ(list.GetModelGroupIndex("VDL-N4000+"), 10);
    int headers = 0;
    for (const auto& line : list.lines())
        headers += line.header ? 1 : 0;
    EXPECT_EQ(headers, 20);
}

} // namespace
} // namespace pellora
