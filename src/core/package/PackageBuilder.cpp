#include "core/package/PackageBuilder.h"

#include "core/model/PrinterInfo.h"
#include "core/package/DriverCheck.h"
#include "core/package/DriverInfo.h"
#include "core/package/PackageFile.h"
#include "core/package/Support.h"
#include "core/script/ScriptFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <set>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace pellora {

namespace {

// Pre-build check results of the driver package check.
constexpr int kErrorNoPrinter = 9;
constexpr int kErrorNoPrinterName = 10;
constexpr int kErrorDuplicateName = 11;
constexpr int kErrorNoAddress = 14;
constexpr int kErrorNoModel = 15;
constexpr int kErrorNoDriverFolder = 17;
constexpr int kErrorShortAddress = 22;
constexpr int kErrorNoSettingsFile = 25;
constexpr int kErrorDriverFolder = 26;
constexpr int kErrorSettingsFile = 27;
constexpr int kErrorGeneral = 6;

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

using FolderId = std::pair<dev_t, ino_t>;

// Counts the regular files below folder as the staging copy and the archive see them: links followed, a
// folder reached again inside itself not entered twice.
void addTreeSize(const fs::path& folder, TreeSize& size, std::vector<FolderId>& active)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return;
    const FolderId id{info.st_dev, info.st_ino};
    if (std::find(active.begin(), active.end(), id) != active.end())
        return;
    active.push_back(id);
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        struct stat entry {};
        if (::stat(it->path().c_str(), &entry) != 0)
            continue;
        if (S_ISDIR(entry.st_mode)) {
            addTreeSize(it->path(), size, active);
        } else if (S_ISREG(entry.st_mode)) {
            ++size.files;
            size.bytes += static_cast<std::uint64_t>(entry.st_size);
        }
    }
    active.pop_back();
}

TreeSize treeSize(const fs::path& folder)
{
    TreeSize size;
    std::vector<FolderId> active;
    addTreeSize(folder, size, active);
    return size;
}

// Copies a folder tree into the staging folder as CopyFolderTree does (links followed, files replaced,
// sockets and devices left out, the first failure stops), but gives each file a second name by a hard
// link where source and staging folder share a file system and the link is allowed, so that staging a
// large driver tree costs no copying. The packed content is the same either way; the staging folder's
// removal only takes those names away again.
class TreeStager {
public:
    using FileStaged = std::function<bool(std::uint64_t bytes)>;

    explicit TreeStager(FileStaged onFile) : m_onFile(std::move(onFile)) {}

