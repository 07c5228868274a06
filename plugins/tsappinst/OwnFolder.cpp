#include "OwnFolder.h"

#include <dlfcn.h>

#include <system_error>

namespace pellora::tsappinst {

namespace {

// Any object of this library tells the loader which file it lives in.
const char kAnchor = 0;

} // namespace

std::filesystem::path OwnFolder()
{
    Dl_info info {};
    if (dladdr(&kAnchor, &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::filesystem::path file(info.dli_fname);
    if (!file.has_parent_path())
        return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(file, error);
    return error ? std::filesystem::path() : absolute.parent_path();
}

} // namespace pellora::tsappinst
