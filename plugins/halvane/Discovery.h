#pragma once

// The object behind a discovery handle: time-out, range, the running probe and its results.

#include "ProbeRun.h"
#include "ProbeTargets.h"
#include "ResultQueue.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace pellora::halvane {

class Discovery {
public:
    Discovery() = default;
    ~Discovery();
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    bool SetTimeout(int seconds);
    bool SetRange(int kind, int count, const std::uint32_t* addresses, const std::uint32_t* masks, int reserved);
    bool Probe(int noticeFd);
    bool FetchResult(void* buffer, std::uint32_t* size);

private:
    struct Range {
        bool localSegment = false;
        std::vector<ProbeTarget> networkTargets;
    };

    // Stops the running probe and waits for its thread.
    void Cancel();

    std::chrono::seconds m_timeout{2};
    std::optional<Range> m_range;
    ResultQueue m_results;
    std::unique_ptr<ProbeRun> m_run;
    std::jthread m_thread; // after m_run: joined before the run it executes goes
};

} // namespace pellora::halvane
