#include "core/package/PackageBuilder.h"

#include "core/model/PrinterInfo.h"
#include "core/package/DriverInfo.h"
#include "core/package/PackageFile.h"
#include "core/package/RuntimeFileSet.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/DescriptorStream.h"
#include "core/plugin/DriverCheck.h"
#include "core/script/ScriptFile.h"
#include "core/util/FolderTree.h"
#include "core/util/MessageNumbers.h"
#include "core/util/Support.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <set>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

// A small estimate of one information file, for the progress total before the files exist.
constexpr std::uint64_t kInfoFileEstimate = 1024;

std::string numbered(const char* format, std::size_t number)
{
    char text[48];
    std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(number));
    return text;
}

// The file's size, or 0 when it cannot be read.
std::uint64_t fileSizeOrZero(const fs::path& path)
{
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<std::uint64_t>(size);
}

bool isPlaceholderAddress(const std::string& address)
{
    return address.empty() || address == kPlaceholderAddressNone || address == kPlaceholderAddressManual;
}

struct TreeSize {
    std::uint64_t files = 0;
    std::uint64_t bytes = 0;
};

// Counts the regular files below folder as the staging copy and the archive see them; a tree that cannot
// be walked whole counts as far as it could be read.
TreeSize treeSize(const fs::path& folder)
{
    TreeSize size;
    WalkFolderTree(folder, [&size](const FolderTreeEntry& entry) {
        if (entry.kind == FolderTreeEntry::Kind::File) {
            ++size.files;
            size.bytes += static_cast<std::uint64_t>(entry.info.st_size);
        }
        return Status::Ok();
    });
    return size;
}

// Copies a folder tree into the staging folder as CopyFolderTree does (links followed, files replaced,
// sockets and devices left out, the first failure stops), but gives each file a second name by a hard
// link where source and staging folder share a file system and the link is allowed, so that staging a
// large driver tree costs no copying. The packed content is the same either way; the staging folder's
// removal only takes those names away again.
class TreeStager {
public:
    // Told each staged file's size; false cancels.
    using FileStaged = std::function<bool(std::uint64_t bytes)>;

    explicit TreeStager(FileStaged onFile) : m_onFile(std::move(onFile)) {}

    Status stage(const fs::path& source, const fs::path& target)
    {
        return WalkFolderTree(source, [&](const FolderTreeEntry& entry) {
            const fs::path to = entry.relative.empty() ? target : target / fs::path(entry.relative);
            switch (entry.kind) {
            case FolderTreeEntry::Kind::EnterFolder: {
                std::error_code ec;
                fs::create_directories(to, ec);
                if (!fs::is_directory(to, ec))
                    return Status::Failure("cannot create " + to.string());
                break;
            }
            case FolderTreeEntry::Kind::File:
                if (!stageFile(entry.path, to, entry.info.st_dev))
                    return Status::Failure("cannot copy " + entry.path.string() + " to " + to.string());
                if (!m_onFile(static_cast<std::uint64_t>(entry.info.st_size)))
                    return Status::Cancelled();
                break;
            case FolderTreeEntry::Kind::LeaveFolder:
            case FolderTreeEntry::Kind::Other:
                break;
            }
            return Status::Ok();
        });
    }

private:
    bool stageFile(const fs::path& from, const fs::path& to, dev_t device)
    {
        if (m_unlinkable.count(device) == 0) {
            if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0)
                return true;
            if (errno == EXDEV)
                m_unlinkable.insert(device);
        }
        std::error_code ec;
        return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
    }

    FileStaged m_onFile;
    std::set<dev_t> m_unlinkable; // devices of sources on another file system than the staging folder
};

