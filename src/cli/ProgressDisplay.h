#pragma once

// The progress line of a long build on a terminal: files and megabytes done and a percentage,
// rewritten in place; silent when its stream is not a terminal.

#include "core/package/PackageBuilder.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace pellora::cli {

class ProgressDisplay {
public:
    using Clock = std::chrono::steady_clock;

    // Shows nothing unless enabled; the first line appears once the build has run for delay.
    ProgressDisplay(std::FILE* out, bool enabled, Clock::duration delay = std::chrono::milliseconds(700));
    // Ends the line if one was shown.
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // Takes a progress report; shows it when due.
    void Update(const BuildProgress& progress);
    // Shows the last report once more and ends the line, if a line was shown.
    void Finish();

    // "12/40 files, 3.1/10.0 MB, 31%"
    static std::string FormatLine(const BuildProgress& progress);
    // Percentage of the bytes (of the files when no byte count is known), 0 to 100.
    static int Percent(const BuildProgress& progress);

private:
    void show();

    std::FILE* m_out;
    bool m_enabled;
    Clock::time_point m_start;
    Clock::duration m_delay;
    Clock::time_point m_lastShown;
    BuildProgress m_last;
    bool m_shown = false;
    std::size_t m_width = 0;
};

// Whether the standard error stream is a terminal.
bool StandardErrorIsTerminal();

} // namespace pellora::cli
