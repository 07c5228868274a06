#include "core/util/Support.h"

#include "core/util/RunFolder.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <stdlib.h>
#include <thread>

namespace fs = std::filesystem;

namespace pellora {
namespace {

// A scratch folder of the test's own, independent of the routines under test.
class Scratch {
public:
    Scratch()
    {
        std::string pattern = (fs::path(::testing::TempDir()) / "pellora-support-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~Scratch()
    {
        std::error_code ec;
        for (const auto& entry : fs::recursive_directory_iterator(m_path, ec)) {
            if (!entry.is_symlink())
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
        fs::remove_all(m_path, ec);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

void writeText(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SupportWorkFolder, NameUsesAtMostSevenCharactersOfTheInternalName)
{
    EXPECT_EQ(WorkFolderName("Pellorix"), "_Pellori");
    EXPECT_EQ(WorkFolderName("Pellori"), "_Pellori");
    EXPECT_EQ(WorkFolderName("Abc"), "_Abc");
    EXPECT_EQ(WorkFolderName(""), "_");
    // Characters, not bytes: a multi-byte character is never cut.
    EXPECT_EQ(WorkFolderName("\xC3\x84" "bcdefgh"), "_\xC3\x84" "bcdef" "g");
    EXPECT_EQ(WorkFolderName("abcdef\xE2\x82\xACxyz"), "_abcdef\xE2\x82\xAC");
}

TEST(SupportWorkFolder, LiesInTheTempBaseAndExists)
{
    const fs::path work = GetWorkFolder();
    ASSERT_FALSE(work.empty());
    EXPECT_EQ(work.parent_path(), GetTempBase());
    EXPECT_EQ(work.filename().string(), WorkFolderName(GetOwnInternalName()));
    EXPECT_LE(work.filename().string().size(), 8u);
    EXPECT_TRUE(fs::is_directory(work));
    EXPECT_EQ(GetWorkFolder(), work);
}

TEST(SupportWorkFolder, RefusesANameTakenByALinkOrFile)
{
    const Scratch scratch;
    const Scratch elsewhere;
    fs::create_directory_symlink(elsewhere.path(), scratch.path() / "_Linked");
    EXPECT_TRUE(PrepareWorkFolder(scratch.path(), "Linked").empty());

    writeText(scratch.path() / "_Afile", "x");
    EXPECT_TRUE(PrepareWorkFolder(scratch.path(), "Afile").empty());

    const fs::path made = PrepareWorkFolder(scratch.path(), "Freshname");
    EXPECT_EQ(made, scratch.path() / "_Freshna");
    EXPECT_TRUE(fs::is_directory(made));
    EXPECT_EQ(fs::status(made).permissions() & (fs::perms::group_all | fs::perms::others_all), fs::perms::none);
    EXPECT_EQ(PrepareWorkFolder(scratch.path(), "Freshname"), made); // an existing own folder is reused
    EXPECT_TRUE(PrepareWorkFolder({}, "Any").empty());
}

TEST(SupportTempNames, FileNameIsFreeAndWellFormed)
{
    const fs::path name = MakeTempFileName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.parent_path(), GetRunFolder());
    EXPECT_EQ(GetRunFolder().parent_path(), GetWorkFolder());
    EXPECT_TRUE(std::regex_match(name.filename().string(), std::regex("KOVA[0-9A-F]{4}\\.dat")));
    EXPECT_FALSE(fs::exists(name));
}

TEST(SupportTempNames, FoldersMadeConcurrentlyAreDistinctAndEmpty)
{
    constexpr int kThreads = 4;
    constexpr int kPerThread = 40;
    std::vector<std::vector<fs::path>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&made, t] {
            for (int i = 0; i < kPerThread; ++i)
                made[t].push_back(MakeTempFolder());
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    std::set<fs::path> distinct;
    for (const auto& list : made) {
        for (const fs::path& folder : list) {
            ASSERT_FALSE(folder.empty());
            EXPECT_TRUE(std::regex_match(folder.filename().string(), std::regex("KOVA[0-9A-F]{4}")));
            EXPECT_TRUE(fs::is_directory(folder));
            EXPECT_TRUE(fs::is_empty(folder));
            distinct.insert(folder);
        }
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads * kPerThread));
    for (const fs::path& folder : distinct)
        fs::remove(folder);
}

TEST(SupportTempNames, ScopedObjectsRemoveWhatTheyHold)
{
    fs::path folder;
    fs::path file;
    {
        const ScopedTempFolder scoped;
        ASSERT_TRUE(scoped.valid());
        folder = scoped.path();
        writeText(folder / "sub" / "inner.txt", "data");
        fs::permissions(folder / "sub" / "inner.txt", fs::perms::owner_read);

        const ScopedTempFile temp;
        ASSERT_FALSE(temp.path().empty());
        file = temp.path();
        writeText(file, "data");
    }
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_FALSE(fs::exists(file));

    fs::path kept;
    {
        ScopedTempFile temp;
        kept = temp.path();
        writeText(kept, "keep");
        temp.release();
    }
    EXPECT_TRUE(fs::exists(kept));
    fs::remove(kept);
}

TEST(SupportCopyFolderTree, OverwritesSameNamesAndKeepsOtherTargetFiles)
{
    const Scratch scratch;
    const fs::path source = scratch.path() / "source";
    const fs::path target = scratch.path() / "target";
    writeText(source / "a.inf", "new a");
    writeText(source / "sub" / "deep" / "b.dll", "new b");
    writeText(target / "a.inf", "old a, longer than the new one");
    writeText(target / "keep.txt", "kept");
    writeText(target / "sub" / "keep2.txt", "kept too");
    writeText(target / "sub" / "deep" / "b.dll", "old b");
    fs::permissions(target / "sub" / "deep" / "b.dll", fs::perms::owner_read);

    ASSERT_TRUE(CopyFolderTree(source, target));
    EXPECT_EQ(readText(target / "a.inf"), "new a");
    EXPECT_EQ(readText(target / "sub" / "deep" / "b.dll"), "new b");
    EXPECT_EQ(readText(target / "keep.txt"), "kept");
    EXPECT_EQ(readText(target / "sub" / "keep2.txt"), "kept too");
    EXPECT_EQ(readText(source / "a.inf"), "new a");
}

TEST(SupportCopyFolderTree, CreatesTheTargetWithEmptyFolders)
{
    const Scratch scratch;
    const fs::path source = scratch.path() / "source";
    fs::create_directories(source / "empty");
    writeText(source / "x.txt", "x");
    const fs::path target = scratch.path() / "new" / "target";

    ASSERT_TRUE(CopyFolderTree(source, target));
    EXPECT_TRUE(fs::is_directory(target / "empty"));
    EXPECT_EQ(readText(target / "x.txt"), "x");
}

TEST(SupportCopyFolderTree, FailsCleanlyOnBadSourcesAndTargets)
{
    const Scratch scratch;
    const fs::path source = scratch.path() / "source";
    writeText(source / "x.txt", "x");

    EXPECT_FALSE(CopyFolderTree(scratch.path() / "missing", scratch.path() / "t1"));
    EXPECT_FALSE(CopyFolderTree(source / "x.txt", scratch.path() / "t2"));
    // Into its own subfolder: refused instead of copying without end.
    EXPECT_FALSE(CopyFolderTree(source, source / "inside"));
    // A file where the target folder should be.
    writeText(scratch.path() / "blocked", "file");
    EXPECT_FALSE(CopyFolderTree(source, scratch.path() / "blocked"));
    // A dangling link is a failed copy.
    fs::create_symlink(scratch.path() / "nowhere", source / "dangling");
    EXPECT_FALSE(CopyFolderTree(source, scratch.path() / "t3"));
}

TEST(SupportCopyFolderTree, FollowsLinksWithoutLoopingForever)
{
    const Scratch scratch;
    const fs::path source = scratch.path() / "source";
    writeText(scratch.path() / "outside.txt", "outside");
    writeText(source / "real.txt", "real");
    fs::create_symlink(scratch.path() / "outside.txt", source / "link.txt");
    fs::create_directory_symlink(source, source / "loop");

    EXPECT_FALSE(CopyFolderTree(source, scratch.path() / "target"));

    fs::remove(source / "loop");
    ASSERT_TRUE(CopyFolderTree(source, scratch.path() / "target2"));
    EXPECT_EQ(readText(scratch.path() / "target2" / "link.txt"), "outside");
    EXPECT_FALSE(fs::is_symlink(scratch.path() / "target2" / "link.txt"));
}

TEST(SupportDeleteFolderTree, RemovesReadOnlyContentButNeverFollowsLinksOut)
{
    const Scratch scratch;
    const fs::path outsideFile = scratch.path() / "outside.txt";
    const fs::path outsideFolder = scratch.path() / "outside";
    writeText(outsideFile, "precious");
    writeText(outsideFolder / "inner.txt", "precious too");

    const fs::path tree = scratch.path() / "tree";
    writeText(tree / "ro.txt", "r");
    writeText(tree / "sub" / "ro2.txt", "r");
    fs::permissions(tree / "ro.txt", fs::perms::owner_read);
    fs::permissions(tree / "sub" / "ro2.txt", fs::perms::owner_read);
    fs::permissions(tree / "sub", fs::perms::owner_read | fs::perms::owner_exec);
    fs::create_symlink(outsideFile, tree / "file-link");
    fs::create_directory_symlink(outsideFolder, tree / "folder-link");
    fs::create_symlink(scratch.path() / "nowhere", tree / "dangling");

    DeleteFolderTree(tree);
    EXPECT_FALSE(fs::exists(fs::symlink_status(tree)));
    EXPECT_EQ(readText(outsideFile), "precious");
    EXPECT_EQ(readText(outsideFolder / "inner.txt"), "precious too");
}

TEST(SupportDeleteFolderTree, ALinkGivenAsTheFolderGoesAloneAndMissingFoldersAreIgnored)
{
    const Scratch scratch;
    writeText(scratch.path() / "target" / "file.txt", "stays");
    fs::create_directory_symlink(scratch.path() / "target", scratch.path() / "link");

    DeleteFolderTree(scratch.path() / "link");
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch.path() / "link")));
    EXPECT_EQ(readText(scratch.path() / "target" / "file.txt"), "stays");

