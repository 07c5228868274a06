#include "core/package/RuntimeFileSet.h"

#include "core/util/Support.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace pellora {

namespace {

bool isRegularFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec); // a link counts as the file it points to
}

// Length in bytes of the UTF-8 character starting text, or 0 when the bytes are not one.
std::size_t utf8CharLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    if (lead < 0x80)
        length = 1;
    else if ((lead & 0xE0) == 0xC0)
        length = 2;
    else if ((lead & 0xF0) == 0xE0)
        length = 3;
    else if ((lead & 0xF8) == 0xF0)
        length = 4;
    if (length == 0 || length > text.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

} // namespace

bool MatchesOptionalRuntimeFile(std::string_view name)
{
    constexpr std::string_view prefix = "TSP";
    constexpr std::string_view suffix = ".exe";
    if (name.size() <= prefix.size() + suffix.size() || name.substr(0, prefix.size()) != prefix
        || name.substr(name.size() - suffix.size()) != suffix)
        return false;
    const std::string_view middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    return utf8CharLength(middle) == middle.size();
}

bool RuntimeFileSet::LoadRuntimeFileList(const fs::path& folder)
{
    m_folder = folder;
    m_names.clear();

    bool complete = true;
    for (const std::string_view name : kFixedRuntimeFiles) {
        if (isRegularFile(folder / name))
            m_names.emplace_back(name);
        else
            complete = false;
    }

    std::vector<std::string> optional;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (!ec) {
        for (const fs::directory_entry& entry : it) {
            const std::string name = entry.path().filename().string();
            if (MatchesOptionalRuntimeFile(name) && isRegularFile(entry.path()))
                optional.push_back(name);
        }
    }
    // The directory's own order differs between file systems; packages should not.
    std::sort(optional.begin(), optional.end());
    m_names.insert(m_names.end(), optional.begin(), optional.end());
    return complete;
}

std::vector<fs::path> RuntimeFileSet::paths() const
{
    std::vector<fs::path> result;
    result.reserve(m_names.size());
    for (const std::string& name : m_names)
        result.push_back(m_folder / name);
    return result;
}

} // namespace pellora
