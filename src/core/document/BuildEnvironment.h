#pragma once

// What documents and package builds take from the program: its folder (model list, plugins, runtime
// files, subfolders), the runtime file names, the stub that heads a package, who watches a build, and
// how packages are signed.

#include "core/document/DocumentResult.h"
#include "core/package/PackageBuilder.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace pellora {

class CScriptFile;

struct BuildEnvironment {
    std::filesystem::path programFolder;
    std::vector<std::string> runtimeFiles;
    std::span<const std::uint8_t> stub;
    BuildProgressCallback progress;
    // Packages are signed when a key file is set.
    SigningSettings signing;

    // The runtime files present in folder and the program's own Windows stub.
    static BuildEnvironment ForProgramFolder(std::filesystem::path folder);
};

// Builds the package of script at output; the script itself is not changed. A failure leaves a file at
// output as it was.
DocumentResult BuildPackageFile(const CScriptFile& script, const BuildEnvironment& environment,
                                const std::filesystem::path& output);

} // namespace pellora
