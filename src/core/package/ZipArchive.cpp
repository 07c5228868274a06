#include "core/package/ZipArchive.h"

#include "core/package/ZipReader.h"
#include "core/package/ZipWriter.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/FileDescriptor.h"
#include "core/platform/Profile.h"
#include "core/util/FolderTree.h"
#include "core/util/Support.h"

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
#include <unordered_set>
#include <utility>

namespace pellora {

namespace fs = std::filesystem;
using platform::FoldCase;

namespace {

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

using FileId = std::pair<dev_t, ino_t>;

struct FileIdHash {
    std::size_t operator()(const FileId& id) const
    {
        return std::hash<std::uint64_t>{}(static_cast<std::uint64_t>(id.first) * 0x9E3779B97F4A7C15ull ^ id.second);
    }
};

// Opens the folder reached from root through the first count parts, never through a link.
platform::FileDescriptor openFolderBelow(int root, const std::vector<std::string>& parts, std::size_t count)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    platform::FileDescriptor folder(::openat(root, ".", flags));
    for (std::size_t i = 0; i < count && folder.valid(); ++i)
        folder = platform::FileDescriptor(::openat(folder.get(), parts[i].c_str(), flags));
    return folder;
}

// What an extraction changed in its folder, so that a failed one can be undone: the topmost folders
// and the files it made where nothing stood before, and the files it replaced, which stay under a second
// name until the extraction ends. Everything inside a folder it made goes with that folder.
class ExtractionJournal {
public:
    explicit ExtractionJournal(int root) : m_root(root) {}

    bool inMadeFolder(const struct stat& folder) const { return m_madeFolders.contains({folder.st_dev, folder.st_ino}); }

    // The folder parts[count - 1], made inside a folder that is described by parent.
    void folderMade(const std::vector<std::string>& parts, std::size_t count, const struct stat& parent,
                    const struct stat& made)
    {
        m_madeFolders.insert({made.st_dev, made.st_ino});
        if (!inMadeFolder(parent)) {
            std::vector<std::string> path(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(count));
            m_changes.push_back({Change::Kind::MadeFolder, std::move(path), {}, {}});
        }
    }
    // The file parts.back() written into the folder described by parent; replaced names what it replaced.
    void fileWritten(const std::vector<std::string>& parts, const struct stat& parent, const struct stat& file,
                     const std::string& replaced)
    {
        if (inMadeFolder(parent) && replaced.empty())
            return;
        Change change{replaced.empty() ? Change::Kind::MadeFile : Change::Kind::ReplacedFile, parts, replaced,
                      {file.st_dev, file.st_ino}};
        m_changes.push_back(std::move(change));
    }

    // The extraction succeeded: what was replaced goes for good.
    void commit()
    {
        for (const Change& change : m_changes) {
            if (change.kind != Change::Kind::ReplacedFile)
                continue;
            const platform::FileDescriptor folder = openFolderBelow(m_root, change.parts, change.parts.size() - 1);
            if (folder.valid())
                ::unlinkat(folder.get(), change.replaced.c_str(), 0);
        }
        m_changes.clear();
    }

    // The extraction failed: back to where it started, last change first.
    void undo()
    {
        for (auto it = m_changes.rbegin(); it != m_changes.rend(); ++it) {
            const Change& change = *it;
            const platform::FileDescriptor folder = openFolderBelow(m_root, change.parts, change.parts.size() - 1);
            if (!folder.valid())
                continue;
            const std::string& name = change.parts.back();
            switch (change.kind) {
            case Change::Kind::MadeFolder:
                RemoveFolderTree(folder.get(), name);
                break;
            case Change::Kind::MadeFile: {
                // Only the very file written here: another may have taken the name meanwhile.
                struct stat info {};
                if (::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
                    FileId{info.st_dev, info.st_ino} == change.file)
                    ::unlinkat(folder.get(), name.c_str(), 0);
                break;
            }
            case Change::Kind::ReplacedFile:
                ::renameat(folder.get(), change.replaced.c_str(), folder.get(), name.c_str());
                break;
            }
        }
        m_changes.clear();
    }

private:
    struct Change {
        enum class Kind { MadeFolder, MadeFile, ReplacedFile };
        Kind kind;
        std::vector<std::string> parts; // below the root
        std::string replaced;           // the second name of a replaced file
        FileId file;                  // the file written (its identity)
    };

