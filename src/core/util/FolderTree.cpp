#include "core/util/FolderTree.h"

#include "core/platform/FileDescriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

class FolderTreeWalk {
public:
    explicit FolderTreeWalk(const FolderTreeVisitor& visit) : m_visit(visit) {}

    Status folder(const fs::path& path, const std::string& relative, const struct stat& info)
    {
        const FolderId id{info.st_dev, info.st_ino};
        if (std::find(m_active.begin(), m_active.end(), id) != m_active.end())
            return Status::Failure("the folder " + path.string() + " contains itself through a link", ELOOP);

        std::vector<std::string> names;
        std::error_code ec;
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
            names.push_back(it->path().filename().string());
        if (ec)
            return Status::Failure("cannot read the folder " + path.string() + ": " + ec.message(), ec.value());
        std::sort(names.begin(), names.end());

        if (Status status = m_visit({FolderTreeEntry::Kind::EnterFolder, path, relative, info}); !status.ok())
            return status;
        m_active.push_back(id);
        for (const std::string& name : names) {
            const fs::path child = path / name;
            const std::string childRelative = relative.empty() ? name : relative + "/" + name;
            struct stat childInfo {};
            if (::stat(child.c_str(), &childInfo) != 0)
                return Status::SystemFailure("cannot read " + child.string(), errno);
            Status status;
            if (S_ISDIR(childInfo.st_mode))
                status = folder(child, childRelative, childInfo);
            else
                status = m_visit({S_ISREG(childInfo.st_mode) ? FolderTreeEntry::Kind::File : FolderTreeEntry::Kind::Other,
                                  child, childRelative, childInfo});
            if (!status.ok())
                return status;
        }
        m_active.pop_back();
        return m_visit({FolderTreeEntry::Kind::LeaveFolder, path, relative, info});
    }

private:
    const FolderTreeVisitor& m_visit;
    std::vector<FolderId> m_active;
};

// A folder on the way down of a removal: its name in the folder above, its identity, and the subfolders
// still to remove (its other entries are gone when it is entered).
struct RemovalLevel {
    std::string name;
    dev_t device = 0;
    ino_t inode = 0;
    std::vector<std::string> folders;
};

// Opens the folder name of parent for removal, giving its owner full rights on it where they lack.
platform::FileDescriptor openForRemoval(int parent, const std::string& name, struct stat& info)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    platform::FileDescriptor folder(::openat(parent, name.c_str(), flags));
    if (!folder.valid() && errno == EACCES && ::fchmodat(parent, name.c_str(), S_IRWXU, 0) == 0)
        folder = platform::FileDescriptor(::openat(parent, name.c_str(), flags));
    if (!folder.valid() || ::fstat(folder.get(), &info) != 0)
        return {};
    if ((info.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder.get(), info.st_mode | S_IRWXU);
    return folder;
}

// Unlinks every entry of the folder that is not a folder; returns the names of the subfolders.
std::vector<std::string> removeFilesOf(int folder)
{
    std::vector<std::string> subfolders;
    ListFolderEntries(folder, [folder, &subfolders](const char* name, unsigned char type) {
        bool isFolder = type == DT_DIR;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            isFolder = ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(info.st_mode);
        }
        if (isFolder)
            subfolders.emplace_back(name);
        else
            ::unlinkat(folder, name, 0);
    });
    return subfolders;
}

} // namespace

bool ListFolderEntries(int folder, const std::function<void(const char* name, unsigned char type)>& visit)
{
    const int copy = ::dup(folder);
    DIR* directory = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!directory) {
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(directory)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            visit(entry->d_name, entry->d_type);
        errno = 0;
    }
    const bool whole = errno == 0;
    ::closedir(directory);
    return whole;
}

bool RemoveFolderTree(int parent, const std::string& name)
{
    struct stat top {};
    if (::fstatat(parent, name.c_str(), &top, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(top.st_mode))
        return ::unlinkat(parent, name.c_str(), 0) == 0;

    std::vector<RemovalLevel> levels;
    platform::FileDescriptor current;
    const auto enter = [&levels, &current](int from, const std::string& folderName) {
        struct stat info {};
        platform::FileDescriptor folder = openForRemoval(from, folderName, info);
        if (!folder.valid())
            return false;
        levels.push_back({folderName, info.st_dev, info.st_ino, removeFilesOf(folder.get())});
        current = std::move(folder);
        return true;
    };
    if (!enter(parent, name))
        return ::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0;
    for (;;) {
        RemovalLevel& level = levels.back();
        if (!level.folders.empty()) {
            const std::string child = std::move(level.folders.back());
            level.folders.pop_back();
            if (!enter(current.get(), child))
                ::unlinkat(current.get(), child.c_str(), AT_REMOVEDIR);
            continue;
        }
        // Everything below is gone: back up one folder and remove this one.
        const std::string done = std::move(level.name);
        levels.pop_back();
        if (levels.empty())
            return ::unlinkat(parent, done.c_str(), AT_REMOVEDIR) == 0;
        platform::FileDescriptor up(::openat(current.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        struct stat info {};
        if (!up.valid() || ::fstat(up.get(), &info) != 0 || info.st_dev != levels.back().device ||
            info.st_ino != levels.back().inode)
            return false;
        ::unlinkat(up.get(), done.c_str(), AT_REMOVEDIR);
        current = std::move(up);
    }
}

Status WalkFolderTree(const fs::path& root, const FolderTreeVisitor& visit)
{
    struct stat info {};
    if (::stat(root.c_str(), &info) != 0)
        return Status::SystemFailure("cannot read the folder " + root.string(), errno);
    if (!S_ISDIR(info.st_mode))
        return Status::Failure(root.string() + " is not a folder", ENOTDIR);
    return FolderTreeWalk(visit).folder(root, {}, info);
}

} // namespace pellora
