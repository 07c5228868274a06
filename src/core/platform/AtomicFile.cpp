#include "core/platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pellora::platform {

namespace {

constexpr int kMaxLinkHops = 40;
constexpr int kNameAttempts = 100;
// Room left in a 255-byte file name for the dots, the process number, the serial and ".part".
constexpr std::size_t kMaxNameInTemporary = 200;
constexpr std::string_view kTemporarySuffix = ".part";

std::atomic<unsigned long> g_serial{0};

// The file a chain of symbolic links ends at (the path itself when it is no link, or does not exist).
bool resolveLinks(fs::path path, fs::path& resolved, int& error)
{
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                error = errno;
                return false;
            }
            resolved = std::move(path);
            return true;
        }
        if (!S_ISLNK(status.st_mode)) {
            resolved = std::move(path);
            return true;
        }
        std::string text(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
        if (length < 0) {
            error = errno;
            return false;
        }
        text.resize(static_cast<std::size_t>(length));
        const fs::path link(text);
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    error = ELOOP;
    return false;
}

std::string_view shortenedName(std::string_view name)
{
    return name.substr(0, std::min(name.size(), kMaxNameInTemporary));
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const fs::path& target)
    : AtomicFileWriter(target, Options {})
{
}

AtomicFileWriter::AtomicFileWriter(const fs::path& target, Options options)
    : m_options(options)
    , m_target(target)
{
    if (target.empty() || !target.has_filename()) {
        m_status = Status::Failure("no file name to save to: \"" + target.string() + "\"", EINVAL);
        return;
    }
    if (m_options.followTargetLink) {
        int error = 0;
        if (!resolveLinks(target, m_target, error)) {
            m_status = Status::SystemFailure("cannot follow the link " + target.string(), error);
            return;
        }
    }
    const fs::path folder = m_target.has_parent_path() ? m_target.parent_path() : fs::path(".");
    m_ownFolder = FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!m_ownFolder.valid()) {
        m_status = Status::SystemFailure("cannot open the folder " + folder.string(), errno);
        return;
    }
    open(m_ownFolder.get(), m_target.filename().string(), true);
}

AtomicFileWriter::AtomicFileWriter(int folder, std::string name, Options options)
    : m_options(options)
    , m_target(name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        m_status = Status::Failure("not a file name: \"" + name + "\"", EINVAL);
        return;
    }
    open(folder, std::move(name), false);
}

AtomicFileWriter::~AtomicFileWriter()
{
    if (!m_committed)
        discard();
}

void AtomicFileWriter::open(int folder, std::string name, bool ownFolder)
{
    m_folder = folder;
    m_name = std::move(name);
    if (ownFolder)
        removeLeftovers();

    struct stat existing {};
    const bool exists = ::fstatat(m_folder, m_name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        m_status = Status::SystemFailure("cannot save " + m_target.string(), EISDIR);
        return;
    }
    const long pid = static_cast<long>(::getpid());
    for (int attempt = 0; attempt < kNameAttempts && !m_file.valid(); ++attempt) {
        m_temporary = TemporaryName(m_name, pid, g_serial.fetch_add(1));
        m_file = FileDescriptor(::openat(m_folder, m_temporary.c_str(),
                                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, m_options.mode));
        if (!m_file.valid() && errno != EEXIST)
            break;
    }
    if (!m_file.valid()) {
        const int error = errno;
        m_temporary.clear();
        m_status = Status::SystemFailure("cannot create a file beside " + m_target.string(), error);
        return;
    }
    // A replaced file keeps its permission bits.
    if (exists && S_ISREG(existing.st_mode) && ::fchmod(m_file.get(), existing.st_mode & 07777) != 0)
        m_status = Status::SystemFailure("cannot keep the permissions of " + m_target.string(), errno);
}

void AtomicFileWriter::removeLeftovers()
{
    const int copy = ::dup(m_folder);
    if (copy < 0)
        return;
    DIR* directory = ::fdopendir(copy);
    if (!directory) {
        ::close(copy);
        return;
    }
    const long self = static_cast<long>(::getpid());
    while (const dirent* entry = ::readdir(directory)) {
        const long owner = TemporaryNameOwner(entry->d_name, m_name);
        if (owner <= 0 || owner == self)
            continue;
        if (::kill(static_cast<pid_t>(owner), 0) != 0 && errno == ESRCH)
            ::unlinkat(m_folder, entry->d_name, 0);
    }
    ::closedir(directory);
}

