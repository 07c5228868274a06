#include "app/DropFilesHandOver.h"

#include "app/SingleInstance.h"
#include "core/platform/DropFilesBlock.h"
#include "core/platform/Profile.h"
#include "core/platform/UserSettings.h"

#include <QByteArray>
#include <QFile>
#include <QLocalSocket>
#include <QTimerEvent>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace fs = std::filesystem;

namespace pellora {

namespace {

// Closes the descriptor when the scope ends.
class Descriptor {
public:
    explicit Descriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    ~Descriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

bool waitWritable(int descriptor, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd entry {descriptor, POLLOUT, 0};
        const int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready > 0)
            return (entry.revents & POLLOUT) != 0;
        if (ready < 0 && errno != EINTR)
            return false;
    }
}

} // namespace

fs::path HandOverSocketPath(std::string_view instanceName, const fs::path& folder)
{
    return folder / (std::string(instanceName) + "-" + SingleInstance::UserTag() + ".socket");
}

std::int64_t WaitForWindowHandle(const UserSettings& settings, const WindowHandleWait& wait)
{
    const auto read = [&settings] {
        platform::Profile::instance().forget(settings.file());
        return settings.GetInt(kSettingWindowHandle, 0);
    };
    std::int64_t handle = read();
    for (int attempt = 0; handle == 0 && attempt < wait.attempts; ++attempt) {
        if (wait.sleep)
            wait.sleep(wait.interval);
        else
            std::this_thread::sleep_for(wait.interval);
        handle = read();
    }
    return handle;
}

HandOverResult SendDropFiles(const fs::path& socket, std::span<const std::uint8_t> block,
                             std::chrono::milliseconds timeout)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    const std::string path = socket.string();
    if (path.empty() || path.size() >= sizeof(address.sun_path))
        return HandOverResult::NoListener;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);

    const Descriptor connection(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (connection.get() < 0)
        return HandOverResult::Failed;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    if (::connect(connection.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        if (errno != EINPROGRESS && errno != EAGAIN)
            return HandOverResult::NoListener;
        int error = 0;
        socklen_t length = sizeof(error);
        if (!waitWritable(connection.get(), deadline)
            || ::getsockopt(connection.get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return HandOverResult::NoListener;
    }

    std::size_t sent = 0;
    while (sent < block.size()) {
        const ssize_t written = ::send(connection.get(), block.data() + sent, block.size() - sent, MSG_NOSIGNAL);
        if (written > 0) {
            sent += static_cast<std::size_t>(written);
        } else if (written < 0 && errno == EINTR) {
            continue;
        } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!waitWritable(connection.get(), deadline))
                return HandOverResult::Failed;
        } else {
            return HandOverResult::Failed;
        }
    }
    ::shutdown(connection.get(), SHUT_WR);
    return HandOverResult::Delivered;
}

DropFilesServer::DropFilesServer(QObject* parent)
    : QObject(parent)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &DropFilesServer::acceptConnections);
}

DropFilesServer::~DropFilesServer()
{
    // The sockets go with the server and may still report their end: they must not reach this.
    for (const auto& [socket, connection] : m_connections)
        socket->disconnect(this);
    m_connections.clear();
    Close();
}

bool DropFilesServer::Listen(const fs::path& socket)
{
    Close();
    const QString name = QFile::decodeName(QByteArray::fromStdString(socket.string()));
    // Only the holder of the single-instance lock listens, so a socket file found here is stale.
    QLocalServer::removeServer(name);
    return m_server.listen(name);
}

void DropFilesServer::Close()
{
    if (m_server.isListening())
        m_server.close();
}

void DropFilesServer::acceptConnections()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        auto& connection = m_connections[socket];
        connection = std::make_unique<Connection>();
        connection->stall.start(static_cast<int>(m_stallTimeout.count()), this);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { take(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { finish(socket); });
        if (socket->bytesAvailable() > 0)
            take(socket);
    }
}

void DropFilesServer::take(QLocalSocket* socket)
{
    const auto found = m_connections.find(socket);
    if (found == m_connections.end())
        return;
    Connection& connection = *found->second;
    const QByteArray bytes = socket->readAll();
    if (connection.bytes.size() + bytes.size() > static_cast<qsizetype>(platform::kMaxDropFilesBlockBytes)) {
        drop(socket);
        return;
    }
    connection.bytes.append(bytes);
    connection.stall.start(static_cast<int>(m_stallTimeout.count()), this);
}

void DropFilesServer::finish(QLocalSocket* socket)
{
    take(socket);
    const auto found = m_connections.find(socket);
    if (found == m_connections.end())
        return;
    const QByteArray block = std::move(found->second->bytes);
    m_connections.erase(found);
    socket->disconnect(this);
    socket->deleteLater();

    const auto* data = reinterpret_cast<const std::uint8_t*>(block.constData());
    const auto names = platform::DecodeDropFiles(std::span(data, static_cast<std::size_t>(block.size())));
    if (!names || names->empty())
        return;
    QStringList files;
    for (const std::string& name : *names)
        files << QFile::decodeName(QByteArray::fromStdString(name));
    emit filesDropped(files);
}

void DropFilesServer::drop(QLocalSocket* socket)
{
    m_connections.erase(socket);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void DropFilesServer::timerEvent(QTimerEvent* event)
{
    for (const auto& [socket, connection] : m_connections) {
        if (connection->stall.timerId() == event->timerId()) {
            drop(socket);
            return;
        }
    }
    QObject::timerEvent(event);
}

} // namespace pellora
