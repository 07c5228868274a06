#pragma once

// The drop-files block that hands a list of file names to another program: encoding and defensive decoding.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::platform {

// Layout of the block, all fields little-endian 32-bit:
//   0 offset of the first name (20), 4 point x, 8 point y, 12 non-client flag, 16 wide flag,
//   then each name with its terminating NUL, then one more NUL.
struct DropFilesHeader {
    std::uint32_t namesOffset = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t nonClient = 0;
    std::uint32_t wide = 0;
};

inline constexpr std::size_t kDropFilesHeaderSize = 20;
// Limits of what a received block may hold; a block beyond them is refused whole.
inline constexpr std::size_t kMaxDropFilesBlockBytes = 4u * 1024 * 1024;
inline constexpr std::size_t kMaxDropFilesNames = 4096;
inline constexpr std::size_t kMaxDropFileNameBytes = 4096;

// Header 20/0/0/1/0 and the names as 8-bit texts; the size is 20 + sum(length + 1) + 1.
// An empty name would end the list early, so empty names are left out.
std::vector<std::uint8_t> EncodeDropFiles(std::span<const std::string> names);

// The header of a block, or nothing when the block is shorter than a header.
std::optional<DropFilesHeader> DecodeDropFilesHeader(std::span<const std::uint8_t> block);

// The names of a block, in order (wide blocks are UTF-16 little-endian and come back as UTF-8).
// Nothing when the block is damaged: shorter than its header, names offset outside the block or
// inside the header, a name or the list without its terminator, a name longer than
// kMaxDropFileNameBytes, a name holding a control character, more than kMaxDropFilesNames names,
// or a block larger than kMaxDropFilesBlockBytes.
std::optional<std::vector<std::string>> DecodeDropFiles(std::span<const std::uint8_t> block);

} // namespace pellora::platform