bool AtomicFileWriter::Write(const void* data, std::size_t size)
{
    if (!ok())
        return false;
    if (!WriteAll(m_file.get(), data, size))
        m_status = Status::SystemFailure("cannot write " + m_target.string(), errno);
    return ok();
}

bool AtomicFileWriter::ReadBack(std::string& bytes) const
{
    struct stat status {};
    if (!m_file.valid() || ::fstat(m_file.get(), &status) != 0)
        return false;
    // The file was opened for writing only: read it through a descriptor of its own.
    const FileDescriptor reader(::openat(m_folder, m_temporary.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (!reader.valid())
        return false;
    bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(reader.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return true;
}

void AtomicFileWriter::Fail(Status status)
{
    if (ok())
        m_status = std::move(status);
}

Status AtomicFileWriter::Commit()
{
    if (ok() && m_options.durable && ::fsync(m_file.get()) != 0)
        m_status = Status::SystemFailure("cannot write " + m_target.string(), errno);
    if (ok() && !m_file.close())
        m_status = Status::SystemFailure("cannot write " + m_target.string(), errno);
    if (ok() && m_options.keepReplaced && !keepReplaced())
        m_status = Status::SystemFailure("cannot keep the file that " + m_target.string() + " replaces", errno);
    if (ok() && ::renameat(m_folder, m_temporary.c_str(), m_folder, m_name.c_str()) != 0) {
        m_status = Status::SystemFailure("cannot replace " + m_target.string(), errno);
        if (!m_replaced.empty())
            ::unlinkat(m_folder, m_replaced.c_str(), 0);
        m_replaced.clear();
    }
    if (!ok()) {
        discard();
        return m_status;
    }
    m_committed = true;
    // The new name is on disk once the folder is; a file system that cannot sync folders still renamed.
    if (m_options.durable)
        ::fsync(m_folder);
    return m_status;
}

bool AtomicFileWriter::keepReplaced()
{
    // A second name for what stands at the target (a link stays a link), so that the rename leaves it.
    const long pid = static_cast<long>(::getpid());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        m_replaced = TemporaryName(m_name, pid, g_serial.fetch_add(1));
        if (::linkat(m_folder, m_name.c_str(), m_folder, m_replaced.c_str(), 0) == 0)
            return true;
        if (errno != EEXIST) {
            const int error = errno;
            m_replaced.clear();
            errno = error;
            return error == ENOENT;
        }
    }
    m_replaced.clear();
    return false;
}

void AtomicFileWriter::discard()
{
    m_file.reset();
    if (!m_temporary.empty() && m_folder >= 0)
        ::unlinkat(m_folder, m_temporary.c_str(), 0);
    m_temporary.clear();
}

std::string AtomicFileWriter::TemporaryName(std::string_view targetName, long pid, unsigned long serial)
{
    std::string name = ".";
    name += shortenedName(targetName);
    name += '.';
    name += std::to_string(pid);
    name += '-';
    name += std::to_string(serial);
    name += kTemporarySuffix;
    return name;
}

long AtomicFileWriter::TemporaryNameOwner(std::string_view candidate, std::string_view targetName)
{
    const std::string_view base = shortenedName(targetName);
    if (candidate.size() < base.size() + 2 + kTemporarySuffix.size() || candidate[0] != '.' ||
        candidate.substr(1, base.size()) != base || candidate[1 + base.size()] != '.' ||
        !candidate.ends_with(kTemporarySuffix))
        return 0;
    const std::string_view middle =
        candidate.substr(base.size() + 2, candidate.size() - base.size() - 2 - kTemporarySuffix.size());
    const std::size_t dash = middle.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash + 1 == middle.size())
        return 0;
    long pid = 0;
    const auto [end, error] = std::from_chars(middle.data(), middle.data() + dash, pid);
    if (error != std::errc() || end != middle.data() + dash || pid <= 0)
        return 0;
    for (const char c : middle.substr(dash + 1)) {
        if (c < '0' || c > '9')
            return 0;
    }
    return pid;
}

Status SaveFileContents(const fs::path& target, std::string_view bytes, AtomicFileWriter::Options options)
{
    AtomicFileWriter writer(target, options);
    writer.Write(bytes);
    return writer.Commit();
}

} // namespace pellora::platform
