// Datagram sending and receiving with the packet-information control messages of IPv4.

#include "UdpSocket.h"

#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace pellora::halvane {

namespace {

// Room for the answers to a broadcast burst while the probe thread is busy.
constexpr int kBufferBytes = 1 << 20;

} // namespace

std::optional<UdpSocket> UdpSocket::Open()
{
    platform::FileDescriptor fd(::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!fd.valid())
        return std::nullopt;
    const int on = 1;
    if (::setsockopt(fd.get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0 ||
        ::setsockopt(fd.get(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0)
        return std::nullopt;
    // Larger buffers only help; the system's limits may refuse them.
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVBUF, &kBufferBytes, sizeof kBufferBytes);
    ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDBUF, &kBufferBytes, sizeof kBufferBytes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return std::nullopt;
    return UdpSocket(std::move(fd));
}

UdpSocket::SendResult UdpSocket::Send(std::span<const std::uint8_t> datagram, std::uint32_t address,
                                      std::uint16_t port, unsigned interfaceIndex,
                                      std::uint32_t interfaceAddress) const
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    iovec part{const_cast<std::uint8_t*>(datagram.data()), datagram.size()};
    msghdr message{};
    message.msg_name = &target;
    message.msg_namelen = sizeof target;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    if (interfaceIndex != 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        in_pktinfo info{};
        info.ipi_ifindex = static_cast<int>(interfaceIndex);
        info.ipi_spec_dst.s_addr = htonl(interfaceAddress);
        std::memcpy(CMSG_DATA(header), &info, sizeof info);
    }
    if (::sendmsg(m_fd.get(), &message, MSG_NOSIGNAL) >= 0)
        return SendResult::Sent;
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS || errno == EINTR ? SendResult::Busy
                                                                                           : SendResult::Failed;
}

std::optional<UdpSocket::Datagram> UdpSocket::Receive(std::span<std::uint8_t> buffer) const
{
    sockaddr_in source{};
    iovec part{buffer.data(), buffer.size()};
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    msghdr message{};
    message.msg_name = &source;
    message.msg_namelen = sizeof source;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t size = ::recvmsg(m_fd.get(), &message, MSG_TRUNC);
    if (size < 0 || source.sin_family != AF_INET)
        return std::nullopt;
    Datagram datagram;
    datagram.size = static_cast<std::size_t>(size);
    datagram.source = ntohl(source.sin_addr.s_addr);
    datagram.sourcePort = ntohs(source.sin_port);
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr; header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            datagram.interfaceIndex = static_cast<unsigned>(info.ipi_ifindex);
        }
    }
    return datagram;
}

} // namespace pellora::halvane
