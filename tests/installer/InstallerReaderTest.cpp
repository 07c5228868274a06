// The installer's readers: template text and script, registry value texts, driver INF files and the
// driver install information files, each fed with what the program itself writes where it can.

#include "InstallerCore.h"
#include "core/model/PrinterInfo.h"
#include "core/package/DriverInfo.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace pellora::test {
namespace {

std::string Decode(std::string_view bytes)
{
    std::size_t length = 0;
    return Take(inst_decode_text(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &length));
}

std::string Describe(const RegTextValue& value)
{
    return Take(reg_text_describe(&value));
}

std::vector<std::string> Items(const InstList& list)
{
    return {list.items, list.items + list.count};
}

TEST(InstallerTemplateText, FollowsTheProfileRulesTheProgramWritesWith)
{
    const ParsedIni ini("orphan=before any section\n"
                        "[Etc]\r\n"
                        "  Key One =  \"quoted value\"  \r\n"
                        "single='single'\n"
                        "mixed=\"open'\n"
                        "KEY ONE=second of a duplicate\n"
                        "=no key\n"
                        "no equals sign\n"
                        "[etc]\n"
                        "late=in a repeated section\n"
                        "[ Other ]\n"
                        "empty=\n"
                        "inner=a=b\n");
    EXPECT_EQ(ini.get()->count, 2u);
    EXPECT_STREQ(ini.value("ETC", "key one"), "quoted value");
    EXPECT_STREQ(ini.value("etc", "single"), "single");
    EXPECT_STREQ(ini.value("etc", "mixed"), "\"open'");
    EXPECT_EQ(ini.value("etc", "late"), nullptr) << "keys of a repeated section are never read";
    EXPECT_EQ(ini.value("etc", "orphan"), nullptr);
    EXPECT_STREQ(ini.value("other", "empty"), "");
    EXPECT_STREQ(ini.value("other", "inner"), "a=b");
    EXPECT_EQ(ini.value("missing", "empty"), nullptr);

    const IniSection* etc = ini_section(ini.get(), "Etc");
    ASSERT_NE(etc, nullptr);
    EXPECT_EQ(etc->count, 3u);
    for (std::size_t i = 0; i < etc->count; ++i) {
        if (std::strcmp(etc->entries[i].key, "Key One") == 0) {
            EXPECT_STREQ(etc->entries[i].raw, "\"quoted value\"");
        }
    }
}

TEST(InstallerTemplateText, DecodesEveryEncodingToUtf8)
{
    EXPECT_EQ(Decode("\xEF\xBB\xBF[A]\r\nx=Lager S\xC3\xBC" "d"), "[A]\r\nx=Lager S\xC3\xBC" "d");
    EXPECT_EQ(Decode(std::string("\xFF\xFE" "A\0\xFC\0=\0\x3D\xD8\x00\xDE", 12)), "A\xC3\xBC=\xF0\x9F\x98\x80");
    EXPECT_EQ(Decode(std::string("\xFE\xFF\0A\0\xFC", 6)), "A\xC3\xBC");
    // Not UTF-8: the ANSI code page (Windows-1252 here), which has the euro sign at 0x80.
    EXPECT_EQ(Decode("S\xFC" "d \x80"), "S\xC3\xBC" "d \xE2\x82\xAC");
    EXPECT_EQ(Decode(std::string("a\0b", 3)), "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Decode("\xC0\xAF"), "\xC3\x80\xC2\xAF") << "an overlong form is no UTF-8";
    EXPECT_EQ(Decode(std::string("\xFF\xFE\x00\xD8", 4)), "\xEF\xBF\xBD") << "a lone surrogate";
}

// Writes a script through the program's own writer and reads it back through the installer.
class InstallerScriptTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_temp.valid()); }

    CPrinterInfoEx& add(const std::string& name, const std::string& address)
    {
        auto printer = std::make_unique<CPrinterInfoEx>();
        printer->printerName = name;
        printer->address = address;
        printer->modelName = "VARDO RX-C3400";
        printer->driverFolders.push_back("/srv/drivers/rx");
        m_script.printers.push_back(std::move(printer));
        return *m_script.printers.back();
    }

    std::string written()
    {
        const fs::path path = m_temp.path() / "Project.qst";
        EXPECT_EQ(m_script.Write(path), 1);
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    ScopedTempFolder m_temp;
    TestProgramFolder m_program;
    CScriptFile m_script;
};

