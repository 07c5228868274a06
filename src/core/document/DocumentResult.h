#pragma once

// What an open, a save or a build of a document came to, and the numbered message that tells the user.

#include "core/package/WindowsNames.h"
#include "core/platform/Status.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace pellora {

// The window that started the operation shows the message: with ShowFileMessage(message, file) when
// fileMessage is set, else with ShowMessage(message).
struct DocumentResult {
    Status status;             // ok, cancelled, or what went wrong in words (logs, the command-line tool)
    int message = 0;           // 0: nothing to show (success, cancelled, or refused in view mode)
    bool fileMessage = false;
    std::filesystem::path file; // the file the message names
    // A build refused this name of the package: the window tells where it is and what is wrong.
    std::optional<NameRefusal> refusal;
    // Signing failed the build: the signing tool's own words, or why it could not run.
    std::string signingToolReason;
    // A package was built, but without the client installer, which the program folder lacks.
    bool installerMissing = false;

    bool ok() const { return status.ok(); }

    static DocumentResult Success() { return {}; }
    static DocumentResult Refused() { return {Status::Failure("refused in view mode"), 0, false, {}, {}, {}, false}; }
    static DocumentResult Cancelled() { return {Status::Cancelled(), 0, false, {}, {}, {}, false}; }
    static DocumentResult FileFailure(int number, std::filesystem::path path, std::string why)
    {
        return {Status::Failure(std::move(why)), number, true, std::move(path), {}, {}, false};
    }
    static DocumentResult Failure(int number, Status why) { return {std::move(why), number, false, {}, {}, {}, false}; }
    static DocumentResult Failure(int number, std::string why) { return Failure(number, Status::Failure(std::move(why))); }
};

} // namespace pellora
