#include "core/model/Corvan2Doc.h"

#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/package/PackageFile.h"
#include "core/package/RuntimeFileSet.h"
#include "core/package/StubResource.h"
#include "core/package/Support.h"
#include "core/platform/Profile.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace fs = std::filesystem;

namespace pellora {

namespace {

bool EndsWithNoCase(std::string_view text, std::string_view suffix)
{
    return text.size() >= suffix.size() &&
           platform::EqualsNoCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsPackagePath(const fs::path& path)
{
    return EndsWithNoCase(path.string(), ".exe");
}

// Hands everything source read over to target; the printers move, the settings are copied.
void TakeOver(CScriptFile& target, CScriptFile& source)
{
    target.software = source.software;
    target.fileVersion = source.fileVersion;
    target.date = source.date;
    target.scriptNote = source.scriptNote;
    target.productName = source.productName;
    target.logFile = source.logFile;
    target.autoComplete = source.autoComplete;
    target.testPageTitle = source.testPageTitle;
    target.printers = std::move(source.printers);
    target.scriptSpareInt1 = source.scriptSpareInt1;
    target.scriptSpareText1 = source.scriptSpareText1;
    target.scriptSpareText2 = source.scriptSpareText2;
    target.scriptSpareText3 = source.scriptSpareText3;
    target.scriptSpareText4 = source.scriptSpareText4;
    target.scriptSpareInt2 = source.scriptSpareInt2;
    target.reboot = source.reboot;
    target.confirmDriverCopy = source.confirmDriverCopy;
    target.requireLogon = source.requireLogon;
    target.extendFeature = source.extendFeature;
    target.filePath = source.filePath;
    target.readStatus = source.readStatus;
    target.installedApplications = std::move(source.installedApplications);
    target.section = source.section;
}

// The first entry of an unpacked package that names a project: ends in ".qst" in any letter case and
// lies directly in the folder it was unpacked to. Empty when there is none.
fs::path FindProjectEntry(const std::vector<fs::path>& entries, const fs::path& folder)
{
    fs::path base = folder.lexically_normal();
    if (!base.has_filename())
        base = base.parent_path();
    for (const fs::path& entry : entries) {
        if (!EndsWithNoCase(entry.string(), ".qst"))
            continue;
        // Entry names come from the package's header: one that climbs out of the folder is never read.
        const fs::path normal = entry.lexically_normal();
        if (normal.parent_path() != base)
            return {};
        return normal;
    }
    return {};
}

std::string ErrorText(const std::exception& error)
{
    return error.what();
}

} // namespace

DocumentNumbering& TheDocumentNumbering()
{
    static DocumentNumbering numbering;
    return numbering;
}

BuildEnvironment BuildEnvironment::FromProgramFolder()
{
    BuildEnvironment environment;
    environment.programFolder = GetModuleFolder();
    RuntimeFileSet files;
    files.LoadRuntimeFileList(environment.programFolder);
    environment.runtimeFiles = files.names();
    environment.stub = PackageStubResource();
    return environment;
}

CCorvan2Doc::CCorvan2Doc()
    : CCorvan2Doc(TheStringTable())
{
}

CCorvan2Doc::CCorvan2Doc(const StringTable& table)
    : m_table(table)
{
}

bool CCorvan2Doc::OnNewDocument(DocumentNumbering& numbering)
{
    m_script.Reset();
    m_pathName.clear();
    m_modified = false;
    m_title = m_table.GetItemText(kEtcSection, kEtcNewDocumentTitle) + std::to_string(numbering.Next());
    return true;
}

void CCorvan2Doc::SetPathName(const fs::path& path)
{
    m_pathName = path;
    m_title = path.filename().string();
}

void CCorvan2Doc::SetModifiedFlag(bool modified)
{
    if (!IsViewMode())
        m_modified = modified;
}

DocumentResult CCorvan2Doc::OpenDocument(const fs::path& path)
{
    if (IsViewMode())
        return DocumentResult::Refused();
    if (!IsPackagePath(path))
        return readScript(path, path, false);

    // The staging folder goes with this scope, whatever the outcome.
    const ScopedTempFolder staging;
    if (!staging.valid())
        return DocumentResult::FileFailure(kMessageCannotOpenFile, path, "no temporary folder for unpacking");
    CPackageFile package;
    try {
        if (!package.Load(path, staging.path()))
            return DocumentResult::FileFailure(kMessageCannotOpenFile, path, package.GetLastError().empty() ? std::string("not a package, or it cannot be unpacked") : package.GetLastError());
    } catch (const std::exception& error) {
        return DocumentResult::FileFailure(kMessageCannotOpenFile, path, ErrorText(error));
    }
    const fs::path project = FindProjectEntry(package.GetEntries(), staging.path());
    // A package without a project is not read as a script itself.
    if (project.empty())
        return DocumentResult::FileFailure(kMessageCannotOpenFile, path, "the package holds no project");
    return readScript(path, project, true);
}

DocumentResult CCorvan2Doc::readScript(const fs::path& path, const fs::path& readPath, bool temporary)
{
    // The file is read into a script of its own: a failure leaves the document's script untouched.
    CScriptFile loaded;
    int result = 0;
    std::string why;
    try {
        result = loaded.Load(readPath);
        if (result != 1) {
            std::error_code error;
            const fs::file_status status = fs::status(readPath, error);
            why = status.type() == fs::file_type::regular ? "not a script of this program"
                  : fs::exists(status)                    ? "not a file"
                                                          : "no such file";
        }
    } catch (const std::exception& error) {
        result = 0;
        why = ErrorText(error);
    }
    if (temporary)
        platform::Profile::instance().forget(readPath);
    if (result != 1)
        return DocumentResult::FileFailure(kMessageCannotOpenFile, readPath, why);

    m_script.Reset();
    TakeOver(m_script, loaded);
    SetPathName(path);
    m_modified = false;
    UpdateAllViews();
    return DocumentResult::Success();
}

DocumentResult CCorvan2Doc::SaveDocument(const fs::path& path)
{
    if (IsViewMode())
        return DocumentResult::Refused();
    m_script.productName = m_table.GetItemText(kEtcSection, kEtcProductName);
    return IsPackagePath(path) ? buildPackage(path) : writeScript(path);
}

DocumentResult CCorvan2Doc::buildPackage(const fs::path& path)
{
    // The builder works on a copy of the script: the document's title, path and file stay its own.
    try {
        const BuildEnvironment environment = buildEnvironment();
        PackageBuilder builder(environment.programFolder, environment.runtimeFiles, environment.stub);
        if (environment.progress)
            builder.SetProgressCallback(environment.progress);
        if (!builder.BuildPackage(m_script, path)) {
            std::string why = builder.cancelled() ? std::string("cancelled") : builder.lastError();
            return DocumentResult::Failure(kMessageCannotSave, why.empty() ? "the package cannot be built" : why);
        }
    } catch (const std::exception& error) {
        return DocumentResult::Failure(kMessageCannotSave, ErrorText(error));
    }
    m_modified = false;
    return DocumentResult::Success();
}

DocumentResult CCorvan2Doc::writeScript(const fs::path& path)
{
    const fs::path previousFilePath = m_script.filePath;
    bool written = false;
    std::string why = "the script cannot be written";
    try {
        written = m_script.Write(path) == 1;
    } catch (const std::exception& error) {
        why = ErrorText(error);
    }
    if (!written) {
        m_script.filePath = previousFilePath;
        return DocumentResult::Failure(kMessageCannotSave, why);
    }
    SetPathName(path);
    m_modified = false;
    return DocumentResult::Success();
}

CPrinterInfoEx* CCorvan2Doc::AddPrinter()
{
    std::unique_ptr<CPrinterInfoEx> none;
    return AddPrinter(none);
}

CPrinterInfoEx* CCorvan2Doc::AddPrinter(std::unique_ptr<CPrinterInfoEx>& record)
{
    // The limit is tested first so that a refused new printer does not use up a printer number.
    if (m_maxPrinters != 0 && m_script.printers.size() >= m_maxPrinters)
        return nullptr;
    if (!record)
        record = CPrinterInfoEx::NewPrinter(m_table.GetItemText(kEtcSection, kEtcNewPrinterName));
    if (record->defaultPrinter) {
        for (const auto& printer : m_script.printers)
            printer->defaultPrinter = 0;
    }
    record->printerName = CleanPrinterName(record->printerName);
    m_script.printers.push_back(std::move(record));
    SetModifiedFlag(true);
    return m_script.printers.back().get();
}

int CCorvan2Doc::RemovePrinter(const CPrinterInfoEx* record)
{
    auto& printers = m_script.printers;
    const auto found = std::find_if(printers.begin(), printers.end(),
                                    [record](const auto& printer) { return printer.get() == record; });
    if (record == nullptr || found == printers.end())
        return 0;
    printers.erase(found);
    SetModifiedFlag(true);
    return 1;
}

ValidationResult CCorvan2Doc::Validate() const
{
    return ValidateForBuild(m_script, programFolder());
}

std::string CCorvan2Doc::CleanPrinterName(std::string_view name)
{
    std::string clean;
    clean.reserve(name.size());
    for (const char c : name) {
        if (c != '!' && c != ',' && c != '\\')
            clean += c;
    }
    return std::string(platform::CutUtf8(clean, kMaxPrinterNameBytes));
}

CCorvan2Doc::ObserverId CCorvan2Doc::AddObserver(UpdateHandler handler)
{
    const ObserverId id = ++m_lastObserver;
    m_observers.emplace_back(id, std::move(handler));
    return id;
}

void CCorvan2Doc::RemoveObserver(ObserverId id)
{
    std::erase_if(m_observers, [id](const auto& observer) { return observer.first == id; });
}

void CCorvan2Doc::UpdateAllViews(ObserverId sender, long hint)
{
    // A handler may add or remove observers: walk the ids as they were, skipping those removed meanwhile.
    std::vector<ObserverId> ids;
    ids.reserve(m_observers.size());
    for (const auto& observer : m_observers)
        ids.push_back(observer.first);
    for (const ObserverId id : ids) {
        if (id == sender)
            continue;
        const auto found = std::find_if(m_observers.begin(), m_observers.end(),
                                        [id](const auto& observer) { return observer.first == id; });
        if (found == m_observers.end())
            continue;
        const UpdateHandler handler = found->second; // the handler may remove itself while it runs
        handler(hint);
    }
}

BuildEnvironment CCorvan2Doc::buildEnvironment() const
{
    return m_buildEnvironment ? *m_buildEnvironment : BuildEnvironment::FromProgramFolder();
}

fs::path CCorvan2Doc::programFolder() const
{
    return m_buildEnvironment ? m_buildEnvironment->programFolder : GetModuleFolder();
}

} // namespace pellora
