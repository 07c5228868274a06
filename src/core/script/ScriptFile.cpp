#include "core/script/ScriptFile.h"

#include "Version.h"
#include "core/platform/Profile.h"
#include "core/script/ScriptReader.h"
#include "core/script/ScriptWriter.h"

namespace pellora {

const char* ApplicationTitle()
{
    return version::kApplicationTitle;
}

CScriptFile::CScriptFile()
{
    Reset();
}

void CScriptFile::Reset()
{
    software = ApplicationTitle();
    fileVersion = kScriptFileVersion;
    date.clear();
    scriptNote.clear();
    productName.clear();
    logFile.clear();
    autoComplete = "1";
    testPageTitle = "Print Test Page";
    printers.clear();
    scriptSpareInt1 = 0;
    scriptSpareText1.clear();
    scriptSpareText2.clear();
    scriptSpareText3.clear();
    scriptSpareText4.clear();
    scriptSpareInt2 = 1;
    reboot = 0;
    confirmDriverCopy = 0;
    requireLogon = 1;
    extendFeature = 0;
    filePath.clear();
    readStatus = 0;
    installedApplications.clear();
    section.clear();
}

void CScriptFile::CopyFrom(const CScriptFile& other)
{
    Reset();
    software = other.software;
    fileVersion = other.fileVersion;
    date = other.date;
    scriptNote = other.scriptNote;
    logFile = other.logFile;
    autoComplete = other.autoComplete;
    testPageTitle = other.testPageTitle;
    filePath = other.filePath;
    reboot = other.reboot;
    confirmDriverCopy = other.confirmDriverCopy;
    requireLogon = other.requireLogon;
    extendFeature = other.extendFeature;
    scriptSpareInt1 = other.scriptSpareInt1;
    scriptSpareText1 = other.scriptSpareText1;
    scriptSpareText2 = other.scriptSpareText2;
    scriptSpareText3 = other.scriptSpareText3;
    for (const auto& printer : other.printers)
        printers.push_back(printer->Clone());
}

int CScriptFile::Write(const std::filesystem::path& path)
{
    if (!path.empty())
        filePath = path;
    return ScriptWriter(*this).Write(filePath) ? 1 : 0;
}

bool CScriptFile::IsScript(const std::filesystem::path& path)
{
    auto& profile = platform::Profile::instance();
    return profile.getString(path, "SOFTWARE", "FILE") == ApplicationTitle() &&
           profile.getString(path, "SOFTWARE", "VER") == kScriptFileVersion;
}

int CScriptFile::Load(const std::filesystem::path& path, const std::filesystem::path& programFolder)
{
    if (!path.empty())
        filePath = path;
    if (!IsScript(filePath))
        return 0;
    return ScriptReader(*this, programFolder).Read();
}

std::string CScriptFile::SectionText(std::string_view key) const
{
    return platform::Profile::instance().getString(filePath, section, key, {}, 1024);
}

} // namespace pellora
