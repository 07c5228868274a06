#include "core/util/Support.h"

#include "Version.h"
#include "core/platform/FileDescriptor.h"
#include "core/util/FolderTree.h"
#include "core/util/RunFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace pellora {

namespace {

constexpr int kTempNameTries = 100;
constexpr std::size_t kWorkFolderNameChars = 7;

std::mutex& cacheMutex()
{
    static std::mutex m;
    return m;
}

// Guarded by cacheMutex().
struct Caches {
    fs::path moduleFolder;
    fs::path modulePath;
    fs::path tempBase;
    fs::path workFolder;
};

Caches& caches()
{
    static Caches c;
    return c;
}

fs::path readOwnExecutable()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return exe;
}

// Each thread draws from its own generator, seeded from the system's entropy source, the clock and the
// thread, so that threads and processes started at the same moment do not walk the same sequence.
unsigned nextRandom16()
{
    thread_local std::mt19937 generator = [] {
        std::random_device device;
        const auto now = static_cast<unsigned>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        const auto thread = static_cast<unsigned>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
        std::seed_seq seed{device(), device(), now, thread, static_cast<unsigned>(::getpid())};
        return std::mt19937(seed);
    }();
    return std::uniform_int_distribution<unsigned>(0, 0xFFFF)(generator);
}

std::string tempCandidate(const char* suffix)
{
    char name[32];
    std::snprintf(name, sizeof name, "KOVA%04X%s", nextRandom16(), suffix);
    return name;
}

bool isOwnRealFolder(const fs::path& folder)
{
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
}

bool isWithin(const fs::path& inner, const fs::path& outer)
{
    auto o = outer.begin();
    auto i = inner.begin();
    for (; o != outer.end(); ++o, ++i) {
        if (o->empty())
            continue; // trailing separator
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

bool copyOneFile(const fs::path& source, const fs::path& target)
{
    std::error_code ec;
    if (fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec))
        return true;
    // A read-only file already at the target is replaced too.
    std::error_code statEc;
    const fs::file_status status = fs::symlink_status(target, statEc);
    if (statEc || !fs::is_regular_file(status))
        return false;
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, statEc);
    if (statEc)
        return false;
    ec.clear();
    return fs::copy_file(source, target, fs::copy_options::overwrite_existing, ec) && !ec;
}

} // namespace

fs::path GetModuleFolder()
{
    const std::lock_guard lock(cacheMutex());
    Caches& c = caches();
    if (c.moduleFolder.empty())
        c.moduleFolder = readOwnExecutable().parent_path();
    return c.moduleFolder;
}

fs::path GetModulePath(bool full)
{
    fs::path path;
    {
        const std::lock_guard lock(cacheMutex());
        Caches& c = caches();
        if (c.modulePath.empty()) {
            std::error_code ec;
            const fs::path exe = readOwnExecutable();
            c.modulePath = exe.empty() ? exe : fs::weakly_canonical(exe, ec);
            if (ec)
                c.modulePath = exe;
        }
        path = c.modulePath;
    }
    return full ? path : path.filename();
}

fs::path GetTempBase()
{
    const std::lock_guard lock(cacheMutex());
    Caches& c = caches();
    if (!c.tempBase.empty())
        return c.tempBase;
    const char* env = std::getenv("TMPDIR");
    const fs::path given = (env != nullptr && *env != '\0') ? fs::path(env) : fs::path("/tmp");
    std::error_code ec;
    const fs::path base = fs::absolute(given, ec);
    if (ec)
        return {};
    fs::create_directories(base, ec);
    if (!fs::is_directory(base, ec))
        return {}; // not cached: a later call may succeed
    c.tempBase = base;
    return base;
}

std::string WorkFolderName(std::string_view internalName)
{
    std::size_t bytes = 0;
    std::size_t chars = 0;
    while (bytes < internalName.size() && chars < kWorkFolderNameChars) {
        ++bytes;
        while (bytes < internalName.size() && (static_cast<unsigned char>(internalName[bytes]) & 0xC0) == 0x80)
            ++bytes; // continuation bytes of the same character
        ++chars;
    }
    return "_" + std::string(internalName.substr(0, bytes));
}

