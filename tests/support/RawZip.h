#pragma once

// Zip archives written byte by byte, so that tests can make any field lie.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellora::test {

struct RawZipEntry {
    std::string name;
    std::string data{}; // stored as it is (method 0), or deflated with deflate
    bool deflate = false;
    // Lies and oddities: what the local header names, the checksum and sizes both headers declare, the
    // local header a directory record points at (an index into the entries), a data descriptor.
    std::optional<std::string> localName{};
    std::optional<std::uint32_t> crc{};
    std::optional<std::uint32_t> size{};
    std::optional<std::uint16_t> localMethod{};
    std::optional<std::size_t> sharesHeaderOf{};
    bool descriptor = false;
};

// The archive: local headers and data in order, then the directory and the end record.
std::string RawZip(const std::vector<RawZipEntry>& entries);

} // namespace pellora::test
