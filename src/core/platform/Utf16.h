#pragma once

// UTF-16 little-endian text from Windows files and blocks, turned into the UTF-8 used everywhere here.

#include <cstdint>
#include <string>
#include <string_view>

namespace pellora::platform {

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t codePoint);
// UTF-16LE bytes to UTF-8; unpaired surrogates become U+FFFD and a trailing odd byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

} // namespace pellora::platform
