#include "core/script/ScriptWriter.h"

#include "ScriptTestSupport.h"
#include "core/platform/Drives.h"
#include "core/script/ScriptFile.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace pellora;
using pellora::test::KeysOf;
using pellora::test::ReadFileBytes;
using pellora::test::ReadScript;

namespace {

class ScriptWriterTest : public ::testing::Test {
protected:
    CPrinterInfoEx& addPrinter(std::string_view model = "RX-C3400", std::string_view address = "10.0.0.5")
    {
        auto printer = std::make_unique<CPrinterInfoEx>();
        printer->SetNetwork(1, address, "255.255.255.0", "", "");
        printer->SetIdentity("", "Office", model, "");
        script.printers.push_back(std::move(printer));
        return *script.printers.back();
    }
    platform::ProfileDocument write(bool expectSuccess = true)
    {
        EXPECT_EQ(script.Write(target), expectSuccess ? 1 : 0);
        return ReadScript(target);
    }

    test::TestProgramFolder program;
    fs::path target = program.file("project.qst");
    CScriptFile script;
};

} // namespace

TEST_F(ScriptWriterTest, EmptyProjectHasOnlyTheThreeHeaderSections)
{
    const auto doc = write();
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"SOFTWARE", "ETC", "PRINTER"}));
    EXPECT_EQ(KeysOf(doc, "SOFTWARE"), (std::vector<std::string>{"FILE", "VER", "DATE", "DESCRIPTION", "PRODUCTNAME"}));
    EXPECT_EQ(KeysOf(doc, "ETC"), (std::vector<std::string>{"LOGFILE", "AUTOCOMPLETE", "TESTPAGE_TITLE", "REBOOT",
                                                             "CONFIRM_DRIVERCOPY", "REQUIRE_LOGON", "EXTEND_FEATURE"}));
    EXPECT_EQ(doc.get("SOFTWARE", "FILE"), "Pellora");
    EXPECT_EQ(doc.get("SOFTWARE", "VER"), "2.02");
    EXPECT_EQ(doc.get("ETC", "TESTPAGE_TITLE"), "Print Test Page");
    EXPECT_EQ(doc.get("ETC", "REQUIRE_LOGON"), "1");
    EXPECT_EQ(doc.get("PRINTER", "COUNT"), "0");
    const std::string bytes = ReadFileBytes(target);
    EXPECT_EQ(bytes.rfind("[SOFTWARE]\r\nFILE=Pellora\r\nVER=2.02\r\n", 0), 0u);
    EXPECT_TRUE(CScriptFile::IsScript(target));
}

TEST_F(ScriptWriterTest, PrinterKeysInOrderWithMakerPrefixDropped)
{
    addPrinter("vardo RX-C3400");
    const auto doc = write();
    EXPECT_EQ(KeysOf(doc, "PRINTER1"),
              (std::vector<std::string>{"PRN_ADDRESS", "MODELNAME", "ORG_MODELNAME", "PRINTERNAME", "MACADDRESS",
                                        "LOCATION", "DEVID", "COMMENT", "USE_CDROM", "USE_INBOX", "USE_FOLDER",
                                        "FOLDER_PATH", "DEFAULT_PRINTER", "TEST_PRINT", "USE_PS", "USE_COMMONDRIVER",
                                        "USE_HYDRO", "PAPER_SIZE", "PAPER_SOURCE", "COLOR", "QUALITY", "USE_LAYOUT",
                                        "LAYOUT", "DUPLEX", "CORRESPOND_PRINTING_SETTING_ITEM", "SWITCH", "BINDING",
                                        "TONER_SAVE", "LOCK", "INSTALL_UTILITY", "UTILITY_COUNT", "INSTALL_VDW3",
                                        "INSTALL_LOGBROWSER", "INSTALL_NETWORKTWAIN", "INSTALL_CONFIRM",
                                        "UTILITY_SEARCH_CDROM", "UTILITY_SEARCH_FOLDER", "UTILITY_FOLDER_COUNT",
                                        "CUSTOM_VDW3", "NIC_NAME", "PRN_CONNECTION", "PRN_BSF_PATH", "PRN_INSTMODE"}));
    EXPECT_EQ(doc.get("PRINTER1", "MODELNAME"), "RX-C3400");
    EXPECT_EQ(doc.get("PRINTER1", "PRN_INSTMODE"), "1");
    EXPECT_EQ(doc.get("PRINTER", "COUNT"), "1");
}

