#include "core/package/PackageFile.h"

#include "core/package/StubResource.h"
#include "core/util/Support.h"
#include "support/FileTreeSupport.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::RandomBytes;
using test::ReadFileBytes;
using test::TextLines;
using test::WriteFileBytes;

constexpr std::size_t kHeader = CPackageFile::kHeaderOffset;
const std::string kVersionOne("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8);

std::string u32(std::uint32_t v)
{
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

std::string counted(const std::string& text)
{
    return std::string(1, static_cast<char>(text.size())) + text;
}

std::vector<std::string> archiveNames(const fs::path& archive)
{
    std::vector<std::string> names;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    if (zip == nullptr)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i)
        names.push_back(zip_get_name(zip, static_cast<zip_uint64_t>(i), 0));
    zip_discard(zip);
    std::sort(names.begin(), names.end());
    return names;
}

class PackageFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.valid());
        WriteFileBytes(source() / "elsewhere" / "Project.qst", "[SOFTWARE]\r\nVER=2.02\r\n");
        WriteFileBytes(source() / "stage" / "DRIVER_000" / "000" / "VARDO.INF", TextLines(50000, 1));
        WriteFileBytes(source() / "stage" / "DRIVER_000" / "001" / "x64" / "unidrv.dll", RandomBytes(70000, 2));
        WriteFileBytes(source() / "stage" / "SETTING" / "QIF1_000.QIF", "[setup]\r\n");
        m_entries = {source() / "elsewhere" / "Project.qst", source() / "stage" / "DRIVER_000", source() / "stage" / "SETTING"};
    }

    fs::path source() const { return m_temp.path() / "source"; }
    fs::path target() const { return m_temp.path() / "target"; }
    fs::path packagePath() const { return m_temp.path() / "package.exe"; }

    // Writes a package of the fixture's entries with the program's stub and returns its bytes.
    std::string writePackage(std::span<const std::uint8_t> stub = PackageStubResource())
    {
        CPackageFile package;
        package.SetStub(stub);
        package.SetEntries(m_entries);
        package.SetCommandString("\"Project.qst\"");
        std::ofstream out(packagePath(), std::ios::binary | std::ios::trunc);
        EXPECT_TRUE(package.Write(out)) << package.status().text();
        out.close();
        return ReadFileBytes(packagePath());
    }

    bool load(const std::string& bytes)
    {
        WriteFileBytes(packagePath(), bytes);
        const bool ok = m_loaded.Load(packagePath(), target());
        EXPECT_EQ(ok, m_loaded.status().text().empty()) << m_loaded.status().text();
        return ok;
    }

    ScopedTempFolder m_temp;
    std::vector<fs::path> m_entries;
    CPackageFile m_loaded;
};

TEST_F(PackageFileTest, LayoutPutsTheHeaderAt512000BehindThePadding)
{
    const std::span<const std::uint8_t> stub = PackageStubResource();
    ASSERT_EQ(stub.size(), kPackageStubSize);
    const std::string bytes = writePackage();

    ASSERT_GT(bytes.size(), kHeader);
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), bytes.begin(), [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
    const std::string padding = bytes.substr(stub.size(), kHeader - stub.size());
    EXPECT_EQ(padding.size(), 102400u);
    EXPECT_EQ(padding.find_first_not_of('a'), std::string::npos);

    const std::string header = kVersionOne + u32(409600) + u32(3) + counted("Project.qst") + counted("DRIVER_000") +
                               counted("SETTING") + counted("\"Project.qst\"");
    ASSERT_EQ(bytes.substr(kHeader, header.size()), header);
    const std::size_t archiveOffset = kHeader + header.size() + 4;
    const std::string archive = bytes.substr(archiveOffset);
    EXPECT_EQ(bytes.substr(kHeader + header.size(), 4), u32(static_cast<std::uint32_t>(archive.size())));

    const fs::path zip = m_temp.path() / "archive.zip";
    WriteFileBytes(zip, archive);
    EXPECT_EQ(archiveNames(zip), (std::vector<std::string>{"DRIVER_000/000/VARDO.INF", "DRIVER_000/001/x64/unidrv.dll",
                                                           "Project.qst", "SETTING/QIF1_000.QIF"}));
    if (!fs::exists(test::kUnzipProgram))
        GTEST_SKIP() << "Info-ZIP unzip is not installed";
    EXPECT_EQ(test::RunProgram({test::kUnzipProgram, "-tqq", zip.string()}), 0);
}

