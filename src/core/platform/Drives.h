#pragma once

// The drive letters of CD-ROM drives: none on this platform; tests and other platforms inject them.

#include <optional>
#include <string>

namespace pellora::platform {

// Upper-case letters A to Z whose root is a CD-ROM drive, in order.
std::string CdromDriveLetters();
// Replaces the answer of CdromDriveLetters (std::nullopt restores the platform's own).
void OverrideCdromDriveLetters(std::optional<std::string> letters);

} // namespace pellora::platform
