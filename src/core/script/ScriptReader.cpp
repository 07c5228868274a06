#include "core/script/ScriptReader.h"

#include "core/discovery/ModelList.h"
#include "core/platform/Drives.h"
#include "core/platform/Profile.h"
#include "core/platform/RegularFile.h"
#include "core/plugin/ApplicationList.h"
#include "core/script/OptionSections.h"
#include "core/script/ScriptFile.h"
#include "core/script/UtilityFolderIndex.h"
#include "core/util/Support.h"

#include <climits>
#include <cstdio>
#include <optional>
#include <set>

namespace pellora {

namespace fs = std::filesystem;

namespace {

std::string numbered(const char* format, int number)
{
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

// Numbers n for which a section "PRINTER<n>" exists, so that a huge "COUNT" costs nothing.
std::set<int> printerSectionNumbers(const fs::path& file)
{
    std::set<int> numbers;
    for (const auto& name : platform::Profile::instance().sectionNames(file)) {
        if (name.size() <= 7 || !platform::EqualsNoCase(std::string_view(name).substr(0, 7), "PRINTER"))
            continue;
        const std::string digits = name.substr(7);
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 9)
            continue;
        if (numbered("%d", AsciiToInt(digits)) == digits)
            numbers.insert(AsciiToInt(digits));
    }
    return numbers;
}

} // namespace

int AsciiToInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

int32_t ParseLockMask(int number)
{
    long long rest = number < 0 ? -static_cast<long long>(number) : number;
    int32_t mask = 0;
    for (int bit = 0; bit < 8 && rest != 0; ++bit, rest /= 10) {
        if (rest % 10 != 0)
            mask |= 1 << bit;
    }
    return mask;
}

bool SameFileContent(const std::string& a, const std::string& b)
{
    platform::FileDescriptor first;
    platform::FileDescriptor second;
    if (!platform::OpenRegularFile(a, first).ok() || !platform::OpenRegularFile(b, second).ok())
        return false;
    char blockA[1024];
    char blockB[1024];
    for (unsigned long long offset = 0;; offset += sizeof blockA) {
        const long long countA = platform::ReadAt(first.get(), blockA, sizeof blockA, offset);
        const long long countB = platform::ReadAt(second.get(), blockB, sizeof blockB, offset);
        if (countA < 0 || countA != countB ||
            std::char_traits<char>::compare(blockA, blockB, static_cast<std::size_t>(countA)) != 0)
            return false;
        if (countA == 0)
            return true;
    }
}

ScriptReader::ScriptReader(CScriptFile& script, std::filesystem::path programFolder)
    : m_script(script)
    , m_programFolder(std::move(programFolder))
    , m_models(ModelList::InFolder(m_programFolder))
{
}

std::string ScriptReader::text(std::string_view key) const
{
    return m_script.SectionText(key);
}

int ScriptReader::number(std::string_view key) const
{
    return AsciiToInt(text(key));
}

int32_t ScriptReader::flag(std::string_view key) const
{
    return text(key) == "1" ? 1 : 0;
}

std::size_t ScriptReader::keyCount() const
{
    return platform::Profile::instance().keyCount(m_script.filePath, m_script.section);
}

int ScriptReader::Read()
{
    m_script.readStatus = 0;
    m_cdromLetters = platform::CdromDriveLetters();

    m_script.section = "SOFTWARE";
    m_script.software = text("FILE");
    m_script.fileVersion = text("VER");
    m_script.date = text("DATE");
    m_script.scriptNote = text("DESCRIPTION");
    m_script.productName = text("PRODUCTNAME");

    m_script.section = "ETC";
    m_script.logFile = text("LOGFILE");
    m_script.autoComplete = text("AUTOCOMPLETE");
    m_script.testPageTitle = text("TESTPAGE_TITLE");
    m_script.reboot = number("REBOOT");
    m_script.confirmDriverCopy = number("CONFIRM_DRIVERCOPY");
    m_script.requireLogon = number("REQUIRE_LOGON");
    m_script.extendFeature = number("EXTEND_FEATURE");

    m_script.section = "PRINTER";
    const int count = number("COUNT");
    // Sections beyond those in the file would read empty and be dropped, so only existing ones are read.
    for (const int i : printerSectionNumbers(m_script.filePath)) {
        if (i < 1 || i > count)
            continue;
        readPrinter(i);
    }

    if (!m_script.logFile.empty() && m_script.logFile.find_first_of("\\/") == std::string::npos)
        m_script.logFile = (m_programFolder / m_script.logFile).string();
    return 1;
}

void ScriptReader::readPrinter(int i)
{
    m_script.section = numbered("PRINTER%d", i);
    std::string model = text("MODELNAME");
    if (!m_models.IsModelListed(model))
        return;
    std::string reported = text("ORG_MODELNAME");
    if (reported.empty())
        reported = model;
    if (model.compare(0, 6, "VARDO ") == 0)
        model.erase(0, 6);

    auto printer = std::make_unique<CPrinterInfoEx>();
    printer->SetNetwork(1, text("PRN_ADDRESS"), "255.255.255.0", text("MACADDRESS"), "");
    printer->modelIndex = model.empty() ? -1 : m_models.GetModelGroupIndex(model);
    printer->SetIdentity(text("DEVID"), text("PRINTERNAME"), model, "");
    printer->reportedModelName = reported;
    printer->location = text("LOCATION");
    printer->entryKind = 2;
    printer->usePostScript = flag("USE_PS");
    printer->defaultPrinter = flag("DEFAULT_PRINTER");
    printer->testPrint = number("TEST_PRINT");
    printer->optionFlags = (flag("USE_FOLDER") ? 1 : 0) | (flag("USE_CDROM") ? 2 : 0) | (flag("USE_INBOX") ? 0x24 : 0);
    printer->comment = text("COMMENT");
    printer->useCommonDriver = flag("USE_COMMONDRIVER");
    printer->useHydro = flag("USE_HYDRO");

    const std::string folders = text("FOLDER_PATH");
    if (!folders.empty()) {
        std::size_t start = 0;
        while (true) {
            const std::size_t end = folders.find(';', start);
            printer->driverFolders.push_back(folders.substr(start, end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }

    printer->paperSize = number("PAPER_SIZE");
    printer->paperSource = number("PAPER_SOURCE");
    printer->color = number("COLOR");
    printer->quality = number("QUALITY");
    printer->layout = number("LAYOUT");
    printer->binding = number("BINDING");
    printer->useLayout = flag("USE_LAYOUT");
    printer->duplex = flag("DUPLEX");
    printer->tonerSave = flag("TONER_SAVE");
    printer->applyPrintSettings = flag("CORRESPOND_PRINTING_SETTING_ITEM");
    printer->switchSetting = flag("SWITCH");
    printer->lockMask = ParseLockMask(number("LOCK"));
    printer->installUtility = flag("INSTALL_UTILITY");

    const std::string searchCdrom = text("UTILITY_SEARCH_CDROM");
    readUtilities(*printer, searchCdrom);

    printer->installMonitor = flag("INSTALL_VDW3");
    printer->installLogBrowser = flag("INSTALL_LOGBROWSER");
    printer->installNetworkTwain = flag("INSTALL_NETWORKTWAIN");
    printer->utilitySearchCdrom = flag("UTILITY_SEARCH_CDROM");
    printer->utilitySearchFolder = flag("UTILITY_SEARCH_FOLDER");

    const int custom = number("CUSTOM_VDW3");
    if (custom >= 1)
        ReadMonitorSection(m_script.filePath, numbered("CUSTOM%d", custom), printer->monitorBlock);
    printer->installConfirm = flag("INSTALL_CONFIRM");
    printer->nicName = text("NIC_NAME");
    if (printer->useHydro)
        printer->autoPort = flag("AUTOPORT");
    const int confirm = number("CONFIRM");
    if (confirm >= 1) {
        ReadPortSection(m_script.filePath, numbered("CONFIRM%d", confirm), printer->portBlock);
        printer->portBlockFlags = printer->portBlock.ProtocolID == 2 ? 7 : 3;
    } else {
        printer->portBlockFlags = 0;
    }
    const int security = number("SECURITY");
    if (security >= 1) {
        ReadSecuritySection(m_script.filePath, numbered("SECURITY%d", security), printer->securityBlock);
        printer->securityBlockValid = 1;
    }
    printer->connection = text("PRN_CONNECTION") == "1" ? 1 : 0;
    printer->bsfPath = text("PRN_BSF_PATH");
    printer->instModeOff = text("PRN_INSTMODE") == "1" ? 0 : 1;

    m_script.printers.push_back(std::move(printer));
}

void ScriptReader::readUtilities(CPrinterInfoEx& printer, std::string_view searchCdrom)
{
    // Counts are capped by the keys the section holds: entries beyond them could only be empty.
    const std::size_t keys = keyCount();
    const int utilityCount = number("UTILITY_COUNT");
    for (int j = 1; j <= utilityCount && static_cast<std::size_t>(j) <= keys; ++j) {
        printer.utilityPaths.push_back(resolveCdromPath(text(numbered("UTILITY%d", j))));
        printer.utilityNames.push_back(text(numbered("PRODUCT_NAME%d", j)));
    }
    const int folderCount = number("UTILITY_FOLDER_COUNT");
    for (int j = 1; j <= folderCount && static_cast<std::size_t>(j) <= keys; ++j)
        printer.utilityFolders.push_back(text(numbered("UTILITY_FOLDER%d", j)));

    std::optional<UtilityFolderIndex> folders;
    for (auto& path : printer.utilityPaths) {
        if (path.compare(0, 2, ".\\") != 0)
            continue;
        if (!folders)
            folders.emplace(printer.utilityFolders);
        path = resolveRelativePath(path, *folders, searchCdrom);
    }
}

std::string ScriptReader::resolveCdromPath(std::string path) const
{
    if (path.compare(0, 5, "CDROM") != 0)
        return path;
    path.erase(0, 4);
    for (const char letter : m_cdromLetters) {
        path[0] = letter;
        if (UtilityPathExists(path))
            break;
    }
    return path;
}

std::string ScriptReader::resolveRelativePath(const std::string& path, const UtilityFolderIndex& folders,
                                              std::string_view searchCdrom)
{
    const std::string rest = path.size() > 5 ? path.substr(5) : std::string();
    if (const std::string* folder = folders.Find(rest))
        return *folder + rest;

    const std::string scriptPath = m_script.filePath.string();
    const std::size_t lastSeparator = scriptPath.find_last_of("\\/");
    const std::string scriptFolder = lastSeparator == std::string::npos ? std::string() : scriptPath.substr(0, lastSeparator + 1);
    const std::string candidate = scriptFolder + path.substr(2);
    if (searchCdrom != "1")
        return candidate;

    m_script.installedApplications.clear();
    ApplicationListLibrary(m_programFolder).AppendInstalledApplications(m_script.installedApplications);
    for (const auto& application : m_script.installedApplications) {
        if (application.find(rest) != std::string::npos && SameFileContent(application, candidate))
            return application;
    }
    return candidate;
}

} // namespace pellora
