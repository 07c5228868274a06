// Expands the probe range into target addresses.

#include "ProbeTargets.h"

#include <bit>
#include <memory>
#include <unordered_set>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace pellora::halvane {

namespace {

struct InterfaceListDeleter {
    void operator()(ifaddrs* list) const { freeifaddrs(list); }
};

std::uint32_t HostOrder(const sockaddr* address)
{
    return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

bool IsContiguous(std::uint32_t mask)
{
    const std::uint32_t hostPart = ~mask;
    return (hostPart & (hostPart + 1)) == 0;
}

} // namespace

bool ProbeTarget::MayAnswer(std::uint32_t source) const
{
    if (!broadcast)
        return source == address;
    return (source & subnet.mask) == (subnet.address & subnet.mask) && source != address &&
           source != (subnet.address & subnet.mask);
}

std::optional<std::vector<ProbeTarget>> NetworkTargets(std::span<const Ipv4Network> networks)
{
    if (networks.empty() || networks.size() > kMostNetworks)
        return std::nullopt;
    std::size_t total = 0;
    for (const Ipv4Network& network : networks) {
        if (!IsContiguous(network.mask) || std::popcount(network.mask) < kSmallestPrefix)
            return std::nullopt;
        const std::size_t size = std::size_t{~network.mask} + 1;
        total += size > 2 ? size - 2 : size;
    }
    if (total > kMostHosts)
        return std::nullopt;

    std::vector<ProbeTarget> targets;
    std::unordered_set<std::uint32_t> seen;
    for (const Ipv4Network& network : networks) {
        const std::uint32_t first = network.address & network.mask;
        const std::uint32_t last = first | ~network.mask;
        const bool wholeRange = std::popcount(network.mask) >= 31;
        for (std::uint64_t host = wholeRange ? first : first + 1ull; host <= (wholeRange ? last : last - 1ull); ++host) {
            const auto address = static_cast<std::uint32_t>(host);
            if (networks.size() == 1 || seen.insert(address).second) {
                ProbeTarget target;
                target.address = address;
                targets.push_back(target);
            }
        }
    }
    return targets;
}

std::vector<ProbeTarget> LocalSegmentTargets()
{
    ifaddrs* raw = nullptr;
    if (getifaddrs(&raw) != 0)
        return {};
    const std::unique_ptr<ifaddrs, InterfaceListDeleter> list(raw);
    std::vector<ProbeTarget> targets;
    for (const ifaddrs* entry = list.get(); entry != nullptr; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET || entry->ifa_netmask == nullptr ||
            entry->ifa_broadaddr == nullptr || (flags & IFF_UP) == 0 || (flags & IFF_LOOPBACK) != 0 ||
            (flags & IFF_BROADCAST) == 0)
            continue;
        ProbeTarget target;
        target.address = HostOrder(entry->ifa_broadaddr);
        target.broadcast = true;
        target.interfaceIndex = if_nametoindex(entry->ifa_name);
        target.interfaceAddress = HostOrder(entry->ifa_addr);
        target.subnet = Ipv4Network{target.interfaceAddress, HostOrder(entry->ifa_netmask)};
        if (target.interfaceIndex != 0 && target.address != 0)
            targets.push_back(target);
    }
    return targets;
}

std::string InterfaceName(unsigned interfaceIndex)
{
    char name[IF_NAMESIZE] = {};
    if (interfaceIndex == 0 || if_indextoname(interfaceIndex, name) == nullptr)
        return {};
    return name;
}

} // namespace pellora::halvane