    bool stage(const fs::path& source, const fs::path& target, std::string& error)
    {
        std::vector<FolderId> active;
        return stageFolder(source, target, active, error);
    }

private:
    bool stageFolder(const fs::path& source, const fs::path& target, std::vector<FolderId>& active, std::string& error)
    {
        struct stat info {};
        if (::stat(source.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            error = "cannot read the driver folder " + source.string();
            return false;
        }
        const FolderId id{info.st_dev, info.st_ino};
        if (std::find(active.begin(), active.end(), id) != active.end()) {
            error = "the driver folder " + source.string() + " contains itself through a link";
            return false;
        }
        std::error_code ec;
        fs::create_directories(target, ec);
        if (!fs::is_directory(target, ec)) {
            error = "cannot create " + target.string();
            return false;
        }
        active.push_back(id);
        fs::directory_iterator it(source, ec);
        for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            const fs::path from = it->path();
            const fs::path to = target / from.filename();
            struct stat entry {};
            if (::stat(from.c_str(), &entry) != 0) {
                error = "cannot read " + from.string() + ": " + std::strerror(errno);
                return false;
            }
            if (S_ISDIR(entry.st_mode)) {
                if (!stageFolder(from, to, active, error))
                    return false;
            } else if (S_ISREG(entry.st_mode)) {
                if (!stageFile(from, to, entry.st_dev)) {
                    error = "cannot copy " + from.string() + " to " + to.string();
                    return false;
                }
                if (!m_onFile(static_cast<std::uint64_t>(entry.st_size))) {
                    error = "cancelled";
                    return false;
                }
            }
        }
        if (ec) {
            error = "cannot read the driver folder " + source.string() + ": " + ec.message();
            return false;
        }
        active.pop_back();
        return true;
    }

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

// The package being written beside its final name; it takes that name on commit and is removed otherwise.
class PartialOutput {
public:
    explicit PartialOutput(const fs::path& output) : m_output(output)
    {
        std::random_device device;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[32];
            std::snprintf(suffix, sizeof suffix, ".%08X.part", static_cast<unsigned>(device()));
            fs::path candidate = output;
            candidate += suffix;
            // A package is a program: executable as far as the user's file-creation mask allows.
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0777);
            if (fd >= 0) {
                ::close(fd);
                m_path = std::move(candidate);
                return;
            }
            if (errno != EEXIST) {
                m_error = std::strerror(errno);
                return;
            }
        }
        m_error = "no free name";
    }
    ~PartialOutput()
    {
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    PartialOutput(const PartialOutput&) = delete;
    PartialOutput& operator=(const PartialOutput&) = delete;

    bool valid() const { return !m_path.empty(); }
    const fs::path& path() const { return m_path; }
    const std::string& error() const { return m_error; }

    bool commit()
    {
        if (::rename(m_path.c_str(), m_output.c_str()) != 0) {
            m_error = std::strerror(errno);
            return false;
        }
        m_path.clear();
        return true;
    }

private:
    fs::path m_output;
    fs::path m_path;
    std::string m_error;
};

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
        return {kErrorNoPrinter, -1};
    std::set<std::string> names;
    std::optional<DriverCheckLibrary> library;
    for (std::size_t i = 0; i < script.printers.size(); ++i) {
        const CPrinterInfoEx& printer = *script.printers[i];
        const auto failed = [i](int code) { return ValidationResult{code, static_cast<int>(i)}; };
        if (printer.printerName.empty() &&
            (printer.connection == 0 || (printer.connection == 1 && printer.instModeOff == 1)))
            return failed(kErrorNoPrinterName);
        if (!names.insert(printer.printerName).second)
            return failed(kErrorDuplicateName);
        if (isPlaceholderAddress(printer.address) && printer.connection == 0)
            return failed(kErrorNoAddress);
        if (printer.address.size() == 1)
            return failed(kErrorShortAddress);
        if (printer.modelName.empty())
            return failed(kErrorNoModel);
        if (printer.driverFolders.empty())
            return failed(kErrorNoDriverFolder);
        if (printer.instModeOff == 1 && printer.bsfPath.empty())
            return failed(kErrorNoSettingsFile);

        if (!library)
            library.emplace(programFolder);
        const std::optional<int> result =
            library->Check(DriverCheckLibrary::ModelArgument(printer.modelName),
                           printer.driverFolders.empty() ? std::string() : printer.driverFolders.front(), printer.bsfPath);
        if (!result)
            return failed(kErrorGeneral);
        switch (*result) {
        case 0:
            break;
        case 2:
        case 3:
        case 4:
            return failed(kErrorDriverFolder);
        case 5:
        case 6:
        case 7:
            return failed(kErrorSettingsFile);
        default:
            return failed(kErrorGeneral);
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

bool PackageBuilder::fail(std::string text)
{
    m_lastError = std::move(text);
    return false;
}

bool PackageBuilder::report(const BuildProgress& progress)
{
    if (m_progress && !m_cancelled && !m_progress(progress))
        m_cancelled = true;
    return !m_cancelled;
}

bool PackageBuilder::BuildPackage(const CScriptFile& script, const fs::path& output)
{
    m_lastError.clear();
    m_cancelled = false;
    m_lastStagingFolder.clear();
    if (output.empty() || output.filename().empty())
        return fail("no output file");

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

    PartialOutput partial(output);
    if (!partial.valid())
        return fail("cannot create " + output.string() + ": " + partial.error());

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
    std::vector<std::string> subfolders;
    ListSubfolders(m_programFolder, subfolders);
    for (const std::string& name : subfolders) {
        const TreeSize size = treeSize(m_programFolder / name);
        packed.files += size.files;
        packed.bytes += size.bytes;
    }
    BuildProgress progress;
    progress.filesTotal = drivers.files + packed.files;
    progress.bytesTotal = drivers.bytes + 2 * packed.bytes;
    if (!report(progress))
        return fail("cancelled");

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
            std::string error;
            if (!stager.stage(sources[j], folder / numbered("%03llu", j), error))
                return fail(m_cancelled ? "cancelled" : error);
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

    std::ofstream stream(partial.path(), std::ios::binary | std::ios::trunc);
    if (!stream)
        return fail("cannot write " + partial.path().string());
    bool written = false;
    try {
        written = package.Write(stream);
    } catch (const std::exception& error) {
        return fail("cannot write " + output.string() + ": " + error.what());
    }
    if (!written)
        return fail(m_cancelled ? "cancelled" : package.GetLastError());
    stream.close();
    if (!stream)
        return fail("cannot write " + output.string());
    if (!partial.commit())
        return fail("cannot replace " + output.string() + ": " + partial.error());
    return true;
}

} // namespace pellora
