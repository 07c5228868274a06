#include "cli/ProgressDisplay.h"

#include <unistd.h>

#include <algorithm>

namespace pellora::cli {

namespace {

constexpr auto kRefreshInterval = std::chrono::milliseconds(100);
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;

} // namespace

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

ProgressDisplay::ProgressDisplay(std::FILE* out, bool enabled, Clock::duration delay)
    : m_out(out)
    , m_enabled(enabled && out != nullptr)
    , m_start(Clock::now())
    , m_delay(delay)
{
}

ProgressDisplay::~ProgressDisplay()
{
    Finish();
}

int ProgressDisplay::Percent(const BuildProgress& progress)
{
    const auto ratio = [](std::uint64_t done, std::uint64_t total) {
        return static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total);
    };
    if (progress.bytesTotal > 0)
        return ratio(progress.bytesDone, progress.bytesTotal);
    if (progress.filesTotal > 0)
        return ratio(progress.filesDone, progress.filesTotal);
    return 0;
}

std::string ProgressDisplay::FormatLine(const BuildProgress& progress)
{
    char line[160];
    std::snprintf(line, sizeof line, "%llu/%llu files, %.1f/%.1f MB, %d%%",
                  static_cast<unsigned long long>(progress.filesDone),
                  static_cast<unsigned long long>(progress.filesTotal),
                  static_cast<double>(progress.bytesDone) / kBytesPerMegabyte,
                  static_cast<double>(progress.bytesTotal) / kBytesPerMegabyte, Percent(progress));
    return line;
}

void ProgressDisplay::Update(const BuildProgress& progress)
{
    m_last = progress;
    if (!m_enabled)
        return;
    const Clock::time_point now = Clock::now();
    if (now - m_start < m_delay)
        return;
    if (m_shown && now - m_lastShown < kRefreshInterval)
        return;
    m_lastShown = now;
    show();
}

void ProgressDisplay::Finish()
{
    if (!m_shown)
        return;
    show();
    std::fputc('\n', m_out);
    std::fflush(m_out);
    m_shown = false;
    m_enabled = false;
}

void ProgressDisplay::show()
{
    const std::string line = FormatLine(m_last);
    // Blanks wipe what a longer earlier line left behind.
    const std::size_t padding = m_width > line.size() ? m_width - line.size() : 0;
    std::fprintf(m_out, "\r%s%*s", line.c_str(), static_cast<int>(padding), "");
    std::fflush(m_out);
    m_width = std::max(m_width, line.size());
    m_shown = true;
}

} // namespace pellora::cli
