#pragma once

// The addresses a probe asks: every host of the given networks, or the broadcast address of every local
// IPv4 interface that is up.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pellora::halvane {

// Addresses and masks in host byte order.
struct Ipv4Network {
    std::uint32_t address = 0;
    std::uint32_t mask = 0;
};

struct ProbeTarget {
    std::uint32_t address = 0; // where the request goes
    bool broadcast = false;
    // Broadcasts only: the interface to send through, its own address, and the subnet whose hosts may answer.
    unsigned interfaceIndex = 0;
    std::uint32_t interfaceAddress = 0;
    Ipv4Network subnet;

    // True when a reply from source may answer a request sent to this target.
    bool MayAnswer(std::uint32_t source) const;
};

inline constexpr int kSmallestPrefix = 16;
inline constexpr std::size_t kMostNetworks = 16;
inline constexpr std::size_t kMostHosts = 65536;

// The host addresses of each network, each address once, in order; nullopt when a mask is not
// contiguous, a network is larger than /kSmallestPrefix, there are no or more than kMostNetworks
// networks, or more than kMostHosts addresses in all.
std::optional<std::vector<ProbeTarget>> NetworkTargets(std::span<const Ipv4Network> networks);

// One broadcast target per up, non-loopback IPv4 interface with a broadcast address.
std::vector<ProbeTarget> LocalSegmentTargets();

// The interface's name, or "" when the index names none.
std::string InterfaceName(unsigned interfaceIndex);

} // namespace pellora::halvane
