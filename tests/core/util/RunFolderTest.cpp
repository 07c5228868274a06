#include "core/util/RunFolder.h"

#include "core/util/Support.h"
#include "support/FileTreeSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pellora {
namespace {

TEST(RunFolder, OnlyTheFoldersOfRunsThatNoLongerLiveAreRemoved)
{
    const ScopedTempFolder work;
    ASSERT_TRUE(work.valid());
    RunFolder living(work.path());
    ASSERT_FALSE(living.path().empty());
    EXPECT_EQ(living.path().parent_path(), work.path());
    EXPECT_TRUE(fs::exists(living.path() / RunFolder::kLockName));
    test::WriteFileBytes(living.path() / "KOVA0001" / "staged.txt", "in use");

    fs::path left;
    {
        RunFolder killed(work.path());
        left = killed.path();
        test::WriteFileBytes(left / "KOVA0002" / "deep" / "file.txt", "left behind");
        killed.Abandon();
    }
    ASSERT_TRUE(fs::exists(left));
    test::WriteFileBytes(work.path() / "run.1.1" / "file.txt", "a run folder whose lock is gone");
    test::WriteFileBytes(work.path() / "KOVA0003" / "file.txt", "not a run folder");

    EXPECT_EQ(RunFolder::RemoveAbandoned(work.path()), 2u);
    EXPECT_FALSE(fs::exists(left));
    EXPECT_FALSE(fs::exists(work.path() / "run.1.1"));
    EXPECT_EQ(test::ReadFileBytes(living.path() / "KOVA0001" / "staged.txt"), "in use");
    EXPECT_TRUE(fs::exists(work.path() / "KOVA0003"));
    EXPECT_EQ(RunFolder::RemoveAbandoned(work.path()), 0u);
}

TEST(RunFolder, AKilledProcessLeavesAFolderTheNextStartRemoves)
{
    const ScopedTempFolder work;
    ASSERT_TRUE(work.valid());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const RunFolder folder(work.path());
        const char made = folder.path().empty() ? '0' : '1';
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &made, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char made = 0;
    ASSERT_EQ(::read(ready[0], &made, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(made, '1');

    EXPECT_EQ(RunFolder::RemoveAbandoned(work.path()), 0u) << "the child still runs";
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(test::FolderNames(work.path()).size(), 1u);
    EXPECT_EQ(RunFolder::RemoveAbandoned(work.path()), 1u);
    EXPECT_TRUE(fs::is_empty(work.path()));
}

TEST(RunFolder, TheProcessFolderHoldsItsTemporaryPlacesAndIsNeverTakenForAbandoned)
{
    const fs::path run = GetRunFolder();
    ASSERT_FALSE(run.empty());
    EXPECT_EQ(run.parent_path(), GetWorkFolder());
    EXPECT_EQ(MakeTempFileName().parent_path(), run);
    EXPECT_EQ(RunFolder::RemoveAbandoned(GetWorkFolder()), 0u);
    EXPECT_EQ(GetRunFolder(), run);
}

} // namespace
} // namespace pellora
