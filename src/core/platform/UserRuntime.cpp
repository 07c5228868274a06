#include "core/platform/UserRuntime.h"

#include "core/util/Support.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace pellora::platform {

fs::path UserRuntimeFolder()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr) {
        const fs::path folder(runtime);
        std::error_code error;
        if (folder.is_absolute() && fs::is_directory(folder, error))
            return folder;
    }
    return GetTempBase();
}

std::string UserTag()
{
    const uid_t uid = ::geteuid();
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    std::string name;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
        && found->pw_name != nullptr)
        name = found->pw_name;
    if (name.empty())
        return std::to_string(uid);
    std::replace_if(name.begin(), name.end(),
                    [](unsigned char c) { return !(std::isalnum(c) || c == '.' || c == '_' || c == '-'); }, '_');
    return name;
}

} // namespace pellora::platform
