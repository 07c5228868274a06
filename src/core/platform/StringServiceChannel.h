#pragma once

// The way between the string-editing tool and the program in view mode: the names they share, and the
// local socket that carries each command (its number and record index) to the program and the answer back.

#include "core/platform/FileDescriptor.h"
#include "core/platform/Status.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellora::platform {

// The names of one user's session, so that the tools and programs of two users, or of two sessions with
// runtime folders of their own, never meet.
struct StringServiceNames {
    std::filesystem::path socket; // the program listens here
    std::string mapping;          // the tool's shared memory of command records

    // "Tessaris StringMessage-<user>.socket" in the runtime folder and the shared memory
    // "/Tessaris StringMapping-<user>-<eight hexadecimal digits naming the runtime folder>".
    static StringServiceNames In(const std::filesystem::path& runtimeFolder, const std::string& user);
    // The names of the running user in the user's runtime folder.
    static StringServiceNames ForUser();
};

// One command: its number and the index of its record in the shared memory. On the socket it is 8 bytes,
// the two numbers as 32-bit little-endian values; the program answers a handled command with the same 8 bytes.
struct StringMessage {
    std::uint32_t command = 0;
    std::uint32_t index = 0;
    bool operator==(const StringMessage&) const = default;
};
inline constexpr std::size_t kStringMessageSize = 8;

// One end of a connection; the socket does not block.
class StringMessageConnection {
public:
    explicit StringMessageConnection(FileDescriptor socket);

    int descriptor() const { return m_socket.get(); }
    bool open() const { return m_socket.valid(); }

    // Takes what has arrived and appends the complete messages to out. False once the peer has closed the
    // connection or it failed; it is then closed.
    bool Receive(std::vector<StringMessage>& out);
    // Sends the message whole; false (and the connection closed) when it cannot go at once.
    bool Send(const StringMessage& message);
    // Waits at most timeout for the next message.
    std::optional<StringMessage> WaitForMessage(std::chrono::milliseconds timeout);

private:
    FileDescriptor m_socket;
    std::vector<unsigned char> m_partial;
    std::deque<StringMessage> m_arrived;
};

// The program's end: listens at a socket path that only the user can reach, and takes connections of
// processes of the same user only. The socket file goes with this object.
class StringMessageListener {
public:
    StringMessageListener() = default;
    ~StringMessageListener();
    StringMessageListener(const StringMessageListener&) = delete;
    StringMessageListener& operator=(const StringMessageListener&) = delete;

    // Listens at path. A socket file of the user's that nobody listens at any more is replaced; a path in
    // use, or held by something else, fails.
    Status Listen(const std::filesystem::path& path);
    // Readable when a connection waits.
    int descriptor() const { return m_socket.get(); }
    // The next waiting connection of the user; null when none waits. Connections of other users are closed.
    std::unique_ptr<StringMessageConnection> Accept();

private:
    FileDescriptor m_socket;
    std::filesystem::path m_path;
};

// The tool's end: a connection to the program listening at path.
std::unique_ptr<StringMessageConnection> ConnectToStringService(const std::filesystem::path& path, Status& status);

} // namespace pellora::platform
