#include "core/script/UtilityFolderIndex.h"

#include "core/platform/FileDescriptor.h"
#include "core/util/FolderTree.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>
#include <unordered_set>

namespace pellora {

namespace {

// The names in the folder open as fd, "." and ".." included; false when it cannot be listed.
bool listFolder(int fd, std::vector<std::string>& names)
{
    names = {".", ".."};
    return ListFolderEntries(fd, [&names](const char* name, unsigned char) { names.emplace_back(name); });
}

} // namespace

bool UtilityPathExists(const std::string& text)
{
    std::error_code error;
    return !text.empty() && std::filesystem::exists(std::filesystem::path(text), error);
}

UtilityFolderIndex::UtilityFolderIndex(const std::vector<std::string>& folders)
    : m_folders(folders)
{
    // A folder text is its folder part (up to its last "/") and a stem. Texts whose folder parts are one
    // folder on disk and whose stems are equal give the same answers: only the first of them counts.
    struct Group {
        bool listable = false;
        std::vector<std::string> names; // sorted
        std::set<std::string> stems;
    };
    std::map<std::pair<dev_t, ino_t>, Group> groups;
    std::unordered_set<std::string_view> seen;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        const std::string& text = folders[i];
        if (!seen.insert(text).second)
            continue; // the same text gives the same answers
        if (text.empty()) {
            m_unlisted.push_back(i); // the path alone: asked path by path
            continue;
        }
        if (text.find('\0') != std::string::npos) {
            // The system reads the path up to the NUL byte, whatever follows: the answer is the same for
            // every path, and only the first such folder can give it.
            if (m_firstConstant == kNone && UtilityPathExists(text))
                m_firstConstant = i;
            continue;
        }
        const auto slash = text.rfind('/');
        const std::string part = slash == std::string::npos ? "." : text.substr(0, slash + 1);
        const std::string stem = slash == std::string::npos ? text : text.substr(slash + 1);
        // Nothing lies below a folder part that is missing or no folder.
        struct stat info {};
        if (::stat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
            continue;
        auto [it, fresh] = groups.try_emplace({info.st_dev, info.st_ino});
        Group& group = it->second;
        if (fresh) {
            const platform::FileDescriptor fd(::open(part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            group.listable = fd.valid() && listFolder(fd.get(), group.names);
            std::sort(group.names.begin(), group.names.end());
        }
        if (!group.stems.insert(stem).second)
            continue;
        if (!group.listable) {
            m_unlisted.push_back(i);
            continue;
        }
        if (stem.empty())
            m_existingPlain.push_back(i);
        for (auto name = std::lower_bound(group.names.begin(), group.names.end(), stem);
             name != group.names.end() && name->compare(0, stem.size(), stem) == 0; ++name) {
            if (stem.empty())
                m_plain[*name].push_back(i);
            else
                m_stemmed[name->substr(stem.size())].push_back(i);
        }
    }
}

void UtilityFolderIndex::addCandidates(const std::unordered_map<std::string, std::vector<std::size_t>>& index,
                                       const std::string& key, std::vector<std::size_t>& candidates) const
{
    if (const auto it = index.find(key); it != index.end())
        candidates.insert(candidates.end(), it->second.begin(), it->second.end());
}

const std::string* UtilityFolderIndex::Find(std::string_view rest) const
{
    // The system reads a path up to its first NUL byte.
    const std::string_view looked = rest.substr(0, rest.find('\0'));
    // After a folder part, a stem and the rest make the next name; without a stem, slashes that lead
    // the rest join the folder part.
    const std::string_view afterSlashes = looked.substr(std::min(looked.find_first_not_of('/'), looked.size()));
    std::vector<std::size_t> candidates = m_unlisted;
    if (m_firstConstant != kNone)
        candidates.push_back(m_firstConstant);
    if (afterSlashes.empty())
        candidates.insert(candidates.end(), m_existingPlain.begin(), m_existingPlain.end());
    else
        addCandidates(m_plain, std::string(afterSlashes.substr(0, afterSlashes.find('/'))), candidates);
    addCandidates(m_stemmed, std::string(looked.substr(0, looked.find('/'))), candidates);
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    for (const std::size_t i : candidates) {
        if (UtilityPathExists(m_folders[i] + std::string(rest)))
            return &m_folders[i];
    }
    return nullptr;
}

} // namespace pellora
