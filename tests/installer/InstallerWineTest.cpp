// CVSetUp.exe under Wine: the plan it prints, and real runs of packages the program builds, through the
// Windows stub, as far as Wine's spooler goes. All cases share one Wine prefix.

#include "InstallerCore.h"
#include "core/model/PrinterInfo.h"
#include "core/package/PackageBuilder.h"
#include "core/package/PackageFile.h"
#include "core/package/StubResource.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"
#include "support/FileTreeSupport.h"
#include "support/TestProgramFolder.h"
#include "support/WinePrefix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace pellora::test {
namespace {

const char* const kInf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\nProvider=%VARDO%\r\n"
                         "[Manufacturer]\r\n%VARDO%=VARDO,NTamd64\r\n"
                         "[VARDO.NTamd64]\r\n\"VARDO RX-C3400\" = RXC3400, VARDORX-C3400\r\n"
                         "[RXC3400]\r\nCopyFiles=RXC3400_FILES\r\nDriverFile=wineps.drv\r\nConfigFile=wineps.drv\r\n"
                         "DataFile=RXC3400.PPD\r\n[RXC3400_FILES]\r\nwineps.drv\r\nRXC3400.PPD\r\n"
                         "[Strings]\r\nVARDO=\"VARDO\"\r\n";
const char* const kPpd = "*PPD-Adobe: \"4.3\"\n*NickName: \"VARDO RX-C3400\"\n*ModelName: \"RX-C3400\"\n"
                         "*LanguageLevel: \"2\"\n*ColorDevice: False\n*DefaultPageSize: A4\n"
                         "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n*DefaultImageableArea: A4\n"
                         "*ImageableArea A4/A4: \"0 0 595 842\"\n*DefaultPaperDimension: A4\n"
                         "*PaperDimension A4/A4: \"595 842\"\n";
const std::string kName = "Lager S\xC3\xBC" "d";

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

class InstallerWineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_prefix = new WinePrefix(); }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_temp.valid());
        ASSERT_FALSE(s_prefix->path().empty());
        fs::copy_file(fs::path(PELLORA_BIN_DIR) / "CVSetUp.exe", m_program.file("CVSetUp.exe"));
        const fs::path drivers = m_temp.path() / "drivers";
        WriteFileBytes(drivers / "vardo.inf", kInf);
        WriteFileBytes(drivers / "RXC3400.PPD", kPpd);
        fs::copy_file(PELLORA_WINE_PS_DRIVER, drivers / "wineps.drv");
        WriteFileBytes(m_temp.path() / "settings.bsf", "driver extension settings");
        m_script.logFile = WinePrefix::windowsPath(log());
        m_script.testPageTitle = "Probeseite S\xC3\xBC" "d";
        m_script.reboot = 1;
    }

    fs::path log() const { return m_temp.path() / "install.log"; }

    // A printer on a file port of drive C:, with this test's driver folder.
    CPrinterInfoEx& add(const std::string& name, const std::string& address)
    {
        auto printer = std::make_unique<CPrinterInfoEx>();
        printer->printerName = name;
        printer->address = address;
        printer->modelName = "RX-C3400";
        printer->driverFolders.push_back((m_temp.path() / "drivers").string());
        m_script.printers.push_back(std::move(printer));
        return *m_script.printers.back();
    }

    fs::path build(const std::string& name)
    {
        const fs::path output = m_temp.path() / name;
        PackageBuilder builder(m_program.path(), {"CVSetUp.exe"}, PackageStubResource());
        EXPECT_TRUE(builder.BuildPackage(m_script, output)) << builder.status().text();
        return output;
    }

    // Runs a Windows program through the probe, which reports the full exit code; -1 when there is none.
    static int runFull(const std::vector<std::string>& command, const fs::path& folder, std::string* output = nullptr)
    {
        std::vector<std::string> arguments{"run"};
        arguments.insert(arguments.end(), command.begin(), command.end());
        const WinePrefix::Result result = s_prefix->run(PELLORA_WINE_PROBE, arguments, folder);
        const std::size_t at = result.output.rfind("exit=");
        if (output != nullptr)
            *output = result.output.substr(0, at == std::string::npos ? result.output.size() : at);
        return at == std::string::npos ? -1 : std::stoi(result.output.substr(at + 5));
    }

    static std::string printers() { return s_prefix->run(PELLORA_WINE_PROBE, {"printers"}, "/").output; }

    static WinePrefix* s_prefix;
    ScopedTempFolder m_temp;
    TestProgramFolder m_program;
    CScriptFile m_script;
};

