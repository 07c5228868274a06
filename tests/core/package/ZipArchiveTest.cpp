#include "core/package/ZipArchive.h"

#include "core/util/Support.h"
#include "support/FileTreeSupport.h"
#include "support/RawZip.h"
#include "support/StringTableFixture.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::StringTableFixture;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator());
    return bytes;
}

// Every file below folder, by path relative to it, with its content.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).generic_string()] = readFile(entry.path());
    }
    return files;
}

struct ArchiveEntry {
    std::string name;
    std::int32_t method = 0;
};

std::vector<ArchiveEntry> listArchive(const fs::path& archive)
{
    std::vector<ArchiveEntry> entries;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    if (!zip)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat);
        entries.push_back({stat.name, stat.comp_method});
    }
    zip_discard(zip);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

class ZipArchiveTest : public ::testing::Test {
protected:
    // Work happens inside "sandbox"; extraction goes to sandbox/target, so anything written outside the
    // target is seen in the sandbox.
    fs::path sandbox() const { return m_temp.path() / "sandbox"; }
    fs::path target() const { return sandbox() / "target"; }
    fs::path source() const { return m_temp.path() / "source"; }

    void SetUp() override
    {
        ASSERT_TRUE(m_temp.valid());
        fs::create_directories(sandbox());
        fs::create_directories(source());
    }

    bool extract(const fs::path& archive, std::uint64_t limit = CZipArchive::kDefaultSizeLimit)
    {
        CZipArchive zip;
        zip.SetArchiveName(archive);
        zip.SetExtractionFolder(target());
        zip.SetSizeLimit(limit);
        const bool ok = zip.Extract();
        m_lastError = zip.status().text();
        return ok;
    }

    // Names directly inside the sandbox apart from the target folder and the archive.
    std::vector<std::string> strayEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(sandbox())) {
            const std::string name = entry.path().filename().string();
            if (name != "target" && name != "archive.zip")
                names.push_back(name);
        }
        return names;
    }

    ScopedTempFolder m_temp;
    std::string m_lastError;
};

TEST_F(ZipArchiveTest, RoundTripKeepsFolderNamesHiddenFilesAndBytes)
{
    const fs::path driver = source() / "stage" / "DRIVER_000";
    writeFile(driver / "000" / "sub" / "deep" / "data.bin", randomBytes(300000, 1));
    writeFile(driver / "000" / ".hidden", "hidden content");
    writeFile(driver / "000" / "empty.txt", "");
    writeFile(driver / "photo.JPG", randomBytes(5000, 2));
    writeFile(driver / "readme.txt", std::string(100000, 'a'));
    fs::create_directories(driver / "nothing" / "inside");
    const fs::path settingEmpty = source() / "stage" / "SETTING";
    fs::create_directories(settingEmpty);
    writeFile(source() / "elsewhere" / "Project.qst", "[SOFTWARE]\r\nVER=2.02\r\n");

    const fs::path archive = sandbox() / "archive.zip";
    CZipArchive zip;
    zip.SetArchiveName(archive);
    zip.AddFiles({source() / "elsewhere" / "Project.qst", driver.string() + "/", settingEmpty});
    ASSERT_TRUE(zip.Create()) << zip.status().text();

    const std::vector<ArchiveEntry> entries = listArchive(archive);
    std::vector<std::string> names;
    for (const ArchiveEntry& entry : entries)
        names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"DRIVER_000/000/.hidden", "DRIVER_000/000/empty.txt",
                                               "DRIVER_000/000/sub/deep/data.bin", "DRIVER_000/photo.JPG",
                                               "DRIVER_000/readme.txt", "Project.qst"}));
    for (const ArchiveEntry& entry : entries) {
        if (entry.name == "DRIVER_000/photo.JPG") {
            EXPECT_EQ(entry.method, ZIP_CM_STORE);
        } else if (entry.name == "DRIVER_000/readme.txt") {
            EXPECT_EQ(entry.method, ZIP_CM_DEFLATE);
        }
    }

    ASSERT_TRUE(extract(archive)) << m_lastError;
    std::map<std::string, std::string> expected;
    for (const auto& [name, bytes] : snapshot(driver))
        expected["DRIVER_000/" + name] = bytes;
    expected["Project.qst"] = readFile(source() / "elsewhere" / "Project.qst");
    EXPECT_EQ(snapshot(target()), expected);
    EXPECT_FALSE(fs::exists(target() / "SETTING"));
}

