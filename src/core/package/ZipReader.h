#pragma once

// Reading the entries of a Zip archive that was checked as a whole first: its layout, every entry's name
// and kind, and the sizes it declares; each entry's data is then held to its declared size and checksum.

#include "core/platform/Status.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/types.h>

namespace pellora {

struct ZipReaderLimits {
    // Most bytes all entries may declare together.
    std::uint64_t totalBytes = 0;
    std::uint64_t entries = 0;
    // Most bytes all entries may declare together per byte of the archive, beyond ratioAllowance.
    std::uint64_t ratio = 0;
    std::uint64_t ratioAllowance = 0;
};

// One entry to create, checked.
struct ZipReaderEntry {
    std::string name; // as the archive gives it, for messages
    std::vector<std::string> parts; // the folder and file names to create
    bool folder = false;
    mode_t mode = 0644;
    bool hasTime = false;
    time_t mtime = 0;
    std::uint64_t size = 0; // declared
};

class ZipReader {
public:
    // Receives the data of an entry block by block; false stops the read.
    using Sink = std::function<bool(const char* data, std::size_t size)>;

    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    // Opens the archive in length bytes from offset of the regular file archive (length -1: to the end)
    // and checks it as a whole: the layout (ZipDirectory), the library's view of it, every entry's name
    // (CZipArchive::SplitEntryName), no links, no encryption, known compression, and the declared sizes
    // against the limits.
    Status Open(const std::filesystem::path& archive, std::uint64_t offset, std::int64_t length,
                const ZipReaderLimits& limits);

    const std::vector<ZipReaderEntry>& entries() const { return m_entries; }

    // Passes the data of entry index to sink. Fails when the data ends before the declared size, goes on
    // beyond it, or does not match its checksum; the data beyond the declared size is never unpacked.
    Status Read(std::size_t index, const Sink& sink);

private:
    struct Library;

    Status checkEntries(const ZipReaderLimits& limits, std::uint64_t archiveLength);

    std::unique_ptr<Library> m_library;
    std::vector<ZipReaderEntry> m_entries;
    std::vector<char> m_buffer;
};

} // namespace pellora