// Appends the whole file from to the open file to.
Status copyInto(const fs::path& from, int to)
{
    const platform::FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source.valid())
        return Status::SystemFailure("cannot read " + from.string(), errno);
    std::vector<char> block(1 << 20);
    while (true) {
        const ssize_t got = ::read(source.get(), block.data(), block.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Status::SystemFailure("cannot read " + from.string(), errno);
        if (got == 0)
            return Status::Ok();
        if (!platform::WriteAll(to, block.data(), static_cast<std::size_t>(got)))
            return Status::SystemFailure("cannot write the signed package", errno);
    }
}

} // namespace

std::string PackageTemplateName(const fs::path& output)
{
    std::string name = output.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return name + ".qst";
}

ValidationResult ValidateForBuild(const CScriptFile& script, const fs::path& programFolder)
{
    if (script.printers.empty())
        return {kMessageNoPrinter, -1};
    std::set<std::string> names;
    std::optional<DriverCheckLibrary> library;
    for (std::size_t i = 0; i < script.printers.size(); ++i) {
        const CPrinterInfoEx& printer = *script.printers[i];
        const auto failed = [i](int code) { return ValidationResult{code, static_cast<int>(i)}; };
        if (printer.printerName.empty() &&
            (printer.connection == 0 || (printer.connection == 1 && printer.instModeOff == 1)))
            return failed(kMessageNoPrinterName);
        if (!names.insert(printer.printerName).second)
            return failed(kMessageDuplicateName);
        if (isPlaceholderAddress(printer.address) && printer.connection == 0)
            return failed(kMessageNoAddress);
        if (printer.address.size() == 1)
            return failed(kMessageShortAddress);
        if (printer.modelName.empty())
            return failed(kMessageNoModel);
        if (printer.driverFolders.empty())
            return failed(kMessageNoDriverFolder);
        if (printer.instModeOff == 1 && printer.bsfPath.empty())
            return failed(kMessageNoSettingsFile);

        if (!library)
            library.emplace(programFolder);
        const std::optional<int> result =
            library->Check(DriverCheckLibrary::ModelArgument(printer.modelName),
                           printer.driverFolders.empty() ? std::string() : printer.driverFolders.front(), printer.bsfPath);
        if (!result)
            return failed(kMessageCannotSave);
        switch (*result) {
        case 0:
            break;
        case 2:
        case 3:
        case 4:
            return failed(kMessageDriverFolder);
        case 5:
        case 6:
        case 7:
            return failed(kMessageSettingsFile);
        default:
            return failed(kMessageCannotSave);
        }
    }
    return {};
}

PackageBuilder::PackageBuilder(fs::path programFolder, std::vector<std::string> runtimeFiles,
                               std::span<const std::uint8_t> stub)
    : m_programFolder(std::move(programFolder))
    , m_runtimeFiles(std::move(runtimeFiles))
    , m_stub(stub)
{
}

void PackageBuilder::SetProgressCallback(BuildProgressCallback callback)
{
    m_progress = std::move(callback);
}

void PackageBuilder::SetSigning(SigningSettings signing, std::chrono::milliseconds timeout)
{
    m_signing = std::move(signing);
    m_signingTimeout = timeout;
}

bool PackageBuilder::sign(const fs::path& unsignedPackage, const fs::path& signedPackage, int target,
                          const BuildProgress& progress)
{
    PackageSigner signer(m_signing);
    signer.SetTimeout(m_signingTimeout);
    signer.SetKeepGoing([this, &progress] { return report(progress); });
    if (Status signedNow = signer.Sign(unsignedPackage, signedPackage); !signedNow.ok()) {
        if (m_status.cancelled() || signedNow.cancelled())
            return fail(Status::Cancelled());
        m_signingToolReason = signer.toolReason().empty() ? signedNow.text() : signer.toolReason();
        return fail(std::move(signedNow));
    }
    if (Status copied = copyInto(signedPackage, target); !copied.ok())
        return fail(std::move(copied));
    return true;
}

bool PackageBuilder::fail(Status status)
{
    m_status = std::move(status);
    return false;
}

bool PackageBuilder::fail(std::string text)
{
    return fail(Status::Failure(std::move(text)));
}

