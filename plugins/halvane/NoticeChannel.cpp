// Notice bytes to the caller's pipe or socket; a full channel keeps them counted, never waits.

#include "NoticeChannel.h"

#include "HalvaneWrapper.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace pellora::halvane {

std::optional<NoticeChannel> NoticeChannel::Open(int fd)
{
    if (fd < 0)
        return std::nullopt;
    platform::FileDescriptor copy(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!copy.valid())
        return std::nullopt;
    const int flags = ::fcntl(copy.get(), F_GETFL);
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY || ::fcntl(copy.get(), F_SETFL, flags | O_NONBLOCK) != 0)
        return std::nullopt;
    return NoticeChannel(std::move(copy));
}

bool NoticeChannel::Flush()
{
    char notices[256];
    std::memset(notices, HALVANE_NOTICE_RESULT, sizeof notices);
    while (pending()) {
        const bool endOnly = m_results == 0;
        const std::size_t count = endOnly ? 1 : std::min(m_results, sizeof notices);
        const char end = HALVANE_NOTICE_END;
        const ssize_t written = ::write(m_fd.get(), endOnly ? &end : notices, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                m_broken = true;
            break;
        }
        if (endOnly)
            m_end = false;
        else
            m_results -= static_cast<std::size_t>(written);
    }
    return !pending();
}

} // namespace pellora::halvane
