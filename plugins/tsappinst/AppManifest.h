#pragma once

// Reads the INI manifest that describes one utility; anything malformed is refused as a whole.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::tsappinst {

// Byte limits of the manifest and its texts, NUL excluded; they follow the record's field widths.
inline constexpr std::size_t kMaxManifestBytes = 64 * 1024;
inline constexpr std::size_t kMaxNameBytes = 259;
inline constexpr std::size_t kMaxSetupBytes = 779;
inline constexpr std::size_t kMaxVersionBytes = 35;
inline constexpr std::size_t kMaxModelNameBytes = 259;

struct AppManifest {
    std::string name;
    std::string setup;               // relative to the utility folder, "/"-separated, no "." or ".." parts
    std::uint32_t kind = 0;
    std::string version;
    std::uint32_t osMask = 0;
    std::uint16_t platform = 0;
    std::vector<std::string> models; // empty: the utility serves every model

    bool operator==(const AppManifest&) const = default;
};

// The manifest of text, or nothing when the text is malformed (see README.md for the format).
std::optional<AppManifest> ParseAppManifest(std::string_view text);

} // namespace pellora::tsappinst
