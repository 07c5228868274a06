#pragma once

// The one UDP socket of a probe: requests out (broadcasts through a chosen interface), answers in with
// their source and the interface they arrived on.

#include "core/platform/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pellora::halvane {

class UdpSocket {
public:
    enum class SendResult { Sent, Busy, Failed };

    struct Datagram {
        std::size_t size = 0; // the datagram's real size, also when it was larger than the buffer
        std::uint32_t source = 0;
        std::uint16_t sourcePort = 0;
        unsigned interfaceIndex = 0;
    };

    // A non-blocking socket on an ephemeral port that may send broadcasts; nullopt when it cannot be made.
    static std::optional<UdpSocket> Open();

    int fd() const { return m_fd.get(); }

    // Sends to address:port (host byte order). With an interface index the datagram leaves through that
    // interface from its address. Busy when the send buffer is full.
    SendResult Send(std::span<const std::uint8_t> datagram, std::uint32_t address, std::uint16_t port,
                    unsigned interfaceIndex = 0, std::uint32_t interfaceAddress = 0) const;

    // The next waiting datagram, its bytes in buffer (cut to the buffer's size); nullopt when none waits.
    std::optional<Datagram> Receive(std::span<std::uint8_t> buffer) const;

private:
    explicit UdpSocket(platform::FileDescriptor fd) : m_fd(std::move(fd)) {}

    platform::FileDescriptor m_fd;
};

} // namespace pellora::halvane
