// The installer's plan for packages that the program itself builds, and the rules for port names.

#include "InstallerCore.h"
#include "core/model/PrinterInfo.h"
#include "core/package/PackageBuilder.h"
#include "core/package/PackageFile.h"
#include "core/package/StubResource.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"
#include "support/FileTreeSupport.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace pellora::test {
namespace {

const char* const kInf = "[Version]\r\nClass=Printer\r\n[Manufacturer]\r\nVARDO=Models,NTamd64\r\n"
                         "[Models.NTamd64]\r\n\"VARDO RX-C3400\" = RX3, USBPRINT\\VARDORX-C3400\r\n"
                         "\"VARDO VDL-N4000+\" = VDL\r\n"
                         "[RX3]\r\nDriverFile=RX.DLL\r\nDataFile=RX.PPD\r\n[VDL.NTamd64]\r\nDriverFile=VDL.DLL\r\n";

// Builds a package with the program's own pipeline and unpacks it the way the stub does.
class InstallerPlanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.valid());
        m_program.writeFile("CVSetUp.exe", "MZ");
        WriteFileBytes(m_temp.path() / "drivers" / "x64" / "vardo.inf", kInf);
        WriteFileBytes(m_temp.path() / "settings.bsf", "settings");
        m_script.reboot = 1;
        m_script.logFile = "C:\\Logs\\printers.log";
    }

    CPrinterInfoEx& add(const std::string& name, const std::string& address, const std::string& model = "RX-C3400")
    {
        auto printer = std::make_unique<CPrinterInfoEx>();
        printer->printerName = name;
        printer->address = address;
        printer->modelName = model;
        printer->driverFolders.push_back((m_temp.path() / "drivers").string());
        m_script.printers.push_back(std::move(printer));
        return *m_script.printers.back();
    }

    // The plan text the installer prints for the package, and the exit code /plan gives.
    std::string plan(const std::string& packageName = "Printers Nord.exe")
    {
        const fs::path output = m_temp.path() / packageName;
        PackageBuilder builder(m_program.path(), {"CVSetUp.exe"}, PackageStubResource());
        EXPECT_TRUE(builder.BuildPackage(m_script, output)) << builder.status().text();
        const fs::path folder = m_temp.path() / "extracted";
        fs::remove_all(folder);
        CPackageFile package;
        EXPECT_TRUE(package.Load(output, folder));
        const std::string templateName = PackageTemplateName(output);
        std::ifstream in(folder / templateName, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        std::size_t length = 0;
        const std::string text =
            Take(inst_decode_text(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &length));
        const ParsedIni ini(text);
        Script script{};
        EXPECT_EQ(script_read(&script, ini.get(), 0), SCRIPT_OK);
        Plan result{};
        plan_build(&result, &script, folder.c_str(), templateName.c_str());
        m_problems.clear();
        for (std::size_t i = 0; i < result.count; ++i)
            m_problems.push_back(result.printers[i].problem != nullptr ? result.printers[i].problem : "");
        std::string described = Take(plan_describe(&result));
        plan_free(&result);
        script_free(&script);
        return described;
    }

    ScopedTempFolder m_temp;
    TestProgramFolder m_program;
    CScriptFile m_script;
    std::vector<std::string> m_problems;
};

