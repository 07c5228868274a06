#include "app/DropFilesHandOver.h"

#include "QtTestApplication.h"
#include "app/SingleInstance.h"
#include "core/platform/DropFilesBlock.h"
#include "core/platform/UserSettings.h"
#include "core/util/Support.h"

#include <QElapsedTimer>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <future>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace pellora {
namespace {

using Bytes = std::vector<std::uint8_t>;

class DropFilesHandOverTest : public test::QtApplicationTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.valid());
        ASSERT_TRUE(m_server.Listen(socket()));
        connect();
    }

    fs::path socket() const { return m_folder.path() / "pellora-test.socket"; }

    void connect()
    {
        QObject::connect(&m_server, &DropFilesServer::filesDropped, &m_server,
                         [this](const QStringList& files) { m_received.push_back(files); });
    }

    // Sends from another thread while this one runs the event loop, until the sender is done and the
    // server has had time to take what came.
    HandOverResult send(const Bytes& block)
    {
        auto sent = std::async(std::launch::async, [this, block] { return SendDropFiles(socket(), block); });
        while (sent.wait_for(0ms) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        spin(150ms);
        return sent.get();
    }

    static void spin(std::chrono::milliseconds time)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < time.count())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    // A connection of our own that sends bytes and keeps or closes the line as told.
    int rawConnect() const
    {
        const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket().c_str(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        return descriptor;
    }

    ScopedTempFolder m_folder;
    DropFilesServer m_server;
    std::vector<QStringList> m_received;
};

TEST_F(DropFilesHandOverTest, TheRunningInstanceReceivesEveryNameOfABlock)
{
    const std::vector<std::string> names {"/home/u/erste.qst", "/home/u/zweite \xC3\xBC.exe"};
    EXPECT_EQ(send(platform::EncodeDropFiles(names)), HandOverResult::Delivered);
    ASSERT_EQ(m_received.size(), 1u);
    EXPECT_EQ(m_received[0], (QStringList {"/home/u/erste.qst", QString::fromUtf8("/home/u/zweite \xC3\xBC.exe")}));

    // Each connection is one block.
    EXPECT_EQ(send(platform::EncodeDropFiles(std::vector<std::string> {"/third.qst"})), HandOverResult::Delivered);
    ASSERT_EQ(m_received.size(), 2u);
    EXPECT_EQ(m_received[1], QStringList {"/third.qst"});
}

TEST_F(DropFilesHandOverTest, HostileAndEmptyBlocksAreIgnoredAndTheServerGoesOn)
{
    Bytes cut = platform::EncodeDropFiles(std::vector<std::string> {"/a.qst"});
    cut.resize(cut.size() - 2);
    Bytes badOffset = platform::EncodeDropFiles(std::vector<std::string> {"/a.qst"});
    badOffset[2] = 0x40;
    for (const Bytes& block : {Bytes {}, Bytes(7, 0xFF), cut, badOffset, platform::EncodeDropFiles({}), Bytes(64 * 1024, 'A')})
        EXPECT_EQ(send(block), HandOverResult::Delivered);
    EXPECT_TRUE(m_received.empty());

    EXPECT_EQ(send(platform::EncodeDropFiles(std::vector<std::string> {"/after.qst"})), HandOverResult::Delivered);
    ASSERT_EQ(m_received.size(), 1u);
    EXPECT_EQ(m_received[0], QStringList {"/after.qst"});
}

TEST_F(DropFilesHandOverTest, AnOversizedStreamIsCutOffAndASilentPeerIsDropped)
{
    // The sender is stopped by the server's abort, or completes into the kernel's buffers; either way
    // nothing arrives.
    Bytes oversized = platform::EncodeDropFiles(std::vector<std::string> {"/big.qst"});
    oversized.resize(platform::kMaxDropFilesBlockBytes + 4096, 'x');
    send(oversized);
    EXPECT_TRUE(m_received.empty());

    m_server.SetStallTimeout(200ms);
    const int stalled = rawConnect();
    const Bytes part = platform::EncodeDropFiles(std::vector<std::string> {"/late.qst"});
    ASSERT_EQ(::send(stalled, part.data(), 10, MSG_NOSIGNAL), 10);
    spin(600ms);
    // The rest comes too late: the connection is gone.
    ::send(stalled, part.data() + 10, part.size() - 10, MSG_NOSIGNAL);
    ::close(stalled);
    spin(150ms);
    EXPECT_TRUE(m_received.empty());
}

