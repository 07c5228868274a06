#pragma once

// One printer a probe found, with the texts a ProbeResult hands out.

#include <array>
#include <cstdint>
#include <string>

namespace pellora::halvane {

struct DiscoveredPrinter {
    std::array<std::uint8_t, 4> address{}; // first octet first
    std::string modelName;
    std::string macAddress;
    std::string deviceId;
    std::string freeText;
    std::string interfaceName;
};

} // namespace pellora::halvane
