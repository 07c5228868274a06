#include "core/document/Corvan2Doc.h"

#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/package/PackageFile.h"
#include "core/package/RuntimeFileSet.h"
#include "core/package/StubResource.h"
#include "core/platform/Profile.h"
#include "core/util/MessageNumbers.h"
#include "core/util/Support.h"

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

BuildEnvironment BuildEnvironment::ForProgramFolder(fs::path folder)
{
    BuildEnvironment environment;
    environment.programFolder = std::move(folder);
    RuntimeFileSet files;
    files.LoadRuntimeFileList(environment.programFolder);
    environment.runtimeFiles = files.names();
    environment.stub = PackageStubResource();
    return environment;
}

DocumentResult BuildPackageFile(const CScriptFile& script, const BuildEnvironment& environment, const fs::path& output)
{
    try {
        PackageBuilder builder(environment.programFolder, environment.runtimeFiles, environment.stub);
        if (environment.progress)
            builder.SetProgressCallback(environment.progress);
        if (environment.signing.enabled())
            builder.SetSigning(environment.signing);
        if (builder.BuildPackage(script, output)) {
            DocumentResult result = DocumentResult::Success();
            result.installerMissing = builder.installerMissing();
            return result;
        }
        if (builder.status().cancelled())
            return DocumentResult::Cancelled();
        DocumentResult result = DocumentResult::Failure(kMessageCannotSave, builder.status().text().empty()
                                                                                ? Status::Failure("the package cannot be built")
                                                                                : builder.status());
        result.refusal = builder.refusal();
        result.signingToolReason = builder.signingToolReason();
        return result;
    } catch (const std::exception& error) {
        return DocumentResult::Failure(kMessageCannotSave, ErrorText(error));
    }
}

CCorvan2Doc::CCorvan2Doc(BuildEnvironment environment)
    : CCorvan2Doc(std::move(environment), TheStringTable())
{
}

CCorvan2Doc::CCorvan2Doc(BuildEnvironment environment, const StringTable& table)
    : m_table(table)
    , m_environment(std::move(environment))
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
            return DocumentResult::FileFailure(kMessageCannotOpenFile, path,
                                               package.status().text().empty() ? std::string("not a package, or it cannot be unpacked")
                                                                               : package.status().text());
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
        result = loaded.Load(readPath, m_environment.programFolder);
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

    m_script = std::move(loaded);
    SetPathName(path);
    m_modified = false;
    UpdateAllViews();
    return DocumentResult::Success();
}

CScriptFile CCorvan2Doc::ScriptToSave() const
{
    CScriptFile copy;
    copy.CopyFrom(m_script);
    copy.productName = m_table.GetItemText(kEtcSection, kEtcProductName);
    return copy;
}

DocumentResult CCorvan2Doc::SaveDocument(const fs::path& path)
{
    if (IsViewMode())
        return DocumentResult::Refused();
    m_script.productName = m_table.GetItemText(kEtcSection, kEtcProductName);
    if (!IsPackagePath(path))
        return writeScript(path);
    // The builder works on a copy of the script: the document's title, path, file and modified flag stay
    // its own. The project file was not written, so changes made before the build are still unsaved.
    return BuildPackageFile(ScriptToSave(), m_environment, path);
}

bool CCorvan2Doc::IsPackagePath(const fs::path& path)
{
    return EndsWithNoCase(path.string(), ".exe");
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
    if (IsFull())
        return nullptr;
    if (!record)
        record = CPrinterInfoEx::NewPrinter(m_table.GetItemText(kEtcSection, kEtcNewPrinterName));
    return InsertRecord(record, GetCount());
}

void CCorvan2Doc::Admit(CPrinterInfoEx& record)
{
    if (record.defaultPrinter) {
        for (const auto& printer : m_script.printers)
            printer->defaultPrinter = 0;
    }
    record.printerName = CleanPrinterName(record.printerName);
}

ValidationResult CCorvan2Doc::Validate() const
{
    return ValidateForBuild(m_script, m_environment.programFolder);
}

std::string CCorvan2Doc::CleanPrinterName(std::string_view name)
{
    return std::string(platform::CutUtf8(WithoutForbiddenCharacters(name), kMaxPrinterNameBytes));
}

} // namespace pellora
