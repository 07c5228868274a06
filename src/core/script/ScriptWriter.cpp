#include "core/script/ScriptWriter.h"

#include "core/platform/Drives.h"
#include "core/platform/Profile.h"
#include "core/script/OptionSections.h"
#include "core/script/ScriptFile.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <system_error>

namespace pellora {

namespace fs = std::filesystem;
using platform::Profile;

namespace {

constexpr std::size_t kReadBufferSize = 1024;
constexpr const char* kPlaceholderFound = "11.22.33.44";
constexpr const char* kPlaceholderByHand = "192.168.192.168";

std::string currentDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[128] = {};
    std::strftime(text, sizeof text, "%c", &local);
    return text;
}

std::string numbered(const char* format, int number)
{
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && platform::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

} // namespace

bool IsNonNetworkAddress(std::string_view address)
{
    return address == kPlaceholderFound || address == kPlaceholderByHand || address.substr(0, 2) == "\\\\" ||
           startsWithNoCase(address, "http://");
}

std::string StripMakerPrefix(std::string_view modelName)
{
    if (startsWithNoCase(modelName, "VARDO "))
        modelName.remove_prefix(6);
    return std::string(modelName);
}

std::string FormatLockMask(int32_t lockMask)
{
    std::string digits(8, '0');
    for (int bit = 7; bit >= 0; --bit) {
        if (lockMask & (1 << bit))
            digits[7 - bit] = '1';
    }
    return digits;
}

ScriptWriter::ScriptWriter(CScriptFile& script)
    : m_script(script)
{
}

bool ScriptWriter::Write(const fs::path& target)
{
    // The script is made anew in the cache and replaces the file only when every key verified and a
    // reader of the written file gets what was meant; otherwise the previous file stays as it was.
    m_file = target;
    Profile& profile = Profile::instance();
    profile.startEmpty(m_file);
    m_ok = true;
    m_monitorBlocks.clear();
    m_portBlocks.clear();
    m_securityBlocks.clear();
    m_cdromLetters = platform::CdromDriveLetters();

    m_script.software = ApplicationTitle();
    m_script.fileVersion = kScriptFileVersion;
    m_script.date = currentDate();
    m_script.readStatus = 0;

    writeSoftwareSections();
    int number = 1;
    for (auto& printer : m_script.printers)
        writePrinter(*printer, number++);
    writeBlockSections();

    m_ok = m_ok && profile.flush(m_file);
    profile.forget(m_file);
    return m_ok;
}

void ScriptWriter::writeSoftwareSections()
{
    m_script.section = "SOFTWARE";
    key("FILE", m_script.software);
    key("VER", m_script.fileVersion);
    key("DATE", m_script.date);
    key("DESCRIPTION", m_script.scriptNote);
    key("PRODUCTNAME", m_script.productName);

    m_script.section = "ETC";
    key("LOGFILE", m_script.logFile);
    key("AUTOCOMPLETE", m_script.autoComplete);
    key("TESTPAGE_TITLE", m_script.testPageTitle);
    key("REBOOT", m_script.reboot);
    key("CONFIRM_DRIVERCOPY", m_script.confirmDriverCopy);
    key("REQUIRE_LOGON", m_script.requireLogon);
    key("EXTEND_FEATURE", m_script.extendFeature);

    m_script.section = "PRINTER";
    key("COUNT", static_cast<int>(m_script.printers.size()));
}

void ScriptWriter::writePrinter(CPrinterInfoEx& printer, int number)
{
    m_script.section = numbered("PRINTER%d", number);
    key("PRN_ADDRESS", printer.address);
    key("MODELNAME", StripMakerPrefix(printer.modelName));
    key("ORG_MODELNAME", printer.reportedModelName);
    key("PRINTERNAME", printer.printerName);
    key("MACADDRESS", printer.macAddress);
    key("LOCATION", printer.location);
    key("DEVID", printer.deviceId);
    key("COMMENT", printer.comment);
    flag("USE_CDROM", printer.optionFlags & 2);
    flag("USE_INBOX", printer.optionFlags & 0x24);
    flag("USE_FOLDER", printer.optionFlags & 1);
    key("FOLDER_PATH", printer.driverFolders.empty() ? std::string() : printer.driverFolders.front());
    flag("DEFAULT_PRINTER", printer.defaultPrinter);
    key("TEST_PRINT", printer.testPrint);
    flag("USE_PS", printer.usePostScript);
    flag("USE_COMMONDRIVER", printer.useCommonDriver);
    // A printer without a real network address cannot use the hydro port.
    if (printer.useHydro && IsNonNetworkAddress(printer.address))
        printer.useHydro = 0;
    flag("USE_HYDRO", printer.useHydro);

    if (!printer.usePostScript) {
        key("PAPER_SIZE", printer.GetPaperSize());
        key("PAPER_SOURCE", printer.GetPaperSource());
        key("COLOR", printer.GetColor());
        key("QUALITY", printer.GetQuality());
        key("USE_LAYOUT", printer.GetUseLayout());
        key("LAYOUT", printer.GetLayout());
        key("DUPLEX", printer.GetDuplex());
        flag("CORRESPOND_PRINTING_SETTING_ITEM", printer.applyPrintSettings);
        flag("SWITCH", printer.switchSetting);
        key("BINDING", printer.GetBinding());
        key("TONER_SAVE", printer.GetTonerSave());
        key("LOCK", FormatLockMask(printer.EffectiveLockMask()));
    }

    flag("INSTALL_UTILITY", printer.installUtility);
    key("UTILITY_COUNT", static_cast<int>(printer.utilityPaths.size()));
    for (std::size_t j = 0; j < printer.utilityPaths.size(); ++j) {
        std::string path = printer.utilityPaths[j];
        if (!path.empty()) {
            const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(path.front())));
            if (m_cdromLetters.find(letter) != std::string::npos)
                path.replace(0, 1, "CDROM");
        }
        const int n = static_cast<int>(j + 1);
        key(numbered("UTILITY%d", n), path);
        key(numbered("PRODUCT_NAME%d", n), j < printer.utilityNames.size() ? printer.utilityNames[j] : std::string());
    }
    flag("INSTALL_VDW3", printer.installMonitor != 0);
    flag("INSTALL_LOGBROWSER", printer.installLogBrowser);
    flag("INSTALL_NETWORKTWAIN", printer.installNetworkTwain);
    flag("INSTALL_CONFIRM", printer.installConfirm);
    flag("UTILITY_SEARCH_CDROM", printer.utilitySearchCdrom);
    flag("UTILITY_SEARCH_FOLDER", printer.utilitySearchFolder);
    key("UTILITY_FOLDER_COUNT", static_cast<int>(printer.utilityFolders.size()));
    for (std::size_t j = 0; j < printer.utilityFolders.size(); ++j)
        key(numbered("UTILITY_FOLDER%d", static_cast<int>(j + 1)), printer.utilityFolders[j]);

    if (printer.installMonitor >= 1) {
        m_monitorBlocks.push_back(printer.monitorBlock);
        key("CUSTOM_VDW3", static_cast<int>(m_monitorBlocks.size()));
    } else {
        key("CUSTOM_VDW3", 0);
    }
    key("NIC_NAME", printer.nicName);
    if (printer.useHydro) {
        flag("AUTOPORT", printer.autoPort);
        if (printer.portBlockFlags & 1) {
            m_portBlocks.push_back(printer.portBlock);
            key("CONFIRM", static_cast<int>(m_portBlocks.size()));
        }
    }
    if (!printer.usePostScript && printer.securityBlockValid) {
        m_securityBlocks.push_back(printer.securityBlock);
        key("SECURITY", static_cast<int>(m_securityBlocks.size()));
    }
    key("PRN_CONNECTION", printer.connection);
    key("PRN_BSF_PATH", printer.bsfPath);
    key("PRN_INSTMODE", printer.instModeOff == 0 ? 1 : 0);
}

