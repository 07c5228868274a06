#include "core/package/ZipArchive.h"

#include "core/package/ZipWriter.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/FileDescriptor.h"
#include "core/platform/Profile.h"
#include "core/util/FolderTree.h"

#include <zip.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>
#include <utility>

namespace pellora {

namespace fs = std::filesystem;
using platform::FoldCase;

namespace {


struct ZipDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipFileClose>;

// ---- creation -------------------------------------------------------------------------------------

// One file to store: where it is read from and the name it gets in the archive.
struct SourceFile {
    fs::path path;
    std::string name;
    std::uint64_t size = 0;
    mode_t mode = 0;
    std::int64_t mtime = 0;
};

// The progress count of one create run, fed by the writer after each file and every few MiB.
class CreateRun {
public:
    CreateRun(const ZipProgressCallback& callback, std::uint64_t files, std::uint64_t bytes)
        : m_callback(callback)
    {
        m_state.filesTotal = files;
        m_state.bytesTotal = bytes;
    }

    // false when the callback asked to stop.
    bool update(std::uint64_t filesDone, std::uint64_t bytesDone)
    {
        m_state.filesDone = filesDone;
        m_state.bytesDone = bytesDone;
        return report();
    }
    // Reports the end of a successful run once more unless the last report already said it.
    void finish()
    {
        if (m_state.filesDone == m_state.filesTotal && m_state.bytesDone == m_state.bytesTotal && m_reported)
            return;
        m_state.filesDone = m_state.filesTotal;
        m_state.bytesDone = m_state.bytesTotal;
        report();
    }
    bool cancelled() const { return m_cancelled; }

private:
    bool report()
    {
        m_reported = true;
        if (m_callback && !m_cancelled && !m_callback(m_state))
            m_cancelled = true;
        return !m_cancelled;
    }

