#include "core/util/RunFolder.h"

#include "core/util/FolderTree.h"
#include "core/util/Support.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

// Run folders are named "run.PID.NUMBER"; one is made under "~run..." and renamed once its lock is
// held, so that no other start ever sees a run folder without a locked lock.
constexpr std::string_view kRunPrefix = "run.";
constexpr std::string_view kMakingPrefix = "~run.";
constexpr int kNameTries = 100;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::string runName(std::string_view prefix)
{
    return std::string(prefix) + std::to_string(::getpid()) + "." + std::to_string(std::random_device{}());
}

} // namespace

RunFolder::RunFolder(const fs::path& workFolder)
{
    if (workFolder.empty())
        return;
    const platform::FileDescriptor work(::open(workFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!work.valid())
        return;
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::string making = runName(kMakingPrefix);
        if (::mkdirat(work.get(), making.c_str(), 0700) != 0) {
            if (errno == EEXIST)
                continue;
            return;
        }
        const platform::FileDescriptor folder(::openat(work.get(), making.c_str(), kFolderFlags));
        platform::FileDescriptor lock(
            folder.valid() ? ::openat(folder.get(), kLockName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)
                           : -1);
        const std::string name = making.substr(1);
        if (!lock.valid() || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0 ||
            ::renameat(work.get(), making.c_str(), work.get(), name.c_str()) != 0) {
            RemoveFolderTree(work.get(), making);
            return;
        }
        m_path = workFolder / name;
        m_lock = std::move(lock);
        m_owner = ::getpid();
        return;
    }
}

RunFolder::~RunFolder()
{
    // A child of this process that ends must not take its parent's folder along.
    if (!m_path.empty() && m_owner == ::getpid())
        DeleteFolderTree(m_path);
}

void RunFolder::Abandon()
{
    m_lock.reset();
    m_path.clear();
}

std::size_t RunFolder::RemoveAbandoned(const fs::path& workFolder)
{
    const platform::FileDescriptor work(::open(workFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!work.valid())
        return 0;
    std::vector<std::string> names;
    ListFolderEntries(work.get(), [&names](const char* name, unsigned char) {
        if (std::string_view(name).starts_with(kRunPrefix))
            names.emplace_back(name);
    });
    std::size_t removed = 0;
    for (const std::string& name : names) {
        const platform::FileDescriptor folder(::openat(work.get(), name.c_str(), kFolderFlags));
        if (!folder.valid())
            continue;
        // A lock that is gone or free belongs to no living run; the lock is held while the folder goes.
        const platform::FileDescriptor lock(::openat(folder.get(), kLockName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
        if (lock.valid() && ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        if (RemoveFolderTree(work.get(), name))
            ++removed;
    }
    return removed;
}

fs::path GetRunFolder()
{
    static std::mutex mutex;
    static std::unique_ptr<RunFolder> folder;
    const std::lock_guard lock(mutex);
    if (!folder || folder->path().empty())
        folder = std::make_unique<RunFolder>(GetWorkFolder());
    return folder->path();
}

} // namespace pellora
