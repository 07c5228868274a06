#pragma once

// A POSIX file descriptor that is closed when this goes, and writing a whole buffer to one.

#include <cstddef>
#include <utility>

#include <unistd.h>

namespace pellora::platform {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the close succeeded.
    bool close()
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0;
    }
    void reset() { close(); }

private:
    int m_fd = -1;
};

// Writes all size bytes, going on after interruptions; false on the first error.
bool WriteAll(int fd, const void* data, std::size_t size);

} // namespace pellora::platform
