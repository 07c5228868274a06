#pragma once

// Loads the discovery library by its full path, holds one discovery object and reads its results into
// plain values, the way the network page uses it.

#include "HalvaneWrapper.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pellora::halvane {

// A ProbeResult's fields as values; the address as "%d.%d.%d.%d".
struct ProbeRecord {
    std::string modelName;
    std::string macAddress;
    std::string address;
    std::string deviceId;
    std::string freeText;
    std::string interfaceName;

    bool operator==(const ProbeRecord&) const = default;
};

// Copies a result block's fields; null text pointers read as "".
ProbeRecord ReadProbeResult(const ProbeResult& result);

class HalvaneLibrary {
public:
    struct EntryPoints {
        CreateHalvaneWrapperFunction create = nullptr;
        DeleteHalvaneWrapperFunction destroy = nullptr;
        SetTimeoutFunction setTimeout = nullptr;
        SetProbeRangeFunction setProbeRange = nullptr;
        ProbeFunction probe = nullptr;
        GetProbeResultAFunction getProbeResult = nullptr;
    };

    // Loads that file only (never through the library search path) and makes a discovery object.
    explicit HalvaneLibrary(const std::filesystem::path& file);
    // Deletes the discovery object, then unloads the library.
    ~HalvaneLibrary();
    HalvaneLibrary(const HalvaneLibrary&) = delete;
    HalvaneLibrary& operator=(const HalvaneLibrary&) = delete;

    // True when all six entry points were found and the object was made.
    bool IsLoaded() const { return m_object != nullptr; }
    const std::string& ErrorText() const { return m_error; }
    const EntryPoints& entryPoints() const { return m_entries; }
    HalvaneHandle object() const { return m_object; }

    bool SetTimeout(int seconds) const;
    bool SetLocalSegment() const;
    // Address and mask as dotted texts; false when either is no IPv4 address or the library refuses.
    bool SetNetwork(const std::string& address, const std::string& mask) const;
    bool Probe(int noticeFd) const;
    // The next result, fetched in two steps (size, then a block of that size); nullopt when none waits.
    std::optional<ProbeRecord> Fetch() const;

private:
    void* m_module = nullptr;
    EntryPoints m_entries;
    HalvaneHandle m_object = nullptr;
    std::string m_error;
};

} // namespace pellora::halvane
