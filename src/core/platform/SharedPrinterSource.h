#pragma once

// The printers that print servers share, one level at a time, as entries of the shared-printer page's
// tree: the provider at the top, its print servers below it, each server's shared printers below those.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pellora::platform {

// Flags of an entry.
inline constexpr std::uint32_t kSharedEntryExpand = 0x4000;    // opened by itself once it is listed
inline constexpr std::uint32_t kSharedEntryContainer = 0x8000; // has entries below it
inline constexpr std::uint32_t kSharedEntryProvider = 0x10000;
inline constexpr std::uint32_t kSharedEntryDomain = 0x20000;
inline constexpr std::uint32_t kSharedEntryServer = 0x40000;

struct SharedPrinterEntry {
    std::uint32_t flags = 0;
    std::string description; // what the tree shows: the provider's, the server's or the printer's name
    std::string name;        // what the next level is asked with; a printer's is "\\SERVER\QUEUE"
    std::string comment;
    std::string driverName;  // a printer's driver (its make and model); empty for containers

    friend bool operator==(const SharedPrinterEntry&, const SharedPrinterEntry&) = default;
};

class SharedPrinterSource {
public:
    virtual ~SharedPrinterSource() = default;
    // The entries of one level: the top for an empty name, then what the name of an entry of the level
    // above leads to. Goes on until it is done or stop() says so; never throws. A server that does not
    // answer gives no entries.
    virtual std::vector<SharedPrinterEntry> EnumerateLevel(const std::string& name, const std::function<bool()>& stop) = 0;
};

// Where the print servers come from: the local scheduler and the server of the system's client
// configuration, and the administrator's own list (host or host:port each).
struct PrintServerSettings {
    std::vector<std::string> servers;
    // How long a server may take to answer before its level stays empty.
    std::chrono::milliseconds timeout{3000};
};

// The shared printers of the system's print system (CupsPrinterSource.h tells the levels and entries).
std::unique_ptr<SharedPrinterSource> MakeSystemPrinterSource(PrintServerSettings settings);

} // namespace pellora::platform
