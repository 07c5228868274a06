#pragma once

// Checks a project before a build and builds it into one self-extracting package file.

#include "core/package/PackageSigner.h"
#include "core/package/WindowsNames.h"
#include "core/platform/Status.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pellora {

class CScriptFile;

// Where a project stopped the pre-build check: a message number and the printer at fault.
struct ValidationResult {
    int errorCode = 0;     // 0 when every printer passed, else the message number to show
    int printerIndex = -1; // position of the offending printer, -1 when none
    bool ok() const { return errorCode == 0; }
};

// Progress of a build; the callback returns false to cancel.
struct BuildProgress {
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};
using BuildProgressCallback = std::function<bool(const BuildProgress&)>;

// The template's file name inside a package built at output: the output's file name without the part
// after its last dot, followed by ".qst".
std::string PackageTemplateName(const std::filesystem::path& output);

// Runs the checks in order for each printer; the driver check plugin is loaded from programFolder.
ValidationResult ValidateForBuild(const CScriptFile& script, const std::filesystem::path& programFolder);

class PackageBuilder {
public:
    // runtimeFiles: bare names of the runtime file set, found in programFolder; stub: the bytes that
    // head the package (the program's own Windows stub, or another one in tests).
    PackageBuilder(std::filesystem::path programFolder, std::vector<std::string> runtimeFiles,
                   std::span<const std::uint8_t> stub);

    void SetProgressCallback(BuildProgressCallback callback);
    // Packages are signed with osslsigncode before they take the output's name; the tool is given the
    // time-out.
    void SetSigning(SigningSettings signing, std::chrono::milliseconds timeout = std::chrono::minutes(5));

    // Builds the package at output from a copy of the script; the script object itself is unchanged.
    // The staging folder is always removed; on failure an existing file at output is left untouched.
    bool BuildPackage(const CScriptFile& script, const std::filesystem::path& output);

    // How the last build ended: its failure in words for logs and the command-line tool, or cancelled.
    const Status& status() const { return m_status; }
    // The name that made the last build fail: one that a Windows client cannot take as it is.
    const std::optional<NameRefusal>& refusal() const { return m_refusal; }
    // The last build succeeded without the client installer, which the program folder lacks: the
    // package unpacks on a client but installs nothing.
    bool installerMissing() const { return m_installerMissing; }
    // Why signing failed the last build: the signing tool's own words, or why it could not run.
    const std::string& signingToolReason() const { return m_signingToolReason; }
    // The staging folder of the last build; it no longer exists once BuildPackage has returned.
    const std::filesystem::path& lastStagingFolder() const { return m_lastStagingFolder; }

private:
    bool fail(Status status);
    bool fail(std::string text);
    bool report(const BuildProgress& progress);
    // Every name the package will carry, before anything is staged; false with the refusal set.
    bool checkNames(const CScriptFile& project, const std::string& templateName,
                    const std::vector<std::string>& subfolders);
    // Signs the package written at unsignedPackage and writes the signed one to target.
    bool sign(const std::filesystem::path& unsignedPackage, const std::filesystem::path& signedPackage, int target,
              const BuildProgress& progress);

    std::filesystem::path m_programFolder;
    std::vector<std::string> m_runtimeFiles;
    std::span<const std::uint8_t> m_stub;
    BuildProgressCallback m_progress;
    SigningSettings m_signing;
    std::chrono::milliseconds m_signingTimeout{std::chrono::minutes(5)};
    Status m_status;
    std::optional<NameRefusal> m_refusal;
    bool m_installerMissing = false;
    std::string m_signingToolReason;
    std::filesystem::path m_lastStagingFolder;
};

} // namespace pellora