bool PackageBuilder::report(const BuildProgress& progress)
{
    if (m_status.cancelled())
        return false;
    if (m_progress && !m_progress(progress))
        m_status = Status::Cancelled();
    return !m_status.cancelled();
}

bool PackageBuilder::checkNames(const CScriptFile& project, const std::string& templateName,
                                const std::vector<std::string>& subfolders)
{
    // The top level: runtime files, template, driver copies, information files, program subfolders.
    std::vector<std::string> top = m_runtimeFiles;
    top.push_back(templateName);
    for (std::size_t i = 0; i < project.printers.size(); ++i)
        top.push_back(numbered("DRIVER_%03llu", i));
    top.emplace_back(kSettingFolderName);
    top.insert(top.end(), subfolders.begin(), subfolders.end());
    const auto refused = [this](std::optional<NameRefusal> refusal) {
        m_refusal = std::move(refusal);
        return m_refusal.has_value();
    };
    if (refused(CheckFolderNames(top, {})))
        return fail(m_refusal->Describe());
    for (const auto& printer : project.printers) {
        for (const std::string& folder : printer->driverFolders) {
            if (refused(CheckFolderTree(folder, folder)))
                return fail(m_refusal->Describe());
        }
    }
    for (const std::string& name : subfolders) {
        if (refused(CheckFolderTree(m_programFolder / name, m_programFolder, name)))
            return fail(m_refusal->Describe());
    }
    return true;
}

