#include "core/platform/Drives.h"

#include <mutex>

namespace pellora::platform {

namespace {
std::mutex g_mutex;
std::optional<std::string> g_override;
} // namespace

std::string CdromDriveLetters()
{
    const std::lock_guard lock(g_mutex);
    // Drive letters do not exist here, so without an injected answer there are no CD-ROM drives.
    return g_override.value_or(std::string{});
}

void OverrideCdromDriveLetters(std::optional<std::string> letters)
{
    const std::lock_guard lock(g_mutex);
    g_override = std::move(letters);
}

} // namespace pellora::platform
