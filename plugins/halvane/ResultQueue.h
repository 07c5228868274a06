#pragma once

// Printers found by the probe thread, waiting for the caller to fetch them as ProbeResult blocks.

#include "DiscoveredPrinter.h"

#include <cstdint>
#include <deque>
#include <mutex>

namespace pellora::halvane {

class ResultQueue {
public:
    void Push(DiscoveredPrinter printer);
    void Clear();

    // GetProbeResultA on the oldest result: with a null buffer size becomes the bytes it needs (0 when none
    // waits); with a buffer of at least that size the block is written and the result removed.
    bool Fetch(void* buffer, std::uint32_t& size);

private:
    mutable std::mutex m_mutex;
    std::deque<DiscoveredPrinter> m_printers;
};

// Bytes of the ProbeResult block of a printer: the record, then its texts with their terminators.
std::uint32_t ProbeResultSize(const DiscoveredPrinter& printer);
// Writes the block into buffer, which holds ProbeResultSize bytes at any alignment.
void WriteProbeResult(const DiscoveredPrinter& printer, void* buffer);

} // namespace pellora::halvane