TEST_F(ZipArchiveTest, FileListDropsPathsThatDifferOnlyInCase)
{
    CZipArchive zip;
    zip.AddFiles({"/x/Driver.INF", "/x/driver.inf", "/x/other.inf"});
    zip.AddFile("/X/DRIVER.inf");
    EXPECT_EQ(zip.GetFiles(), (std::vector<fs::path>{"/x/Driver.INF", "/x/other.inf"}));
}

TEST_F(ZipArchiveTest, CreateFailsWithoutNameFilesOrReadableInputAndLeavesNoArchive)
{
    writeFile(source() / "a.txt", "a");
    const fs::path archive = sandbox() / "archive.zip";

    CZipArchive noName;
    noName.AddFile(source() / "a.txt");
    EXPECT_FALSE(noName.Create());

    CZipArchive noFiles;
    noFiles.SetArchiveName(archive);
    EXPECT_FALSE(noFiles.Create());

    CZipArchive missing;
    missing.SetArchiveName(archive);
    missing.AddFiles({source() / "a.txt", source() / "missing.txt"});
    EXPECT_FALSE(missing.Create());
    EXPECT_NE(missing.status().text().find("missing.txt"), std::string::npos);

    // Two files that would share one name at the archive root.
    writeFile(source() / "one" / "same.txt", "1");
    writeFile(source() / "two" / "same.txt", "2");
    CZipArchive clash;
    clash.SetArchiveName(archive);
    clash.AddFiles({source() / "one" / "same.txt", source() / "two" / "same.txt"});
    EXPECT_FALSE(clash.Create());

    EXPECT_TRUE(fs::is_empty(sandbox()));
}

TEST_F(ZipArchiveTest, CancelledCreateLeavesNoArchiveAndKeepsAnOldOne)
{
    for (int i = 0; i < 5; ++i)
        writeFile(source() / "tree" / ("f" + std::to_string(i)), randomBytes(10000, static_cast<unsigned>(i)));
    writeFile(source() / "tree" / "empty", "");
    const fs::path archive = sandbox() / "archive.zip";

    std::vector<ZipProgress> reports;
    CZipArchive zip;
    zip.SetArchiveName(archive);
    zip.AddFile(source() / "tree");
    zip.SetProgressCallback([&reports](const ZipProgress& progress) {
        reports.push_back(progress);
        return true;
    });
    ASSERT_TRUE(zip.Create()) << zip.status().text();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().filesDone, 6u);
    EXPECT_EQ(reports.back().filesTotal, 6u);
    EXPECT_EQ(reports.back().bytesDone, 50000u);
    EXPECT_EQ(reports.back().bytesTotal, 50000u);
    const std::string complete = readFile(archive);

    writeFile(source() / "tree" / "f9", "more");
    zip.SetProgressCallback([](const ZipProgress& progress) { return progress.filesDone < 2; });
    EXPECT_FALSE(zip.Create());
    EXPECT_EQ(readFile(archive), complete);
    EXPECT_EQ(strayEntries(), std::vector<std::string>{});

    fs::remove(archive);
    EXPECT_FALSE(zip.Create());
    EXPECT_FALSE(fs::exists(archive));
    EXPECT_TRUE(fs::is_empty(sandbox()));
}

TEST_F(ZipArchiveTest, FoldersWithoutFilesGiveAnEmptyButValidArchive)
{
    fs::create_directories(source() / "empty" / "deeper");
    const fs::path archive = sandbox() / "archive.zip";
    CZipArchive zip;
    zip.SetArchiveName(archive);
    zip.AddFile(source() / "empty");
    ASSERT_TRUE(zip.Create()) << zip.status().text();
    EXPECT_TRUE(listArchive(archive).empty());
    EXPECT_TRUE(extract(archive)) << m_lastError;
    EXPECT_TRUE(fs::is_empty(target()));
}

TEST_F(ZipArchiveTest, ExtractOverwritesExistingFilesAndReplacesLinksWithoutFollowingThem)
{
    const fs::path archive = sandbox() / "archive.zip";
    StringTableFixture::WriteZip(archive, {{"readonly.txt", "new"}, {"linked.txt", "new"}});
    writeFile(target() / "readonly.txt", "old");
    fs::permissions(target() / "readonly.txt", fs::perms::owner_read);
    writeFile(sandbox() / "outside.txt", "untouched");
    fs::create_symlink(sandbox() / "outside.txt", target() / "linked.txt");

    ASSERT_TRUE(extract(archive)) << m_lastError;
    EXPECT_EQ(readFile(target() / "readonly.txt"), "new");
    EXPECT_FALSE(fs::is_symlink(target() / "linked.txt"));
    EXPECT_EQ(readFile(target() / "linked.txt"), "new");
    EXPECT_EQ(readFile(sandbox() / "outside.txt"), "untouched");
}

