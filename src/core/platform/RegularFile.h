#pragma once

// Opening files of outside data to read them: never blocking on a pipe or a device, only regular files.

#include "core/platform/FileDescriptor.h"
#include "core/platform/Status.h"

#include <cstddef>
#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace pellora::platform {

// Opens path for reading without waiting for a writer; anything but a regular file fails with ENODEV
// (a folder with EISDIR). info, when given, receives the file's status.
Status OpenRegularFile(const std::filesystem::path& path, FileDescriptor& file, struct stat* info = nullptr);

// The whole content of the regular file at path; a file larger than maxBytes fails with EFBIG.
Status ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes, std::string& bytes);

// Reads up to size bytes at offset; returns how many were read (fewer only at the end of the file), or
// -1 with errno set.
long long ReadAt(int fd, void* data, std::size_t size, unsigned long long offset);

} // namespace pellora::platform
