#include "core/package/ZipDirectory.h"

#include "core/package/ZipWriter.h"
#include "core/platform/FileDescriptor.h"
#include "core/util/Support.h"
#include "support/FileTreeSupport.h"
#include "support/RawZip.h"
#include "support/StringTableFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::RawZip;
using test::RawZipEntry;

class ZipDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.valid()); }

    fs::path file(const std::string& name) const { return m_temp.path() / name; }

    // Reads the directory of the archive bytes; the status's text, empty when they were accepted.
    std::string refusal(const std::string& bytes, ZipDirectory* directory = nullptr)
    {
        test::WriteFileBytes(file("archive.zip"), bytes);
        return refusalOf(file("archive.zip"), directory);
    }

    std::string refusalOf(const fs::path& archive, ZipDirectory* directory = nullptr)
    {
        const platform::FileDescriptor fd(::open(archive.c_str(), O_RDONLY | O_CLOEXEC));
        ZipDirectory own;
        ZipDirectory& target = directory ? *directory : own;
        const Status status = target.Read(fd.get(), 0, fs::file_size(archive), 1000);
        return status.ok() ? std::string() : status.text();
    }

    ScopedTempFolder m_temp;
};

TEST_F(ZipDirectoryTest, TakesTheArchivesOfEveryWriterTheProgramMeets)
{
    // The program's own writer, with and without Zip64 records.
    test::WriteFileBytes(file("in/a.txt"), test::TextLines(100000, 1));
    test::WriteFileBytes(file("in/b.bin"), test::RandomBytes(5000, 2));
    for (const bool zip64 : {false, true}) {
        ZipWriter writer;
        writer.SetForceZip64(zip64);
        ASSERT_TRUE(writer.Write(file("own.zip"), {{file("in/a.txt"), "DRIVER_000/a.txt", 100000},
                                                   {file("in/b.bin"), "b.bin", 5000}}));
        ZipDirectory directory;
        EXPECT_EQ(refusalOf(file("own.zip"), &directory), "") << zip64;
        ASSERT_EQ(directory.entries().size(), 2u);
        EXPECT_EQ(directory.entries()[0].name, "DRIVER_000/a.txt");
        EXPECT_EQ(directory.entries()[0].size, 100000u);
        EXPECT_EQ(directory.entries()[1].dataEnd, directory.entries()[1].headerOffset + 30 + 5 + (zip64 ? 20 : 0) + 5000);
    }
    // The library's writer (string tables of tests), the shipped tables (data descriptors) and a
    // descriptor without its own sizes.
    test::StringTableFixture::WriteZip(file("libzip.zip"), {{"String.txt", "[File Info]"}, {"sub/", ""}});
    EXPECT_EQ(refusalOf(file("libzip.zip")), "");
    EXPECT_EQ(refusalOf(fs::path(PELLORA_BIN_DIR) / "TSST0000.dat"), "");
    ZipDirectory directory;
    EXPECT_EQ(refusal(RawZip({{.name = "d.txt", .data = "described", .descriptor = true}}), &directory), "");
    EXPECT_EQ(directory.entries()[0].dataEnd, 30u + 5 + 9 + 16);
}

TEST_F(ZipDirectoryTest, RefusesSharedDataAndLocalHeadersThatSaySomethingElse)
{
    const std::string fine = test::TextLines(4000, 3);
    const std::vector<std::pair<std::string, std::vector<RawZipEntry>>> cases{
        {"overlap", {{.name = "a.txt", .data = fine}, {.name = "a.txt", .data = fine, .sharesHeaderOf = 0}}},
        {"names \"evil.txt\"", {{.name = "a.txt", .data = fine, .localName = "evil.txt"}}},
        {"compression method", {{.name = "a.txt", .data = fine, .deflate = true, .localMethod = 0}}},
        {"stored with two different sizes", {{.name = "a.txt", .data = fine, .size = 10}}},
        {"data descriptor", {{.name = "a.txt", .data = fine, .descriptor = true}}},
    };
    for (const auto& [why, entries] : cases) {
        SCOPED_TRACE(why);
        std::string bytes = RawZip(entries);
        if (why == "data descriptor")
            bytes[30 + 5 + fine.size() + 4] ^= 1; // the descriptor's checksum no longer repeats the directory's
        EXPECT_NE(refusal(bytes).find(why), std::string::npos) << refusal(bytes);
    }
}

TEST_F(ZipDirectoryTest, RefusesEveryCutAndEveryEndRecordThatDoesNotCloseTheArchive)
{
    const std::string archive = RawZip({{.name = "one.txt", .data = "first"}, {.name = "dir/two.txt", .data = "second", .deflate = true}});
    ASSERT_EQ(refusal(archive), "");
    for (std::size_t length = 0; length < archive.size(); ++length)
        EXPECT_NE(refusal(archive.substr(0, length)), "") << "cut at " << length;
    EXPECT_NE(refusal(archive + "trailing"), "");
    EXPECT_NE(refusal("prefix" + archive), "") << "every offset is off by the prefix";

    // Entry counts and directory sizes that do not fit the directory.
    const std::size_t end = archive.size() - 22;
    for (const std::size_t field : {8u, 10u, 12u}) {
        std::string lie = archive;
        lie[end + field] = static_cast<char>(lie[end + field] + 1);
        EXPECT_NE(refusal(lie), "") << "field at " << field;
    }
    std::string manyDisks = archive;
    manyDisks[end + 4] = 1;
    EXPECT_NE(refusal(manyDisks).find("disks"), std::string::npos);
}

TEST_F(ZipDirectoryTest, RefusesZip64RecordsThatDisagreeWithTheEndRecord)
{
    test::WriteFileBytes(file("in/a.txt"), "content");
    ZipWriter writer;
    writer.SetForceZip64(true);
    ASSERT_TRUE(writer.Write(file("own.zip"), {{file("in/a.txt"), "a.txt", 7}}));
    const std::string archive = test::ReadFileBytes(file("own.zip"));
    ASSERT_EQ(refusal(archive), "");

    const std::size_t record = archive.size() - 22 - 20 - 56;
    std::string moreEntries = archive;
    moreEntries[record + 32] = 2; // entries in all, Zip64
    EXPECT_NE(refusal(moreEntries), "");
    std::string lostLocator = archive;
    lostLocator[archive.size() - 22 - 20 + 8] = 1; // the locator points past its record
    EXPECT_NE(refusal(lostLocator).find("Zip64"), std::string::npos);
    std::string unsaturated = archive;
    for (const std::size_t field : {8u, 10u}) { // 16-bit counts that are neither 0xFFFF nor the Zip64 count
        unsaturated[archive.size() - 22 + field] = 3;
        unsaturated[archive.size() - 22 + field + 1] = 0;
    }
    EXPECT_NE(refusal(unsaturated).find("disagree"), std::string::npos);
}

} // namespace
} // namespace pellora