    const ZipProgressCallback& m_callback;
    ZipProgress m_state;
    bool m_reported = false;
    bool m_cancelled = false;
};

// Collects every file below folder under names that begin with the folder's own name.
Status collectFolder(const fs::path& folder, const std::string& ownName, std::vector<SourceFile>& files)
{
    return WalkFolderTree(folder, [&](const FolderTreeEntry& entry) {
        switch (entry.kind) {
        case FolderTreeEntry::Kind::File:
            files.push_back({entry.path, ownName + "/" + std::string(entry.relative),
                             static_cast<std::uint64_t>(entry.info.st_size), entry.info.st_mode, entry.info.st_mtime});
            break;
        case FolderTreeEntry::Kind::Other:
            return Status::Failure("cannot add " + entry.path.string() + ": not a regular file");
        case FolderTreeEntry::Kind::EnterFolder:
        case FolderTreeEntry::Kind::LeaveFolder:
            break;
        }
        return Status::Ok();
    });
}

// An archive without entries: only the end-of-central-directory record.
Status writeEmptyArchive(const fs::path& name)
{
    static constexpr std::array<char, 22> kEmpty{'P', 'K', 5, 6};
    return platform::SaveFileContents(name, std::string_view(kEmpty.data(), kEmpty.size()));
}

// ---- extraction -----------------------------------------------------------------------------------

// One entry to extract, checked.
struct PlannedEntry {
    zip_uint64_t index = 0;
    std::vector<std::string> parts;
    bool folder = false;
    mode_t mode = 0644;
    bool hasTime = false;
    time_t mtime = 0;
};

// Opens (creating when missing) the folder part below parent; never through a link.
platform::FileDescriptor openSubfolder(int parent, const std::string& part, std::string& error)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    platform::FileDescriptor fd(::openat(parent, part.c_str(), flags));
    if (!fd.valid() && errno == ENOENT) {
        if (::mkdirat(parent, part.c_str(), 0755) != 0 && errno != EEXIST) {
            error = "cannot create folder " + part + ": " + SystemErrorText(errno);
            return {};
        }
        fd = platform::FileDescriptor(::openat(parent, part.c_str(), flags));
    }
    if (!fd.valid()) {
        const int failure = errno;
        struct stat info {};
        const bool link = ::fstatat(parent, part.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
        error = "cannot enter folder " + part + ": " + (link ? std::string("it is a link") : SystemErrorText(failure));
    }
    return fd;
}

} // namespace

void CZipArchive::AddFile(const fs::path& file)
{
    if (m_foldedFiles.insert(FoldCase(file.string())).second)
        m_files.push_back(file);
}

void CZipArchive::AddFiles(const std::vector<fs::path>& files)
{
    for (const fs::path& file : files)
        AddFile(file);
}

void CZipArchive::ClearFiles()
{
    m_files.clear();
    m_foldedFiles.clear();
}

bool CZipArchive::fail(std::string text)
{
    m_status = Status::Failure(std::move(text));
    return false;
}

bool CZipArchive::IsCompressedFileName(std::string_view name)
{
    static constexpr std::array<std::string_view, 27> kExtensions{
        ".zip", ".cab", ".gz", ".tgz", ".bz2", ".xz", ".lzma", ".zst", ".7z", ".rar", ".jar", ".apk",
        ".docx", ".xlsx", ".pptx", ".jpg", ".jpeg", ".png", ".gif", ".webp", ".mp3", ".mp4", ".m4a",
        ".ogg", ".avi", ".mkv", ".pdf"};
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string extension = FoldCase(name.substr(dot));
    return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

bool CZipArchive::SplitEntryName(std::string_view name, std::vector<std::string>& parts, std::string& reason)
{
    parts.clear();
    if (name.empty()) {
        reason = "empty entry name";
        return false;
    }
    if (name.front() == '/' || name.front() == '\\') {
        reason = "absolute entry name";
        return false;
    }
    if (name.find(':') != std::string_view::npos) {
        reason = "entry name with a drive or stream mark";
        return false;
    }
    while (!name.empty()) {
        const auto separator = name.find_first_of("/\\");
        const std::string_view part = name.substr(0, separator);
        name = separator == std::string_view::npos ? std::string_view{} : name.substr(separator + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            reason = "entry name climbs out of the folder";
            return false;
        }
        parts.emplace_back(part);
    }
    return true;
}

bool CZipArchive::Create()
{
    m_status = Status::Ok();
    if (m_archiveName.empty())
        return fail("no archive name");
    if (m_files.empty())
        return fail("no files to archive");

    // Files first, at the root under their bare names; then every folder under its own name.
    std::vector<SourceFile> files;
    std::vector<fs::path> folders;
    for (const fs::path& path : m_files) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return fail("cannot add " + path.string() + ": " + SystemErrorText(errno));
        if (S_ISDIR(info.st_mode)) {
            folders.push_back(path);
        } else if (S_ISREG(info.st_mode)) {
            files.push_back({path, path.filename().string(), static_cast<std::uint64_t>(info.st_size),
                             info.st_mode, info.st_mtime});
        } else {
            return fail("cannot add " + path.string() + ": not a regular file");
        }
    }
    for (const fs::path& path : folders) {
        fs::path folder = fs::absolute(path).lexically_normal();
        if (folder.filename().empty())
            folder = folder.parent_path(); // a trailing separator
        const std::string own = folder.filename().string();
        if (own.empty() || own == "." || own == "..")
            return fail("cannot archive folder " + path.string() + " under a name of its own");
        if (Status collected = collectFolder(folder, own, files); !collected.ok()) {
            m_status = std::move(collected);
            return false;
        }
    }

    if (files.empty()) {
        m_status = writeEmptyArchive(m_archiveName);
        return m_status.ok();
    }

    // The writer deflates pieces of the files on every processor and stores data that does not shrink.
    std::uint64_t totalBytes = 0;
    std::vector<ZipWriterEntry> entries;
    entries.reserve(files.size());
    for (const SourceFile& file : files) {
        totalBytes += file.size;
        entries.push_back({file.path, file.name, file.size, static_cast<std::uint32_t>(file.mode & 07777), file.mtime,
                           IsCompressedFileName(file.name)});
    }
    CreateRun run(m_progress, files.size(), totalBytes);
    ZipWriter writer;
    if (m_compressionLevel > 0)
        writer.SetCompressionLevel(m_compressionLevel);
    writer.SetProgressCallback([&run](std::uint64_t filesDone, std::uint64_t bytesDone) { return run.update(filesDone, bytesDone); });
    writer.SetDurable(m_durable);
    if (!writer.Write(m_archiveName, entries)) {
        m_status = writer.status();
        return false;
    }
    run.finish();
    return true;
}

bool CZipArchive::Extract()
{
    m_status = Status::Ok();
    if (m_archiveName.empty())
        return fail("no archive name");
    if (m_extractionFolder.empty())
        return fail("no extraction folder");

    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* source = zip_source_file_create(m_archiveName.c_str(), m_archiveOffset, m_archiveLength, &openError);
    ZipHandle archive(source ? zip_open_from_source(source, ZIP_RDONLY, &openError) : nullptr);
    if (!archive) {
        if (source)
            zip_source_free(source);
        const std::string why = zip_error_strerror(&openError);
        zip_error_fini(&openError);
        return fail("cannot open " + m_archiveName.string() + ": " + why);
    }
    zip_error_fini(&openError);

    // Check every entry before anything is written.
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0)
        return fail("cannot read the archive's directory");
    if (static_cast<std::uint64_t>(count) > m_entryLimit)
        return fail("the archive holds too many entries");
    std::vector<PlannedEntry> plan;
    plan.reserve(static_cast<std::size_t>(count));
    std::uint64_t declaredTotal = 0;
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        zip_stat_t stat;
        const char* rawName = zip_get_name(archive.get(), index, ZIP_FL_ENC_GUESS);
        if (!rawName || zip_stat_index(archive.get(), index, 0, &stat) != 0)
            return fail("cannot read entry " + std::to_string(index) + ": " + zip_strerror(archive.get()));
        const std::string_view name(rawName);
        PlannedEntry entry;
        entry.index = index;
        std::string reason;
        if (!SplitEntryName(name, entry.parts, reason))
            return fail("refused entry \"" + std::string(name) + "\": " + reason);
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return fail("refused entry \"" + std::string(name) + "\": encrypted");
        if ((stat.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(stat.comp_method, 0))
            return fail("refused entry \"" + std::string(name) + "\": unsupported compression");

        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(archive.get(), index, 0, &system, &attributes) != 0)
            return fail("cannot read entry " + std::to_string(index) + ": " + zip_strerror(archive.get()));
        const mode_t unixMode = system == ZIP_OPSYS_UNIX ? static_cast<mode_t>(attributes >> 16) : 0;
        if ((unixMode & S_IFMT) == S_IFLNK)
            return fail("refused entry \"" + std::string(name) + "\": symbolic link");

