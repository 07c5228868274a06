#pragma once

// One interactive instance per user: a lock file named after the program and the user, held for life.

#include <filesystem>
#include <string>
#include <string_view>

namespace pellora {

class SingleInstance {
public:
    enum class State {
        NotTried,
        Acquired,      // this process is the instance
        HeldElsewhere, // another process holds the lock
        Failed,        // the lock file could not be opened or is not the user's own
    };

    // name: the instance name (see InstanceName); folder: where the lock file lives.
    explicit SingleInstance(std::string name, std::filesystem::path folder = DefaultFolder());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Tries the lock once (it is never waited for); the state stays once a try has been made.
    State Acquire();
    State state() const { return m_state; }
    const std::string& name() const { return m_name; }
    const std::filesystem::path& lockFile() const { return m_lockFile; }

    // The program file's name without folder and extension, in lower case.
    static std::string InstanceName(const std::filesystem::path& programFile);
    // $XDG_RUNTIME_DIR when it names an absolute folder, else the temporary base folder.
    static std::filesystem::path DefaultFolder();
    // name + "-" + UserTag() + ".lock".
    static std::string LockFileName(std::string_view name);
    // The user's login name (or number), with every character that a file name should not hold
    // replaced by "_".
    static std::string UserTag();

private:
    std::string m_name;
    std::filesystem::path m_lockFile;
    int m_descriptor = -1;
    State m_state = State::NotTried;
};

} // namespace pellora