TEST_F(InstallerScriptTest, ReadsEverySettingTheProgramWrites)
{
    m_script.logFile = "%TEMP%\\install.log";
    m_script.testPageTitle = "Probeseite S\xC3\xBC" "d";
    m_script.reboot = 1;
    m_script.confirmDriverCopy = 1;

    CPrinterInfoEx& lpr = add("Lager S\xC3\xBC" "d", "10.0.0.5");
    lpr.location = "Halle 2";
    lpr.comment = "\"Erdgeschoss\"";
    lpr.defaultPrinter = 1;
    lpr.testPrint = 1;
    lpr.macAddress = "00:11:22:33:44:55";
    lpr.useHydro = 1;
    lpr.portBlockFlags = 1;
    lpr.portBlock.ProtocolID = 0;
    std::strcpy(lpr.portBlock.QueueName, "LagerQ");
    lpr.installMonitor = 1;
    lpr.monitorBlock.MonitoringIntervalNet = 45;
    lpr.securityBlockValid = 1;
    lpr.installUtility = 1;
    lpr.utilityPaths = {"C:\\Tools\\setup.exe"};
    lpr.utilityNames = {"Tool"};

    CPrinterInfoEx& raw = add("Raw", "printer.example");
    raw.useHydro = 1;
    raw.portBlockFlags = 1;
    raw.portBlock.ProtocolID = 1;
    raw.portBlock.SecureRawPortNo = 9101;
    raw.instModeOff = 1;
    raw.connection = 1;

    const std::string text = written();
    const ParsedIni ini(text);
    Script script{};
    ASSERT_EQ(script_read(&script, ini.get(), 45000.5), SCRIPT_OK);
    EXPECT_STREQ(script.logFile, "%TEMP%\\install.log");
    EXPECT_STREQ(script.testPageTitle, "Probeseite S\xC3\xBC" "d");
    EXPECT_EQ(script.reboot, 1);
    EXPECT_EQ(script.confirmDriverCopy, 1);
    EXPECT_EQ(Items(script.ignored),
              (std::vector<std::string>{"AUTOCOMPLETE=1", "REQUIRE_LOGON=1", "EXTEND_FEATURE=0"}));
    ASSERT_EQ(script.count, 2u);

    const ScriptPrinter& first = script.printers[0];
    EXPECT_EQ(first.number, 1);
    EXPECT_STREQ(first.printerName, "Lager S\xC3\xBC" "d");
    EXPECT_STREQ(first.modelName, "RX-C3400") << "the writer drops the maker prefix";
    EXPECT_STREQ(first.location, "Halle 2");
    EXPECT_STREQ(first.comment, "\"Erdgeschoss\"") << "the writer's extra quotes come off again";
    EXPECT_EQ(first.defaultPrinter, 1);
    EXPECT_EQ(first.testPrint, 1);
    EXPECT_EQ(first.updateMode, 0);
    EXPECT_EQ(first.connection, 0);
    EXPECT_EQ(first.protocol, PROTOCOL_LPR);
    EXPECT_STREQ(first.queueName, "LagerQ");
    EXPECT_STREQ(first.options[OPTION_MONITOR].section, "CUSTOM1");
    EXPECT_STREQ(first.options[OPTION_PORT].section, "CONFIRM1");
    EXPECT_STREQ(first.options[OPTION_SECURITY].section, "SECURITY1");
    std::map<std::string, std::string> monitor;
    for (std::size_t i = 0; i < first.options[OPTION_MONITOR].count; ++i) {
        const OptionValue& value = first.options[OPTION_MONITOR].values[i];
        monitor[value.name] = value.parsed ? Describe(value.value) : "unparsed";
    }
    EXPECT_EQ(monitor["InstallSection"], "string \"InstallCSTM\"");
    EXPECT_EQ(monitor["MonitoringIntervalNet"], "dword:0000AFC8");
    EXPECT_EQ(monitor["CustomInstallDateTime"], "hex:00,00,00,00,10,F9,E5,40") << "%DATE% becomes the given time";
    const std::vector<std::string> ignored = Items(first.ignored);
    EXPECT_NE(std::find(ignored.begin(), ignored.end(), "MACADDRESS=00:11:22:33:44:55"), ignored.end());
    EXPECT_NE(std::find(ignored.begin(), ignored.end(), "INSTALL_UTILITY=1"), ignored.end());
    EXPECT_NE(std::find(ignored.begin(), ignored.end(), "INSTALL_VDW3=1"), ignored.end());
    for (const std::string& key : ignored)
        EXPECT_EQ(key.find("PRINTERNAME"), std::string::npos) << key;

    const ScriptPrinter& second = script.printers[1];
    EXPECT_EQ(second.updateMode, 1);
    EXPECT_EQ(second.connection, 1);
    EXPECT_EQ(second.protocol, PROTOCOL_RAW);
    EXPECT_EQ(second.rawPort, 9101);
    EXPECT_EQ(second.options[OPTION_MONITOR].section, nullptr);
    script_free(&script);
}

