#pragma once

// Where a user's running programs meet: the user's runtime folder and a tag that names the user in file names.

#include <filesystem>
#include <string>

namespace pellora::platform {

// $XDG_RUNTIME_DIR when it names an existing absolute folder, else the temporary base folder.
std::filesystem::path UserRuntimeFolder();
// The user's login name (or number), with every character that a file name should not hold replaced by "_".
std::string UserTag();

} // namespace pellora::platform
