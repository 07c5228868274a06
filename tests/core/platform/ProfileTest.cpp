#include "core/platform/Profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/stat.h>

namespace fs = std::filesystem;
using pellora::platform::Profile;
using pellora::platform::ProfileDocument;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = fs::temp_directory_path() / ("pellora-profile-" + std::to_string(::getpid()) + "-" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_file = m_folder / "test.ini";
    }
    void TearDown() override
    {
        Profile::instance().forget(m_file);
        fs::remove_all(m_folder);
    }
    void writeRaw(const std::string& text)
    {
        std::ofstream(m_file, std::ios::binary) << text;
        Profile::instance().forget(m_file);
    }
    std::string readRaw() const
    {
        std::ifstream in(m_file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path m_folder;
    fs::path m_file;
};

} // namespace

TEST(ProfileDocument, ReadsLikeThePrivateProfileFunctions)
{
    ProfileDocument doc;
    doc.parse("\xEF\xBB\xBF; preamble\n[Printer]\r\n  Name =  \"quoted value\"  \r\nname=second\n"
              "single='x'\nmixed=\"x'\n[printer]\nOther=1\n[Next]\nspaced = a b \n");
    EXPECT_EQ(doc.get("PRINTER", "NAME"), "quoted value");       // first of duplicate keys, one quote pair off
    EXPECT_EQ(doc.get("printer", "single"), "x");
    EXPECT_EQ(doc.get("printer", "mixed"), "\"x'");              // quotes that do not match stay
    EXPECT_EQ(doc.get("Printer", "Other"), std::nullopt);       // only the first of duplicate sections is read
    EXPECT_EQ(doc.get("next", "SPACED"), "a b");
    EXPECT_EQ(doc.get("missing", "x"), std::nullopt);
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"Printer", "printer", "Next"}));
}

TEST(ProfileDocument, WritesInPlaceOrAppendsAndRefusesLineBreaks)
{
    ProfileDocument doc;
    doc.parse("[A]\r\nkey=1\r\nlast=2\r\n\r\n[B]\r\nx=y\r\n");
    EXPECT_TRUE(doc.set("a", "KEY", "changed"));
    EXPECT_TRUE(doc.set("A", "new", "3"));
    EXPECT_TRUE(doc.set("C", "k", "v"));
    EXPECT_EQ(doc.serialize(), "[A]\r\nkey=changed\r\nlast=2\r\nnew=3\r\n\r\n[B]\r\nx=y\r\n[C]\r\nk=v\r\n");

    const std::string before = doc.serialize();
    EXPECT_FALSE(doc.set("A", "key", "evil\r\n[Injected]"));
    EXPECT_FALSE(doc.set("A", "evil\nkey", "v"));
    EXPECT_FALSE(doc.set("A\n[B]", "key", "v"));
    EXPECT_FALSE(doc.set("A", "k=v", "v"));
    EXPECT_FALSE(doc.set("A]", "k", "v"));
    EXPECT_FALSE(doc.set("A", "", "v"));
    EXPECT_FALSE(doc.set("A", "[k", "v"));
    EXPECT_EQ(doc.serialize(), before);
}

TEST(ProfileDocument, RunsOfCommentsAndBlankLinesWriteBackLineByLine)
{
    ProfileDocument doc;
    doc.parse("\n; head\r\n\n[A]\n; one\n;two\r\r\n\n  \r\n[B]\r\n\r\n \n[C]\nk=1\n;tail");
    const std::string unchanged = "\r\n; head\r\n\r\n[A]\r\n; one\r\n;two\r\r\n\r\n  \r\n[B]\r\n\r\n \r\n[C]\r\nk=1\r\n;tail\r\n";
    EXPECT_EQ(doc.serialize(), unchanged);
    ProfileDocument reread;
    reread.parse(doc.serialize());
    EXPECT_EQ(reread.serialize(), unchanged);

    // New keys go after the last line that is not blank, also in the middle of such a run.
    EXPECT_TRUE(doc.set("A", "new", "1"));
    EXPECT_TRUE(doc.set("A", "second", "2"));
    EXPECT_TRUE(doc.set("B", "k", "v"));
    EXPECT_TRUE(doc.set("C", "after", "tail"));
    EXPECT_EQ(doc.serialize(), "\r\n; head\r\n\r\n[A]\r\n; one\r\n;two\r\r\nnew=1\r\nsecond=2\r\n\r\n  \r\n"
                               "[B]\r\nk=v\r\n\r\n \r\n[C]\r\nk=1\r\n;tail\r\nafter=tail\r\n");
    EXPECT_EQ(doc.keyCount("a"), 2u);
    EXPECT_TRUE(doc.removeKey("A", "new"));
    reread.parse(doc.serialize());
    EXPECT_TRUE(reread == doc);
    EXPECT_EQ(reread.get("A", "second"), "2");
}

