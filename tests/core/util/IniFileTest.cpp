#include "core/util/IniFile.h"

#include "core/util/Support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace pellora {
namespace {

std::vector<std::pair<std::string, std::string>> entriesOf(const CIniSection* section)
{
    std::vector<std::pair<std::string, std::string>> entries;
    if (section) {
        for (const IniEntry& entry : section->GetEntries())
            entries.emplace_back(entry.key, entry.value);
    }
    return entries;
}

TEST(IniFile, KeepsSectionsAndLinesInFileOrderWithTheLineRules)
{
    CIniFile ini;
    ini.Parse("ignored=before any section\r\n"
              "[ Second ]\r\n"
              "  key  =  value with = inside  \r\n"
              "quoted=  \"  Printer  \"  \r\n"
              "many=\"\"\"x\"y\"\"\r\n"
              "no equals sign here\r\n"
              "\r\n"
              "   \t\r\n"
              "=value without key\r\n"
              "[First]\n"
              "a=1\n"
              "a=2");
    ASSERT_EQ(ini.GetSectionCount(), 2u);
    EXPECT_EQ(ini.GetSection(0)->GetName(), "Second");
    EXPECT_EQ(ini.GetSection(1)->GetName(), "First");
    EXPECT_EQ(ini.GetSection(2), nullptr);

    using Entries = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(entriesOf(ini.GetSection(0)), (Entries{{"key", "value with = inside"},
                                                     {"quoted", "  Printer  "},
                                                     {"many", "x\"y"},
                                                     {"", ""},
                                                     {"", "value without key"}}));
    EXPECT_EQ(entriesOf(ini.GetSection(1)), (Entries{{"a", "1"}, {"a", "2"}}));
    EXPECT_EQ(ini.GetSection(1)->GetEntry(2), nullptr);
}

TEST(IniFile, FindsSectionsAndKeysWithoutCaseAndJoinsRepeatedSections)
{
    CIniFile ini;
    ini.Parse("\xEF\xBB\xBF[File Info]\nType=one\n[other]\nx=1\n[FILE INFO]\nType=two\nVersion=5.0\n");
    ASSERT_EQ(ini.GetSectionCount(), 2u);
    const CIniSection* info = ini.FindSection("file info");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->GetName(), "File Info");
    EXPECT_EQ(entriesOf(info), (std::vector<std::pair<std::string, std::string>>{
                                   {"Type", "one"}, {"Type", "two"}, {"Version", "5.0"}}));
    ASSERT_NE(info->FindValue("TYPE"), nullptr);
    EXPECT_EQ(*info->FindValue("TYPE"), "one");
    EXPECT_EQ(ini.GetSection(1)->GetName(), "other");
    EXPECT_EQ(ini.FindSection("missing"), nullptr);
}

TEST(IniFile, LoadReadsFilesAndTreatsMissingOrEmptyFilesAsEmpty)
{
    const ScopedTempFolder folder;
    ASSERT_TRUE(folder.valid());
    const fs::path file = folder.path() / "test.ini";
    {
        std::ofstream out(file, std::ios::binary);
        out << "[A]\r\nk=v\r\n";
    }
    CIniFile ini;
    ASSERT_TRUE(ini.Load(file));
    ASSERT_EQ(ini.GetSectionCount(), 1u);
    EXPECT_EQ(ini.GetSection(0)->GetEntry(0)->value, "v");

    EXPECT_TRUE(ini.Load(folder.path() / "missing.ini"));
    EXPECT_EQ(ini.GetSectionCount(), 0u);

    std::ofstream(file, std::ios::trunc).close();
    ini.Parse("[B]\n");
    EXPECT_TRUE(ini.Load(file));
    EXPECT_EQ(ini.GetSectionCount(), 0u);

    EXPECT_FALSE(ini.Load(folder.path())); // a folder is no file
    EXPECT_EQ(ini.GetSectionCount(), 0u);
}

} // namespace
} // namespace pellora