TEST(InstallerScript, RefusesForeignFilesAndSurvivesNonsense)
{
    Script script{};
    const ParsedIni foreign("[SOFTWARE]\nFILE=Other\nVER=2.02\n");
    EXPECT_EQ(script_read(&script, foreign.get(), 0), SCRIPT_NOT_A_SCRIPT);
    const ParsedIni noVersion("[SOFTWARE]\nFILE=Pellora\n");
    EXPECT_EQ(script_read(&script, noVersion.get(), 0), SCRIPT_NOT_A_SCRIPT);

    // A count far beyond the sections, numbers past the int range, a port section that is missing.
    const ParsedIni odd("[SOFTWARE]\nFILE=Pellora\nVER=2.02\n[ETC]\nREBOOT=99999999999999999999\n"
                        "[PRINTER]\nCOUNT=2147483647\n[PRINTER1]\nUSE_HYDRO=1\nCONFIRM=-5\nCUSTOM_VDW3=7\n"
                        "TEST_PRINT=-99999999999999\n");
    ASSERT_EQ(script_read(&script, odd.get(), 0), SCRIPT_OK);
    EXPECT_EQ(script.count, odd.get()->count);
    EXPECT_EQ(script.reboot, 1);
    EXPECT_STREQ(script.testPageTitle, "Print Test Page");
    EXPECT_EQ(script.printers[0].testPrint, 1);
    EXPECT_EQ(script.printers[0].options[OPTION_PORT].section, nullptr);
    EXPECT_STREQ(script.printers[0].options[OPTION_MONITOR].section, "CUSTOM7");
    EXPECT_EQ(script.printers[0].options[OPTION_MONITOR].count, 0u);
    EXPECT_EQ(script.printers[0].protocol, PROTOCOL_RAW);
    EXPECT_EQ(script.printers[0].rawPort, 9100);
    EXPECT_STREQ(script.printers[1].printerName, "") << "a missing section reads as an empty printer";
    script_free(&script);
}

