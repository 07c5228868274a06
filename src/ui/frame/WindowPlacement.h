#pragma once

// The 44-byte window-placement record of the main window and its text form of 88 hexadecimal digits.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellora::ui {

struct WindowPlacement {
    static constexpr std::size_t kSize = 44;
    static constexpr std::size_t kTextSize = 2 * kSize;

    // showCmd values and the flag for a window minimised from the maximised state.
    static constexpr std::uint32_t kShowNormal = 1;
    static constexpr std::uint32_t kShowMinimized = 2;
    static constexpr std::uint32_t kShowMaximized = 3;
    static constexpr std::uint32_t kRestoreToMaximized = 2;

    std::uint32_t length = kSize;
    std::uint32_t flags = 0;
    std::uint32_t showCmd = kShowNormal;
    std::int32_t minX = -1, minY = -1;
    std::int32_t maxX = -1, maxY = -1;
    // The normal position: left, top, right, bottom.
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    // Little-endian 32-bit fields in the order above.
    std::array<std::uint8_t, kSize> ToBytes() const;
    static WindowPlacement FromBytes(const std::array<std::uint8_t, kSize>& bytes);

    // Each byte as two upper-case hexadecimal digits.
    std::string ToText() const;
    // Only a text of exactly 88 characters is a placement. Digits count in either case; any other
    // character counts as 0.
    static std::optional<WindowPlacement> FromText(std::string_view text);

    bool operator==(const WindowPlacement&) const = default;
};

} // namespace pellora::ui
