#include "core/package/RuntimeFileSet.h"

#include "core/discovery/ModelList.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::TestProgramFolder;

std::vector<std::string> fixedNames()
{
    return std::vector<std::string>(kFixedRuntimeFiles.begin(), kFixedRuntimeFiles.end());
}

void writeFixedFiles(const TestProgramFolder& program)
{
    for (const std::string_view name : kFixedRuntimeFiles) {
        if (name != kModelListFileName)
            program.writeFile(name, "content of " + std::string(name));
    }
}

TEST(RuntimeFileSet, FixedFilesInTableOrderThenTheMatchingOptionalFiles)
{
    const TestProgramFolder program;
    writeFixedFiles(program);
    program.writeFile("TSPb.exe", "b");
    program.writeFile("TSP1.exe", "1");

    RuntimeFileSet set;
    EXPECT_TRUE(set.LoadRuntimeFileList(program.path()));
    EXPECT_EQ(set.folder(), program.path());
    std::vector<std::string> expected = fixedNames();
    expected.push_back("TSP1.exe");
    expected.push_back("TSPb.exe");
    EXPECT_EQ(set.names(), expected);
    ASSERT_EQ(set.paths().size(), 14u);
    EXPECT_EQ(set.paths().front(), program.path() / "CVSetUp.exe");
}

TEST(RuntimeFileSet, OnlyOneCharacterInPlaceOfTheWildcardAndNoFolders)
{
    const TestProgramFolder program;
    writeFixedFiles(program);
    program.writeFile("TSP7.exe", "");
    program.writeFile("TSP\xC3\xA9.exe", ""); // one character of two bytes
    program.writeFile("TSP12.exe", "");
    program.writeFile("TSP.exe", "");
    program.writeFile("TSP3.exe.bak", "");
    program.writeFile("XTSP4.exe", "");
    program.writeFile("tsp5.exe", "");
    fs::create_directory(program.file("TSP9.exe"));

    RuntimeFileSet set;
    EXPECT_TRUE(set.LoadRuntimeFileList(program.path()));
    ASSERT_EQ(set.names().size(), 14u);
    EXPECT_EQ(set.names()[12], "TSP7.exe");
    EXPECT_EQ(set.names()[13], "TSP\xC3\xA9.exe");
}

TEST(RuntimeFileSet, MissingFixedFilesAreLeftOutAndReported)
{
    const TestProgramFolder program;
    writeFixedFiles(program);
    fs::remove(program.file("VDSTHK16.dll"));
    fs::remove(program.file("VDSTHK32.dll"));
    fs::create_directory(program.file("VDSTHK32.dll")); // a folder is not the file
    program.writeFile("TSPx.exe", "");

    RuntimeFileSet set;
    EXPECT_FALSE(set.LoadRuntimeFileList(program.path()));
    std::vector<std::string> expected;
    for (const std::string& name : fixedNames()) {
        if (name != "VDSTHK16.dll" && name != "VDSTHK32.dll")
            expected.push_back(name);
    }
    expected.push_back("TSPx.exe");
    EXPECT_EQ(set.names(), expected);

    RuntimeFileSet empty;
    EXPECT_FALSE(empty.LoadRuntimeFileList(program.path() / "missing"));
    EXPECT_TRUE(empty.names().empty());
}

TEST(RuntimeFileSet, TheListDoesNotFollowLaterChangesOfTheFolder)
{
    const TestProgramFolder program;
    writeFixedFiles(program);
    RuntimeFileSet set;
    ASSERT_TRUE(set.LoadRuntimeFileList(program.path()));
    const std::vector<std::string> before = set.names();

    fs::remove(program.file("CVSetUp.exe"));
    program.writeFile("TSP2.exe", "");
    EXPECT_EQ(set.names(), before);
}

TEST(RuntimeFileSet, LoadingAgainReplacesTheList)
{
    const TestProgramFolder first;
    writeFixedFiles(first);
    first.writeFile("TSPa.exe", "");
    RuntimeFileSet set;
    ASSERT_TRUE(set.LoadRuntimeFileList(first.path()));

    const TestProgramFolder second;
    EXPECT_FALSE(set.LoadRuntimeFileList(second.path()));
    EXPECT_EQ(set.folder(), second.path());
    EXPECT_EQ(set.names(), std::vector<std::string> { "Modelname.dat" });
}

} // namespace
} // namespace pellora
