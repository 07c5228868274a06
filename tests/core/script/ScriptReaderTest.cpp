#include "core/script/ScriptReader.h"

#include "core/platform/Drives.h"
#include "core/platform/Profile.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace pellora;

namespace {

constexpr std::string_view kHeader = "[SOFTWARE]\r\nFILE=Pellora\r\nVER=2.02\r\n[ETC]\r\nLOGFILE=install.log\r\n";

class ScriptReaderTest : public ::testing::Test {
protected:
    void load(std::string_view body)
    {
        const fs::path file = program.writeFile("in.qsm", std::string(kHeader) + std::string(body));
        platform::Profile::instance().forget(file);
        ASSERT_EQ(script.Load(file, program.path()), 1);
    }

    test::TestProgramFolder program;
    CScriptFile script;
};

} // namespace

TEST_F(ScriptReaderTest, WrittenScriptReadsBackIntoEqualRecords)
{
    CScriptFile written;
    written.scriptNote = "\"All floors\"";
    written.logFile = "/var/log/install.log";
    written.reboot = 1;
    auto printer = std::make_unique<CPrinterInfoEx>();
    printer->SetNetwork(1, "10.1.2.3", "255.255.255.0", "00:11:22:33:44:55", "");
    printer->SetIdentity("MFG:VARDO;", "Hall", "VARDO VDL-N4000+", "");
    printer->reportedModelName = "VDL-N4000+ Series";
    printer->location = "Floor 2";
    printer->comment = "Near the lift";
    printer->optionFlags = 1;
    printer->driverFolders = {"/srv/drivers/n4000", "/srv/other"};
    printer->defaultPrinter = 1;
    printer->testPrint = 1;
    printer->applyPrintSettings = 1;
    printer->paperSize = 9;
    printer->color = 2;
    printer->duplex = 1;
    printer->lockMask = 0x81;
    printer->installUtility = 1;
    printer->utilityPaths = {"/srv/utils/monitor.exe"};
    printer->utilityNames = {"Status Monitor"};
    printer->utilityFolders = {"/srv/utils"};
    printer->installMonitor = 1;
    printer->monitorBlock.PopupWarning = 1;
    printer->monitorBlock.MonitoringIntervalNet = 45;
    printer->useHydro = 1;
    printer->autoPort = 1;
    printer->portBlockFlags = 3;
    printer->portBlock.SecureRawPortNo = 9100;
    printer->securityBlockValid = 1;
    printer->securityBlock.StampMark = 3;
    printer->connection = 1;
    printer->bsfPath = "/srv/drivers/n4000/setting.bsf";
    printer->instModeOff = 1;
    written.printers.push_back(printer->Clone());
    const fs::path file = program.file("round.qst");
    ASSERT_EQ(written.Write(file), 1);

    ASSERT_EQ(script.Load(file, program.path()), 1);
    ASSERT_EQ(script.printers.size(), 1u);
    const CPrinterInfoEx& read = *script.printers.front();
    EXPECT_EQ(script.scriptNote, written.scriptNote);
    EXPECT_EQ(script.logFile, written.logFile);
    EXPECT_EQ(script.reboot, 1);
    EXPECT_EQ(read.address, printer->address);
    EXPECT_EQ(read.networkAddress, "10.1.2.0");
    EXPECT_EQ(read.macAddress, printer->macAddress);
    EXPECT_EQ(read.modelName, "VDL-N4000+");
    EXPECT_EQ(read.modelIndex, 2);
    EXPECT_EQ(read.reportedModelName, printer->reportedModelName);
    EXPECT_EQ(read.deviceId, printer->deviceId);
    EXPECT_EQ(read.printerName, printer->printerName);
    EXPECT_EQ(read.location, printer->location);
    EXPECT_EQ(read.comment, printer->comment);
    EXPECT_EQ(read.optionFlags, 1);
    EXPECT_EQ(read.driverFolders, std::vector<std::string>{"/srv/drivers/n4000"}); // only the first is written
    EXPECT_EQ(read.defaultPrinter, 1);
    EXPECT_EQ(read.testPrint, 1);
    EXPECT_EQ(read.GetPaperSize(), 9);
    EXPECT_EQ(read.GetColor(), 2);
    EXPECT_EQ(read.GetDuplex(), 1);
    EXPECT_EQ(read.lockMask, 0x81);
    EXPECT_EQ(read.utilityPaths, printer->utilityPaths);
    EXPECT_EQ(read.utilityNames, printer->utilityNames);
    EXPECT_EQ(read.utilityFolders, printer->utilityFolders);
    EXPECT_EQ(read.installMonitor, 1);
    EXPECT_EQ(read.monitorBlock.PopupWarning, 1);
    EXPECT_EQ(read.monitorBlock.MonitoringIntervalNet, 45);
    EXPECT_STREQ(read.monitorBlock.sectionName, "CUSTOM1");
    EXPECT_EQ(read.useHydro, 1);
    EXPECT_EQ(read.autoPort, 1);
    EXPECT_EQ(read.portBlockFlags, 3);
    EXPECT_EQ(read.portBlock.SecureRawPortNo, 9100);
    EXPECT_EQ(read.securityBlockValid, 1);
    EXPECT_EQ(read.securityBlock, printer->securityBlock);
    EXPECT_EQ(read.connection, 1);
    EXPECT_EQ(read.bsfPath, printer->bsfPath);
    EXPECT_EQ(read.instModeOff, 1);
}

