#pragma once

// The names a package may carry: every file and folder name must reach a Windows client unchanged, and
// no two names of one folder may be one name there.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pellora {

// Why a Windows client cannot take a name as it is.
enum class NameFault {
    None,
    ForbiddenCharacter, // one of < > : " / \ | ? *
    ControlCharacter,   // bytes 1 to 31, and 127, which the package's stub refuses as well
    TrailingDotOrBlank, // Windows drops them, so that the name changes
    DeviceName,         // CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$, with any extension
    NotUtf8,            // would be read in another code page on the client and arrive changed
    NameTwin,           // another name of the same folder is the same name when letter case is ignored
};

// A name of a package that a build refuses.
struct NameRefusal {
    NameFault fault = NameFault::None;
    // The refused name with the folders above it, "/" between the parts, from folder downwards.
    std::string path;
    // The folder path starts in (a driver folder, the program folder); empty for the package's top level.
    std::filesystem::path folder;
    // ForbiddenCharacter: the character. NameTwin: the other name, with its folders as in path.
    std::string other;

    // In words for logs and the command-line tool: where the name is and what is wrong with it.
    std::string Describe() const;
};

// The fault of one file or folder name on a Windows client; None when it can be taken as it is.
// forbidden receives the character of a ForbiddenCharacter fault.
NameFault WindowsNameFault(std::string_view name, char* forbidden = nullptr);

// The name as Windows compares names within a folder: UTF-8 with every letter of ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic in its simple case-folded form; other bytes as they are.
std::string WindowsNameKey(std::string_view name);

// The name as it can be shown: control characters and bytes that are no UTF-8 as "\xNN".
std::string VisibleName(std::string_view name);

// Checks the names of one folder of the package, each on its own and against those before it.
// parent (may be empty) is put in front of each name in a refusal, which reports folder as its place.
std::optional<NameRefusal> CheckFolderNames(std::span<const std::string> names, const std::filesystem::path& folder,
                                            std::string_view parent = {});

// Checks every regular file below root that a package carries, and every folder on the way to one
// (folders without files are not packed and are not checked), as the archive walks them. The refusal's
// path starts with prefix + "/" when prefix is given; its place is folder. A tree that cannot be walked
// whole is checked as far as it could be read: the build fails on it later anyway.
std::optional<NameRefusal> CheckFolderTree(const std::filesystem::path& root, const std::filesystem::path& folder,
                                           std::string_view prefix = {});

} // namespace pellora
