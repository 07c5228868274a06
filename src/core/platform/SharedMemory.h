#pragma once

// A POSIX shared-memory object of the user's, mapped whole; unmapped and closed (and removed by its
// creator) when this goes.

#include "core/platform/FileDescriptor.h"
#include "core/platform/Status.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pellora::platform {

class SharedMemory {
public:
    // Which step of opening failed.
    enum class Failure { None, Open, Map };

    SharedMemory() = default;
    ~SharedMemory();
    SharedMemory(SharedMemory&& other) noexcept;
    SharedMemory& operator=(SharedMemory&& other) noexcept;
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Creates the object name ("/" and a name without further "/"), replacing an older one of the user's,
    // with size bytes of zeros, mapped for reading and writing. The name is removed when this goes.
    static SharedMemory Create(const std::string& name, std::size_t size, Status& status);
    // Opens the existing object name for reading and maps all of it. An object of another user fails
    // as Open; one that cannot be mapped (it holds no bytes, for one) as Map.
    static SharedMemory OpenForReading(const std::string& name, Failure& failure);
    // Opens the existing object name of the user's for reading and writing, mapped whole; the name stays
    // when this goes.
    static SharedMemory OpenForWriting(const std::string& name, Failure& failure);

    bool mapped() const { return m_address != nullptr; }
    // The bytes mapped now.
    std::size_t size() const { return m_size; }
    // The mapped bytes of the creator; empty for a reader.
    std::span<std::byte> Writable();

    // Copies out.size() bytes from offset. The object is measured anew first: one that grew is mapped
    // anew, and false (nothing copied) when the bytes do not lie wholly inside the object as it is now.
    bool Read(std::uint64_t offset, std::span<std::byte> out);

private:
    static SharedMemory open(const std::string& name, bool writable, Failure& failure);
    bool map(std::size_t size, bool writable);
    void release() noexcept;

    FileDescriptor m_descriptor;
    void* m_address = nullptr;
    std::size_t m_size = 0;
    std::string m_createdName; // removed when this goes
    bool m_writable = false;
};

} // namespace pellora::platform
