#include "core/package/DriverInfo.h"

#include "core/model/PrinterInfo.h"
#include "core/util/Support.h"
#include "support/FileTreeSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::FolderNames;
using test::ReadFileBytes;
using test::WriteFileBytes;

const std::string kTemplateB = "[setup]\r\n"
                               "application=BSF_COPY\r\n"
                               "options=\"/P /NODISP /NOCOPYGAUGE\"\r\n"
                               "copymode=0\r\n"
                               "QIFVersion=5.50\r\n"
                               "\r\n"
                               "[BSF_COPY.winnt]\r\n"
                               "%DRVNAME%=,,1\r\n"
                               "\r\n"
                               "[addregistry.winnt]\r\n"
                               "%DRVNAME%=\"0x80000002\",4,\"Software\\VARDO\\%BSFPATH%\",\"InitInstall\",1\r\n"
                               "\r\n"
                               "[Strings]\r\n"
                               "DRVNAME=\"VARDO RX-C3400\"\r\n"
                               "BSFPATH=\"VARDO RX-C3400 BSF\"\r\n";

std::string templateA(const std::string& model, const std::string& bsfName, const std::string& initInstall)
{
    return "[setup]\r\n"
           "application=BSF_COPY\r\n"
           "options=\"/P /NODISP /NOCOPYGAUGE\"\r\n"
           "copymode=0\r\n"
           "\r\n"
           "; Document and settings\\All users\\Application Data\\VARDO\\Driver name\r\n"
           "BSF_COPY=,ever,\"@@0x23\\VARDO\\%BSFPATH%\"\r\n"
           "\r\n"
           "QIFVersion=5.50\r\n"
           "\r\n"
           "[BSF_COPY.winnt]\r\n"
           "%DRVNAME%=,,1:" + bsfName + "\r\n"
           "\r\n"
           "[addregistry.winnt]\r\n"
           ";HKEY_LOCAL_MACHINE\\Software\\VARDO\\Driver name\r\n"
           "%DRVNAME%=\"0x80000002\",1,\"Software\\VARDO\\%BSFPATH%\",\"BSF_COPY\",\"@@0x23\\VARDO\\%BSFPATH%\\" + bsfName + "\"\r\n"
           "%DRVNAME%=\"0x80000002\",4,\"Software\\VARDO\\%BSFPATH%\",\"InitInstall\"," + initInstall + "\r\n"
           "\r\n"
           "[Strings]\r\n"
           "DRVNAME=\"VARDO " + model + "\"\r\n"
           "BSFPATH=\"VARDO " + model + " BSF\"\r\n";
}

class DriverInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.valid());
        fs::create_directories(setting());
    }

    fs::path setting() const { return m_temp.path() / "SETTING"; }

    CPrinterInfoEx& addPrinter(const std::string& model = "RX-C3400", const std::string& bsfContent = {})
    {
        auto printer = std::make_unique<CPrinterInfoEx>();
        printer->modelName = model;
        if (!bsfContent.empty()) {
            printer->bsfPath = (m_temp.path() / ("settings" + std::to_string(m_printers.size()) + ".bsf")).string();
            WriteFileBytes(printer->bsfPath, bsfContent);
        }
        m_printers.push_back(std::move(printer));
        return *m_printers.back();
    }

    std::string info(int index) const { return ReadFileBytes(setting() / DriverInfoFileName(index)); }

    ScopedTempFolder m_temp;
    std::vector<std::unique_ptr<CPrinterInfoEx>> m_printers;
};

TEST_F(DriverInfoTest, PrintersWithoutSettingsFileGetNumberedFilesFromTemplateB)
{
    for (int i = 0; i < 3; ++i)
        addPrinter();
    int count = -1;
    ASSERT_TRUE(WriteDriverInfoFiles(m_printers, setting(), count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(FolderNames(setting()), (std::vector<std::string>{"QIF1_000.QIF", "QIF1_001.QIF", "QIF1_002.QIF"}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(info(i), kTemplateB) << i;
}

TEST_F(DriverInfoTest, SettingsFileIsCopiedAndNamedInTemplateA)
{
    addPrinter("VDL-N4000+", "settings bytes\x01\x02");
    addPrinter("VMF-X3300", "settings bytes\x01\x02").instModeOff = 1;
    int count = 0;
    ASSERT_TRUE(WriteDriverInfoFiles(m_printers, setting(), count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(info(0), templateA("VDL-N4000+", "BSF_COPY.BSF", "1"));
    EXPECT_EQ(info(1), templateA("VMF-X3300", "BSF_COPY.BSF", "0")) << "same content shares the one copy";
    EXPECT_EQ(ReadFileBytes(setting() / "BSF_COPY.BSF"), "settings bytes\x01\x02");
    EXPECT_EQ(FolderNames(setting()), (std::vector<std::string>{"BSF_COPY.BSF", "QIF1_000.QIF", "QIF1_001.QIF"}));
}

TEST_F(DriverInfoTest, LaterSettingsFileWithOtherContentGetsItsOwnCopy)
{
    addPrinter("A", "first settings");
    addPrinter("B");
    addPrinter("C", "second settings");
    addPrinter("D", "first settings");
    int count = 0;
    ASSERT_TRUE(WriteDriverInfoFiles(m_printers, setting(), count));
    EXPECT_EQ(count, 4);
    EXPECT_EQ(ReadFileBytes(setting() / "BSF_COPY.BSF"), "first settings") << "the first printer keeps its settings";
    EXPECT_EQ(ReadFileBytes(setting() / "BSF_COPY_002.BSF"), "second settings");
    EXPECT_EQ(info(0), templateA("A", "BSF_COPY.BSF", "1"));
    EXPECT_NE(info(1).find("%DRVNAME%=,,1\r\n"), std::string::npos);
    EXPECT_EQ(info(2), templateA("C", "BSF_COPY_002.BSF", "1"));
    EXPECT_EQ(info(3), templateA("D", "BSF_COPY.BSF", "1"));
}

TEST_F(DriverInfoTest, TokensAreReplacedAsTheyStand)
{
    CPrinterInfoEx& prefixed = addPrinter("VARDO RX-C3400");
    EXPECT_NE(DriverInfoText(prefixed, {}).find("DRVNAME=\"VARDO VARDO RX-C3400\"\r\nBSFPATH=\"VARDO VARDO RX-C3400 BSF\"\r\n"),
              std::string::npos);
    CPrinterInfoEx& odd = addPrinter();
    odd.instModeOff = 2;
    EXPECT_NE(DriverInfoText(odd, {}).find("\"InitInstall\",PKG_SETTING_PACKAGE_MODE_INIT_INSTALL\r\n"), std::string::npos)
        << "only 0 and 1 have a value";
}

TEST_F(DriverInfoTest, EmptyProjectWritesNothing)
{
    int count = 7;
    EXPECT_TRUE(WriteDriverInfoFiles(m_printers, setting(), count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(fs::is_empty(setting()));
}

TEST_F(DriverInfoTest, FailureStopsAtThePrinterAndCountsFilesWritten)
{
    addPrinter();
    addPrinter().bsfPath = (m_temp.path() / "missing.bsf").string();
    addPrinter();
    int count = 0;
    EXPECT_FALSE(WriteDriverInfoFiles(m_printers, setting(), count));
    EXPECT_EQ(count, 1);

    EXPECT_FALSE(WriteDriverInfoFiles(m_printers, m_temp.path() / "no such folder", count));
    EXPECT_EQ(count, 0);
}

} // namespace
} // namespace pellora
