#pragma once

// A program a test starts: stopped (SIGTERM, then SIGKILL) and reaped when this goes; and running a
// program to its end to get its output.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace pellora::test {

class ChildProcess {
public:
    // Starts arguments[0] (searched in PATH) with the test's environment plus the NAME=value entries of
    // environment; standard output and error go to output, or nowhere when it is empty.
    explicit ChildProcess(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
                          const std::filesystem::path& output = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // True while the program has not ended.
    bool running();
    // SIGTERM, then SIGKILL when the program has not ended within grace; reaps it.
    void Stop(std::chrono::milliseconds grace = std::chrono::seconds(3));

private:
    pid_t m_pid = -1;
};

struct ProgramOutput {
    int exitCode = -1; // -1 when the program did not start, was killed or had to be stopped
    std::string output;
};

// The test's environment for a child program: settings (NAME=value) first, then each inherited variable
// that settings do not name and whose name does not start with one of dropped.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& settings,
                                          const std::vector<std::string>& dropped = {});
// strings as the null-terminated array that exec and spawn take; it points into strings.
std::vector<char*> NullTerminated(std::vector<std::string>& strings);

// Runs a program to its end and collects its standard output; stops it when it runs longer than timeout.
ProgramOutput RunForOutput(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout);

} // namespace pellora::test
