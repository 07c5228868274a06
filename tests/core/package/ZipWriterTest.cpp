#include "core/package/ZipWriter.h"

#include "core/util/Support.h"
#include "support/FileTreeSupport.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <sys/stat.h>

#include <map>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::RandomBytes;
using test::ReadFileBytes;
using test::TextLines;
using test::WriteFileBytes;

struct StoredEntry {
    std::string content;
    int method = -1;
    std::uint32_t mode = 0;
};

// Every entry of the archive read back through libzip, by name.
std::map<std::string, StoredEntry> readBack(const fs::path& archive)
{
    std::map<std::string, StoredEntry> entries;
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    EXPECT_NE(zip, nullptr) << "libzip error " << error;
    if (zip == nullptr)
        return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat);
        StoredEntry entry;
        entry.method = stat.comp_method;
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(zip, static_cast<zip_uint64_t>(i), 0, &system, &attributes);
        entry.mode = attributes >> 16;
        zip_file_t* file = zip_fopen_index(zip, static_cast<zip_uint64_t>(i), 0);
        EXPECT_NE(file, nullptr) << stat.name;
        if (file != nullptr) {
            char buffer[65536];
            zip_int64_t got = 0;
            while ((got = zip_fread(file, buffer, sizeof buffer)) > 0)
                entry.content.append(buffer, static_cast<std::size_t>(got));
            EXPECT_EQ(got, 0) << stat.name << ": " << zip_file_strerror(file); // a CRC mismatch shows here
            zip_fclose(file);
        }
        entries[stat.name] = std::move(entry);
    }
    zip_discard(zip);
    return entries;
}

class ZipWriterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.valid()); }

    fs::path source(const std::string& name) const { return m_temp.path() / "source" / name; }
    fs::path output() const { return m_temp.path() / "out" / "archive.zip"; }

    // Writes a source file and lists it under the same name.
    void add(const std::string& name, const std::string& content, bool store = false)
    {
        WriteFileBytes(source(name), content);
        m_entries.push_back({source(name), name, content.size(), 0640, 1700000000, store});
        m_expected[name] = content;
    }

    bool write(ZipWriter& writer)
    {
        fs::create_directories(output().parent_path());
        return writer.Write(output(), m_entries);
    }

    void expectUnzipAccepts(const fs::path& archive) const
    {
        if (!fs::exists(test::kUnzipProgram))
            GTEST_SKIP() << "Info-ZIP unzip is not installed";
        EXPECT_EQ(test::RunProgram({test::kUnzipProgram, "-tqq", archive.string()}), 0);
    }

    ScopedTempFolder m_temp;
    std::vector<ZipWriterEntry> m_entries;
    std::map<std::string, std::string> m_expected;
};

TEST_F(ZipWriterTest, StoresOrDeflatesEachFileAndReadsBackByteIdentical)
{
    add("empty.txt", "");
    add("small.inf", TextLines(3000, 1));
    add("tiny-random.bin", RandomBytes(500, 2));
    add("DRIVER_000/000/big.inf", TextLines(3 * ZipWriter::kChunkSize + 12345, 3));
    add("DRIVER_000/000/big-random.dll", RandomBytes(2 * ZipWriter::kChunkSize + 7, 4));
    add("DRIVER_000/001/exact-chunk.txt", TextLines(ZipWriter::kChunkSize, 5));
    add("DRIVER_000/001/data.cab", TextLines(100000, 6), true);
    add("SETTING/Gr\xC3\xB6\xC3\x9F" "e.QIF", "[setup]\r\n");

    ZipWriter writer;
    ASSERT_TRUE(write(writer)) << writer.status().text();
    const auto entries = readBack(output());
    ASSERT_EQ(entries.size(), m_expected.size());
    for (const auto& [name, content] : m_expected) {
        ASSERT_TRUE(entries.contains(name)) << name;
        EXPECT_TRUE(entries.at(name).content == content) << name << " differs";
        EXPECT_EQ(entries.at(name).mode, static_cast<std::uint32_t>(S_IFREG | 0640)) << name;
    }
    EXPECT_EQ(entries.at("empty.txt").method, ZIP_CM_STORE);
    EXPECT_EQ(entries.at("small.inf").method, ZIP_CM_DEFLATE);
    EXPECT_EQ(entries.at("tiny-random.bin").method, ZIP_CM_STORE);
    EXPECT_EQ(entries.at("DRIVER_000/000/big.inf").method, ZIP_CM_DEFLATE);
    EXPECT_EQ(entries.at("DRIVER_000/000/big-random.dll").method, ZIP_CM_STORE);
    EXPECT_EQ(entries.at("DRIVER_000/001/data.cab").method, ZIP_CM_STORE) << "marked as compressed already";
    expectUnzipAccepts(output());
}