TEST_F(ScriptReaderTest, FlagsAreExactlyOneAndUnlistedModelsAreDropped)
{
    load("[PRINTER]\r\nCOUNT=3\r\n"
         "[PRINTER1]\r\nMODELNAME=RX-C3400\r\nPRINTERNAME=first\r\nDEFAULT_PRINTER=01\r\nLOCK=00000101\r\n"
         "USE_FOLDER=true\r\nUSE_INBOX=1\r\nFOLDER_PATH=a;;b\r\n"
         "[PRINTER2]\r\nMODELNAME=NOT-A-MODEL\r\n"
         "[PRINTER3]\r\nMODELNAME=VDL-N4000+\r\nPRINTERNAME=third\r\nPRN_INSTMODE=2\r\n");
    ASSERT_EQ(script.printers.size(), 2u);
    const CPrinterInfoEx& first = *script.printers[0];
    EXPECT_EQ(first.printerName, "first");
    EXPECT_EQ(first.defaultPrinter, 0);
    EXPECT_EQ(first.lockMask, 5);
    EXPECT_EQ(first.optionFlags, 0x24);
    EXPECT_EQ(first.driverFolders, (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(first.reportedModelName, "RX-C3400");
    EXPECT_EQ(first.paperSize, 0); // a missing key reads as 0, not -1
    EXPECT_EQ(first.instModeOff, 1);
    EXPECT_EQ(script.printers[1]->printerName, "third");
    EXPECT_EQ(script.logFile, (program.path() / "install.log").string());
}

TEST_F(ScriptReaderTest, SectionsOfTheBlocks)
{
    load("[PRINTER]\r\nCOUNT=1\r\n"
         "[PRINTER1]\r\nMODELNAME=RX-C3400\r\nUSE_HYDRO=1\r\nAUTOPORT=1\r\nCONFIRM=2\r\nCUSTOM_VDW3=1\r\nINSTALL_VDW3=1\r\n"
         "[CUSTOM1]\r\nInstallSection=\"InstallCSTM\"\r\nLockCustomValue=dword:00000000\r\n"
         "EnableMonitoring=dword:00000000\r\nMonitoringIntervalLocal=dword:00002710\r\n"
         "[CONFIRM2]\r\nProtocolID=dword:00000002\r\nQueueName=\"TSPQueue\"\r\nSecureRawPortNo=dword:0000E740\r\n"
         "SecureUserMode=dword:00000000\r\nCheckPortNo=dword:0000E742\r\n");
    ASSERT_EQ(script.printers.size(), 1u);
    const CPrinterInfoEx& printer = *script.printers[0];
    EXPECT_EQ(printer.portBlockFlags, 7);
    EXPECT_EQ(printer.autoPort, 1);
    // Monitoring was off: the read stops at the first missing key, later values keep their defaults.
    EXPECT_EQ(printer.monitorBlock.EnableMonitoring, 0);
    EXPECT_EQ(printer.monitorBlock.EnableErrorIcon, 1);
    EXPECT_EQ(printer.monitorBlock.MonitoringIntervalLocal, 10);
}

TEST_F(ScriptReaderTest, CdromUtilityPathTakesTheDriveLetter)
{
    platform::OverrideCdromDriveLetters("E");
    load("[PRINTER]\r\nCOUNT=1\r\n[PRINTER1]\r\nMODELNAME=RX-C3400\r\nUTILITY_COUNT=2\r\n"
         "UTILITY1=CDROM:\\setup.exe\r\nPRODUCT_NAME1=Tool\r\n");
    platform::OverrideCdromDriveLetters(std::nullopt);
    ASSERT_EQ(script.printers.size(), 1u);
    EXPECT_EQ(script.printers[0]->utilityPaths, (std::vector<std::string>{"E:\\setup.exe", ""}));
    EXPECT_EQ(script.printers[0]->utilityNames, (std::vector<std::string>{"Tool", ""}));
}

TEST_F(ScriptReaderTest, RelativeUtilityPathsResolveAgainstFoldersThenTheScript)
{
    program.writeFile("utils/abcsetup.exe", "x");
    const std::string folder = (program.path() / "utils").string() + "/";
    load("[PRINTER]\r\nCOUNT=1\r\n[PRINTER1]\r\nMODELNAME=RX-C3400\r\nUTILITY_COUNT=2\r\n"
         "UTILITY1=.\\abcsetup.exe\r\nUTILITY2=.\\Tools\\other.exe\r\nUTILITY_FOLDER_COUNT=1\r\nUTILITY_FOLDER1=" +
         folder + "abc\r\n");
    ASSERT_EQ(script.printers.size(), 1u);
    EXPECT_EQ(script.printers[0]->utilityPaths[0], folder + "abcsetup.exe");
    EXPECT_EQ(script.printers[0]->utilityPaths[1], (program.path() / "").string() + "Tools\\other.exe");
}

TEST_F(ScriptReaderTest, HostileCountsCostNothing)
{
    load("[PRINTER]\r\nCOUNT=2147483647\r\n[PRINTER1]\r\nMODELNAME=RX-C3400\r\nUTILITY_COUNT=2000000000\r\n"
         "UTILITY_FOLDER_COUNT=99999999999\r\n[PRINTER7]\r\nMODELNAME=RX-C3400\r\n");
    ASSERT_EQ(script.printers.size(), 2u);
    EXPECT_LE(script.printers[0]->utilityPaths.size(), 3u);
    EXPECT_LE(script.printers[0]->utilityFolders.size(), 3u);
}

TEST_F(ScriptReaderTest, NotAScriptIsRefused)
{
    const fs::path file = program.writeFile("other.ini", "[SOFTWARE]\r\nFILE=Something else\r\nVER=2.02\r\n");
    EXPECT_EQ(script.Load(file, program.path()), 0);
    EXPECT_FALSE(CScriptFile::IsScript(program.file("missing.qst")));
}

TEST(ScriptReaderRules, NumbersAndLockDigits)
{
    EXPECT_EQ(AsciiToInt(" 42abc"), 42);
    EXPECT_EQ(AsciiToInt("-7"), -7);
    EXPECT_EQ(AsciiToInt(""), 0);
    EXPECT_EQ(AsciiToInt("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseLockMask(101), 5);
    EXPECT_EQ(ParseLockMask(10000001), 0x81);
    EXPECT_EQ(ParseLockMask(0), 0);
}
