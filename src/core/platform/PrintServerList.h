#pragma once

// The print servers of the shared-printer tree: how each is written, shown and reached, in the order shown.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::platform {

inline constexpr int kDefaultPrintServerPort = 631;

struct PrintServer {
    std::string description; // the text shown, and SERVER in the address "\\SERVER\QUEUE"
    std::string name;        // "host:port" ("[address]:port" for IPv6), or the local scheduler's socket path
    std::string host;        // what a connection is made to: a host name, an address or a socket path
    int port = kDefaultPrintServerPort;
    bool local = false;      // the local scheduler: shown only while it accepts connections
};

// An administrator's entry: "host", "host:port", "[IPv6 address]" or "[IPv6 address]:port", or an IPv6
// address without brackets and without a port; blanks around it are ignored. The description is the
// entry as written. Nothing for a malformed entry: an empty host, a port outside 1..65535, or a host
// with characters other than letters, digits, '.', '-' and '_' (hex digits, ':', '.' and a "%zone" for
// an IPv6 address), so that a socket path or a "\" never comes from the administrator's list.
std::optional<PrintServer> ParsePrintServer(std::string_view text);

// What the system's client configuration names: its server (a host or a socket path; an empty one
// counts as "localhost") and port.
struct SystemPrintServer {
    std::string server;
    int port = kDefaultPrintServerPort;
};

// The servers in the order shown:
// - the system's server when it is the local scheduler (a socket path or a loopback host), described
//   as this machine (machineName, with ":port" unless the port is 631); when the system's server is
//   another machine, first the local scheduler at localhost:631, then that server, described as its host
//   (with ":port" unless 631);
// - then the administrator's entries, malformed ones left out.
// An entry whose name or description matches an earlier one (letter case aside) is left out.
std::vector<PrintServer> ListPrintServers(const SystemPrintServer& system, const std::string& machineName,
                                          const std::vector<std::string>& administratorServers);

} // namespace pellora::platform
