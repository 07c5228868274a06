#include "ui/frame/RecentFileList.h"

#include "core/platform/UserSettings.h"
#include "core/util/Support.h"

#include <gtest/gtest.h>

#include <string>

namespace fs = std::filesystem;

namespace pellora::ui {
namespace {

TEST(RecentFileListTest, NewestFirstWithoutRepeatsAndAtMostSixteen)
{
    RecentFileList list;
    for (int i = 1; i <= 18; ++i)
        list.Add("/projects/p" + std::to_string(i) + ".qst");
    ASSERT_EQ(list.size(), 16u);
    EXPECT_EQ(list.entries().front(), fs::path("/projects/p18.qst"));
    EXPECT_EQ(list.entries().back(), fs::path("/projects/p3.qst"));

    list.Add("/projects/./sub/../p10.qst"); // the same file, written another way
    EXPECT_EQ(list.size(), 16u);
    EXPECT_EQ(list.entries().front(), fs::path("/projects/p10.qst"));
    EXPECT_EQ(list.entries()[1], fs::path("/projects/p18.qst"));

    list.Remove(0);
    list.Remove(99);
    EXPECT_EQ(list.entries().front(), fs::path("/projects/p18.qst"));
    EXPECT_EQ(list.size(), 15u);
}

TEST(RecentFileListTest, SavedEntriesReadBackAndRemovedOnesLeaveTheFile)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    UserSettings settings(folder.path() / "Pellora.ini");

    RecentFileList list;
    list.Add("/a/one.qst");
    list.Add("/a/two.exe");
    list.Add("/a/three.qsm");
    ASSERT_TRUE(list.Save(settings));

    RecentFileList read;
    read.Load(settings);
    ASSERT_EQ(read.entries(), list.entries());
    EXPECT_EQ(settings.GetSectionString(RecentFileList::kSection, "File1"), "/a/three.qsm");

    list.Remove(0);
    list.Remove(0);
    ASSERT_TRUE(list.Save(settings));
    EXPECT_EQ(settings.GetSectionString(RecentFileList::kSection, "File1"), "/a/one.qst");
    EXPECT_EQ(settings.GetSectionString(RecentFileList::kSection, "File2", "gone"), "gone");
}

TEST(RecentFileListTest, EmptyAndRepeatedStoredEntriesAreSkipped)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    UserSettings settings(folder.path() / "Pellora.ini");
    settings.SetSectionString(RecentFileList::kSection, "File1", "/x/a.qst");
    settings.SetSectionString(RecentFileList::kSection, "File2", "");
    settings.SetSectionString(RecentFileList::kSection, "File3", "/x/a.qst");
    settings.SetSectionString(RecentFileList::kSection, "File4", "/x/b.qst");
    settings.SetSectionString(RecentFileList::kSection, "File17", "/x/c.qst");

    RecentFileList list;
    list.Load(settings);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list.entries()[1], fs::path("/x/b.qst"));
}

} // namespace
} // namespace pellora::ui
