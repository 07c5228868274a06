#include "core/platform/CupsPrinterSource.h"

#include "support/CupsdFixture.h"
#include "support/LoopbackSocket.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace pellora::platform {

void PrintTo(const SharedPrinterEntry& entry, std::ostream* out)
{
    *out << "{0x" << std::hex << entry.flags << std::dec << ", \"" << entry.description << "\", \"" << entry.name
         << "\", \"" << entry.comment << "\", \"" << entry.driverName << "\"}";
}

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::uint32_t kServer = kSharedEntryServer | kSharedEntryContainer;

bool never()
{
    return false;
}

std::string loopback(int port)
{
    return "127.0.0.1:" + std::to_string(port);
}

std::string machineName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 && name[0] != '\0' ? name : "localhost";
}

// The machine's own scheduler may or may not run: the client configuration names a socket where none is,
// unless a test names its own scheduler.
class CupsPrinterSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (const char* saved = std::getenv("CUPS_SERVER"))
            s_saved = saved;
        useSystemServer((std::filesystem::temp_directory_path() / "no-scheduler.sock").string());
    }
    static void TearDownTestSuite()
    {
        if (s_saved)
            ::setenv("CUPS_SERVER", s_saved->c_str(), 1);
        else
            ::unsetenv("CUPS_SERVER");
    }
    static void useSystemServer(const std::string& server) { ::setenv("CUPS_SERVER", server.c_str(), 1); }

    // A scheduler with a shared queue of a listed model, a shared one of another model and one not shared.
    static void addQueues(test::CupsdFixture& cupsd)
    {
        ASSERT_TRUE(cupsd.running()) << cupsd.log();
        ASSERT_TRUE(cupsd.AddQueue("Listed", "VARDO RX-C3400", "Second floor", true)) << cupsd.log();
        ASSERT_TRUE(cupsd.AddQueue("Other", "Acme Laser 10", "Basement", true)) << cupsd.log();
        ASSERT_TRUE(cupsd.AddQueue("Private", "VARDO RX-C3400", "Office", false)) << cupsd.log();
    }

    static std::vector<SharedPrinterEntry> queuesAt(const std::string& server)
    {
        return {{0, "Listed", "\\\\" + server + "\\Listed", "Second floor", "VARDO RX-C3400"},
                {0, "Other", "\\\\" + server + "\\Other", "Basement", "Acme Laser 10"}};
    }

private:
    static inline std::optional<std::string> s_saved;
};

TEST_F(CupsPrinterSourceTest, ConfiguredServersLeadToTheirSharedQueues)
{
    test::CupsdFixture cupsd;
    addQueues(cupsd);
    const std::string down = loopback(test::FreeLoopbackPort());
    const auto source = MakeSystemPrinterSource({{cupsd.address(), down}, 5s});

    const std::vector<SharedPrinterEntry> top = source->EnumerateLevel("", never);
    ASSERT_EQ(top, (std::vector<SharedPrinterEntry>{
                       {kSharedEntryExpand | kSharedEntryContainer | kSharedEntryProvider, "CUPS", "CUPS", "", ""}}));

    // The scheduler that is not there is left out; the administrator's servers stay, also the one that is down.
    EXPECT_EQ(source->EnumerateLevel(top[0].name, never),
              (std::vector<SharedPrinterEntry>{{kServer, cupsd.address(), cupsd.address(), "", ""},
                                               {kServer, down, down, "", ""}}));

    EXPECT_EQ(source->EnumerateLevel(cupsd.address(), never), queuesAt(cupsd.address()));
    EXPECT_TRUE(source->EnumerateLevel(down, never).empty());

    // The same scheduler by a name that is not one of the servers, and a printer's name, lead nowhere.
    EXPECT_TRUE(source->EnumerateLevel("localhost:" + std::to_string(cupsd.port()), never).empty());
    EXPECT_TRUE(source->EnumerateLevel(queuesAt(cupsd.address())[0].name, never).empty());
}

TEST_F(CupsPrinterSourceTest, LocalSchedulerIsShownAsThisMachine)
{
    test::CupsdFixture cupsd;
    addQueues(cupsd);
    useSystemServer(cupsd.socketPath().string());
    const auto source = MakeSystemPrinterSource({{cupsd.address()}, 5s});

    EXPECT_EQ(source->EnumerateLevel("CUPS", never),
              (std::vector<SharedPrinterEntry>{{kServer, machineName(), cupsd.socketPath().string(), "", ""},
                                               {kServer, cupsd.address(), cupsd.address(), "", ""}}));
    EXPECT_EQ(source->EnumerateLevel(cupsd.socketPath().string(), never), queuesAt(machineName()));
}

TEST_F(CupsPrinterSourceTest, ServerThatDoesNotAnswerLeavesItsLevelEmptyInTime)
{
    const test::SilentListener silent;
    ASSERT_NE(silent.port(), 0);
    const std::string server = loopback(silent.port());

    // Connected, asked, and never answered: the level ends at the time-out.
    auto started = Clock::now();
    EXPECT_TRUE(MakeSystemPrinterSource({{server}, 800ms})->EnumerateLevel(server, never).empty());
    EXPECT_GE(Clock::now() - started, 750ms);
    EXPECT_LT(Clock::now() - started, 2s);

    // stop() ends a long wait early.
    started = Clock::now();
    const auto stopSoon = [started] { return Clock::now() - started > 300ms; };
    EXPECT_TRUE(MakeSystemPrinterSource({{server}, 60s})->EnumerateLevel(server, stopSoon).empty());
    EXPECT_LT(Clock::now() - started, 1300ms);

    // A refused connection ends the level at once.
    const std::string closed = loopback(test::FreeLoopbackPort());
    started = Clock::now();
    EXPECT_TRUE(MakeSystemPrinterSource({{closed}, 60s})->EnumerateLevel(closed, never).empty());
    EXPECT_LT(Clock::now() - started, 1s);
}

} // namespace
} // namespace pellora::platform
