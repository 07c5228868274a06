#pragma once

// The self-extracting stub compiled into the program, padded to 409,600 bytes.

#include <cstddef>
#include <cstdint>
#include <span>

namespace pellora {

// Size of the stub as stored in the program and copied to the head of every package.
inline constexpr std::size_t kPackageStubSize = 409600;

// The Windows build of the stub, padded with zero bytes to kPackageStubSize.
std::span<const std::uint8_t> PackageStubResource();

} // namespace pellora
