#pragma once

// The record signatures and the Zip64 extra field of the Zip format, shared by its writer and reader.

#include <cstdint>

namespace pellora::zipformat {

constexpr std::uint32_t kLocalSignature = 0x04034b50u;
constexpr std::uint32_t kCentralSignature = 0x02014b50u;
constexpr std::uint32_t kEndSignature = 0x06054b50u;
constexpr std::uint32_t kEnd64Signature = 0x06064b50u;
constexpr std::uint32_t kEnd64LocatorSignature = 0x07064b50u;
constexpr std::uint32_t kDescriptorSignature = 0x08074b50u;
constexpr std::uint16_t kZip64ExtraId = 0x0001;

} // namespace pellora::zipformat
