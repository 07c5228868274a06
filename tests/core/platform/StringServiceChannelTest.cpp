#include "core/platform/SharedMemory.h"
#include "core/platform/StringServiceChannel.h"
#include "core/util/Support.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <fstream>

namespace pellora::platform {
namespace {

using namespace std::chrono_literals;

std::string uniqueMappingName()
{
    return "/pellora-test-" + std::to_string(::getpid()) + "-"
        + ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

TEST(SharedMemoryTest, AReaderSeesTheCreatorsBytesAndNothingBeyondTheObject)
{
    const std::string name = uniqueMappingName();
    Status status;
    SharedMemory tool = SharedMemory::Create(name, 100, status);
    ASSERT_TRUE(status.ok()) << status.text();
    std::memcpy(tool.Writable().data(), "record", 6);

    SharedMemory::Failure failure = SharedMemory::Failure::None;
    SharedMemory program = SharedMemory::OpenForReading(name, failure);
    ASSERT_EQ(failure, SharedMemory::Failure::None);
    EXPECT_TRUE(program.Writable().empty());
    std::array<std::byte, 6> bytes {};
    ASSERT_TRUE(program.Read(0, bytes));
    EXPECT_EQ(std::memcmp(bytes.data(), "record", 6), 0);
    EXPECT_TRUE(program.Read(94, bytes));
    EXPECT_FALSE(program.Read(95, bytes));
    EXPECT_FALSE(program.Read(~std::uint64_t {0} - 2, bytes)); // no overflow past the end

    // The tool may shrink the object behind the reader's back: its old end is no longer read.
    const int fd = ::shm_open(name.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 10), 0);
    EXPECT_FALSE(program.Read(8, bytes));
    EXPECT_TRUE(program.Read(4, bytes));
    // Or grow it: the reader maps it anew.
    ASSERT_EQ(::ftruncate(fd, 5000), 0);
    ::close(fd);
    EXPECT_TRUE(program.Read(4990, bytes));
    EXPECT_EQ(program.size(), 5000u);
}

TEST(SharedMemoryTest, OpeningFailsAtTheStepThatFails)
{
    SharedMemory::Failure failure = SharedMemory::Failure::None;
    EXPECT_FALSE(SharedMemory::OpenForReading(uniqueMappingName(), failure).mapped());
    EXPECT_EQ(failure, SharedMemory::Failure::Open);

    // An object without bytes exists but cannot be mapped.
    const std::string name = uniqueMappingName();
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(SharedMemory::OpenForReading(name, failure).mapped());
    EXPECT_EQ(failure, SharedMemory::Failure::Map);
    ::close(fd);
    ::shm_unlink(name.c_str());

    // The creator's name goes with it, unless a newer object has taken the name over.
    {
        Status status;
        SharedMemory tool = SharedMemory::Create(name, 8, status);
        ASSERT_TRUE(tool.mapped());
        tool = SharedMemory::Create(name, 16, status);
        EXPECT_EQ(SharedMemory::OpenForReading(name, failure).size(), 16u);
    }
    EXPECT_FALSE(SharedMemory::OpenForReading(name, failure).mapped());
    EXPECT_EQ(failure, SharedMemory::Failure::Open);
}

class StringServiceChannelTest : public ::testing::Test {
protected:
    std::filesystem::path socketPath() const { return m_folder.path() / "service.socket"; }

    ScopedTempFolder m_folder;
};

TEST_F(StringServiceChannelTest, CommandsArriveInOrderAndTheAnswerComesBack)
{
    StringMessageListener listener;
    ASSERT_TRUE(listener.Listen(socketPath()).ok());
    EXPECT_EQ(listener.Accept(), nullptr); // nobody waits yet

    Status status;
    const auto tool = ConnectToStringService(socketPath(), status);
    ASSERT_NE(tool, nullptr) << status.text();
    const auto program = listener.Accept();
    ASSERT_NE(program, nullptr);

    ASSERT_TRUE(tool->Send({1, 7}));
    ASSERT_TRUE(tool->Send({0xFFFFFFFF, 0x01020304}));
    std::vector<StringMessage> received;
    for (int i = 0; i < 100 && received.size() < 2; ++i) {
        ASSERT_TRUE(program->Receive(received));
        ::usleep(1000);
    }
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], (StringMessage {1, 7}));
    EXPECT_EQ(received[1], (StringMessage {0xFFFFFFFF, 0x01020304}));

    ASSERT_TRUE(program->Send({1, 7}));
    EXPECT_EQ(tool->WaitForMessage(2s), (StringMessage {1, 7}));
    EXPECT_EQ(tool->WaitForMessage(20ms), std::nullopt);
}

TEST_F(StringServiceChannelTest, AMessageSplitAcrossWritesIsTakenWholeAndTheLittleEndianOrderHolds)
{
    StringMessageListener listener;
    ASSERT_TRUE(listener.Listen(socketPath()).ok());
    const int raw = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath().c_str());
    ASSERT_EQ(::connect(raw, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const auto program = listener.Accept();
    ASSERT_NE(program, nullptr);

    const unsigned char bytes[] = {2, 0, 0, 0, 0x10, 0x27, 0, 0, 3};
    ASSERT_EQ(::write(raw, bytes, 5), 5);
    std::vector<StringMessage> received;
    EXPECT_TRUE(program->Receive(received));
    EXPECT_TRUE(received.empty());
    ASSERT_EQ(::write(raw, bytes + 5, 4), 4);
    ::usleep(10000);
    EXPECT_TRUE(program->Receive(received));
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (StringMessage {2, 10000}));

    ::close(raw);
    ::usleep(10000);
    EXPECT_FALSE(program->Receive(received));
    EXPECT_FALSE(program->open());
}

TEST_F(StringServiceChannelTest, AStaleSocketIsReplacedButALiveOneOrAForeignFileIsNot)
{
    {
        StringMessageListener first;
        ASSERT_TRUE(first.Listen(socketPath()).ok());
        StringMessageListener second;
        EXPECT_FALSE(second.Listen(socketPath()).ok());
    }
    EXPECT_FALSE(std::filesystem::exists(socketPath())); // the listener takes its file along

    // A socket file left behind by a program that ended without cleaning up.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, socketPath().c_str());
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    StringMessageListener listener;
    EXPECT_TRUE(listener.Listen(socketPath()).ok());

    const std::filesystem::path file = m_folder.path() / "file";
    std::ofstream(file) << "x";
    StringMessageListener onFile;
    EXPECT_FALSE(onFile.Listen(file).ok());
    EXPECT_TRUE(std::filesystem::exists(file));

    Status status;
    EXPECT_EQ(ConnectToStringService(m_folder.path() / "nobody.socket", status), nullptr);
    EXPECT_FALSE(status.ok());
}

} // namespace
} // namespace pellora::platform