TEST_F(DropFilesHandOverTest, NobodyListeningMeansNoWindowAndAStaleSocketFileIsReplaced)
{
    m_server.Close();
    EXPECT_FALSE(fs::exists(socket()));
    EXPECT_EQ(SendDropFiles(socket(), platform::EncodeDropFiles({})), HandOverResult::NoListener);
    EXPECT_EQ(SendDropFiles(m_folder.path() / "missing.socket", platform::EncodeDropFiles({})), HandOverResult::NoListener);
    EXPECT_EQ(SendDropFiles(m_folder.path() / std::string(200, 's'), platform::EncodeDropFiles({})),
              HandOverResult::NoListener);

    // A socket file left behind by an instance that did not end properly.
    {
        const int left = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket().c_str(), sizeof(address.sun_path) - 1);
        ASSERT_EQ(::bind(left, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ::close(left);
    }
    ASSERT_TRUE(fs::exists(socket()));
    ASSERT_TRUE(m_server.Listen(socket()));
    EXPECT_EQ(send(platform::EncodeDropFiles(std::vector<std::string> {"/x.qst"})), HandOverResult::Delivered);
    EXPECT_EQ(m_received.size(), 1u);
}

TEST(HandOverSocketPathTest, IsNamedAfterTheInstanceAndTheUser)
{
    const fs::path path = HandOverSocketPath("pellora", "/run/user/1000");
    EXPECT_EQ(path, fs::path("/run/user/1000") / ("pellora-" + SingleInstance::UserTag() + ".socket"));
}

class WaitForWindowHandleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.valid()); }

    void writeHandle(const std::string& value) const
    {
        std::ofstream(m_settings.file(), std::ios::binary | std::ios::trunc) << "[Settings]\r\nhWnd=" << value << "\r\n";
    }

    ScopedTempFolder m_folder;
    UserSettings m_settings {m_folder.path() / "Pellora.ini"};
};

TEST_F(WaitForWindowHandleTest, AValueAlreadyThereIsTakenWithoutWaiting)
{
    writeHandle("4711");
    int sleeps = 0;
    EXPECT_EQ(WaitForWindowHandle(m_settings, {50, 100ms, [&](std::chrono::milliseconds) { ++sleeps; }}), 4711);
    EXPECT_EQ(sleeps, 0);
}

TEST_F(WaitForWindowHandleTest, ZeroIsPolledFiftyTimesAtTheInterval)
{
    writeHandle("0");
    std::vector<std::chrono::milliseconds> sleeps;
    EXPECT_EQ(WaitForWindowHandle(m_settings, {50, 100ms, [&](std::chrono::milliseconds time) { sleeps.push_back(time); }}), 0);
    EXPECT_EQ(sleeps.size(), 50u);
    EXPECT_EQ(sleeps.front(), 100ms);

    // A missing file or a value that is no number counts as 0.
    fs::remove(m_settings.file());
    sleeps.clear();
    EXPECT_EQ(WaitForWindowHandle(m_settings, {50, 100ms, [&](std::chrono::milliseconds time) { sleeps.push_back(time); }}), 0);
    EXPECT_EQ(sleeps.size(), 50u);
}

TEST_F(WaitForWindowHandleTest, AValueWrittenByAnotherProcessWhileWaitingIsSeen)
{
    writeHandle("0");
    EXPECT_EQ(m_settings.GetInt("hWnd", -1), 0); // now in this process's cache
    int sleeps = 0;
    const auto sleep = [&](std::chrono::milliseconds) {
        if (++sleeps == 3)
            writeHandle("9001"); // as the first instance does from its own process
    };
    EXPECT_EQ(WaitForWindowHandle(m_settings, {50, 100ms, sleep}), 9001);
    EXPECT_EQ(sleeps, 3);
}

} // namespace
} // namespace pellora
