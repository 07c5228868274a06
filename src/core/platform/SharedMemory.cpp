#include "core/platform/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

namespace pellora::platform {

SharedMemory::~SharedMemory()
{
    release();
}

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : m_descriptor(std::move(other.m_descriptor))
    , m_address(std::exchange(other.m_address, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_createdName(std::exchange(other.m_createdName, {}))
    , m_writable(std::exchange(other.m_writable, false))
{
}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept
{
    if (this != &other) {
        release();
        m_descriptor = std::move(other.m_descriptor);
        m_address = std::exchange(other.m_address, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_createdName = std::exchange(other.m_createdName, {});
        m_writable = std::exchange(other.m_writable, false);
    }
    return *this;
}

void SharedMemory::release() noexcept
{
    if (m_address != nullptr)
        ::munmap(m_address, m_size);
    m_address = nullptr;
    m_size = 0;
    // The name goes only while it still names this object: a newer object may have taken it over.
    if (!m_createdName.empty() && m_descriptor.valid()) {
        const FileDescriptor named(::shm_open(m_createdName.c_str(), O_RDONLY | O_CLOEXEC, 0));
        struct stat mine {};
        struct stat current {};
        if (named.valid() && ::fstat(m_descriptor.get(), &mine) == 0 && ::fstat(named.get(), &current) == 0
            && mine.st_dev == current.st_dev && mine.st_ino == current.st_ino)
            ::shm_unlink(m_createdName.c_str());
    }
    m_descriptor.reset();
    m_createdName.clear();
}

bool SharedMemory::map(std::size_t size, bool writable)
{
    if (size == 0)
        return false;
    const int protection = writable ? PROT_READ | PROT_WRITE : PROT_READ;
    void* address = ::mmap(nullptr, size, protection, MAP_SHARED, m_descriptor.get(), 0);
    if (address == MAP_FAILED)
        return false;
    if (m_address != nullptr)
        ::munmap(m_address, m_size);
    m_address = address;
    m_size = size;
    m_writable = writable;
    return true;
}

SharedMemory SharedMemory::Create(const std::string& name, std::size_t size, Status& status)
{
    SharedMemory memory;
    ::shm_unlink(name.c_str()); // an object of another user stays, and the exclusive open below fails
    memory.m_descriptor = FileDescriptor(::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!memory.m_descriptor.valid()) {
        status = Status::SystemFailure("cannot create the shared memory " + name, errno);
        return {};
    }
    memory.m_createdName = name;
    if (size > static_cast<std::size_t>(std::numeric_limits<off_t>::max())
        || ::ftruncate(memory.m_descriptor.get(), static_cast<off_t>(size)) != 0 || !memory.map(size, true)) {
        status = Status::SystemFailure("cannot size or map the shared memory " + name, errno);
        return {};
    }
    status = Status::Ok();
    return memory;
}

SharedMemory SharedMemory::OpenForReading(const std::string& name, Failure& failure)
{
    return open(name, false, failure);
}

SharedMemory SharedMemory::OpenForWriting(const std::string& name, Failure& failure)
{
    return open(name, true, failure);
}

SharedMemory SharedMemory::open(const std::string& name, bool writable, Failure& failure)
{
    SharedMemory memory;
    failure = Failure::Open;
    memory.m_descriptor = FileDescriptor(::shm_open(name.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0));
    struct stat info {};
    if (!memory.m_descriptor.valid() || ::fstat(memory.m_descriptor.get(), &info) != 0 || info.st_uid != ::geteuid())
        return {};
    failure = Failure::Map;
    if (info.st_size <= 0 || !memory.map(static_cast<std::size_t>(info.st_size), writable))
        return {};
    failure = Failure::None;
    return memory;
}

std::span<std::byte> SharedMemory::Writable()
{
    if (!m_writable || m_address == nullptr)
        return {};
    return {static_cast<std::byte*>(m_address), m_size};
}

bool SharedMemory::Read(std::uint64_t offset, std::span<std::byte> out)
{
    if (m_address == nullptr)
        return false;
    // The other side may have changed the object's size since it was mapped; bytes beyond its present
    // end must not be touched.
    struct stat info {};
    if (::fstat(m_descriptor.get(), &info) != 0 || info.st_size < 0)
        return false;
    const auto present = static_cast<std::uint64_t>(info.st_size);
    if (offset > present || out.size() > present - offset)
        return false;
    if (offset + out.size() > m_size && !map(static_cast<std::size_t>(present), m_writable))
        return false;
    std::memcpy(out.data(), static_cast<const std::byte*>(m_address) + offset, out.size());
    return true;
}

} // namespace pellora::platform
