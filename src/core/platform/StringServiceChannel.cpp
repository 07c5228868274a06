#include "core/platform/StringServiceChannel.h"

#include "core/platform/UserRuntime.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pellora::platform {

namespace {

bool socketAddress(const std::filesystem::path& path, sockaddr_un& address)
{
    const std::string text = path.string();
    address = {};
    address.sun_family = AF_UNIX;
    if (text.empty() || text.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

void encode(const StringMessage& message, std::array<unsigned char, kStringMessageSize>& bytes)
{
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[i] = static_cast<unsigned char>(message.command >> (8 * i));
        bytes[4 + i] = static_cast<unsigned char>(message.index >> (8 * i));
    }
}

StringMessage decode(const unsigned char* bytes)
{
    StringMessage message;
    for (std::size_t i = 0; i < 4; ++i) {
        message.command |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
        message.index |= static_cast<std::uint32_t>(bytes[4 + i]) << (8 * i);
    }
    return message;
}

bool sameUser(int socket)
{
    ucred credentials {};
    socklen_t length = sizeof credentials;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && length == sizeof credentials
        && credentials.uid == ::geteuid();
}

// Whether a program listens at the address now.
bool someoneListens(const sockaddr_un& address)
{
    const FileDescriptor probe(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    return probe.valid() && ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

} // namespace

StringServiceNames StringServiceNames::In(const std::filesystem::path& runtimeFolder, const std::string& user)
{
    // FNV-1a of the folder: shared-memory names have no folders of their own.
    std::uint32_t hash = 2166136261u;
    for (const char c : runtimeFolder.string())
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    char folderTag[9] = {};
    std::snprintf(folderTag, sizeof folderTag, "%08x", hash);
    return {runtimeFolder / ("Tessaris StringMessage-" + user + ".socket"),
            "/Tessaris StringMapping-" + user + "-" + folderTag};
}

StringServiceNames StringServiceNames::ForUser()
{
    return In(UserRuntimeFolder(), UserTag());
}

StringMessageConnection::StringMessageConnection(FileDescriptor socket)
    : m_socket(std::move(socket))
{
    if (m_socket.valid()) {
        const int flags = ::fcntl(m_socket.get(), F_GETFL);
        if (flags < 0 || ::fcntl(m_socket.get(), F_SETFL, flags | O_NONBLOCK) != 0)
            m_socket.reset();
    }
}

bool StringMessageConnection::Receive(std::vector<StringMessage>& out)
{
    while (!m_arrived.empty()) {
        out.push_back(m_arrived.front());
        m_arrived.pop_front();
    }
    if (!m_socket.valid())
        return false;
    std::array<unsigned char, 512> buffer {};
    for (;;) {
        const ssize_t count = ::recv(m_socket.get(), buffer.data(), buffer.size(), 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        if (count <= 0) {
            m_socket.reset();
            return false;
        }
        m_partial.insert(m_partial.end(), buffer.begin(), buffer.begin() + count);
        std::size_t used = 0;
        for (; m_partial.size() - used >= kStringMessageSize; used += kStringMessageSize)
            out.push_back(decode(m_partial.data() + used));
        m_partial.erase(m_partial.begin(), m_partial.begin() + static_cast<std::ptrdiff_t>(used));
        // One read at a time: a peer that never stops sending cannot hold the caller here.
        if (static_cast<std::size_t>(count) == buffer.size())
            return true;
    }
}

bool StringMessageConnection::Send(const StringMessage& message)
{
    if (!m_socket.valid())
        return false;
    std::array<unsigned char, kStringMessageSize> bytes {};
    encode(message, bytes);
    ssize_t sent = 0;
    do
        sent = ::send(m_socket.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    if (sent != static_cast<ssize_t>(bytes.size())) {
        m_socket.reset();
        return false;
    }
    return true;
}

std::optional<StringMessage> StringMessageConnection::WaitForMessage(std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        std::vector<StringMessage> received;
        const bool open = Receive(received);
        if (!received.empty()) {
            for (std::size_t i = 1; i < received.size(); ++i)
                m_arrived.push_back(received[i]);
            return received.front();
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (!open || left.count() <= 0)
            return std::nullopt;
        pollfd watch {m_socket.get(), POLLIN, 0};
        if (::poll(&watch, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            return std::nullopt;
    }
}

StringMessageListener::~StringMessageListener()
{
    if (m_socket.valid() && !m_path.empty())
        ::unlink(m_path.c_str());
}

Status StringMessageListener::Listen(const std::filesystem::path& path)
{
    sockaddr_un address {};
    if (!socketAddress(path, address))
        return Status::Failure("the socket path is too long: " + path.string());
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode) || existing.st_uid != ::geteuid())
            return Status::Failure("something else is at " + path.string());
        if (someoneListens(address))
            return Status::Failure("another program listens at " + path.string());
        ::unlink(path.c_str());
    }
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        return Status::SystemFailure("cannot make a socket", errno);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return Status::SystemFailure("cannot bind " + path.string(), errno);
    // The folder is the user's own as a rule; the file is made private all the same, and accepting
    // checks who connects.
    ::chmod(path.c_str(), 0600);
    if (::listen(socket.get(), 8) != 0) {
        const int error = errno;
        ::unlink(path.c_str());
        return Status::SystemFailure("cannot listen at " + path.string(), error);
    }
    m_socket = std::move(socket);
    m_path = path;
    return Status::Ok();
}

std::unique_ptr<StringMessageConnection> StringMessageListener::Accept()
{
    while (m_socket.valid()) {
        FileDescriptor connection(::accept4(m_socket.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!connection.valid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return nullptr;
        }
        if (sameUser(connection.get()))
            return std::make_unique<StringMessageConnection>(std::move(connection));
    }
    return nullptr;
}

std::unique_ptr<StringMessageConnection> ConnectToStringService(const std::filesystem::path& path, Status& status)
{
    sockaddr_un address {};
    if (!socketAddress(path, address)) {
        status = Status::Failure("the socket path is too long: " + path.string());
        return nullptr;
    }
    FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid()) {
        status = Status::SystemFailure("cannot make a socket", errno);
        return nullptr;
    }
    int result = 0;
    do
        result = ::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        status = Status::SystemFailure("cannot connect to " + path.string(), errno);
        return nullptr;
    }
    if (!sameUser(socket.get())) {
        status = Status::Failure("another user's program listens at " + path.string());
        return nullptr;
    }
    status = Status::Ok();
    return std::make_unique<StringMessageConnection>(std::move(socket));
}

} // namespace pellora::platform
