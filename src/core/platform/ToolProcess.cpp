#include "core/platform/ToolProcess.h"

#include "core/platform/FileDescriptor.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace pellora::platform {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPollSliceMilliseconds = 100;

struct Pipe {
    FileDescriptor read;
    FileDescriptor write;

    bool open()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return false;
        read = FileDescriptor(ends[0]);
        write = FileDescriptor(ends[1]);
        return true;
    }
};

// Spawn attributes and file actions that are destroyed with this.
class SpawnSetup {
public:
    SpawnSetup()
    {
        m_attributesReady = ::posix_spawnattr_init(&m_attributes) == 0;
        m_actionsReady = ::posix_spawn_file_actions_init(&m_actions) == 0;
    }
    ~SpawnSetup()
    {
        if (m_attributesReady)
            ::posix_spawnattr_destroy(&m_attributes);
        if (m_actionsReady)
            ::posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    // Standard input from input, standard output and error into output; a new session (so that a
    // time-out can end the whole process group and no terminal is there to prompt on); default signal
    // handling and no blocked signals, whatever the program set for itself.
    bool prepare(int input, int output)
    {
        if (!m_attributesReady || !m_actionsReady)
            return false;
        sigset_t none;
        sigset_t defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        for (const int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD})
            sigaddset(&defaults, signal);
        return ::posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                             POSIX_SPAWN_SETSIGDEF) == 0 &&
               ::posix_spawnattr_setsigmask(&m_attributes, &none) == 0 &&
               ::posix_spawnattr_setsigdefault(&m_attributes, &defaults) == 0 &&
               ::posix_spawn_file_actions_adddup2(&m_actions, input, STDIN_FILENO) == 0 &&
               ::posix_spawn_file_actions_adddup2(&m_actions, output, STDOUT_FILENO) == 0 &&
               ::posix_spawn_file_actions_adddup2(&m_actions, output, STDERR_FILENO) == 0;
    }

    const posix_spawnattr_t* attributes() const { return &m_attributes; }
    const posix_spawn_file_actions_t* actions() const { return &m_actions; }

private:
    posix_spawnattr_t m_attributes{};
    posix_spawn_file_actions_t m_actions{};
    bool m_attributesReady = false;
    bool m_actionsReady = false;
};

// Reads what is there; false once the tool has closed its end.
bool readAvailable(int fd, std::string& output)
{
    std::array<char, 4096> block{};
    const ssize_t got = ::read(fd, block.data(), block.size());
    if (got > 0) {
        const std::size_t room = ToolProcess::kOutputLimit - std::min(output.size(), ToolProcess::kOutputLimit);
        output.append(block.data(), std::min(room, static_cast<std::size_t>(got)));
        return true;
    }
    return got < 0 && (errno == EINTR || errno == EAGAIN);
}

std::string exitText(const std::string& tool, int status)
{
    if (WIFSIGNALED(status))
        return tool + " ended by signal " + std::to_string(WTERMSIG(status));
    return tool + " failed with exit code " + std::to_string(WEXITSTATUS(status));
}

} // namespace

ToolProcess::ToolProcess(std::vector<std::string> arguments)
    : m_arguments(std::move(arguments))
{
}

bool ToolProcess::OnPath(std::string_view tool)
{
    const char* const variable = std::getenv("PATH");
    std::string_view folders = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        const std::size_t colon = folders.find(':');
        const std::string_view folder = folders.substr(0, colon);
        const std::string path = std::string(folder.empty() ? "." : folder) + "/" + std::string(tool);
        struct stat info {};
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string_view::npos)
            return false;
        folders.remove_prefix(colon + 1);
    }
}

ToolProcess::Result ToolProcess::Run() const
{
    Result result;
    if (m_arguments.empty() || m_arguments.front().empty()) {
        result.status = Status::Failure("no tool to run");
        return result;
    }
    const std::string& tool = m_arguments.front();
    if (m_input.size() > kInputLimit) {
        result.status = Status::Failure("the input for " + tool + " is too long");
        return result;
    }

    // The input is small enough for the pipe's buffer: written and closed before the tool starts, the
    // tool reads it at its own pace and a tool that never reads it cannot block anyone.
    Pipe input;
    Pipe output;
    if (!input.open() || !output.open()) {
        result.status = Status::SystemFailure("cannot run " + tool, errno);
        return result;
    }
    if (!m_input.empty() && !WriteAll(input.write.get(), m_input.data(), m_input.size())) {
        result.status = Status::SystemFailure("cannot run " + tool, errno);
        return result;
    }
    input.write.close();

    SpawnSetup setup;
    if (!setup.prepare(input.read.get(), output.write.get())) {
        result.status = Status::Failure("cannot run " + tool + ": the start cannot be prepared");
        return result;
    }
    std::vector<char*> argv;
    for (const std::string& argument : m_arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, tool.c_str(), setup.actions(), setup.attributes(), argv.data(), environ);
    input.read.close();
    output.write.close();
    if (spawned != 0) {
        result.status = spawned == ENOENT ? Status::Failure("cannot run " + tool + ": it is not installed (not found on PATH)", spawned)
                                          : Status::SystemFailure("cannot run " + tool, spawned);
        return result;
    }

    const Clock::time_point deadline = Clock::now() + m_timeout;
    bool open = true;
    int status = 0;
    bool ended = false;
    bool lost = false; // the program reaps its children itself: the tool's exit code is unknown
    std::string stopped;
    while (true) {
        if (!ended) {
            const pid_t done = ::waitpid(pid, &status, WNOHANG);
            ended = done == pid || (done < 0 && errno != EINTR);
            lost = done < 0 && errno != EINTR;
        }
        if (!ended) {
            if (Clock::now() >= deadline)
                stopped = tool + " did not end within " + std::to_string(m_timeout.count() / 1000) + " seconds";
            else if (m_keepGoing && !m_keepGoing())
                stopped = "cancelled";
            if (!stopped.empty()) {
                ::kill(-pid, SIGKILL);
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                }
                ended = true;
            }
        }
        if (ended && !open)
            break;
        if (!open) {
            ::poll(nullptr, 0, kPollSliceMilliseconds);
            continue;
        }
        // Once the tool has ended, what it wrote is taken without waiting for a process it left behind.
        pollfd watch{output.read.get(), POLLIN, 0};
        const int ready = ::poll(&watch, 1, ended ? 0 : kPollSliceMilliseconds);
        if (ready > 0)
            open = readAvailable(output.read.get(), result.output);
        else if (ended && ready == 0)
            open = false;
    }

    if (stopped == "cancelled") {
        result.status = Status::Cancelled();
    } else if (!stopped.empty()) {
        result.status = Status::Failure(stopped);
    } else if (lost) {
        result.status = Status::Failure("cannot learn how " + tool + " ended");
    } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        result.exitCode = 0;
    } else {
        if (WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
        result.status = Status::Failure(exitText(tool, status));
    }
    return result;
}

} // namespace pellora::platform
