#pragma once

// Hands the files of a second start over to the running instance: a local socket carrying the drop-files block.

#include <QBasicTimer>
#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace pellora {

class UserSettings;

// Where the running instance listens: folder / (name + "-" + user + ".socket"), beside its lock file.
std::filesystem::path HandOverSocketPath(std::string_view instanceName, const std::filesystem::path& folder);

// How long a second start waits for the running instance to publish its window.
struct WindowHandleWait {
    int attempts = 50;
    std::chrono::milliseconds interval{100};
    // Sleeps for the interval; the real clock when empty.
    std::function<void(std::chrono::milliseconds)> sleep;
};

// Reads "hWnd" from the settings file; while it is 0 sleeps and reads it again, at most wait.attempts
// times. Each read looks at the file afresh, as the running instance writes it from another process.
std::int64_t WaitForWindowHandle(const UserSettings& settings, const WindowHandleWait& wait = {});

enum class HandOverResult {
    Delivered,
    NoListener, // nobody listens at the socket: the instance has no window to take the files
    Failed,     // the connection broke off or timed out while sending
};

// Connects to the socket, sends the block and closes the connection.
HandOverResult SendDropFiles(const std::filesystem::path& socket, std::span<const std::uint8_t> block,
                             std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

// The running instance's end: takes each connection's bytes until the peer closes it, decodes them as a
// drop-files block and reports the names. Damaged, oversized or stalled blocks are dropped silently.
class DropFilesServer : public QObject {
    Q_OBJECT
public:
    explicit DropFilesServer(QObject* parent = nullptr);
    ~DropFilesServer() override;

    // Listens at the path (only the user may connect); a socket file left there by an instance that
    // ended without cleaning up is replaced. False when listening fails.
    bool Listen(const std::filesystem::path& socket);
    void Close();
    bool IsListening() const { return m_server.isListening(); }

    // A connection that sends nothing for this long is dropped.
    void SetStallTimeout(std::chrono::milliseconds timeout) { m_stallTimeout = timeout; }

signals:
    void filesDropped(const QStringList& files);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Connection {
        QByteArray bytes;
        QBasicTimer stall;
    };

    void acceptConnections();
    void take(QLocalSocket* socket);
    void finish(QLocalSocket* socket);
    // Drops the connection without reading on.
    void drop(QLocalSocket* socket);

    QLocalServer m_server;
    std::chrono::milliseconds m_stallTimeout{5000};
    std::map<QLocalSocket*, std::unique_ptr<Connection>> m_connections;
};

} // namespace pellora
