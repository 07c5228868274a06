#include "core/package/ZipArchive.h"

#include "core/platform/FileDescriptor.h"

#include "core/package/ZipWriter.h"
#include "core/platform/Profile.h"

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
#include <random>
#include <system_error>
#include <utility>

namespace pellora {

namespace fs = std::filesystem;
using platform::FoldCase;

namespace {

std::string errnoText(int error)
{
    return std::strerror(error);
}


struct ZipDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipFileClose>;

std::string libraryErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

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

// Collects every file below folder (following links to folders, but never into a folder that is being
// walked already) under names that begin with prefix.
bool collectFolder(const fs::path& folder, const std::string& prefix, std::vector<SourceFile>& files,
                   std::vector<std::pair<dev_t, ino_t>>& active, std::string& error)
{
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0) {
        error = "cannot read folder " + folder.string() + ": " + errnoText(errno);
        return false;
    }
    const std::pair<dev_t, ino_t> id{folderInfo.st_dev, folderInfo.st_ino};
    if (std::find(active.begin(), active.end(), id) != active.end()) {
        error = "folder " + folder.string() + " contains itself through a link";
        return false;
    }

    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    if (ec) {
        error = "cannot read folder " + folder.string() + ": " + ec.message();
        return false;
    }
    std::sort(names.begin(), names.end());

    active.push_back(id);
    for (const std::string& name : names) {
        const fs::path path = folder / name;
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            error = "cannot add " + path.string() + ": " + errnoText(errno);
            return false;
        }
        if (S_ISDIR(info.st_mode)) {
            if (!collectFolder(path, prefix + name + "/", files, active, error))
                return false;
        } else if (S_ISREG(info.st_mode)) {
            files.push_back({path, prefix + name, static_cast<std::uint64_t>(info.st_size), info.st_mode, info.st_mtime});
        } else {
            error = "cannot add " + path.string() + ": not a regular file";
            return false;
        }
    }
    active.pop_back();
    return true;
}

// An archive without entries: only the end-of-central-directory record.
bool writeEmptyArchive(const fs::path& name, std::string& error)
{
    static constexpr std::array<char, 22> kEmpty{'P', 'K', 5, 6};
    const fs::path temporary = name.string() + ".partial";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        error = "cannot create " + temporary.string() + ": " + errnoText(errno);
        return false;
    }
    const bool written = std::fwrite(kEmpty.data(), 1, kEmpty.size(), file) == kEmpty.size();
    const bool closed = std::fclose(file) == 0;
    std::error_code ec;
    if (written && closed)
        fs::rename(temporary, name, ec);
    if (!written || !closed || ec) {
        fs::remove(temporary, ec);
        error = "cannot write " + name.string();
        return false;
    }
    return true;
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
            error = "cannot create folder " + part + ": " + errnoText(errno);
            return {};
        }
        fd = platform::FileDescriptor(::openat(parent, part.c_str(), flags));
    }
    if (!fd.valid()) {
        const int failure = errno;
        struct stat info {};
        const bool link = ::fstatat(parent, part.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
        error = "cannot enter folder " + part + ": " + (link ? std::string("it is a link") : errnoText(failure));
    }
    return fd;
}

std::string temporaryName()
{
    static std::mt19937 generator{std::random_device{}()};
    char name[32];
    std::snprintf(name, sizeof name, ".pellora-%08X", static_cast<unsigned>(generator()));
    return name;
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
    m_lastError = std::move(text);
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
    m_lastError.clear();
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
            return fail("cannot add " + path.string() + ": " + errnoText(errno));
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
        std::vector<std::pair<dev_t, ino_t>> active;
        std::string error;
        if (!collectFolder(folder, own + "/", files, active, error))
            return fail(std::move(error));
    }

    if (files.empty())
        return writeEmptyArchive(m_archiveName, m_lastError);

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
    if (!writer.Write(m_archiveName, entries))
        return fail(writer.Cancelled() ? "cancelled" : writer.GetLastError());
    run.finish();
    return true;
}

bool CZipArchive::Extract()
{
    m_lastError.clear();
    if (m_archiveName.empty())
        return fail("no archive name");
    if (m_extractionFolder.empty())
        return fail("no extraction folder");

    int openError = 0;
    ZipHandle archive(zip_open(m_archiveName.c_str(), ZIP_RDONLY, &openError));
    if (!archive)
        return fail("cannot open " + m_archiveName.string() + ": " + libraryErrorText(openError));

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
        return fail("cannot open folder " + m_extractionFolder.string() + ": " + errnoText(errno));

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
        // replaced, never followed, and no half-written file is left.
        std::string temporary;
        platform::FileDescriptor out;
        for (int attempt = 0; attempt < 100 && !out.valid(); ++attempt) {
            temporary = temporaryName();
            out = platform::FileDescriptor(::openat(parent, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                                    entry.mode));
            if (!out.valid() && errno != EEXIST)
                break;
        }
        if (!out.valid())
            return fail("cannot create " + fileName + ": " + errnoText(errno));

        std::string error;
        for (;;) {
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
            if (!platform::WriteAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
                error = "cannot write " + fileName + ": " + errnoText(errno);
                break;
            }
        }
        if (error.empty() && entry.hasTime) {
            const timespec times[2] = {{entry.mtime, 0}, {entry.mtime, 0}};
            ::futimens(out.get(), times);
        }
        if (!out.close() && error.empty())
            error = "cannot write " + fileName + ": " + errnoText(errno);
        if (error.empty() && ::renameat(parent, temporary.c_str(), parent, fileName.c_str()) != 0)
            error = "cannot write " + fileName + ": " + errnoText(errno);
        if (!error.empty()) {
            ::unlinkat(parent, temporary.c_str(), 0);
            return fail(std::move(error));
        }
    }
    return true;
}

} // namespace pellora
