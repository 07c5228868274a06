#pragma once

// The runtime files of the program folder that every package carries.

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// The client installer, the first runtime file: the one a package starts on the client.
inline constexpr std::string_view kInstallerFileName = "CVSetUp.exe";

// The fixed runtime files, in the order they are looked for and carried.
inline constexpr std::array<std::string_view, 12> kFixedRuntimeFiles = {
    kInstallerFileName, "CVDATA3.DAT", "VdDevMgr.dll", "VdInstMgr.dll", "VDSTHK16.dll", "VDSTHK32.dll",
    "VDSTHKUT.dll", "VDINST.DAT", "INCLUDE.DAT", "EXCLUDE.DAT", "Modelname.dat", "TsAppInst.dll",
};

// True when name has the form "TSP?.exe" with exactly one (UTF-8) character in place of "?".
bool MatchesOptionalRuntimeFile(std::string_view name);

// The bare names of the runtime files found in one folder, with that folder.
class RuntimeFileSet {
public:
    // Replaces the list by the fixed files present in folder, in table order, followed by the regular
    // files matching "TSP?.exe" sorted by name. True when all fixed files are present.
    bool LoadRuntimeFileList(const std::filesystem::path& folder);

    const std::filesystem::path& folder() const { return m_folder; }
    const std::vector<std::string>& names() const { return m_names; }
    // Each name joined with the folder.
    std::vector<std::filesystem::path> paths() const;

private:
    std::filesystem::path m_folder;
    std::vector<std::string> m_names;
};

} // namespace pellora