TEST_F(ZipWriterTest, ArchiveDoesNotDependOnTheNumberOfThreads)
{
    add("a.inf", TextLines(5 * ZipWriter::kChunkSize / 2, 7));
    add("b.bin", RandomBytes(ZipWriter::kChunkSize + 1, 8));
    add("c.txt", TextLines(70000, 9));
    ZipWriter one;
    one.SetThreadCount(1);
    ASSERT_TRUE(write(one)) << one.status().text();
    const std::string single = ReadFileBytes(output());
    ZipWriter four;
    four.SetThreadCount(4);
    ASSERT_TRUE(write(four)) << four.status().text();
    EXPECT_TRUE(ReadFileBytes(output()) == single);
}

TEST_F(ZipWriterTest, Zip64RecordsAreReadByLibzipAndInfoZip)
{
    add("one.inf", TextLines(2 * ZipWriter::kChunkSize + 99, 10));
    add("sub/two.bin", RandomBytes(40000, 11));
    add("three.txt", "three");
    ZipWriter writer;
    writer.SetForceZip64(true);
    ASSERT_TRUE(write(writer)) << writer.status().text();
    const auto entries = readBack(output());
    ASSERT_EQ(entries.size(), 3u);
    for (const auto& [name, content] : m_expected)
        EXPECT_TRUE(entries.at(name).content == content) << name;
    expectUnzipAccepts(output());
}

TEST_F(ZipWriterTest, FailuresLeaveAnOlderArchiveAndNoPartialFile)
{
    add("kept.txt", "old archive");
    ZipWriter writer;
    ASSERT_TRUE(write(writer));
    const std::string old = ReadFileBytes(output());

    add("big.inf", TextLines(3 * ZipWriter::kChunkSize, 12));
    std::vector<ZipWriterEntry> withMissing = m_entries;
    withMissing.push_back({source("missing.txt"), "missing.txt", 10, 0644, 0, false});
    EXPECT_FALSE(writer.Write(output(), withMissing));
    EXPECT_NE(writer.status().text().find("missing.txt"), std::string::npos) << writer.status().text();

    std::vector<ZipWriterEntry> shrunk = m_entries;
    shrunk.back().size += 5; // listed larger than it is now
    EXPECT_FALSE(writer.Write(output(), shrunk));
    EXPECT_NE(writer.status().text().find("shorter"), std::string::npos) << writer.status().text();

    std::vector<ZipWriterEntry> duplicate = m_entries;
    duplicate.push_back(duplicate.front());
    EXPECT_FALSE(writer.Write(output(), duplicate));

    int calls = 0;
    writer.SetProgressCallback([&calls](std::uint64_t, std::uint64_t) { return ++calls < 2; });
    EXPECT_FALSE(writer.Write(output(), m_entries));
    EXPECT_TRUE(writer.status().cancelled());

    EXPECT_TRUE(ReadFileBytes(output()) == old);
    EXPECT_EQ(test::FolderNames(output().parent_path()), std::vector<std::string>{"archive.zip"});
}

TEST_F(ZipWriterTest, ProgressCountsEveryFileAndByte)
{
    add("a.txt", TextLines(9 * 1024 * 1024, 13));
    add("b.txt", "b");
    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    ZipWriter writer;
    writer.SetProgressCallback([&reports](std::uint64_t files, std::uint64_t bytes) {
        reports.emplace_back(files, bytes);
        return true;
    });
    ASSERT_TRUE(write(writer)) << writer.status().text();
    ASSERT_GE(reports.size(), 3u) << "reports while a large file is written";
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), (std::pair<std::uint64_t, std::uint64_t>{2, 9 * 1024 * 1024 + 1}));
}

TEST_F(ZipWriterTest, EmptyListGivesAValidEmptyArchive)
{
    ZipWriter writer;
    ASSERT_TRUE(write(writer)) << writer.status().text();
    EXPECT_TRUE(readBack(output()).empty());
    EXPECT_EQ(ReadFileBytes(output()).size(), 22u);
}

} // namespace
} // namespace pellora
