#pragma once

// Runs an outside command-line tool: looked up on PATH, started with an argument vector and no shell,
// in a session of its own (no terminal to ask on), its output captured, and ended when it runs too long.

#include "core/platform/Status.h"

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::platform {

class ToolProcess {
public:
    // What a run came to.
    struct Result {
        // Ok when the tool ran and exited with 0; otherwise why not in words (not found, exit code,
        // signal, time-out), or Cancelled.
        Status status;
        int exitCode = -1; // -1 when the tool did not end by itself
        // Standard output and standard error as they came, at most kOutputLimit bytes.
        std::string output;
    };

    static constexpr std::size_t kOutputLimit = 64 * 1024;
    // The most that standard input can carry: it is written in full before the tool starts.
    static constexpr std::size_t kInputLimit = 4096;

    // arguments[0] is the tool's name, looked up on PATH unless it holds a "/".
    explicit ToolProcess(std::vector<std::string> arguments);

    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    // The bytes the tool reads from its standard input; it reads an empty input otherwise.
    void SetInput(std::string input) { m_input = std::move(input); }
    // Asked about every tenth of a second while the tool runs; false ends it and the run is cancelled.
    void SetKeepGoing(std::function<bool()> keepGoing) { m_keepGoing = std::move(keepGoing); }

    // Whether PATH names a folder that holds an executable file of that name.
    static bool OnPath(std::string_view tool);

    // Runs the tool and waits for it; a tool that outlives the time-out or a cancel is killed with
    // everything it started.
    Result Run() const;

private:
    std::vector<std::string> m_arguments;
    std::chrono::milliseconds m_timeout{std::chrono::minutes(5)};
    std::string m_input;
    std::function<bool()> m_keepGoing;
};

} // namespace pellora::platform