bool PackageBuilder::BuildPackage(const CScriptFile& script, const fs::path& output)
{
    m_status = Status::Ok();
    m_refusal.reset();
    m_installerMissing = false;
    m_signingToolReason.clear();
    m_lastStagingFolder.clear();
    if (output.empty() || output.filename().empty())
        return fail("no output file");

    if (m_signing.enabled()) {
        if (Status ready = PackageSigner::CheckSettings(m_signing); !ready.ok()) {
            m_signingToolReason = ready.text();
            return fail(std::move(ready));
        }
    }

    const std::string templateName = PackageTemplateName(output);
    const ScopedTempFolder staging;
    if (!staging.valid())
        return fail("cannot create a staging folder");
    m_lastStagingFolder = staging.path();

    // The template is written from a copy, so that the project keeps its own file name and state.
    const fs::path templatePath = staging.path() / templateName;
    CScriptFile project;
    project.CopyFrom(script);
    project.productName = script.productName;
    if (project.Write(templatePath) != 1)
        return fail("cannot write the template " + templatePath.string());

    std::vector<std::string> subfolders;
    ListSubfolders(m_programFolder, subfolders);
    if (!checkNames(project, templateName, subfolders))
        return false;

    // A package is a program: executable as far as the user's file-creation mask allows.
    platform::AtomicFileWriter file(output, {.mode = 0777});
    if (!file.ok())
        return fail(file.status());

    // What will be staged and packed, for the progress report.
    std::error_code ec;
    TreeSize drivers;
    std::uint64_t settingsBytes = 0;
    for (const auto& printer : project.printers) {
        for (const std::string& folder : printer->driverFolders) {
            const TreeSize size = treeSize(folder);
            drivers.files += size.files;
            drivers.bytes += size.bytes;
        }
        settingsBytes += kInfoFileEstimate;
        if (!printer->bsfPath.empty())
            settingsBytes += fileSizeOrZero(printer->bsfPath);
    }
    TreeSize packed{drivers.files + 1 + project.printers.size(), drivers.bytes + settingsBytes};
    packed.bytes += fileSizeOrZero(templatePath);
    for (const std::string& name : m_runtimeFiles) {
        ++packed.files;
        packed.bytes += fileSizeOrZero(m_programFolder / name);
    }
    for (const std::string& name : subfolders) {
        const TreeSize size = treeSize(m_programFolder / name);
        packed.files += size.files;
        packed.bytes += size.bytes;
    }
    BuildProgress progress;
    progress.filesTotal = drivers.files + packed.files;
    progress.bytesTotal = drivers.bytes + 2 * packed.bytes;
    if (!report(progress))
        return false;

    std::vector<fs::path> entries;
    for (const std::string& name : m_runtimeFiles)
        entries.push_back(m_programFolder / name);
    entries.push_back(templatePath);

    TreeStager stager([&](std::uint64_t bytes) {
        ++progress.filesDone;
        progress.bytesDone += bytes;
        // A driver tree that grew since it was counted must not run past the total.
        progress.filesTotal = std::max(progress.filesTotal, progress.filesDone);
        progress.bytesTotal = std::max(progress.bytesTotal, progress.bytesDone);
        return report(progress);
    });
    for (std::size_t i = 0; i < project.printers.size(); ++i) {
        const fs::path folder = staging.path() / numbered("DRIVER_%03llu", i);
        if (!fs::create_directory(folder, ec))
            return fail("cannot create " + folder.string());
        const std::vector<std::string>& sources = project.printers[i]->driverFolders;
        for (std::size_t j = 0; j < sources.size(); ++j) {
            if (Status staged = stager.stage(sources[j], folder / numbered("%03llu", j)); !staged.ok())
                return fail(m_status.cancelled() ? m_status : std::move(staged));
        }
        entries.push_back(folder);
    }

    const fs::path setting = staging.path() / kSettingFolderName;
    if (!fs::create_directory(setting, ec))
        return fail("cannot create " + setting.string());
    int infoFiles = 0;
    if (!WriteDriverInfoFiles(project.printers, setting, infoFiles))
        return fail("cannot write the driver install information into " + setting.string());
    if (infoFiles > 0)
        entries.push_back(setting);
    for (const std::string& name : subfolders)
        entries.push_back(m_programFolder / name);

    CPackageFile package;
    package.SetStub(m_stub);
    package.SetEntries(std::move(entries));
    package.SetCommandString("\"" + templateName + "\"");
    const std::uint64_t stagedFiles = progress.filesDone;
    const std::uint64_t stagedBytes = progress.bytesDone;
    package.SetProgressCallback([&](const ZipProgress& zip) {
        progress.filesDone = stagedFiles + zip.filesDone;
        progress.filesTotal = stagedFiles + zip.filesTotal;
        progress.bytesDone = stagedBytes + zip.bytesDone;
        progress.bytesTotal = stagedBytes + zip.bytesTotal;
        return report(progress);
    });

    // A package to sign is written into the staging folder first; only the signed one reaches the output.
    const fs::path unsignedPackage = staging.path() / "unsigned.exe";
    platform::FileDescriptor unsignedFile;
    if (m_signing.enabled()) {
        unsignedFile = platform::FileDescriptor(
            ::open(unsignedPackage.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!unsignedFile.valid())
            return fail(Status::SystemFailure("cannot create " + unsignedPackage.string(), errno));
    }
    platform::DescriptorStream stream(m_signing.enabled() ? unsignedFile.get() : file.descriptor());
    bool written = false;
    try {
        written = package.Write(stream);
    } catch (const std::exception& error) {
        return fail("cannot write " + output.string() + ": " + error.what());
    }
    if (!written)
        return fail(m_status.cancelled() ? m_status : package.status());
    if (!stream.flush())
        return fail(Status::SystemFailure("cannot write " + output.string(), errno));
    if (m_signing.enabled()) {
        if (!unsignedFile.close())
            return fail(Status::SystemFailure("cannot write " + unsignedPackage.string(), errno));
        if (!sign(unsignedPackage, staging.path() / "signed.exe", file.descriptor(), progress))
            return false;
    }
    if (Status committed = file.Commit(); !committed.ok())
        return fail(std::move(committed));
    m_installerMissing =
        std::find(m_runtimeFiles.begin(), m_runtimeFiles.end(), kInstallerFileName) == m_runtimeFiles.end();
    return true;
}

} // namespace pellora