WinePrefix* InstallerWineTest::s_prefix = nullptr;

TEST_F(InstallerWineTest, PlanPrintsWhatTheNativePlanSaysAndChangesNothing)
{
    add(kName, "10.0.0.5").testPrint = 1;
    CPrinterInfoEx& lpr = add("LPR", "printer.example");
    lpr.useHydro = 1;
    lpr.portBlockFlags = 1;
    add("Local", "lpt1").instModeOff = 1;
    add("Shared", "\\\\SRV\\Q");
    const fs::path package = build("Printers Nord.exe");
    const fs::path folder = m_temp.path() / "extracted";
    CPackageFile unpacked;
    ASSERT_TRUE(unpacked.Load(package, folder));

    const std::string text = ReadText(folder / "Printers Nord.qst");
    const ParsedIni ini(text);
    Script script{};
    ASSERT_EQ(script_read(&script, ini.get(), 0), SCRIPT_OK);
    Plan plan{};
    plan_build(&plan, &script, folder.c_str(), "Printers Nord.qst");
    const std::string expected = Take(plan_describe(&plan));
    plan_free(&plan);
    script_free(&script);

    std::string printed;
    const std::string planLog = WinePrefix::windowsPath(m_temp.path() / "plan.log");
    EXPECT_EQ(runFull({WinePrefix::windowsPath(folder / "CVSetUp.exe"), "/plan", "/log", planLog, "Printers Nord.qst"},
                      folder, &printed),
              0);
    EXPECT_EQ(printed, expected);
    const std::string logged = ReadText(m_temp.path() / "plan.log");
    EXPECT_TRUE(Contains(logged, "  port: Standard TCP/IP port \"IP_printer.example_LPR_TSPQueue\"")) << logged;
    EXPECT_TRUE(Contains(logged, "exit code 0")) << logged;
    EXPECT_FALSE(fs::exists(log())) << "/log replaces the script's log file";
    EXPECT_EQ(printers(), "default\t\n") << "a plan changes nothing";

    EXPECT_EQ(runFull({WinePrefix::windowsPath(folder / "CVSetUp.exe"), "/quiet", "/bogus", "Printers Nord.qst"},
                      folder),
              87);
    EXPECT_EQ(runFull({WinePrefix::windowsPath(folder / "CVSetUp.exe"), "/quiet", "Missing.qst"}, folder), 2);
}

