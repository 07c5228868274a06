#include "core/platform/PrintServerList.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace pellora::platform {

bool operator==(const PrintServer& a, const PrintServer& b)
{
    return std::tie(a.description, a.name, a.host, a.port, a.local) ==
           std::tie(b.description, b.name, b.host, b.port, b.local);
}

void PrintTo(const PrintServer& server, std::ostream* out)
{
    *out << "{\"" << server.description << "\", \"" << server.name << "\", \"" << server.host << "\", "
         << server.port << (server.local ? ", local}" : "}");
}

namespace {

TEST(PrintServerListTest, AdministratorEntriesAreReadAsWrittenOrRefused)
{
    EXPECT_EQ(ParsePrintServer("printsrv"), (PrintServer{"printsrv", "printsrv:631", "printsrv", 631, false}));
    EXPECT_EQ(ParsePrintServer(" print-srv.example.com:8631\t"),
              (PrintServer{"print-srv.example.com:8631", "print-srv.example.com:8631", "print-srv.example.com", 8631,
                           false}));
    EXPECT_EQ(ParsePrintServer("[fe80::1%eth0]:8631"),
              (PrintServer{"[fe80::1%eth0]:8631", "[fe80::1%eth0]:8631", "fe80::1%eth0", 8631, false}));
    EXPECT_EQ(ParsePrintServer("2001:db8::7"),
              (PrintServer{"2001:db8::7", "[2001:db8::7]:631", "2001:db8::7", 631, false}));

    for (const char* refused : {"", "  ", "printsrv:", "printsrv:0", "printsrv:65536", "printsrv:8a", "print srv",
                                "/run/cups/cups.sock", "srv\\share", "[fe80::1", "[fe80::1]8631", "[printsrv]:631",
                                "a:b:c", "fe80::1%bad/zone"})
        EXPECT_EQ(ParsePrintServer(refused), std::nullopt) << '"' << refused << '"';
}

TEST(PrintServerListTest, LocalSchedulerComesFirstAsThisMachineAndDuplicatesCollapse)
{
    // Through the scheduler's socket: this machine, then the administrator's servers; a second spelling of a
    // server and an entry with this machine's name are the same servers again.
    EXPECT_EQ(ListPrintServers({"/run/cups/cups.sock", 631}, "ws1",
                               {"printsrv", "PRINTSRV:631", "ws1", "bad:0", "printsrv:8631"}),
              (std::vector<PrintServer>{{"ws1", "/run/cups/cups.sock", "/run/cups/cups.sock", 631, true},
                                        {"printsrv", "printsrv:631", "printsrv", 631, false},
                                        {"printsrv:8631", "printsrv:8631", "printsrv", 8631, false}}));

    // A loopback server of the client configuration is the local scheduler too; a port other than 631 is shown.
    EXPECT_EQ(ListPrintServers({"127.0.0.1", 8631}, "ws1", {"127.0.0.1:8631"}),
              (std::vector<PrintServer>{{"ws1:8631", "127.0.0.1:8631", "127.0.0.1", 8631, true}}));
    EXPECT_EQ(ListPrintServers({"", 631}, "", {}),
              (std::vector<PrintServer>{{"localhost", "localhost:631", "localhost", 631, true}}));

    // Another machine named by the client configuration comes after the local scheduler, which is still asked.
    EXPECT_EQ(ListPrintServers({"printsrv.example.com", 8631}, "ws1", {"printsrv.example.com:8631"}),
              (std::vector<PrintServer>{{"ws1", "localhost:631", "localhost", 631, true},
                                        {"printsrv.example.com:8631", "printsrv.example.com:8631",
                                         "printsrv.example.com", 8631, false}}));
}

} // namespace
} // namespace pellora::platform
