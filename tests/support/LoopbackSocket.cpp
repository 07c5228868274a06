#include "support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pellora::test {

namespace {

// A socket bound to a port of 127.0.0.1 the kernel picks; -1 on failure.
int boundSocket(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

} // namespace

int FreeLoopbackPort()
{
    int port = 0;
    const int fd = boundSocket(port);
    if (fd < 0)
        return 0;
    ::close(fd);
    return port;
}

SilentListener::SilentListener()
{
    int port = 0;
    m_fd = boundSocket(port);
    if (m_fd >= 0 && ::listen(m_fd, 16) == 0)
        m_port = port;
}

SilentListener::~SilentListener()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace pellora::test
