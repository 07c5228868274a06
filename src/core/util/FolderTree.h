#pragma once

// Walks a folder tree as copies, package staging and archives see it: links followed, names in byte
// order, and a folder that contains itself through a link refused. Lists one folder and removes a tree at
// any depth through folder descriptors.

#include "core/platform/Status.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include <sys/stat.h>

namespace pellora {

// One entry met by a walk.
struct FolderTreeEntry {
    enum class Kind { EnterFolder, LeaveFolder, File, Other };

    Kind kind;
    const std::filesystem::path& path;
    // The path below the walk's root with "/" between the parts; empty for the root itself.
    std::string_view relative;
    // The status of what the entry names (links followed).
    const struct stat& info;
};

// Returns Ok to go on; any other status ends the walk with it.
using FolderTreeVisitor = std::function<Status(const FolderTreeEntry& entry)>;

// Visits root (EnterFolder ... LeaveFolder) and everything below it, depth first. Regular files are
// File entries; sockets, pipes and devices are Other entries. A folder reached again inside itself,
// a link that leads nowhere and a folder that cannot be read end the walk with a failure.
Status WalkFolderTree(const std::filesystem::path& root, const FolderTreeVisitor& visit);

// Calls visit with the name of each entry of the folder open as folder ("." and ".." left out) and its
// type as the listing tells it (DT_UNKNOWN where the file system does not); false when the folder cannot
// be read whole.
bool ListFolderEntries(int folder, const std::function<void(const char* name, unsigned char type)>& visit);

// Removes the entry name of the folder open as parent, and when it is a folder everything below it,
// read-only content included. The walk holds folder descriptors, not paths, so neither depth nor path
// length matter; links are removed themselves and never followed, and a tree moved away meanwhile is
// left alone. What cannot be removed is skipped; true when name is gone.
bool RemoveFolderTree(int parent, const std::string& name);

} // namespace pellora
