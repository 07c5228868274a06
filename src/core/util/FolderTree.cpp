#include "core/util/FolderTree.h"

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

} // namespace

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