TEST_F(PackageFileTest, LoadExtractsEverythingAndListsTheTopLevelEntries)
{
    const std::string bytes = writePackage();
    WriteFileBytes(target() / "Project.qst", "an older file of the same name");
    WriteFileBytes(target() / "unrelated.txt", "stays");

    ASSERT_TRUE(load(bytes));
    EXPECT_EQ(m_loaded.GetEntries(), (std::vector<fs::path>{target() / "Project.qst", target() / "DRIVER_000", target() / "SETTING"}));
    EXPECT_EQ(m_loaded.GetCommandString(), "\"Project.qst\"");
    EXPECT_EQ(m_loaded.GetStubSize(), 409600u);
    EXPECT_TRUE(m_loaded.IsPaddedLayout());
    EXPECT_EQ(ReadFileBytes(target() / "Project.qst"), ReadFileBytes(m_entries[0])) << "extraction overwrites";
    EXPECT_EQ(ReadFileBytes(target() / "unrelated.txt"), "stays");
    EXPECT_EQ(test::SnapshotTree(target() / "DRIVER_000"), test::SnapshotTree(source() / "stage" / "DRIVER_000"));
    EXPECT_EQ(test::SnapshotTree(target() / "SETTING"), test::SnapshotTree(source() / "stage" / "SETTING"));
}

TEST_F(PackageFileTest, EntriesDifferingOnlyInCaseAreArchivedOnceAndListedTwice)
{
    WriteFileBytes(source() / "case" / "Readme.txt", "first");
    WriteFileBytes(source() / "case" / "README.TXT", "second");
    m_entries = {source() / "case" / "Readme.txt", source() / "case" / "README.TXT"};
    ASSERT_TRUE(load(writePackage()));
    EXPECT_EQ(m_loaded.GetEntries(), (std::vector<fs::path>{target() / "Readme.txt", target() / "README.TXT"}));
    EXPECT_EQ(test::FolderNames(target()), std::vector<std::string>{"Readme.txt"});
    EXPECT_EQ(ReadFileBytes(target() / "Readme.txt"), "first");
}

TEST_F(PackageFileTest, ReadsTheOlderTrailerLayout)
{
    // The archive of a written package, laid out the older way behind a stub that is not padding.
    const std::string padded = writePackage();
    const std::string body = padded.substr(kHeader + 12); // from the entry count on
    const std::string stub(480000, 'M');
    const std::string older = stub + body + kVersionOne + u32(static_cast<std::uint32_t>(stub.size()));
    ASSERT_GT(older.size(), CPackageFile::kProbeOffset + CPackageFile::kProbeLength);

    ASSERT_TRUE(load(older));
    EXPECT_FALSE(m_loaded.IsPaddedLayout());
    EXPECT_EQ(m_loaded.GetStubSize(), 480000u);
    EXPECT_EQ(m_loaded.GetCommandString(), "\"Project.qst\"");
    EXPECT_EQ(m_loaded.GetEntries().size(), 3u);
    EXPECT_EQ(ReadFileBytes(target() / "DRIVER_000" / "001" / "x64" / "unidrv.dll"), RandomBytes(70000, 2));
}

TEST_F(PackageFileTest, StubsThatDoNotFitTheLayoutAreRefusedBeforeWriting)
{
    CPackageFile package;
    package.SetEntries(m_entries);
    const std::vector<std::uint8_t> tooLarge(kHeader, 0x4D);
    for (const std::span<const std::uint8_t> stub : {std::span<const std::uint8_t>(tooLarge), std::span<const std::uint8_t>()}) {
        package.SetStub(stub);
        std::ostringstream out;
        EXPECT_FALSE(package.Write(out));
        EXPECT_TRUE(out.str().empty());
    }
    const std::vector<std::uint8_t> largest(kHeader - 1, 0x4D);
    package.SetStub(largest);
    std::ostringstream out;
    ASSERT_TRUE(package.Write(out)) << package.status().text();
    EXPECT_EQ(out.str()[kHeader - 1], 'a');
    EXPECT_EQ(out.str().substr(kHeader, 8), kVersionOne);
}

