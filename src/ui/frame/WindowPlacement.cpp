#include "ui/frame/WindowPlacement.h"

#include <cstdio>

namespace pellora::ui {

namespace {

void put(std::array<std::uint8_t, WindowPlacement::kSize>& bytes, std::size_t offset, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t get(const std::array<std::uint8_t, WindowPlacement::kSize>& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

} // namespace

std::array<std::uint8_t, WindowPlacement::kSize> WindowPlacement::ToBytes() const
{
    std::array<std::uint8_t, kSize> bytes {};
    const std::uint32_t fields[] = {
        length,
        flags,
        showCmd,
        static_cast<std::uint32_t>(minX),
        static_cast<std::uint32_t>(minY),
        static_cast<std::uint32_t>(maxX),
        static_cast<std::uint32_t>(maxY),
        static_cast<std::uint32_t>(left),
        static_cast<std::uint32_t>(top),
        static_cast<std::uint32_t>(right),
        static_cast<std::uint32_t>(bottom),
    };
    for (std::size_t i = 0; i < std::size(fields); ++i)
        put(bytes, 4 * i, fields[i]);
    return bytes;
}

WindowPlacement WindowPlacement::FromBytes(const std::array<std::uint8_t, kSize>& bytes)
{
    WindowPlacement placement;
    placement.length = get(bytes, 0);
    placement.flags = get(bytes, 4);
    placement.showCmd = get(bytes, 8);
    placement.minX = static_cast<std::int32_t>(get(bytes, 12));
    placement.minY = static_cast<std::int32_t>(get(bytes, 16));
    placement.maxX = static_cast<std::int32_t>(get(bytes, 20));
    placement.maxY = static_cast<std::int32_t>(get(bytes, 24));
    placement.left = static_cast<std::int32_t>(get(bytes, 28));
    placement.top = static_cast<std::int32_t>(get(bytes, 32));
    placement.right = static_cast<std::int32_t>(get(bytes, 36));
    placement.bottom = static_cast<std::int32_t>(get(bytes, 40));
    return placement;
}

std::string WindowPlacement::ToText() const
{
    std::string text;
    text.reserve(kTextSize);
    for (const std::uint8_t byte : ToBytes()) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(byte));
        text.append(digits, 2);
    }
    return text;
}

std::optional<WindowPlacement> WindowPlacement::FromText(std::string_view text)
{
    if (text.size() != kTextSize)
        return std::nullopt;
    std::array<std::uint8_t, kSize> bytes {};
    for (std::size_t i = 0; i < kSize; ++i)
        bytes[i] = static_cast<std::uint8_t>(digitValue(text[2 * i]) * 16 + digitValue(text[2 * i + 1]));
    return FromBytes(bytes);
}

} // namespace pellora::ui
