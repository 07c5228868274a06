#pragma once

// The caller's descriptor that hears of each result and of the end of a probe, written without waiting.

#include "core/platform/FileDescriptor.h"

#include <cstddef>
#include <optional>

namespace pellora::halvane {

class NoticeChannel {
public:
    // A duplicate of fd, switched to non-blocking mode; nullopt when fd is no open descriptor.
    static std::optional<NoticeChannel> Open(int fd);

    int fd() const { return m_fd.get(); }

    // Queues one result notice, or the end mark after every result notice.
    void AddResult() { ++m_results; }
    void AddEnd() { m_end = true; }

    // Writes as much as the channel takes now; true when nothing is left to write.
    bool Flush();
    bool pending() const { return !m_broken && (m_results > 0 || m_end); }

private:
    explicit NoticeChannel(platform::FileDescriptor fd) : m_fd(std::move(fd)) {}

    platform::FileDescriptor m_fd;
    std::size_t m_results = 0;
    bool m_end = false;
    bool m_broken = false;
};

} // namespace pellora::halvane
