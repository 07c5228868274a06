#include "core/util/Ipv4.h"

#include <cstdio>

namespace pellora {

uint32_t ParseIpv4(std::string_view text)
{
    constexpr int kParts = 4;
    uint32_t result = 0;
    std::size_t pos = 0;
    for (int part = 0; part < kParts; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.')
                return 0;
            ++pos;
        }
        const std::size_t start = pos;
        uint32_t value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<uint32_t>(text[pos] - '0');
            if (value > 255)
                return 0;
            ++pos;
        }
        if (pos == start)
            return 0;
        result = result << 8 | value;
    }
    return pos == text.size() ? result : 0;
}

std::string FormatIpv4(uint32_t address)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d.%d.%d.%d", static_cast<int>(address >> 24 & 0xFF),
        static_cast<int>(address >> 16 & 0xFF), static_cast<int>(address >> 8 & 0xFF),
        static_cast<int>(address & 0xFF));
    return buffer;
}

std::string NetworkAddressOf(std::string_view address, std::string_view mask)
{
    return FormatIpv4(ParseIpv4(address) & ParseIpv4(mask));
}

} // namespace pellora
