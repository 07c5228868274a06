#pragma once

// Finds the folder of the file this library was loaded from: the program folder.

#include <filesystem>

namespace pellora::tsappinst {

// The folder of the library file as the dynamic loader reports it (dladdr on an object of this
// library); empty when the loader names no folder.
std::filesystem::path OwnFolder();

} // namespace pellora::tsappinst
