#pragma once

// A program a test starts, with its output in a file; ended (terminated, then killed) and reaped when this goes.

#include <filesystem>
#include <string>
#include <vector>

#include <sys/types.h>

namespace pellora::test {

class ChildProcess {
public:
    // Starts argv[0] (looked up in PATH) with standard input from /dev/null and standard output and error
    // into output.
    ChildProcess(std::vector<std::string> argv, const std::filesystem::path& output);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_pid > 0; }
    // False once the program has ended (it is reaped then).
    bool running();
    // Waits for the end; the exit status, or -1 when it did not start or ended by a signal.
    int wait();
    // SIGTERM, up to five seconds for the end, then SIGKILL; waits for the end.
    void stop();

    // Starts the program and waits for its exit status.
    static int Run(std::vector<std::string> argv, const std::filesystem::path& output);

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

} // namespace pellora::test