TEST_F(InstallerPlanTest, PlansEveryKindOfPrinterAPackageCarries)
{
    CPrinterInfoEx& raw = add("Lager S\xC3\xBC" "d", "10.0.0.5");
    raw.defaultPrinter = 1;
    raw.testPrint = 1;
    raw.location = "Halle 2";
    raw.bsfPath = (m_temp.path() / "settings.bsf").string();
    raw.installMonitor = 1;
    raw.monitorBlock.EnableMonitoring = 0;
    CPrinterInfoEx& lpr = add("LPR", "printer.example", "VARDO VDL-N4000+");
    lpr.useHydro = 1;
    lpr.portBlockFlags = 1;
    std::strcpy(lpr.portBlock.QueueName, "Q1");
    lpr.usePostScript = 1;
    add("Local", "lpt1").instModeOff = 1;
    add("Shared", "\\\\SRV\\Q").sharedPrinter = 1;
    CPrinterInfoEx& device = add("Device", "192.168.192.168");
    device.connection = 1;
    device.instModeOff = 1;

    EXPECT_EQ(plan(),
              "Template \"Printers Nord.qst\": 5 printers\n"
              "Test page title \"Print Test Page\"; reboot request yes; confirm driver copies no; log file "
              "\"C:\\Logs\\printers.log\"\n"
              "Carried, not acted on: AUTOCOMPLETE=1, REQUIRE_LOGON=1, EXTEND_FEATURE=0\n"
              "Printer 1 \"Lager S\xC3\xBC" "d\" (model \"RX-C3400\", address \"10.0.0.5\")\n"
              "  port: Standard TCP/IP port \"IP_10.0.0.5\": RAW to 10.0.0.5 port 9100 (an equal existing port is "
              "reused)\n"
              "  driver: \"VARDO RX-C3400\" from DRIVER_000\\000\\x64\\vardo.inf, section RX3\n"
              "  printer: add \"Lager S\xC3\xBC" "d\" on \"IP_10.0.0.5\" with driver \"VARDO RX-C3400\"; location "
              "\"Halle 2\"\n"
              "  settings file: SETTING\\BSF_COPY.BSF to [all users' application data]\\VARDO\\VARDO RX-C3400 BSF\n"
              "  registry: HKEY_LOCAL_MACHINE\\Software\\VARDO\\VARDO RX-C3400 BSF \"BSF_COPY\" = string \"[all "
              "users' application data]\\VARDO\\VARDO RX-C3400 BSF\\BSF_COPY.BSF\"\n"
              "  registry: HKEY_LOCAL_MACHINE\\Software\\VARDO\\VARDO RX-C3400 BSF \"InitInstall\" = dword:00000001\n"
              "  printer data StatusMonitor \"CustomInstallDateTime\" = the installation time as OLE date (CUSTOM1)\n"
              "  printer data StatusMonitor \"EnableMonitoring\" = dword:00000000 (CUSTOM1)\n"
              "  printer data StatusMonitor \"InstallSection\" = string \"InstallCSTM\" (CUSTOM1)\n"
              "  printer data StatusMonitor \"LockCustomValue\" = dword:00000000 (CUSTOM1)\n"
              "  printer data StatusMonitor \"MonitoringIntervalLocal\" = dword:00002710 (CUSTOM1)\n"
              "  printer data StatusMonitor \"MonitoringIntervalNet\" = dword:00007530 (CUSTOM1)\n"
              "  default printer: yes\n"
              "  test page: \"Print Test Page\"\n"
              "  carried, not acted on: INSTALL_VDW3=1\n"
              "Printer 2 \"LPR\" (model \"VDL-N4000+\", address \"printer.example\")\n"
              "  port: Standard TCP/IP port \"IP_printer.example_LPR_Q1\": LPR to printer.example, queue \"Q1\" (an "
              "equal existing port is reused)\n"
              "  driver: \"VARDO VDL-N4000+\" from DRIVER_001\\000\\x64\\vardo.inf, section VDL.NTamd64\n"
              "  printer: add \"LPR\" on \"IP_printer.example_LPR_Q1\" with driver \"VARDO VDL-N4000+\"\n"
              // The program doubles a maker prefix the model name already has; the INF is found all the same.
              "  registry: HKEY_LOCAL_MACHINE\\Software\\VARDO\\VARDO VARDO VDL-N4000+ BSF \"InitInstall\" = "
              "dword:00000001\n"
              "  printer data PortSettings \"CheckPortNo\" = dword:0000E742 (CONFIRM1)\n"
              "  printer data PortSettings \"ProtocolID\" = dword:00000000 (CONFIRM1)\n"
              "  printer data PortSettings \"QueueName\" = string \"Q1\" (CONFIRM1)\n"
              "  printer data PortSettings \"SecureRawPortNo\" = dword:0000E740 (CONFIRM1)\n"
              "  printer data PortSettings \"SecureUserMode\" = dword:00000000 (CONFIRM1)\n"
              "  carried, not acted on: USE_PS=1\n"
              "Printer 3 \"Local\" (model \"RX-C3400\", address \"lpt1\")\n"
              "  port: local port \"LPT1:\" (an existing port is used as it is)\n"
              "  driver: \"VARDO RX-C3400\" from DRIVER_002\\000\\x64\\vardo.inf, section RX3\n"
              "  printer: add or change \"Local\" on \"LPT1:\" with driver \"VARDO RX-C3400\"\n"
              "  registry: HKEY_LOCAL_MACHINE\\Software\\VARDO\\VARDO RX-C3400 BSF \"InitInstall\" = dword:00000000\n"
              "Printer 4 \"Shared\" (model \"RX-C3400\", address \"\\\\SRV\\Q\")\n"
              "  connection: \\\\SRV\\Q (the server provides the driver)\n"
              "Printer 5 \"Device\" (model \"RX-C3400\", address \"192.168.192.168\")\n"
              "  driver: \"VARDO RX-C3400\" from DRIVER_004\\000\\x64\\vardo.inf, section RX3\n"
              "  printer: change \"Device\" if it exists, to driver \"VARDO RX-C3400\"\n"
              "  registry: HKEY_LOCAL_MACHINE\\Software\\VARDO\\VARDO RX-C3400 BSF \"InitInstall\" = dword:00000000\n");
    EXPECT_EQ(m_problems, (std::vector<std::string>(5, "")));
}

