#include "support/ChildProcess.h"

#include "core/platform/FileDescriptor.h"

#include <csignal>
#include <string_view>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pellora::test {

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& settings, const std::vector<std::string>& dropped)
{
    std::vector<std::string> environment = settings;
    const auto left = [&](std::string_view entry) {
        const std::string_view name = entry.substr(0, entry.find('=') + 1);
        for (const std::string& setting : settings) {
            if (std::string_view(setting).substr(0, setting.find('=') + 1) == name)
                return true;
        }
        for (const std::string& prefix : dropped) {
            if (name.starts_with(prefix))
                return true;
        }
        return false;
    };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (!left(*entry))
            environment.emplace_back(*entry);
    }
    return environment;
}

std::vector<char*> NullTerminated(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

namespace {

using platform::FileDescriptor;

// posix_spawnp with the arguments; stdout and stderr to outputFd (or /dev/null when it is negative).
pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment, int outputFd,
            const std::filesystem::path& outputFile)
{
    if (arguments.empty())
        return -1;
    std::vector<std::string> strings = arguments;
    const std::vector<char*> argv = NullTerminated(strings);
    std::vector<std::string> variables = environment;
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry)
        envp.push_back(*entry);
    for (std::string& variable : variables)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    } else {
        const std::string target = outputFile.empty() ? std::string("/dev/null") : outputFile.string();
        posix_spawn_file_actions_addopen(&actions, 1, target.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    pid_t pid = -1;
    const int result = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

// Reaps pid when it ended within timeout; its wait status, or nullopt.
std::optional<int> Reap(pid_t pid, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid || done < 0)
            return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                           const std::filesystem::path& output)
    : m_pid(Spawn(arguments, environment, -1, output))
{
}

ChildProcess::~ChildProcess()
{
    Stop();
}

bool ChildProcess::running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0)
        return true;
    m_pid = -1;
    return false;
}

void ChildProcess::Stop(std::chrono::milliseconds grace)
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    if (!Reap(m_pid, grace)) {
        ::kill(m_pid, SIGKILL);
        Reap(m_pid, std::chrono::seconds(10));
    }
    m_pid = -1;
}

ProgramOutput RunForOutput(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout)
{
    ProgramOutput result;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return result;
    const FileDescriptor reader(ends[0]);
    FileDescriptor writer(ends[1]);
    const pid_t pid = Spawn(arguments, {}, writer.get(), {});
    writer.reset();
    if (pid <= 0)
        return result;
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        pollfd wait{reader.get(), POLLIN, 0};
        if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
            break;
        char buffer[4096];
        const ssize_t count = ::read(reader.get(), buffer, sizeof buffer);
        if (count <= 0)
            break;
        result.output.append(buffer, static_cast<std::size_t>(count));
    }
    std::optional<int> status = Reap(pid, std::chrono::milliseconds(100));
    if (!status) {
        ::kill(pid, SIGKILL);
        Reap(pid, std::chrono::seconds(10));
        return result;
    }
    if (WIFEXITED(*status))
        result.exitCode = WEXITSTATUS(*status);
    return result;
}

} // namespace pellora::test