        entry.folder = name.back() == '/' || name.back() == '\\' || (unixMode & S_IFMT) == S_IFDIR;
        if (!entry.folder && entry.parts.empty())
            return fail("refused entry \"" + std::string(name) + "\": no file name");
        if ((unixMode & 0777) != 0)
            entry.mode = (unixMode & 0777) | 0600;
        if (stat.valid & ZIP_STAT_MTIME) {
            entry.hasTime = true;
            entry.mtime = stat.mtime;
        }
        if (!entry.folder && (stat.valid & ZIP_STAT_SIZE)) {
            if (stat.size > m_sizeLimit - declaredTotal) // declaredTotal never exceeds the limit
                return fail("the archive is larger than the limit of " + std::to_string(m_sizeLimit) + " bytes");
            declaredTotal += stat.size;
        }
        plan.push_back(std::move(entry));
    }

    std::error_code ec;
    fs::create_directories(m_extractionFolder, ec);
    const platform::FileDescriptor root(::open(m_extractionFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.valid())
        return fail("cannot open folder " + m_extractionFolder.string() + ": " + SystemErrorText(errno));

    std::vector<char> buffer(64 * 1024);
    std::uint64_t writtenTotal = 0;
    for (const PlannedEntry& entry : plan) {
        const std::size_t folderParts = entry.folder ? entry.parts.size() : entry.parts.size() - 1;
        platform::FileDescriptor folder;
        for (std::size_t i = 0; i < folderParts; ++i) {
            std::string error;
            folder = openSubfolder(folder.valid() ? folder.get() : root.get(), entry.parts[i], error);
            if (!folder.valid())
                return fail(std::move(error));
        }
        if (entry.folder)
            continue;
        const int parent = folder.valid() ? folder.get() : root.get();
        const std::string& fileName = entry.parts.back();

        ZipFileHandle data(zip_fopen_index(archive.get(), entry.index, 0));
        if (!data)
            return fail("cannot read " + fileName + ": " + zip_strerror(archive.get()));

        // Written beside under a temporary name and renamed at the end: a link standing at the name is
        // replaced, never followed, and no half-written file is left. The extraction folder lives only as
        // long as the operation that reads it, so nothing is synced.
        platform::AtomicFileWriter out(parent, fileName, {.mode = entry.mode, .followTargetLink = false, .durable = false});
        std::string error;
        for (;;) {
            if (!out.ok()) {
                error = "cannot write " + fileName + ": " + out.status().text();
                break;
            }
            const zip_int64_t got = zip_fread(data.get(), buffer.data(), buffer.size());
            if (got < 0) {
                error = "cannot read " + fileName + ": " + zip_file_strerror(data.get());
                break;
            }
            if (got == 0)
                break;
            writtenTotal += static_cast<std::uint64_t>(got);
            if (writtenTotal > m_sizeLimit) {
                error = "the archive is larger than the limit of " + std::to_string(m_sizeLimit) + " bytes";
                break;
            }
            out.Write(buffer.data(), static_cast<std::size_t>(got));
        }
        if (error.empty() && entry.hasTime) {
            const timespec times[2] = {{entry.mtime, 0}, {entry.mtime, 0}};
            ::futimens(out.descriptor(), times);
        }
        if (!error.empty())
            return fail(std::move(error));
        if (const Status committed = out.Commit(); !committed.ok())
            return fail("cannot write " + fileName + ": " + committed.text());
    }
    return true;
}

} // namespace pellora
