#pragma once

// The shared printers of the CUPS print servers this machine knows, as the levels of the shared-printer tree.

#include "core/platform/SharedPrinterSource.h"

#include <string>
#include <vector>

namespace pellora::platform {

inline constexpr const char* kCupsProviderName = "CUPS";

// The levels and their entries:
// - top (empty name): one provider entry, flags expand | container | provider, description and name
//   "CUPS", so that the page opens it by itself;
// - "CUPS": one entry per print server of ListPrintServers (PrintServerList.h), flags server | container,
//   description = the server as shown and used in addresses, name = its "host:port" (the local scheduler's
//   socket path when the system reaches it through one). The local scheduler is listed only when it
//   accepts a connection within half the time-out, so a machine without one shows none; the system's
//   other server and the administrator's servers are always listed, even while they are down;
// - a server's name: its shared printer queues (printer-is-shared true; classes are left out), in the
//   server's order, flags 0, description = the queue name, name = "\\" + server description + "\" + queue
//   name, comment = printer-info, driverName = printer-make-and-model (empty when the server gives none).
//   Queue names holding a "\" are left out.
// Any other name gives no entries. Every level that talks to a server ends within the settings' time-out,
// and within about 25 ms of stop() turning true; the connection left behind then gives up by itself.
class CupsPrinterSource final : public SharedPrinterSource {
public:
    explicit CupsPrinterSource(PrintServerSettings settings);

    std::vector<SharedPrinterEntry> EnumerateLevel(const std::string& name, const std::function<bool()>& stop) override;

private:
    const PrintServerSettings m_settings;
};

} // namespace pellora::platform
