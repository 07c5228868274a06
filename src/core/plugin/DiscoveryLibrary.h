#pragma once

// The discovery library "HalvaneWrapper.so" of the program folder: one discovery object and the entry
// points that probe the network and hand out what they found.

#include "core/platform/SharedLibrary.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace pellora {

class DiscoveryLibrary {
public:
    static constexpr const char* kFileName = "HalvaneWrapper.so";

    // The notice byte that ends a probe; every other byte announces one result.
    static constexpr char kNoticeEnd = 'E';

    // Range kinds of SetProbeRange.
    static constexpr int kLocalSegment = 1;
    static constexpr int kNetwork = 2;

    // Loads programFolder / kFileName and makes the discovery object. A missing library, or one without
    // CreateHalvaneWrapper, gives an object on which every call does nothing and answers 0.
    explicit DiscoveryLibrary(const std::filesystem::path& programFolder);
    // Deletes the discovery object (ending any probe) before the library goes.
    ~DiscoveryLibrary();
    DiscoveryLibrary(const DiscoveryLibrary&) = delete;
    DiscoveryLibrary& operator=(const DiscoveryLibrary&) = delete;

    bool IsAvailable() const { return m_object != nullptr; }
    const Status& status() const { return m_library.status(); }

    // Each call answers whether the library took it (the network page goes on regardless).
    bool SetTimeout(int seconds) const;
    // The local segment; or the network of address and mask, both in host byte order (they are handed
    // on in network byte order).
    bool SetLocalSegment() const;
    bool SetNetwork(std::uint32_t address, std::uint32_t mask) const;
    // Starts a probe that writes its notices to noticeFd; false when it did not start.
    bool Probe(int noticeFd) const;
    // The block of the next result, or nothing when none is waiting.
    std::optional<std::vector<std::uint8_t>> TakeResult() const;

private:
    using Object = void*;

    platform::SharedLibrary m_library;
    platform::EntryPoint<int(Object)> m_delete;
    platform::EntryPoint<int(Object, int)> m_setTimeout;
    platform::EntryPoint<int(Object, int, int, const std::uint32_t*, const std::uint32_t*, int)> m_setRange;
    platform::EntryPoint<int(Object, int)> m_probe;
    platform::EntryPoint<int(Object, void*, std::uint32_t*)> m_getResult;
    Object m_object = nullptr;
};

} // namespace pellora
