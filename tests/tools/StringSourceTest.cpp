#include "tools/strings/StringSource.h"

#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace pellora::strings {
namespace {

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

constexpr std::string_view kHead = "[File Info]\r\nType=Tessaris String Table\r\nVersion=5.0\r\nLocale=407\r\n\r\n"
                                   "[String Table]\r\n100=Projekt\r\n101=Drucker\r\n\r\n"
                                   "[Pellorix.exe\\ETC]\r\nNEW_DOCUMENT_TITLE=1:100\r\n";
constexpr std::string_view kFrame = "\n[String Table]\n10300=Druckerauswahl\n10301=Netzwerk\n\n"
                                    "[Pellorix.exe\\IDD_DIALOG_LEFT]\nTITLE=0:10300\nIDC_TAB=1001:10301,10302\n"
                                    "[OtherTool.exe\\IDD_DIALOG_LEFT]\nX=5:10300\n";
constexpr std::string_view kAbout = "\n[String Table]\n40000=\"  Info  \"\n\n[Pellorix.exe\\etc]\nPRODUCT=12:101\n";

class StringSourceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_head = m_folder.writeFile("TSST0407.txt", kHead);
        m_frame = m_folder.writeFile("0407/MainFrame.txt", kFrame);
        m_about = m_folder.writeFile("0407/Start.txt", kAbout);
        m_folder.writeFile("0407/notes.md", "[String Table]\n100=ignored\n");
        ASSERT_TRUE(m_source.Open(m_head).ok());
    }

    test::TestProgramFolder m_folder;
    std::filesystem::path m_head;
    std::filesystem::path m_frame;
    std::filesystem::path m_about;
    StringSource m_source;
};

TEST_F(StringSourceTest, AHeadFileTakesItsFragmentsAndOnlyTheProgramsSections)
{
    EXPECT_EQ(m_source.language(), 0x0407);
    EXPECT_EQ(m_source.files(), (std::vector<std::filesystem::path> {m_head, m_frame, m_about}));
    ASSERT_EQ(m_source.sections().size(), 2u); // "ETC" and "etc" are one section
    const StringSource::Section& etc = m_source.sections()[0];
    EXPECT_EQ(etc.name, "ETC");
    ASSERT_EQ(etc.items.size(), 2u);
    EXPECT_EQ(etc.items[1].id, 12);
    const StringSource::Section& left = m_source.sections()[1];
    ASSERT_EQ(left.items.size(), 2u);
    EXPECT_EQ(left.items[1].key, "IDC_TAB");
    EXPECT_EQ(left.items[1].id, 1001);
    EXPECT_EQ(left.items[1].textNumbers, (std::vector<std::uint32_t> {10301, 10302}));
    EXPECT_EQ(m_source.Text(10300), "Druckerauswahl");
    EXPECT_EQ(m_source.Text(40000), "  Info  ");
    EXPECT_EQ(m_source.Text(10302), "");
}

TEST_F(StringSourceTest, SavingChangesOnlyTheLinesOfTheChangedTextsAndAddsNewOnesToTheTextSection)
{
    EXPECT_FALSE(m_source.modified());
    m_source.SetText(101, "Printer");
    m_source.SetText(40000, " Info");
    m_source.SetText(10302, "Freigegeben");
    EXPECT_TRUE(m_source.modified());
    ASSERT_TRUE(m_source.Save().ok());
    EXPECT_FALSE(m_source.modified());

    EXPECT_EQ(readFile(m_head), "[File Info]\r\nType=Tessaris String Table\r\nVersion=5.0\r\nLocale=407\r\n\r\n"
                                "[String Table]\r\n100=Projekt\r\n101=Printer\r\n10302=Freigegeben\r\n\r\n"
                                "[Pellorix.exe\\ETC]\r\nNEW_DOCUMENT_TITLE=1:100\r\n");
    EXPECT_EQ(readFile(m_frame), kFrame);
    EXPECT_EQ(readFile(m_about), "\n[String Table]\n40000=\" Info\"\n\n[Pellorix.exe\\etc]\nPRODUCT=12:101\n");

    // A second save of a further change finds the added line where it went.
    m_source.SetText(10302, "Geteilt");
    ASSERT_TRUE(m_source.Save().ok());
    StringSource again;
    ASSERT_TRUE(again.Open(m_head).ok());
    EXPECT_EQ(again.Text(10302), "Geteilt");
    EXPECT_EQ(again.Text(40000), " Info");
    EXPECT_EQ(again.Text(100), "Projekt");
}

} // namespace
} // namespace pellora::strings