// The whole way: the program builds the package, the Windows stub unpacks it and starts CVSetUp.exe,
// which installs the printer through Wine's spooler. Kept in one case because each step builds on the
// printer the one before left.
TEST_F(InstallerWineTest, PackageInstallsAPrinterOnAFilePortAndUpdatesItOnlyInUpdateMode)
{
    CPrinterInfoEx& printer = add(kName, "C:\\printer-out.prn");
    printer.location = "Halle 2";
    printer.comment = "Erdgeschoss";
    printer.defaultPrinter = 1;
    printer.testPrint = 1;
    printer.bsfPath = (m_temp.path() / "settings.bsf").string();
    printer.installMonitor = 1;
    printer.macAddress = "00:11:22:33:44:55";
    const fs::path package = build("Lager.exe");

    EXPECT_EQ(runFull({WinePrefix::windowsPath(package), "/quiet"}, m_temp.path()), 3010);
    EXPECT_EQ(printers(), kName + "\tC:\\printer-out.prn\tVARDO RX-C3400\tErdgeschoss\tHalle 2\ndefault\t" + kName + "\n");
    const std::string page = ReadText(s_prefix->driveC() / "printer-out.prn");
    EXPECT_EQ(page.rfind("%!PS-Adobe", 0), 0u) << "the test page goes through Wine's PostScript driver";
    // The manifest makes UTF-8 the installer's code page, so Wine's driver writes the title in UTF-8.
    EXPECT_TRUE(Contains(page, "%%Title: (Probeseite S\\303\\274d)")) << page.substr(0, 400);
    EXPECT_EQ(ReadText(s_prefix->driveC() / "ProgramData" / "VARDO" / "VARDO RX-C3400 BSF" / "BSF_COPY.BSF"),
              "driver extension settings");
    const std::string registry =
        s_prefix->run("reg", {"query", "HKLM\\Software\\VARDO\\VARDO RX-C3400 BSF"}, "/").output;
    EXPECT_TRUE(Contains(registry, "C:\\ProgramData\\VARDO\\VARDO RX-C3400 BSF\\BSF_COPY.BSF")) << registry;
    EXPECT_TRUE(Contains(registry, "InitInstall    REG_DWORD    0x1")) << registry;

    const std::string logged = ReadText(log());
    for (const char* line : {
             "carried, not acted on: MACADDRESS=00:11:22:33:44:55",
             "port \"C:\\printer-out.prn\" (local): done (0)",
             "driver \"VARDO RX-C3400\" (driver package functions not available; installed from the INF's files): done (0)",
             "printer \"Lager S\xC3\xBC" "d\" added: done (0)",
             "registry value HKEY_LOCAL_MACHINE\\Software\\VARDO\\VARDO RX-C3400 BSF \"InitInstall\": done (0)",
             "printer data \"StatusMonitor\" from CUSTOM1: done (0)",
             "default printer \"Lager S\xC3\xBC" "d\": done (0)",
             "test page \"Probeseite S\xC3\xBC" "d\": done (0)",
             "exit code 3010",
         })
        EXPECT_TRUE(Contains(logged, line)) << line << "\n" << logged;
    EXPECT_FALSE(Contains(logged, "failed")) << logged;

    // Installing the same printer again is refused unless the package says "update".
    fs::remove(log());
    EXPECT_EQ(runFull({WinePrefix::windowsPath(package), "/quiet"}, m_temp.path()), 1802);
    EXPECT_TRUE(Contains(ReadText(log()), "added: failed with error 1802")) << ReadText(log());

    printer.instModeOff = 1;
    printer.comment = "Obergeschoss";
    printer.testPrint = 0;
    m_script.reboot = 0;
    EXPECT_EQ(runFull({WinePrefix::windowsPath(build("Lager neu.exe")), "/quiet"}, m_temp.path()), 0);
    EXPECT_EQ(printers(), kName + "\tC:\\printer-out.prn\tVARDO RX-C3400\tObergeschoss\tHalle 2\ndefault\t" + kName + "\n");
    EXPECT_TRUE(Contains(ReadText(log()), "printer \"Lager S\xC3\xBC" "d\" changed: done (0)"));
}

// Wine has no Standard TCP/IP port monitor and no printer connections: such printers fail with the
// error the spooler gives, are logged, and the printers after them are still installed.
TEST_F(InstallerWineTest, StepsWineCannotCarryFailWithTheirErrorAndTheRestGoesOn)
{
    add("Network", "127.0.0.1");
    add("Shared", "\\\\127.0.0.1\\Q");
    add("After", "C:\\after.prn");
    m_script.reboot = 0;
    EXPECT_EQ(runFull({WinePrefix::windowsPath(build("Mixed.exe")), "/quiet"}, m_temp.path()), 1796);
    const std::string logged = ReadText(log());
    EXPECT_TRUE(Contains(logged, "port \"IP_127.0.0.1\" (Standard TCP/IP, RAW to 127.0.0.1 port 9100): failed with "
                                 "error 1796"))
        << logged;
    EXPECT_TRUE(Contains(logged, "printer connection \"\\\\127.0.0.1\\Q\": failed with error 50")) << logged;
    EXPECT_TRUE(Contains(logged, "printer \"After\" added: done (0)")) << logged;
    EXPECT_TRUE(Contains(logged, "1 of 3 printers installed")) << logged;
    EXPECT_TRUE(Contains(printers(), "After\tC:\\after.prn\tVARDO RX-C3400\t"));
}

} // namespace
} // namespace pellora::test