TEST_F(ScriptWriterTest, PrintSettingsFollowPostScriptAndApplyRules)
{
    CPrinterInfoEx& off = addPrinter();
    off.paperSize = 9;
    off.duplex = 1;
    off.lockMask = 0xFF;
    CPrinterInfoEx& on = addPrinter();
    on.applyPrintSettings = 1;
    on.paperSize = 9;
    on.duplex = 1;
    on.lockMask = 0x81;
    CPrinterInfoEx& postScript = addPrinter();
    postScript.usePostScript = 1;
    postScript.securityBlockValid = 1;

    const auto doc = write();
    for (const char* key : {"PAPER_SIZE", "PAPER_SOURCE", "COLOR", "QUALITY", "LAYOUT", "BINDING"})
        EXPECT_EQ(doc.get("PRINTER1", key), "-1") << key;
    for (const char* key : {"USE_LAYOUT", "DUPLEX", "TONER_SAVE"})
        EXPECT_EQ(doc.get("PRINTER1", key), "0") << key;
    EXPECT_EQ(doc.get("PRINTER1", "LOCK"), "00000000");
    EXPECT_EQ(doc.get("PRINTER2", "PAPER_SIZE"), "9");
    EXPECT_EQ(doc.get("PRINTER2", "DUPLEX"), "1");
    EXPECT_EQ(doc.get("PRINTER2", "LOCK"), "10000001");
    for (const char* key : {"PAPER_SIZE", "LOCK", "SWITCH", "SECURITY"})
        EXPECT_EQ(doc.get("PRINTER3", key), std::nullopt) << key;
    EXPECT_FALSE(doc.hasSection("SECURITY1"));
}

TEST_F(ScriptWriterTest, BlocksAreCollectedIntoNumberedSections)
{
    for (int i = 0; i < 2; ++i)
        addPrinter().installMonitor = 1;
    CPrinterInfoEx& hydro = addPrinter();
    hydro.useHydro = 1;
    hydro.autoPort = 1;
    hydro.portBlockFlags = 1;
    hydro.securityBlockValid = 1;

    const auto doc = write();
    EXPECT_EQ(doc.get("PRINTER1", "CUSTOM_VDW3"), "1");
    EXPECT_EQ(doc.get("PRINTER2", "CUSTOM_VDW3"), "2");
    EXPECT_EQ(doc.get("PRINTER3", "CUSTOM_VDW3"), "0");
    EXPECT_EQ(doc.get("PRINTER3", "AUTOPORT"), "1");
    EXPECT_EQ(doc.get("PRINTER3", "CONFIRM"), "1");
    EXPECT_EQ(doc.get("PRINTER3", "SECURITY"), "1");
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::string>{"SOFTWARE", "ETC", "PRINTER", "PRINTER1", "PRINTER2",
                                                             "PRINTER3", "CUSTOM1", "CUSTOM2", "CONFIRM1", "SECURITY1"}));
    EXPECT_EQ(doc.get("CUSTOM2", "InstallSection"), "InstallCSTM");
    EXPECT_EQ(doc.get("CUSTOM1", "MonitoringIntervalNet"), "dword:00007530");
    EXPECT_EQ(doc.get("CONFIRM1", "SecureRawPortNo"), "dword:0000E740");
    EXPECT_EQ(doc.get("SECURITY1", "BlockPatternColor"), "dword:FFFFFFFF");
}

TEST_F(ScriptWriterTest, HydroPortSwitchedOffForAddressesWithoutNetworkPort)
{
    for (const char* address : {"192.168.192.168", "11.22.33.44", "\\\\SRV\\P1", "HTTP://printer/ipp"}) {
        script.Reset();
        CPrinterInfoEx& printer = addPrinter("RX-C3400", address);
        printer.useHydro = 1;
        printer.portBlockFlags = 1;
        const auto doc = write();
        EXPECT_EQ(doc.get("PRINTER1", "USE_HYDRO"), "0") << address;
        EXPECT_EQ(doc.get("PRINTER1", "AUTOPORT"), std::nullopt) << address;
        EXPECT_EQ(doc.get("PRINTER1", "CONFIRM"), std::nullopt) << address;
        EXPECT_EQ(printer.useHydro, 0) << address;
    }
}

TEST_F(ScriptWriterTest, QuotedValuesGetAnotherPairSoTheyReadBackWhole)
{
    script.scriptNote = "\"quoted note\"";
    script.productName = "'single'";
    const auto doc = write();
    EXPECT_EQ(doc.get("SOFTWARE", "DESCRIPTION"), "\"quoted note\"");
    EXPECT_EQ(doc.get("SOFTWARE", "PRODUCTNAME"), "'single'");
    EXPECT_NE(ReadFileBytes(target).find("DESCRIPTION=\"\"quoted note\"\"\r\n"), std::string::npos);
}

