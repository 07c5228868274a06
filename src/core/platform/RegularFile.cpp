#include "core/platform/RegularFile.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace pellora::platform {

Status OpenRegularFile(const std::filesystem::path& path, FileDescriptor& file, struct stat* info)
{
    FileDescriptor opened(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!opened.valid())
        return Status::SystemFailure("cannot open " + path.string(), errno);
    struct stat status {};
    if (::fstat(opened.get(), &status) != 0)
        return Status::SystemFailure("cannot read " + path.string(), errno);
    if (S_ISDIR(status.st_mode))
        return Status::SystemFailure("cannot open " + path.string(), EISDIR);
    if (!S_ISREG(status.st_mode))
        return Status::Failure(path.string() + " is not a regular file", ENODEV);
    if (info)
        *info = status;
    file = std::move(opened);
    return Status::Ok();
}

Status ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes)
{
    FileDescriptor file;
    struct stat info {};
    if (Status opened = OpenRegularFile(path, file, &info); !opened.ok())
        return opened;
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return Status::Failure(path.string() + " is larger than " + std::to_string(maxBytes) + " bytes", EFBIG);
    // One byte more than the size: a file that grew beyond the limit meanwhile is refused too.
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    const long long got = ReadAt(file.get(), bytes.data(), bytes.size(), 0);
    if (got < 0)
        return Status::SystemFailure("cannot read " + path.string(), errno);
    if (static_cast<unsigned long long>(got) > maxBytes)
        return Status::Failure(path.string() + " is larger than " + std::to_string(maxBytes) + " bytes", EFBIG);
    bytes.resize(static_cast<std::size_t>(got));
    return Status::Ok();
}

long long ReadAt(int fd, void* data, std::size_t size, unsigned long long offset)
{
    auto* bytes = static_cast<unsigned char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, bytes + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<long long>(done);
}

} // namespace pellora::platform
