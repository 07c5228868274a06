#include "core/script/UtilityFolderIndex.h"

#include "core/util/Support.h"
#include "support/FileTreeSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace pellora {
namespace {

// Trying each folder in turn, as the script's rule reads.
const std::string* folderByTrying(const std::vector<std::string>& folders, const std::string& rest)
{
    for (const std::string& folder : folders) {
        std::error_code error;
        const std::string joined = folder + rest;
        if (!joined.empty() && fs::exists(fs::path(joined), error))
            return &folder;
    }
    return nullptr;
}

TEST(UtilityFolderIndex, AnswersAsTryingEveryFolderInTurn)
{
    const ScopedTempFolder temp;
    ASSERT_TRUE(temp.valid());
    const std::string root = temp.path().string();
    test::WriteFileBytes(temp.path() / "a" / "Tool" / "setup.exe", "a");
    test::WriteFileBytes(temp.path() / "b" / "Tool" / "readme.txt", "b");
    test::WriteFileBytes(temp.path() / "b" / "Tool" / "setup.exe", "b");
    test::WriteFileBytes(temp.path() / "b" / "ToolX" / "setup.exe", "b");
    test::WriteFileBytes(temp.path() / "utilsPlus" / "go.exe", "stem");
    test::WriteFileBytes(temp.path() / "plain.txt", "a file, not a folder");
    fs::create_directory_symlink(temp.path() / "b", temp.path() / "b-link");
    fs::create_symlink(temp.path() / "nowhere", temp.path() / "a" / "dangling");

    const std::vector<std::string> folders{
        root + "/missing/",    root + "/plain.txt/", root + "/a/",        root + "/b-link/",
        root + "/./b/",        root + "/b//",        root + "/b/Tool",    root + "/utils",
        root + "/a",           "",                    root + "/b/",       root + std::string("/a/\0x", 5),
        "",                    root + std::string("/\0z", 3),
    };
    const std::vector<std::string> rests{
        "Tool/setup.exe", "Tool/readme.txt", "X/setup.exe", "Plus/go.exe", "/Tool/setup.exe", "//Tool/readme.txt",
        "",               "/",               "dangling",    "Tool",        "missing.exe",      "Tool/setup.exe/",
        "/b/Tool",        root + "/a",       "../a/Tool/setup.exe", std::string("Tool/readme.txt\0more", 20),
    };
    const UtilityFolderIndex index(folders);
    for (const std::string& rest : rests) {
        SCOPED_TRACE("rest \"" + rest + "\"");
        EXPECT_EQ(index.Find(rest), folderByTrying(folders, rest));
    }
    // Spot checks that the cases above reach past the first folder that lists a name.
    EXPECT_EQ(index.Find("Tool/readme.txt"), &folders[3]);
    EXPECT_EQ(index.Find("X/setup.exe"), &folders[6]);
    EXPECT_EQ(index.Find("Plus/go.exe"), &folders[7]);
}

} // namespace
} // namespace pellora
