#pragma once

// The folder of one run of the program inside the work folder, where the run's temporary files and folders
// live. A lock file in it stays locked for as long as the run lives, so that a later start removes the
// folders of runs that were killed and never touches those of runs that still go on.

#include "core/platform/FileDescriptor.h"

#include <cstddef>
#include <filesystem>

#include <sys/types.h>

namespace pellora {

class RunFolder {
public:
    // The lock file inside every run folder.
    static constexpr const char* kLockName = "lock";

    // Makes a new run folder in workFolder and locks it; path() is empty when that fails.
    explicit RunFolder(const std::filesystem::path& workFolder);
    // Removes the folder with everything in it (only in the process that made it).
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Lets go of the folder as a killed run would: unlocked, and left where it is.
    void Abandon();

    // Removes the run folders in workFolder whose lock is free; returns how many went.
    static std::size_t RemoveAbandoned(const std::filesystem::path& workFolder);

private:
    std::filesystem::path m_path;
    platform::FileDescriptor m_lock;
    pid_t m_owner = 0;
};

// The run folder of this process in the work folder, made on first use and removed when the process
// ends; empty when it cannot be made.
std::filesystem::path GetRunFolder();

} // namespace pellora