TEST_F(ZipArchiveTest, ExtractNeverEntersALinkedFolderInsideTheTarget)
{
    const fs::path archive = sandbox() / "archive.zip";
    StringTableFixture::WriteZip(archive, {{"escape/x.txt", "x"}});
    fs::create_directories(sandbox() / "elsewhere");
    fs::create_directories(target());
    fs::create_directory_symlink(sandbox() / "elsewhere", target() / "escape");

    EXPECT_FALSE(extract(archive));
    EXPECT_NE(m_lastError.find("link"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(sandbox() / "elsewhere"));
}

TEST_F(ZipArchiveTest, HostileEntryNamesRefuseTheWholeArchive)
{
    const std::vector<std::string> hostile = {"/abs.txt",      "../x",   "a\\..\\..\\x", "C:x",
                                              "sub/../../x",   "\\\\server\\share\\x", "a/..\\..\\x",
                                              "sub/" + std::string(256, 'n'), "first.txt/inside"};
    for (const std::string& name : hostile) {
        SCOPED_TRACE(name);
        const fs::path archive = sandbox() / "archive.zip";
        StringTableFixture::WriteZip(archive, {{"first.txt", "harmless"}, {name, "payload"}});
        EXPECT_FALSE(extract(archive));
        EXPECT_FALSE(m_lastError.empty());
        EXPECT_FALSE(fs::exists(target()));
        EXPECT_EQ(strayEntries(), std::vector<std::string>{});
        fs::remove(archive);
    }
}

TEST_F(ZipArchiveTest, LinkEntriesAreRefused)
{
    const fs::path archive = sandbox() / "archive.zip";
    {
        int error = 0;
        zip_t* zip = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        ASSERT_NE(zip, nullptr);
        static const char target[] = "../outside";
        zip_source_t* source = zip_source_buffer(zip, target, sizeof target - 1, 0);
        const zip_int64_t index = zip_file_add(zip, "link", source, 0);
        ASSERT_GE(index, 0);
        zip_file_set_external_attributes(zip, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                         static_cast<zip_uint32_t>(S_IFLNK | 0777) << 16);
        ASSERT_EQ(zip_close(zip), 0);
    }
    EXPECT_FALSE(extract(archive));
    EXPECT_NE(m_lastError.find("link"), std::string::npos);
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(ZipArchiveTest, ArchivesBeyondTheSizeLimitAreRefused)
{
    const fs::path archive = sandbox() / "archive.zip";
    StringTableFixture::WriteZip(archive, {{"small.txt", "small"}, {"noise.bin", randomBytes(4 << 20, 3)}});
    EXPECT_FALSE(extract(archive, 1 << 20));
    EXPECT_FALSE(fs::exists(target()));
    EXPECT_TRUE(extract(archive, 8 << 20)) << m_lastError;
}

TEST_F(ZipArchiveTest, RealSizeCountsWhenTheDeclaredSizeLies)
{
    const fs::path archive = sandbox() / "archive.zip";
    StringTableFixture::WriteZip(archive, {{"zeros.bin", std::string(4 << 20, '\0')}});
    // Claim 100 bytes in both the local and the central header.
    std::string bytes = readFile(archive);
    const auto patch = [&bytes](std::string_view signature, std::size_t sizeOffset) {
        const auto at = bytes.find(signature);
        ASSERT_NE(at, std::string::npos);
        const char small[4] = {100, 0, 0, 0};
        std::copy(small, small + 4, bytes.begin() + static_cast<std::ptrdiff_t>(at + sizeOffset));
    };
    patch("PK\x03\x04", 22);
    patch("PK\x01\x02", 24);
    writeFile(archive, bytes);

    // Refused at the declared size, and the folder the extraction made is gone again.
    EXPECT_FALSE(extract(archive, 1 << 20));
    EXPECT_NE(m_lastError.find("declared 100 bytes"), std::string::npos) << m_lastError;
    EXPECT_FALSE(fs::exists(target()));
    EXPECT_EQ(strayEntries(), std::vector<std::string>{});
}

TEST_F(ZipArchiveTest, HonestBombsBeyondTheRatioAreRefusedBeforeAnythingIsWritten)
{
    const fs::path archive = sandbox() / "archive.zip";
    StringTableFixture::WriteZip(archive, {{"zeros.bin", std::string(4 << 20, '\0')}});
    EXPECT_FALSE(extract(archive));
    EXPECT_NE(m_lastError.find("times its own size"), std::string::npos) << m_lastError;
    EXPECT_FALSE(fs::exists(target()));

    CZipArchive unlimited;
    unlimited.SetArchiveName(archive);
    unlimited.SetExtractionFolder(target());
    unlimited.SetRatioLimit(0);
    EXPECT_TRUE(unlimited.Extract()) << unlimited.status().text();
}

TEST_F(ZipArchiveTest, AFailedExtractionPutsBackWhatItReplacedAndRemovesWhatItMade)
{
    writeFile(target() / "existing.txt", "the user's own");
    writeFile(target() / "old" / "kept.txt", "kept");
    fs::create_symlink("existing.txt", target() / "link.txt");
    const fs::path archive = sandbox() / "archive.zip";
    writeFile(archive, test::RawZip({
                           {.name = "existing.txt", .data = "replaced"},
                           {.name = "link.txt", .data = "replaced"},
                           {.name = "old/new.txt", .data = "new"},
                           {.name = "made/deep/er/file.txt", .data = "new", .deflate = true},
                           {.name = "bad.bin", .data = std::string(5000, 'b'), .deflate = true, .crc = 0x12345678},
                       }));
    const auto before = snapshot(target());

    EXPECT_FALSE(extract(archive));
    EXPECT_NE(m_lastError.find("bad.bin"), std::string::npos) << m_lastError;
    EXPECT_EQ(snapshot(target()), before);
    EXPECT_TRUE(fs::is_symlink(target() / "link.txt"));
    EXPECT_FALSE(fs::exists(target() / "made"));
    EXPECT_EQ(test::FolderNames(target()), (std::vector<std::string>{"existing.txt", "link.txt", "old"}));

    // Without the damaged entry the same extraction goes through and leaves no second names behind.
    writeFile(archive, test::RawZip({{.name = "existing.txt", .data = "replaced"}, {.name = "link.txt", .data = "replaced"}}));
    ASSERT_TRUE(extract(archive)) << m_lastError;
    EXPECT_EQ(readFile(target() / "existing.txt"), "replaced");
    EXPECT_FALSE(fs::is_symlink(target() / "link.txt"));
    EXPECT_EQ(test::FolderNames(target()), (std::vector<std::string>{"existing.txt", "link.txt", "old"}));
}

TEST_F(ZipArchiveTest, ExtractsAndRemovesPathsLongerThanTheSystemTakesWhole)
{
    // 82 folders of 96 characters: a path of about 8,000 characters, which no single call accepts.
    std::string name;
    for (int level = 0; level < 82; ++level)
        name += std::string(95, static_cast<char>('a' + level % 26)) + "/";
    name += "deep.txt";
    ASSERT_GT(name.size(), 7800u);
    const fs::path archive = sandbox() / "archive.zip";
    writeFile(archive, test::RawZip({{.name = "top.txt", .data = "top"}, {.name = name, .data = "deep"}}));

    ASSERT_TRUE(extract(archive)) << m_lastError;
    EXPECT_EQ(readFile(target() / "top.txt"), "top");
    DeleteFolderTree(target());
    EXPECT_FALSE(fs::exists(target()));
    EXPECT_EQ(strayEntries(), std::vector<std::string>{});
}

TEST_F(ZipArchiveTest, DamagedArchivesFailCleanly)
{
    const fs::path archive = sandbox() / "archive.zip";
    writeFile(archive, "PK\x03\x04 this is not really an archive");
    EXPECT_FALSE(extract(archive));
    EXPECT_FALSE(extract(sandbox() / "missing.zip"));

    StringTableFixture::WriteZip(archive, {{"text.txt", std::string(100000, 'x')}});
    std::string bytes = readFile(archive);
    bytes.resize(bytes.size() / 2);
    writeFile(archive, bytes);
    EXPECT_FALSE(extract(archive));
}

TEST(ZipEntryName, SplitsAtBothSeparatorsAndDropsEmptyParts)
{
    std::vector<std::string> parts;
    std::string reason;
    ASSERT_TRUE(CZipArchive::SplitEntryName("a//./b\\c.txt", parts, reason));
    EXPECT_EQ(parts, (std::vector<std::string>{"a", "b", "c.txt"}));
    ASSERT_TRUE(CZipArchive::SplitEntryName("..a/b..", parts, reason));
    EXPECT_EQ(parts, (std::vector<std::string>{"..a", "b.."}));
    EXPECT_FALSE(CZipArchive::SplitEntryName("", parts, reason));
}

} // namespace
} // namespace pellora