void ScriptWriter::writeBlockSections()
{
    int k = 1;
    for (auto& block : m_monitorBlocks) {
        block.setSectionName(numbered("CUSTOM%d", k++).c_str());
        m_ok = WriteMonitorSection(m_file, block) == kSectionOk && m_ok;
    }
    k = 1;
    for (auto& block : m_portBlocks) {
        block.setSectionName(numbered("CONFIRM%d", k++).c_str());
        m_ok = WritePortSection(m_file, block) == kSectionOk && m_ok;
    }
    k = 1;
    for (const auto& block : m_securityBlocks)
        m_ok = WriteSecuritySection(m_file, numbered("SECURITY%d", k++), block) == kSectionOk && m_ok;
}

void ScriptWriter::key(std::string_view name, std::string_view value)
{
    m_ok = writeVerified(name, value) && m_ok;
}

void ScriptWriter::key(std::string_view name, int value)
{
    key(name, numbered("%d", value));
}

void ScriptWriter::flag(std::string_view name, bool on)
{
    key(name, on ? "1" : "0");
}

bool ScriptWriter::writeVerified(std::string_view name, std::string_view value)
{
    Profile& profile = Profile::instance();
    const auto readBack = [&] { return profile.getString(m_file, m_script.section, name, {}, kReadBufferSize); };
    if (!profile.write(m_file, m_script.section, name, value))
        return false;
    const std::string back = readBack();
    if (back.size() == value.size())
        return back == value;

    // A reader strips one pair of enclosing quotes; one more pair of double quotes keeps the value whole.
    for (const char quote : {'"', '\''}) {
        if (value.size() == back.size() + 2 && value.front() == quote && value.back() == quote &&
            value.substr(1, back.size()) == back) {
            const std::string requoted = "\"" + std::string(value) + "\"";
            return profile.write(m_file, m_script.section, name, requoted) && readBack() == value;
        }
    }
    return false;
}

} // namespace pellora