TEST_F(PackageFileTest, DamagedOrHostilePackagesFailWithoutWritingAnything)
{
    const std::string good = writePackage();
    const std::size_t namesStart = kHeader + 16;
    const std::size_t lengthAt = namesStart + counted("Project.qst").size() + counted("DRIVER_000").size() +
                                 counted("SETTING").size() + counted("\"Project.qst\"").size();
    const auto patched = [&good](std::size_t at, const std::string& bytes) {
        std::string copy = good;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty file", ""},
        {"ends inside the stub", good.substr(0, 1000)},
        {"ends inside the padding", good.substr(0, kHeader - 10)},
        {"ends inside version and stub size", good.substr(0, kHeader + 6)},
        {"ends inside the names", good.substr(0, namesStart + 5)},
        {"ends inside the archive", good.substr(0, good.size() - 10)},
        {"version 2", patched(kHeader, std::string("\x00\x00\x00\x00\x00\x00\x00\x40", 8))},
        {"stub size 0", patched(kHeader + 8, u32(0))},
        {"stub size beyond the header", patched(kHeader + 8, u32(kHeader + 1))},
        {"entry count past the end", patched(kHeader + 12, u32(0xFFFFFFF0u))},
        {"name length past the end", patched(namesStart, "\xFF\xFF\xFF" + u32(0x7FFFFFFF))},
        {"wide name length past the end", patched(namesStart, "\xFF\xFE\xFF\xFF\xFF\xFF" + u32(0x7FFFFFFF))},
        {"archive length past the end", patched(lengthAt, u32(0xFFFFFF00u))},
        {"damaged archive", patched(lengthAt + 4, std::string(200, 'x'))},
        {"name that leaves the folder", patched(namesStart, counted("../Project.q"))},
        {"name with a folder", patched(namesStart, counted("a\\Project.q"))},
        {"trailer with a stub size beyond the file", "MZ" + std::string(30, 'x') + kVersionOne + u32(5000)},
        {"trailer without a package", std::string(100, 'x') + kVersionOne + u32(50)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(load(bytes));
        EXPECT_FALSE(m_loaded.status().text().empty());
        EXPECT_TRUE(m_loaded.GetEntries().empty());
        // Archive data that is damaged only shows while it is extracted, into the target folder.
        if (what != "damaged archive") {
            EXPECT_FALSE(fs::exists(target()));
        }
        for (const std::string& name : test::FolderNames(m_temp.path()))
            EXPECT_TRUE(name == "package.exe" || name == "source" || name == "target") << name << " written";
        fs::remove_all(target());
    }
    EXPECT_FALSE(m_loaded.Load(m_temp.path() / "missing.exe", target()));
    EXPECT_FALSE(fs::exists(target()));
}

TEST_F(PackageFileTest, WriteReportsArchiveAndCopyAndCanBeCancelled)
{
    std::vector<ZipProgress> reports;
    CPackageFile package;
    package.SetStub(PackageStubResource());
    package.SetEntries(m_entries);
    package.SetProgressCallback([&reports](const ZipProgress& progress) {
        reports.push_back(progress);
        return true;
    });
    std::ostringstream out;
    ASSERT_TRUE(package.Write(out)) << package.status().text();
    ASSERT_GE(reports.size(), 5u);
    const std::uint64_t content = 22 + 50000 + 70000 + 9;
    EXPECT_EQ(reports.back().bytesTotal, 2 * content) << "copying the archive counts as much as its files";
    EXPECT_EQ(reports.back().bytesDone, 2 * content);
    EXPECT_EQ(reports.back().filesDone, 4u);
    EXPECT_EQ(reports.back().filesTotal, 4u);
    for (std::size_t i = 1; i < reports.size(); ++i)
        EXPECT_LE(reports[i - 1].bytesDone, reports[i].bytesDone);

    for (const std::uint64_t stopAt : {std::uint64_t{1}, content}) {
        SCOPED_TRACE(stopAt);
        package.SetProgressCallback([stopAt](const ZipProgress& progress) { return progress.bytesDone < stopAt; });
        std::ostringstream cancelled;
        EXPECT_FALSE(package.Write(cancelled));
        EXPECT_TRUE(package.status().cancelled());
    }
}

} // namespace
} // namespace pellora
