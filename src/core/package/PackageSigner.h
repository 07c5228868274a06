#pragma once

// Gives a finished package an Authenticode signature with osslsigncode, from a PKCS#12 key file and
// the password in a file of its own.

#include "core/platform/Status.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace pellora {

// How packages are signed; no key file: not at all.
struct SigningSettings {
    std::filesystem::path keyFile;      // PKCS#12 (.pfx, .p12): the key and its certificate
    std::filesystem::path passwordFile; // its first line is the key's password; none: the key has none

    bool enabled() const { return !keyFile.empty(); }
};

class PackageSigner {
public:
    static constexpr std::string_view kToolName = "osslsigncode";
    // A password is a line of text: what a longer file holds is no password.
    static constexpr std::size_t kPasswordLimit = 1024;

    explicit PackageSigner(SigningSettings settings);

    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // Asked while the tool runs; false cancels the signing.
    void SetKeepGoing(std::function<bool()> keepGoing) { m_keepGoing = std::move(keepGoing); }

    // Writes a signed copy of the package input as output, a name that must not exist yet. On failure
    // output is removed, the status says why, and toolReason() holds the tool's own words if it ran.
    Status Sign(const std::filesystem::path& input, const std::filesystem::path& output);
    const std::string& toolReason() const { return m_toolReason; }

    // What can be known before a build: the tool is installed, the key file and the password can be read.
    static Status CheckSettings(const SigningSettings& settings);
    // The first line of file without its line end (LF or CR LF).
    static Status ReadPassword(const std::filesystem::path& file, std::string& password);

private:
    SigningSettings m_settings;
    std::chrono::milliseconds m_timeout{std::chrono::minutes(5)};
    std::function<bool()> m_keepGoing;
    std::string m_toolReason;
};

} // namespace pellora