TEST_F(InstallerPlanTest, NamesWhatStopsAPrinter)
{
    add("No driver", "10.0.0.6", "RX-C2100");
    add("Store", "10.0.0.7", "RX-C5300").optionFlags = 0x24;
    add("", "10.0.0.8");
    add("Placeholder", "11.22.33.44");
    add("Bad host", "10.0.0.9/24");
    CPrinterInfoEx& noQueue = add("No queue", "10.0.0.10");
    noQueue.useHydro = 1;
    noQueue.portBlockFlags = 1;
    noQueue.portBlock.QueueName[0] = '\0';

    const std::string text = plan();
    EXPECT_NE(text.find("  driver: \"VARDO RX-C5300\" from the system's driver store\n"), std::string::npos) << text;
    EXPECT_EQ(m_problems, (std::vector<std::string>{
                              "no INF file in DRIVER_000 names the model \"VARDO RX-C2100\"",
                              "",
                              "the printer has no name",
                              "the printer has no address",
                              "the address \"10.0.0.9/24\" is no host name or IPv4 address",
                              "LPR printing needs a queue name",
                          }));
}

TEST(InstallerPortNames, LocalPortsAreTellTaleNamesOrFilePaths)
{
    struct Case {
        const char* address;
        const char* port; // nullptr: a network address
    };
    const Case cases[] = {
        {"lpt1", "LPT1:"},   {"COM12:", "COM12:"}, {"file", "FILE:"},    {"nul:", "NUL:"},
        {"C:\\out\\printer.prn", "C:\\out\\printer.prn"}, {"LPT1234", nullptr}, {"LPT", nullptr},
        {"COMx", nullptr},   {"CON", nullptr},     {"10.0.0.5", nullptr}, {"c:out.prn", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const std::string port = Take(plan_local_port(c.address));
        EXPECT_EQ(port, c.port != nullptr ? c.port : "");
    }
    EXPECT_EQ(Take(plan_driver_folder(1)), "DRIVER_000");
    EXPECT_EQ(Take(plan_driver_folder(1001)), "DRIVER_1000");
}

} // namespace
} // namespace pellora::test