    int m_root;
    std::vector<Change> m_changes;
    std::unordered_set<FileId, FileIdHash> m_madeFolders;
};

// Opens (creating when missing) the folder parts[index] inside parent; never through a link.
platform::FileDescriptor openSubfolder(int parent, const struct stat& parentInfo, const std::vector<std::string>& parts,
                                       std::size_t index, ExtractionJournal& journal, struct stat& info,
                                       std::string& error)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const std::string& part = parts[index];
    platform::FileDescriptor fd(::openat(parent, part.c_str(), flags));
    bool made = false;
    if (!fd.valid() && errno == ENOENT) {
        made = ::mkdirat(parent, part.c_str(), 0755) == 0;
        if (!made && errno != EEXIST) {
            error = "cannot create folder " + part + ": " + SystemErrorText(errno);
            return {};
        }
        fd = platform::FileDescriptor(::openat(parent, part.c_str(), flags));
    }
    if (fd.valid() && ::fstat(fd.get(), &info) == 0) {
        if (made)
            journal.folderMade(parts, index + 1, parentInfo, info);
        return fd;
    }
    const int failure = errno;
    struct stat link {};
    const bool isLink = ::fstatat(parent, part.c_str(), &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
    error = "cannot enter folder " + part + ": " + (isLink ? std::string("it is a link") : SystemErrorText(failure));
    return {};
}

// The first folder of path that does not exist yet; empty when all do.
fs::path firstMissingFolder(const fs::path& path)
{
    fs::path missing;
    std::error_code ec;
    for (fs::path at = fs::absolute(path, ec).lexically_normal(); !at.empty() && at != at.parent_path();
         at = at.parent_path()) {
        if (!at.has_filename())
            continue;
        if (fs::exists(fs::symlink_status(at, ec)))
            break;
        missing = at;
    }
    return missing;
}

std::string joinParts(const std::vector<std::string>& parts)
{
    std::string joined;
    for (const std::string& part : parts) {
        if (!joined.empty())
            joined += '/';
        joined += part;
    }
    return joined;
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
        if (part.size() > kMaxNamePart) {
            reason = "a part of the entry name is longer than " + std::to_string(kMaxNamePart) + " bytes";
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

bool CZipArchive::openReader(ZipReader& reader)
{
    m_status = Status::Ok();
    m_targetFailed = false;
    if (m_archiveName.empty())
        return fail("no archive name");
    const ZipReaderLimits limits{m_sizeLimit, m_entryLimit, m_ratioLimit, kRatioAllowance};
    if (Status opened = reader.Open(m_archiveName, m_archiveOffset, m_archiveLength, limits); !opened.ok()) {
        m_status = std::move(opened);
        return false;
    }
    return true;
}

bool CZipArchive::ExtractInMemory(std::vector<ZipMemoryFile>& files)
{
    files.clear();
    ZipReader reader;
    if (!openReader(reader))
        return false;
    const std::vector<ZipReaderEntry>& entries = reader.entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (entries[index].folder)
            continue;
        ZipMemoryFile file{joinParts(entries[index].parts), {}};
        file.bytes.reserve(static_cast<std::size_t>(entries[index].size));
        const Status read = reader.Read(index, [&file](const char* data, std::size_t size) {
            file.bytes.append(data, size);
            return true;
        });
        if (!read.ok()) {
            files.clear();
            m_status = read;
            return false;
        }
        files.push_back(std::move(file));
    }
    return true;
}

bool CZipArchive::Extract()
{
    m_targetFailed = false;
    if (m_extractionFolder.empty())
        return fail("no extraction folder");
    ZipReader reader;
    if (!openReader(reader))
        return false;

    const fs::path missing = firstMissingFolder(m_extractionFolder);
    std::error_code ec;
    fs::create_directories(m_extractionFolder, ec);
    const platform::FileDescriptor root(::open(m_extractionFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat rootInfo {};
    if (!root.valid() || ::fstat(root.get(), &rootInfo) != 0) {
        const int error = errno;
        if (!missing.empty())
            DeleteFolderTree(missing);
        m_targetFailed = true;
        return fail("cannot open folder " + m_extractionFolder.string() + ": " + SystemErrorText(error));
    }

    ExtractionJournal journal(root.get());
    const auto failed = [&](std::string text, bool inTarget) {
        journal.undo();
        if (!missing.empty())
            DeleteFolderTree(missing);
        m_targetFailed = inTarget;
        return fail(std::move(text));
    };
    const std::vector<ZipReaderEntry>& entries = reader.entries();
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const ZipReaderEntry& entry = entries[index];
        const std::size_t folderParts = entry.folder ? entry.parts.size() : entry.parts.size() - 1;
        platform::FileDescriptor folder;
        struct stat folderInfo = rootInfo;
        for (std::size_t i = 0; i < folderParts; ++i) {
            std::string error;
            struct stat info {};
            const int parent = folder.valid() ? folder.get() : root.get();
            folder = openSubfolder(parent, folderInfo, entry.parts, i, journal, info, error);
            if (!folder.valid())
                return failed(std::move(error), true);
            folderInfo = info;
        }
        if (entry.folder)
            continue;
        const int parent = folder.valid() ? folder.get() : root.get();
        const std::string& fileName = entry.parts.back();

        // Written beside under a temporary name and renamed at the end: a link standing at the name is
        // replaced, never followed, and no half-written file is left. The extraction folder lives only as
        // long as the operation that reads it, so nothing is synced.
        const platform::AtomicFileWriter::Options options{
            .mode = entry.mode, .followTargetLink = false, .durable = false, .keepReplaced = true};
        platform::AtomicFileWriter out(parent, fileName, options);
        if (!out.ok())
            return failed("cannot write " + fileName + ": " + out.status().text(), true);
        const Status read =
            reader.Read(index, [&out](const char* data, std::size_t size) { return out.Write(data, size); });
        if (!out.ok())
            return failed("cannot write " + fileName + ": " + out.status().text(), true);
        if (!read.ok())
            return failed(read.text(), false);
        if (entry.hasTime) {
            const timespec times[2] = {{entry.mtime, 0}, {entry.mtime, 0}};
            ::futimens(out.descriptor(), times);
        }
        struct stat written {};
        ::fstat(out.descriptor(), &written);
        if (const Status committed = out.Commit(); !committed.ok())
            return failed("cannot write " + fileName + ": " + committed.text(), true);
        journal.fileWritten(entry.parts, folderInfo, written, out.replacedName());
    }
    journal.commit();
    return true;
}

} // namespace pellora