    DeleteFolderTree(scratch.path() / "missing");
    DeleteFolderTree({});
    EXPECT_TRUE(fs::exists(scratch.path() / "target"));
}

TEST(SupportListSubfolders, ListsOnlyFoldersAndClearsTheList)
{
    const Scratch scratch;
    fs::create_directories(scratch.path() / "one");
    fs::create_directories(scratch.path() / "two" / "nested");
    writeText(scratch.path() / "file.txt", "x");

    std::vector<std::string> names { "stale" };
    EXPECT_EQ(ListSubfolders(scratch.path(), names), 2u);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "one", "two" }));

    EXPECT_EQ(ListSubfolders(scratch.path() / "missing", names), 0u);
    EXPECT_TRUE(names.empty());
}

TEST(SupportLastPathComponent, AcceptsBothSeparators)
{
    EXPECT_EQ(LastPathComponent("C:\\Drivers\\x64\\prnvd.inf"), "prnvd.inf");
    EXPECT_EQ(LastPathComponent("/opt/drivers/prnvd.inf"), "prnvd.inf");
    EXPECT_EQ(LastPathComponent("mixed/path\\name.exe"), "name.exe");
    EXPECT_EQ(LastPathComponent("bare.exe"), "bare.exe");
    EXPECT_EQ(LastPathComponent("ends\\"), "");
    EXPECT_EQ(LastPathComponent(""), "");
}

} // namespace
} // namespace pellora