TEST_F(ScriptWriterTest, UtilitiesOnCdromDrivesAreWrittenWithCdromPrefix)
{
    platform::OverrideCdromDriveLetters("DE");
    CPrinterInfoEx& printer = addPrinter();
    printer.utilityPaths = {"d:\\Tools\\setup.exe", "C:\\Local\\setup.exe"};
    printer.utilityNames = {"Monitor", "Local"};
    printer.utilityFolders = {"C:\\Utils"};
    const auto doc = write();
    platform::OverrideCdromDriveLetters(std::nullopt);
    EXPECT_EQ(doc.get("PRINTER1", "UTILITY1"), "CDROM:\\Tools\\setup.exe");
    EXPECT_EQ(doc.get("PRINTER1", "PRODUCT_NAME1"), "Monitor");
    EXPECT_EQ(doc.get("PRINTER1", "UTILITY2"), "C:\\Local\\setup.exe");
    EXPECT_EQ(doc.get("PRINTER1", "UTILITY_FOLDER1"), "C:\\Utils");
}

TEST_F(ScriptWriterTest, FailedWriteKeepsThePreviousFileAndLeavesNothingBehind)
{
    addPrinter();
    ASSERT_EQ(script.Write(target), 1);
    const std::string previous = ReadFileBytes(target);

    const std::vector<std::string> unstorable = {
        "line\r\n[PRINTER2]\r\nMODELNAME=injected", // a line break would inject keys
        "  padded  ",                              // outer blanks do not survive reading
        std::string(1100, 'x'),                    // longer than a reader's buffer
    };
    for (const auto& comment : unstorable) {
        script.printers.front()->comment = comment;
        EXPECT_EQ(script.Write(target), 0);
        EXPECT_EQ(ReadFileBytes(target), previous);
        for (const auto& entry : fs::directory_iterator(program.path()))
            EXPECT_EQ(entry.path().extension() == ".writing" || entry.path().extension() == ".part", false);
    }
}

TEST_F(ScriptWriterTest, PlantedLinksAndASecondWriterNeverSpoilTheScript)
{
    // Links at the names beside the script that a save once used are neither followed nor touched.
    const fs::path elsewhere = program.writeFile("elsewhere.txt", "untouched");
    for (const char* planted : {"project.qst.writing", "project.qst.writing.part", "project.qst.part"})
        fs::create_symlink(elsewhere, program.file(planted));

    // Two processes write the same script at once, each its own printer, many times over.
    constexpr int kSaves = 40;
    std::vector<pid_t> writers;
    for (const char* name : {"First", "Second"}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            script.printers.clear();
            addPrinter().printerName = name;
            int failures = 0;
            for (int i = 0; i < kSaves; ++i)
                failures += script.Write(target) == 1 ? 0 : 1;
            ::_exit(failures == 0 ? 0 : 1);
        }
        writers.push_back(child);
    }
    for (const pid_t child : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a save failed";
    }
    EXPECT_EQ(ReadFileBytes(elsewhere), "untouched");
    EXPECT_FALSE(fs::is_symlink(target));
    const platform::ProfileDocument written = ReadScript(target);
    const auto name = written.get("PRINTER1", "PRINTERNAME");
    EXPECT_TRUE(name == "First" || name == "Second");
    EXPECT_EQ(written.get("PRINTER", "COUNT"), "1");
    for (const auto& entry : fs::directory_iterator(program.path()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".project.qst.")) << "left behind: " << entry.path();
}

TEST(ScriptWriterRules, LockMaskAndAddressRules)
{
    EXPECT_EQ(FormatLockMask(0x81), "10000001");
    EXPECT_EQ(FormatLockMask(0x05), "00000101");
    EXPECT_EQ(FormatLockMask(0x1FF), "11111111");
    EXPECT_TRUE(IsNonNetworkAddress("http://x"));
    EXPECT_FALSE(IsNonNetworkAddress("https://x"));
    EXPECT_FALSE(IsNonNetworkAddress("10.0.0.5"));
    EXPECT_EQ(StripMakerPrefix("VARDO VDL-N4000+"), "VDL-N4000+");
    EXPECT_EQ(StripMakerPrefix("VARDOX"), "VARDOX");
}
