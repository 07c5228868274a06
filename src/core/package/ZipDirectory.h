#pragma once

// The directory of a Zip archive as its bytes lay it out: where each entry's data lies, checked against
// the entry's local header, so that no two entries share data and no entry says one thing in the
// directory and another beside its data.

#include "core/platform/Status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pellora {

struct ZipDirectoryEntry {
    std::string name; // the stored bytes
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t headerOffset = 0; // of the local header, from the archive's start
    std::uint64_t dataEnd = 0;      // after the data and its descriptor
};

class ZipDirectory {
public:
    static constexpr std::uint16_t kFlagEncrypted = 0x0001;
    static constexpr std::uint16_t kFlagDescriptor = 0x0008;
    static constexpr std::uint16_t kFlagStrongEncryption = 0x0040;

    // Reads the archive that fills length bytes of fd from offset on. Fails when the end record does not
    // close the archive, the directory does not end where the end records begin, the archive spans
    // disks, it holds more than maxEntries entries, a local header or data descriptor disagrees with the
    // directory (name, method, encryption, sizes, checksum), a stored entry's sizes differ, or the data
    // of two entries overlap or reach into the directory.
    Status Read(int fd, std::uint64_t offset, std::uint64_t length, std::uint64_t maxEntries);

    const std::vector<ZipDirectoryEntry>& entries() const { return m_entries; }

private:
    Status readEndRecords(std::uint64_t& count, std::uint64_t& directoryOffset, std::uint64_t& directorySize);
    Status readDirectory(std::uint64_t count, std::uint64_t directoryOffset, std::uint64_t directorySize);
    Status checkLocalHeader(ZipDirectoryEntry& entry, std::uint64_t directoryOffset);
    Status checkDescriptor(ZipDirectoryEntry& entry, std::uint64_t dataStart, std::uint64_t directoryOffset);
    bool readBytes(std::uint64_t at, std::size_t size, std::string& bytes) const;

    int m_fd = -1;
    std::uint64_t m_offset = 0;
    std::uint64_t m_length = 0;
    std::uint64_t m_maxEntries = 0;
    std::vector<ZipDirectoryEntry> m_entries;
};

} // namespace pellora
