#pragma once

// Reading back what the script writer put on disk, for the script tests.

#include "core/platform/Profile.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace pellora::test {

inline std::string ReadFileBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline platform::ProfileDocument ReadScript(const std::filesystem::path& file)
{
    platform::ProfileDocument document;
    document.parse(ReadFileBytes(file));
    return document;
}

inline std::vector<std::string> KeysOf(const platform::ProfileDocument& document, const std::string& section)
{
    std::vector<std::string> keys;
    for (const auto& [key, value] : document.sectionEntries(section))
        keys.push_back(key);
    return keys;
}

} // namespace pellora::test
