#include "core/discovery/ModelList.h"

#include "core/platform/FileDescriptor.h"
#include "core/platform/Profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <map>
#include <mutex>

namespace fs = std::filesystem;

namespace pellora {

namespace {

constexpr std::string_view kMakerPrefix = "VARDO ";
constexpr std::size_t kMaxCachedFiles = 16;

struct FileKey {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};

    bool operator==(const FileKey& other) const
    {
        return device == other.device && inode == other.inode && size == other.size
            && modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec;
    }
};

struct CacheEntry {
    FileKey key;
    std::shared_ptr<const std::vector<ModelList::Line>> lines;
};

// File times advance in coarse steps, so a file rewritten with the same size right after it was read
// may keep its time. Only a file whose time was already this far in the past when it was read is
// trusted to be unchanged while its key stays the same; a fresher one is read again.
constexpr long long kSettledNanoseconds = 2'000'000'000LL;

bool settledWhenRead(const timespec& modified)
{
    timespec now {};
    if (::clock_gettime(CLOCK_REALTIME, &now) != 0)
        return false;
    const long long age = (static_cast<long long>(now.tv_sec) - modified.tv_sec) * 1'000'000'000LL
        + (now.tv_nsec - modified.tv_nsec);
    return age >= kSettledNanoseconds;
}

class ParsedFileCache {
public:
    // The parsed lines of the file, or null when it cannot be opened as a regular file.
    std::shared_ptr<const std::vector<ModelList::Line>> get(const fs::path& file)
    {
        const platform::FileDescriptor opened(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (!opened.valid())
            return nullptr;
        const int fd = opened.get();

        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
            return nullptr;
        const FileKey key { info.st_dev, info.st_ino, info.st_size, info.st_mtim };
        const std::string name = file.string();
        {
            const std::lock_guard lock(m_mutex);
            const auto it = m_entries.find(name);
            if (it != m_entries.end() && it->second.key == key)
                return it->second.lines;
        }
        const bool settled = settledWhenRead(key.modified);

        std::string text;
        if (!readAll(fd, text))
            return nullptr;
        auto lines = std::make_shared<const std::vector<ModelList::Line>>(ModelList::ParseLines(text));

        const std::lock_guard lock(m_mutex);
        if (!settled) {
            m_entries.erase(name);
            return lines;
        }
        if (m_entries.size() >= kMaxCachedFiles && m_entries.find(name) == m_entries.end())
            m_entries.clear();
        m_entries[name] = CacheEntry { key, lines };
        return lines;
    }

private:
    static bool readAll(int fd, std::string& text)
    {
        char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got == 0)
                return true;
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            text.append(buffer, static_cast<std::size_t>(got));
        }
    }

    std::mutex m_mutex;
    std::map<std::string, CacheEntry> m_entries;
};

ParsedFileCache& fileCache()
{
    static ParsedFileCache cache;
    return cache;
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

} // namespace

ModelList::ModelList(const fs::path& file)
    : m_lines(fileCache().get(file))
{
}

ModelList ModelList::InFolder(const fs::path& programFolder)
{
    return ModelList(programFolder / kModelListFileName);
}

ModelList ModelList::FromText(std::string_view text)
{
    ModelList list;
    list.m_lines = std::make_shared<const std::vector<Line>>(ParseLines(text));
    return list;
}

const std::vector<ModelList::Line>& ModelList::lines() const
{
    static const std::vector<Line> none;
    return m_lines ? *m_lines : none;
}

std::vector<ModelList::Line> ModelList::ParseLines(std::string_view text)
{
    std::vector<Line> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::size_t open = line.find('[');
        const std::size_t close = open == std::string_view::npos ? open : line.find(']', open + 1);
        Line parsed { ToUpper(line), open != std::string_view::npos && line.find(']') != std::string_view::npos, {} };
        if (close != std::string_view::npos)
            parsed.groupName = platform::TrimBlanks(line.substr(open + 1, close - open - 1));
        lines.push_back(std::move(parsed));
    }
    return lines;
}

std::string ModelList::ToUpper(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

bool ModelList::IsModelListed(std::string_view name) const
{
    if (name.empty() || !m_lines)
        return false;
    const std::string upper = ToUpper(name);
    std::string_view wanted = upper;
    for (const Line& line : *m_lines) {
        if (line.upper.find(wanted) != std::string::npos)
            return true;
        if (startsWith(wanted, kMakerPrefix)) {
            wanted.remove_prefix(kMakerPrefix.size());
            // The bare prefix is no model name and would match every line.
            if (wanted.empty())
                return false;
            if (line.upper.find(wanted) != std::string::npos)
                return true;
        }
    }
    return false;
}

std::vector<std::string> ModelList::GroupNames() const
{
    std::vector<std::string> names;
    for (const Line& line : lines()) {
        if (line.header)
            names.push_back(line.groupName);
    }
    return names;
}

int ModelList::GetModelGroupIndex(std::string_view name) const
{
    if (name.empty())
        return -1;
    if (!m_lines)
        return 0;
    const std::string wanted = ToUpper(name);
    int group = 0;
    for (const Line& line : *m_lines) {
        if (line.upper.find(wanted) != std::string::npos)
            return group;
        if (line.header)
            ++group;
    }
    return -1;
}

} // namespace pellora
