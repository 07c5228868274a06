// Saving a file: the old file or the whole new one, whatever happens to the process that saves.

#include "core/platform/AtomicFile.h"

#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pellora::platform {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Names(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class AtomicFileTest : public ::testing::Test {
protected:
    fs::path target() const { return folder.path() / "site.qst"; }

    test::TestProgramFolder folder{""};
};

TEST_F(AtomicFileTest, ReplacesTheFileKeepingItsPermissionsAndWritesThroughALink)
{
    folder.writeFile("site.qst", "old");
    ::chmod(target().c_str(), 0640);
    ASSERT_TRUE(SaveFileContents(target(), "new").ok());
    EXPECT_EQ(ReadBytes(target()), "new");
    struct stat info {};
    ASSERT_EQ(::stat(target().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);

    // A link to the project: the link stays, the file it names gets the content.
    const fs::path link = folder.path() / "current.qst";
    fs::create_symlink("site.qst", link);
    ASSERT_TRUE(SaveFileContents(link, "through the link").ok());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(target()), "through the link");

    // Extraction replaces a link that stands at the name instead of writing through it.
    ASSERT_TRUE(SaveFileContents(link, "replaced", {.followTargetLink = false}).ok());
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(link), "replaced");
    EXPECT_EQ(ReadBytes(target()), "through the link");

    // Links planted at the names earlier versions used beside the file are neither followed nor touched.
    const fs::path elsewhere = folder.path() / "elsewhere";
    folder.writeFile("elsewhere", "untouched");
    for (const char* planted : {"site.qst.writing", "site.qst.part", "site.qst.writing.part"})
        fs::create_symlink(elsewhere, folder.path() / planted);
    ASSERT_TRUE(SaveFileContents(target(), "safe").ok());
    EXPECT_EQ(ReadBytes(elsewhere), "untouched");
    EXPECT_FALSE(fs::is_symlink(target()));
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"Modelname.dat", "current.qst", "elsewhere", "site.qst",
                                                              "site.qst.part", "site.qst.writing", "site.qst.writing.part"}));
}

TEST_F(AtomicFileTest, AFailureOrAnAbandonedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    folder.writeFile("site.qst", "old");
    {
        AtomicFileWriter writer(target());
        ASSERT_TRUE(writer.Write("half of the new"));
        // The writer goes without committing.
    }
    EXPECT_EQ(ReadBytes(target()), "old");
    {
        AtomicFileWriter writer(target());
        writer.Write("content that did not verify");
        writer.Fail(Status::Failure("verification failed"));
        EXPECT_FALSE(writer.Commit().ok());
    }
    EXPECT_EQ(ReadBytes(target()), "old");
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"Modelname.dat", "site.qst"}));

    // A folder at the name, or no folder to write into: a clear failure.
    fs::create_directory(folder.path() / "folder.qst");
    EXPECT_FALSE(SaveFileContents(folder.path() / "folder.qst", "x").ok());
    const Status missing = SaveFileContents(folder.path() / "missing" / "a.qst", "x");
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.systemError(), ENOENT);
}

TEST_F(AtomicFileTest, AProcessKilledBeforeTheRenameLeavesTheOldFileWholeAndItsLeftoverGoesNextTime)
{
    const std::string old(256 * 1024, 'o');
    folder.writeFile("site.qst", old);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicFileWriter writer(target());
        writer.Write(std::string(512 * 1024, 'n'));
        const char done = 1;
        (void)::write(ready[1], &done, 1);
        ::pause();
        ::_exit(0);
    }
    char done = 0;
    ASSERT_EQ(::read(ready[0], &done, 1), 1);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    ::close(ready[1]);

    EXPECT_EQ(ReadBytes(target()), old);
    // The dead process's half-written file is left; the next save of the same file removes it.
    EXPECT_EQ(Names(folder.path()).size(), 3u);
    ASSERT_TRUE(SaveFileContents(target(), "new").ok());
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"Modelname.dat", "site.qst"}));
}

TEST_F(AtomicFileTest, ProcessesSavingTheSameFileAtOnceNeverShareATemporaryFile)
{
    constexpr int kProcesses = 4;
    constexpr int kSaves = 50;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < kSaves; ++i) {
                const std::string content = "process " + std::to_string(p) + " save " + std::to_string(i) + "\n" +
                                            std::string(4096, static_cast<char>('a' + p));
                failures += SaveFileContents(target(), content).ok() ? 0 : 1;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed in process " << child;
    }
    // The file is one whole save, and nothing else is left beside it.
    const std::string final = ReadBytes(target());
    ASSERT_EQ(final.size(), final.find('\n') + 1 + 4096);
    EXPECT_EQ(final.back(), final[final.size() - 4096]);
    EXPECT_EQ(Names(folder.path()), (std::vector<std::string>{"Modelname.dat", "site.qst"}));
}

TEST(AtomicFileNames, OnlyTheSavesOwnNamesCountAsItsLeftovers)
{
    EXPECT_EQ(AtomicFileWriter::TemporaryNameOwner(AtomicFileWriter::TemporaryName("a.qst", 4242, 7), "a.qst"), 4242);
    EXPECT_EQ(AtomicFileWriter::TemporaryNameOwner(".a.qst.4242-7.part", "b.qst"), 0);
    for (const char* other : {"a.qst", ".a.qst.part", ".a.qst.x-1.part", ".a.qst.12-.part", ".a.qst.-3.part",
                              ".a.qst.12-3x.part", ".a.qst.12-3.parts", ".a.qstx12-3.part"})
        EXPECT_EQ(AtomicFileWriter::TemporaryNameOwner(other, "a.qst"), 0) << other;
    // A very long name still gives a temporary name the file system takes.
    const std::string longName(250, 'n');
    EXPECT_LE(AtomicFileWriter::TemporaryName(longName, 4194304, 99999999).size(), 255u);
    EXPECT_EQ(AtomicFileWriter::TemporaryNameOwner(AtomicFileWriter::TemporaryName(longName, 99, 1), longName), 99);
}

} // namespace
} // namespace pellora::platform
