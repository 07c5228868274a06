#pragma once

// Dotted IPv4 text: parsing, formatting and the network address of an address and a mask.

#include <cstdint>
#include <string>
#include <string_view>

namespace pellora {

// "a.b.c.d" with four decimal parts, each at most 255, to (a << 24) | (b << 16) | (c << 8) | d;
// 0 for anything else.
uint32_t ParseIpv4(std::string_view text);

// The four bytes from the most significant down as "%d.%d.%d.%d".
std::string FormatIpv4(uint32_t address);

// The formatted bitwise AND of the parsed address and mask.
std::string NetworkAddressOf(std::string_view address, std::string_view mask);

} // namespace pellora