fs::path PrepareWorkFolder(const fs::path& base, std::string_view internalName)
{
    if (base.empty())
        return {};
    const fs::path folder = base / WorkFolderName(internalName);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return {};
    // In a shared temporary folder the name may have been taken by someone else, possibly as a link
    // that would send our files elsewhere.
    if (!isOwnRealFolder(folder))
        return {};
    return folder;
}

fs::path GetWorkFolder()
{
    const fs::path base = GetTempBase();
    const std::lock_guard lock(cacheMutex());
    Caches& c = caches();
    if (c.workFolder.empty())
        c.workFolder = PrepareWorkFolder(base, GetOwnInternalName());
    return c.workFolder;
}

fs::path MakeTempFileName()
{
    const fs::path work = GetRunFolder();
    if (work.empty())
        return {};
    for (int i = 0; i < kTempNameTries; ++i) {
        const fs::path candidate = work / tempCandidate(".dat");
        std::error_code ec;
        const fs::file_status status = fs::symlink_status(candidate, ec);
        if (!fs::exists(status) && (!ec || ec == std::errc::no_such_file_or_directory))
            return candidate;
    }
    return {};
}

fs::path MakeTempFolder()
{
    const fs::path work = GetRunFolder();
    if (work.empty())
        return {};
    for (int i = 0; i < kTempNameTries; ++i) {
        const fs::path candidate = work / tempCandidate("");
        std::error_code ec;
        // Creation itself decides: a name someone else created meanwhile is simply the next try.
        if (fs::create_directory(candidate, ec))
            return candidate;
        if (ec)
            return {};
    }
    return {};
}

bool CopyFolderTree(const fs::path& source, const fs::path& target)
{
    std::error_code ec;
    if (!fs::is_directory(source, ec))
        return false;
    const fs::path canonicalSource = fs::canonical(source, ec);
    if (ec)
        return false;
    const fs::path resolvedTarget = fs::weakly_canonical(fs::absolute(target, ec), ec);
    if (ec)
        return false;
    // Copying a folder into itself would never end.
    if (isWithin(resolvedTarget, canonicalSource))
        return false;
    return WalkFolderTree(source, [&target](const FolderTreeEntry& entry) {
        const fs::path to = entry.relative.empty() ? target : target / fs::path(entry.relative);
        switch (entry.kind) {
        case FolderTreeEntry::Kind::EnterFolder: {
            std::error_code error;
            fs::create_directories(to, error);
            return fs::is_directory(to, error) ? Status::Ok() : Status::Failure("cannot create " + to.string());
        }
        case FolderTreeEntry::Kind::File:
            return copyOneFile(entry.path, to) ? Status::Ok() : Status::Failure("cannot copy " + entry.path.string());
        case FolderTreeEntry::Kind::LeaveFolder:
        case FolderTreeEntry::Kind::Other: // sockets, pipes and devices are not file contents
            break;
        }
        return Status::Ok();
    }).ok();
}

void DeleteFolderTree(const fs::path& folder)
{
    fs::path target = folder;
    if (!target.has_filename())
        target = target.parent_path();
    const std::string name = target.filename().string();
    if (name.empty() || name == "." || name == "..")
        return;
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const platform::FileDescriptor parentFolder(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (parentFolder.valid())
        RemoveFolderTree(parentFolder.get(), name);
}

std::size_t ListSubfolders(const fs::path& folder, std::vector<std::string>& names)
{
    names.clear();
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec)
        return 0;
    for (const fs::directory_entry& entry : it) {
        std::error_code typeEc;
        if (entry.is_directory(typeEc))
            names.push_back(entry.path().filename().string());
    }
    return names.size();
}

std::string GetOwnInternalName()
{
    return version::kInternalName;
}

std::string GetOwnProductName()
{
    return version::kProductName;
}

bool HasLoadDriverPrivilege()
{
    return true;
}

std::string_view LastPathComponent(std::string_view path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

ScopedTempFolder::ScopedTempFolder()
    : m_path(MakeTempFolder())
{
}

ScopedTempFolder::~ScopedTempFolder()
{
    if (!m_path.empty())
        DeleteFolderTree(m_path);
}

ScopedTempFile::ScopedTempFile()
    : m_path(MakeTempFileName())
{
}

ScopedTempFile::ScopedTempFile(fs::path path)
    : m_path(std::move(path))
{
}

ScopedTempFile::~ScopedTempFile()
{
    if (!m_path.empty()) {
        std::error_code ec;
        fs::remove(m_path, ec);
    }
}

} // namespace pellora