TEST(InstallerRegistryText, ParsesEveryNotation)
{
    struct Case {
        const char* text;
        const char* expected; // described, or nullptr when the text must fail
    };
    const Case cases[] = {
        {"DWORD:ff", "dword:000000FF"},
        {"dword:1g", "dword:00000010"},
        {"dword:123456789", "dword:23456789"},
        {"\"abc\"", "string \"abc\""},
        {"\"\"\"abc\"\"", "string \"abc\""},
        {"hex:0a, 0b", "hex:0A,0B"},
        {"hex:", "hex:"},
        {"hex(2):41,00", "hex(2):41,00"},
        {"HEX(7):1ff,\t2", "hex(7):FF,02"},
        {"hex(1):41,42", "string \"AB\""}, // a string without its NUL, as a text may write it
        {"hexes", "hex(0):E0"},
        {"abc", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RegTextValue value{};
        const int parsed = reg_text_parse(c.text, 0, &value);
        EXPECT_EQ(parsed, c.expected != nullptr ? 1 : 0);
        if (parsed) {
            EXPECT_EQ(Describe(value), c.expected);
        }
        reg_text_free(&value);
    }
    RegTextValue date{};
    ASSERT_EQ(reg_text_parse("%Date%", 46000.25, &date), 1);
    ASSERT_EQ(date.size, 8u);
    double stored = 0;
    std::memcpy(&stored, date.data, 8);
    EXPECT_EQ(date.type, REG_TEXT_BINARY);
    EXPECT_EQ(stored, 46000.25);
    reg_text_free(&date);
}

std::string Utf16(std::string_view ascii)
{
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(InstallerDriverInf, FindsTheModelsInstallSectionAndFiles)
{
    const std::string inf = Utf16(
        "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n"
        "[Manufacturer]\r\n%MAKER%=Models,NTx86,NTamd64.6.1\r\n"
        "[Models.NTx86]\r\n\"VARDO RX-C3400\"=WRONG\r\n"
        "[Models.NTamd64.6.1]\r\n"
        "\"VARDO RX-C5300\" = RX5, USBPRINT\\VARDORX-C5300\r\n"
        "%RX3400% = RX3, \\\r\n    USBPRINT\\VARDORX-C3400 ; the model's hardware id\r\n"
        "[RX3.NTamd64]\r\nCopyFiles=@RX3.GPD, RX_FILES\r\nDataSection=COMMON\r\nInclude=NTPRINT.INF\r\n"
        "Needs=UNIDRV.OEM\r\n"
        "[RX3]\r\nDriverFile=NOT-FOR-X64.DLL\r\n"
        "[COMMON]\r\nDriverFile=UNIDRV.DLL\r\nConfigFile=UNIDRVUI.DLL\r\nDataFile=RX3.GPD\r\nHelpFile=UNIDRV.HLP\r\n"
        "[RX_FILES]\r\nRXRES.DLL\r\nRX3.GPD\r\nUNIDRV.DLL\r\nRX;COMMENT.INI,SOURCE.INI\r\n"
        "[Strings]\r\nMAKER=\"VARDO\"\r\nRX3400=\"VARDO RX-C3400 \"\"Office\"\"; A4\"\r\n");
    const std::string text = Decode(inf);
    const ParsedInf parsed(text);
    EXPECT_EQ(driver_inf_is_printer(parsed.get()), 1);

    const char* const candidates[] = {"VARDO VARDO RX-C3400", "vardo rx-c3400 \"office\"; a4"};
    DriverInf driver{};
    ASSERT_EQ(driver_inf_find(parsed.get(), candidates, 2, &driver), 1);
    EXPECT_STREQ(driver.modelName, "VARDO RX-C3400 \"Office\"; A4");
    EXPECT_STREQ(driver.installSection, "RX3.NTamd64");
    EXPECT_STREQ(driver.hardwareId, "USBPRINT\\VARDORX-C3400");
    EXPECT_STREQ(driver.driverFile, "UNIDRV.DLL");
    EXPECT_STREQ(driver.configFile, "UNIDRVUI.DLL");
    EXPECT_STREQ(driver.dataFile, "RX3.GPD");
    EXPECT_STREQ(driver.helpFile, "UNIDRV.HLP");
    EXPECT_EQ(Items(driver.dependentFiles), (std::vector<std::string>{"RXRES.DLL", "RX"}));
    EXPECT_EQ(Items(driver.needs), (std::vector<std::string>{"NTPRINT.INF", "UNIDRV.OEM"}));
    driver_inf_free(&driver);

    const char* const absent[] = {"VARDO RX-C2100", "", nullptr};
    EXPECT_EQ(driver_inf_find(parsed.get(), absent, 3, &driver), 0);
    const ParsedInf display("[Version]\nClass=Display\n");
    EXPECT_EQ(driver_inf_is_printer(display.get()), 0);
}

// The driver install information text as the program writes it, read by the installer.
DriverInfo ReadDriverInfo(const CPrinterInfoEx& printer, std::string_view settingsFile)
{
    const ParsedInf parsed(DriverInfoText(printer, settingsFile));
    DriverInfo info{};
    driver_info_read(&info, parsed.get());
    return info;
}

TEST(InstallerDriverInfo, ReadsBothTemplatesTheProgramWrites)
{
    CPrinterInfoEx printer;
    printer.modelName = "RX-C3400";
    DriverInfo withFile = ReadDriverInfo(printer, "BSF_COPY_002.BSF");
    EXPECT_STREQ(withFile.driverName, "VARDO RX-C3400");
    EXPECT_STREQ(withFile.settingsFile, "BSF_COPY_002.BSF");
    EXPECT_STREQ(withFile.settingsFolder, "@@0x23\\VARDO\\VARDO RX-C3400 BSF");
    ASSERT_EQ(withFile.count, 2u);
    EXPECT_STREQ(withFile.values[0].key, "Software\\VARDO\\VARDO RX-C3400 BSF");
    EXPECT_STREQ(withFile.values[0].name, "BSF_COPY");
    EXPECT_EQ(Describe(withFile.values[0].value), "string \"@@0x23\\VARDO\\VARDO RX-C3400 BSF\\BSF_COPY_002.BSF\"");
    EXPECT_STREQ(withFile.values[1].name, "InitInstall");
    EXPECT_EQ(Describe(withFile.values[1].value), "dword:00000001");
    EXPECT_EQ(withFile.problems.count, 0u);
    driver_info_free(&withFile);

    printer.instModeOff = 1;
    printer.modelName = "VARDO RX-C3400";
    DriverInfo withoutFile = ReadDriverInfo(printer, "");
    EXPECT_STREQ(withoutFile.driverName, "VARDO VARDO RX-C3400") << "the program doubles a prefix it was given";
    EXPECT_EQ(withoutFile.settingsFile, nullptr);
    ASSERT_EQ(withoutFile.count, 1u);
    EXPECT_EQ(Describe(withoutFile.values[0].value), "dword:00000000");
    driver_info_free(&withoutFile);

    // An update mode the template has no number for leaves the token in place: not a value it can write.
    printer.instModeOff = 7;
    DriverInfo unknown = ReadDriverInfo(printer, "");
    EXPECT_EQ(unknown.count, 0u);
    EXPECT_EQ(Items(unknown.problems),
              (std::vector<std::string>{"registry value of unknown type or data: InitInstall"}));
    driver_info_free(&unknown);
}

} // namespace
} // namespace pellora::test