TEST(ProfileDocument, StoredValueIsWhatAReaderGets)
{
    ProfileDocument doc;
    ASSERT_TRUE(doc.set("S", "quoted", "\"text\""));
    ASSERT_TRUE(doc.set("S", "blanks", "  padded  "));
    EXPECT_EQ(doc.get("S", "quoted"), "text");
    EXPECT_EQ(doc.get("S", "blanks"), "padded");

    ProfileDocument reread;
    reread.parse(doc.serialize());
    EXPECT_TRUE(reread == doc);
}

TEST(ProfileText, CutNeverSplitsAUtf8Sequence)
{
    const std::string text = "ab\xC3\xA9" "cd"; // a b é c d
    EXPECT_EQ(pellora::platform::CutUtf8(text, 3), "ab");
    EXPECT_EQ(pellora::platform::CutUtf8(text, 4), "ab\xC3\xA9");
    EXPECT_EQ(pellora::platform::CutUtf8(text, 100), text);
}

TEST_F(ProfileFileTest, FlushWritesOnceWithCrLfAndReadsBack)
{
    Profile& profile = Profile::instance();
    ASSERT_TRUE(profile.write(m_file, "SOFTWARE", "FILE", "Pellora"));
    ASSERT_TRUE(profile.write(m_file, "SOFTWARE", "VER", "2.02"));
    EXPECT_FALSE(fs::exists(m_file)); // nothing on disk before the flush
    EXPECT_EQ(profile.get(m_file, "software", "file"), "Pellora");
    ASSERT_TRUE(profile.flush(m_file));
    EXPECT_EQ(readRaw(), "[SOFTWARE]\r\nFILE=Pellora\r\nVER=2.02\r\n");
    EXPECT_FALSE(fs::exists(m_file.string() + ".part"));
}

TEST_F(ProfileFileTest, RereadsAFileChangedOnDisk)
{
    writeRaw("[S]\nk=1\n");
    EXPECT_EQ(Profile::instance().get(m_file, "S", "k"), "1");
    std::ofstream(m_file, std::ios::binary) << "[S]\nk=22\n"; // a different size, so the change is seen
    EXPECT_EQ(Profile::instance().get(m_file, "S", "k"), "22");
}

TEST_F(ProfileFileTest, GetStringHonoursDefaultAndBufferSize)
{
    writeRaw("[S]\nlong=abcdef\n");
    Profile& profile = Profile::instance();
    EXPECT_EQ(profile.getString(m_file, "S", "missing", "dflt"), "dflt");
    EXPECT_EQ(profile.getString(m_file, "S", "long", "", 4), "abc");
}

TEST_F(ProfileFileTest, PipesAndFilesBeyondTheLimitReadAsEmptyAtOnce)
{
    // Opening a pipe for reading would wait for a writer; it is no file to read.
    ASSERT_EQ(::mkfifo(m_file.c_str(), 0600), 0);
    EXPECT_EQ(Profile::instance().get(m_file, "S", "k"), std::nullopt);
    EXPECT_TRUE(Profile::instance().sectionNames(m_file).empty());
    fs::remove(m_file);

    writeRaw("[S]\nk=1\n");
    EXPECT_EQ(Profile::instance().get(m_file, "S", "k"), "1");
    fs::resize_file(m_file, Profile::kMaxFileBytes + 1);
    EXPECT_EQ(Profile::instance().get(m_file, "S", "k"), std::nullopt);
    fs::resize_file(m_file, Profile::kMaxFileBytes);
    EXPECT_EQ(Profile::instance().get(m_file, "S", "k"), "1");
}

TEST_F(ProfileFileTest, FlushIntoAMissingFolderFails)
{
    const fs::path file = m_folder / "no" / "such" / "folder.ini";
    ASSERT_TRUE(Profile::instance().write(file, "S", "k", "v"));
    EXPECT_FALSE(Profile::instance().flush(file));
    Profile::instance().forget(file);
}
