// The discovery library HalvaneWrapper.so against real snmpd agents on loopback addresses and inside
// network namespaces, and against crafted replies; its result record layout.
//
// Every test case owns a block of loopback addresses, so that cases may run in parallel:
//   127.0.0.0/24 a network of printers   127.0.3.0/24 a silent network   127.0.4.0/24 cancellation
//   127.0.5.0/29 a full channel          127.0.6.0/24 crafted replies

#include "core/util/Support.h"
#include "core/platform/FileDescriptor.h"
#include "core/discovery/ProbeResultRecord.h"
#include "core/platform/SharedLibrary.h"
#include "core/plugin/DiscoveryLibrary.h"
#include "core/util/Ipv4.h"
#include "halvane/HalvaneWrapper.h"
#include "halvane/HalvaneWrapper.h"
#include "halvane/SnmpMessage.h"
#include "support/ChildProcess.h"
#include "support/NetworkNamespace.h"
#include "support/SnmpAgent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

using pellora::DiscoveryLibrary;
using ProbeRecord = pellora::ProbeResultFields;
using pellora::platform::FileDescriptor;
using pellora::test::SnmpAgent;
using Clock = std::chrono::steady_clock;

struct Pipe {
    Pipe()
    {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) == 0) {
            reader = FileDescriptor(ends[0]);
            writer = FileDescriptor(ends[1]);
        }
    }
    FileDescriptor reader;
    FileDescriptor writer;
};

// What came through a notice channel, read one byte at a time; each byte fetches at most one result,
// as the network page does with each arrival.
struct ProbeOutcome {
    std::string notices;
    std::vector<ProbeRecord> records;
    std::vector<Clock::duration> arrivals;
    int emptyFetches = 0;
    std::optional<Clock::duration> end;
    bool closed = false; // the reader saw the end of file: the library closed its copy of the channel
};

// The next result, as the network page reads it.
std::optional<ProbeRecord> Fetch(const DiscoveryLibrary& library)
{
    const std::optional<std::vector<std::uint8_t>> block = library.TakeResult();
    return block ? pellora::ReadProbeResult(*block) : std::nullopt;
}

ProbeOutcome Collect(const DiscoveryLibrary& library, int reader, Clock::time_point start, Clock::duration limit)
{
    ProbeOutcome outcome;
    while (!outcome.end && Clock::now() < start + limit) {
        pollfd wait{reader, POLLIN, 0};
        if (::poll(&wait, 1, 20) <= 0)
            continue;
        char notice = 0;
        if (::read(reader, &notice, 1) != 1) {
            outcome.closed = true;
            break;
        }
        outcome.notices += notice;
        if (std::optional<ProbeRecord> record = Fetch(library)) {
            outcome.records.push_back(*record);
            outcome.arrivals.push_back(Clock::now() - start);
        } else {
            ++outcome.emptyFetches;
        }
        if (notice == HALVANE_NOTICE_END)
            outcome.end = Clock::now() - start;
    }
    return outcome;
}

std::map<std::string, ProbeRecord> ByAddress(const std::vector<ProbeRecord>& records)
{
    std::map<std::string, ProbeRecord> result;
    for (const ProbeRecord& record : records)
        result.emplace(record.address, record);
    return result;
}

// snmpd configuration lines.
const std::string kPrinterType = "override .1.3.6.1.2.1.25.3.2.1.2.1 object_id .1.3.6.1.2.1.25.3.1.5";
std::string DeviceId(const std::string& text)
{
    return "override .1.3.6.1.4.1.2699.1.2.1.2.1.1.3.1 octet_str \"" + text + "\"";
}
std::string DeviceDescr(const std::string& text)
{
    return "override .1.3.6.1.2.1.25.3.2.1.3.1 octet_str \"" + text + "\"";
}
std::string PhysAddress(int interfaceIndex, const std::string& hex)
{
    return "override .1.3.6.1.2.1.2.2.1.6." + std::to_string(interfaceIndex) + " octet_str 0x" + hex;
}
std::string Configuration(const std::vector<std::string>& lines, const std::string& access = "rocommunity public 127.0.0.0/8")
{
    std::string text = access + "\n";
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class HalvaneWrapperTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.valid());
        fs::copy_file(PELLORA_HALVANE_PATH, LibraryFile());
        m_library = std::make_unique<DiscoveryLibrary>(m_folder.path());
        ASSERT_TRUE(m_library->IsAvailable()) << m_library->status().text();
    }

    fs::path LibraryFile() const { return m_folder.path() / HALVANE_LIBRARY_FILE_NAME; }

    void StartAgent(const std::string& address, const std::string& configuration)
    {
        m_agents.push_back(SnmpAgent::OnLoopback(address, configuration));
        ASSERT_TRUE(m_agents.back()->ready()) << "snmpd on " << address << ":\n" << m_agents.back()->Log();
    }

    pellora::ScopedTempFolder m_folder;
    std::unique_ptr<DiscoveryLibrary> m_library;
    std::vector<std::unique_ptr<SnmpAgent>> m_agents;
};

TEST(HalvaneWrapperLayout, ProbeResultHasThe64BitLayoutOfTheHeader)
{
    EXPECT_EQ(offsetof(ProbeResult, modelName), 0u);
    EXPECT_EQ(offsetof(ProbeResult, macAddress), 8u);
    EXPECT_EQ(offsetof(ProbeResult, ipAddress), 16u);
    EXPECT_EQ(offsetof(ProbeResult, reserved1), 20u);
    EXPECT_EQ(offsetof(ProbeResult, deviceId), 24u);
    EXPECT_EQ(offsetof(ProbeResult, freeText), 32u);
    EXPECT_EQ(offsetof(ProbeResult, reserved2), 40u);
    EXPECT_EQ(offsetof(ProbeResult, interfaceName), 64u);
    EXPECT_EQ(sizeof(ProbeResult), 72u);
}

TEST_F(HalvaneWrapperTest, FindsEveryPrinterOfANetworkAsItAnswers)
{
    StartAgent("127.0.0.11", Configuration({"sysName printer-a", kPrinterType, DeviceId("MFG:VARDO;MDL:RX-C3400;CMD:PCL;"),
                                            DeviceDescr("VARDO RX-C3400 series"), PhysAddress(1, "0000AA000011")}));
    // A model the program does not list; its address sits on interface 3, interface 1 is a decoy.
    StartAgent("127.0.0.12", Configuration({"sysName printer-b", kPrinterType,
                                            DeviceId("MANUFACTURER:Ostrel;MODEL:Q9 Office;"),
                                            "override .1.3.6.1.2.1.4.20.1.2.127.0.0.12 integer 3",
                                            PhysAddress(1, "0000AA0000FF"), PhysAddress(3, "0000AA000012")}));
    // No MAC address, no device ID, no name: the description and the location stand in.
    StartAgent("127.0.0.13", Configuration({"override .1.3.6.1.2.1.1.5.0 octet_str \"\"", "sysLocation Floor 3, copy room",
                                            kPrinterType, DeviceDescr("VARDO VDL-N4000+")}));
    // One printer answering on two addresses.
    StartAgent("127.0.0.14", Configuration({"sysName twin", kPrinterType, DeviceId("MFG:VARDO;MDL:RX-C3400;"),
                                            PhysAddress(1, "0000AA000014")}));
    StartAgent("127.0.0.15", Configuration({"sysName twin", kPrinterType, DeviceId("MFG:VARDO;MDL:RX-C3400;"),
                                            PhysAddress(1, "0000AA000014")}));
    // A printer known only by its printer MIB objects.
    StartAgent("127.0.0.16", Configuration({"sysName mib-only", "override .1.3.6.1.2.1.43.5.1.1.17.1 octet_str \"SN-16\"",
                                            DeviceId("MFG:VARDO;MDL:VARDO LP-2200;"), PhysAddress(1, "0000AA000016")}));
    // Not a printer.
    StartAgent("127.0.0.17", Configuration({"sysName router", "override .1.3.6.1.2.1.25.3.2.1.2.1 object_id "
                                            ".1.3.6.1.2.1.25.3.1.4",
                                            DeviceDescr("VARDO Router")}));
    // An agent that speaks version 1 only: noSuchName errors, then a walk of the interface table.
    StartAgent("127.0.0.18", Configuration({"com2sec v1user default public", "group v1group v1 v1user",
                                            "view everything included .1",
                                            "access v1group \"\" any noauth exact everything none none",
                                            "sysName v1-only", kPrinterType, DeviceId("MFG:VARDO;MDL:RX-C3400;"),
                                            PhysAddress(2, "0000AA000018")},
                                           "# version 1 only"));

    ASSERT_TRUE(m_library->SetTimeout(2));
    ASSERT_TRUE(m_library->SetNetwork(pellora::ParseIpv4("127.0.0.77"), pellora::ParseIpv4("255.255.255.0")));
    Pipe channel;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(m_library->Probe(channel.writer.get()));
    const ProbeOutcome outcome = Collect(*m_library, channel.reader.get(), start, 10s);

    ASSERT_TRUE(outcome.end) << "no end mark; notices \"" << outcome.notices << "\"";
    EXPECT_EQ(outcome.notices, std::string(outcome.records.size(), HALVANE_NOTICE_RESULT) + HALVANE_NOTICE_END);
    EXPECT_EQ(outcome.emptyFetches, 1) << "only the end mark finds no result waiting";
    EXPECT_GE(*outcome.end, 2s);
    EXPECT_LT(*outcome.end, 3500ms);
    for (const Clock::duration arrival : outcome.arrivals)
        EXPECT_LT(arrival, 1500ms) << "results come as the agents answer, not at the end";

    const std::map<std::string, ProbeRecord> found = ByAddress(outcome.records);
    ASSERT_EQ(outcome.records.size(), 6u);
    ASSERT_EQ(found.size(), 6u);
    EXPECT_EQ(found.at("127.0.0.11"), (ProbeRecord{"VARDO RX-C3400", "0000AA000011", "127.0.0.11",
                                                   "MFG:VARDO;MDL:RX-C3400;CMD:PCL;", "printer-a", "lo"}));
    EXPECT_EQ(found.at("127.0.0.12"), (ProbeRecord{"Ostrel Q9 Office", "0000AA000012", "127.0.0.12",
                                                   "MANUFACTURER:Ostrel;MODEL:Q9 Office;", "printer-b", "lo"}));
    EXPECT_EQ(found.at("127.0.0.13"),
              (ProbeRecord{"VARDO VDL-N4000+", "", "127.0.0.13", "", "Floor 3, copy room", "lo"}));
    EXPECT_NE(found.count("127.0.0.14"), found.count("127.0.0.15")) << "the same MAC address is reported once";
    const ProbeRecord& twin = found.count("127.0.0.14") != 0 ? found.at("127.0.0.14") : found.at("127.0.0.15");
    EXPECT_EQ(twin.macAddress, "0000AA000014");
    EXPECT_EQ(found.at("127.0.0.16"), (ProbeRecord{"VARDO LP-2200", "0000AA000016", "127.0.0.16",
                                                   "MFG:VARDO;MDL:VARDO LP-2200;", "mib-only", "lo"}));
    EXPECT_EQ(found.count("127.0.0.17"), 0u);
    EXPECT_EQ(found.at("127.0.0.18"),
              (ProbeRecord{"VARDO RX-C3400", "0000AA000018", "127.0.0.18", "MFG:VARDO;MDL:RX-C3400;", "v1-only", "lo"}));
}

TEST_F(HalvaneWrapperTest, SilentNetworkEndsAfterTheTimeout)
{
    ASSERT_TRUE(m_library->SetTimeout(1));
    ASSERT_TRUE(m_library->SetNetwork(pellora::ParseIpv4("127.0.3.0"), pellora::ParseIpv4("255.255.255.0")));
    Pipe channel;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(m_library->Probe(channel.writer.get()));
    const ProbeOutcome outcome = Collect(*m_library, channel.reader.get(), start, 10s);

    ASSERT_TRUE(outcome.end);
    EXPECT_EQ(outcome.notices, std::string(1, HALVANE_NOTICE_END));
    EXPECT_GE(*outcome.end, 1s);
    EXPECT_LT(*outcome.end, 2500ms);
    EXPECT_FALSE(m_library->TakeResult().has_value());
}

TEST_F(HalvaneWrapperTest, NewProbeOrDeleteCancelsTheRunningProbeAtOnce)
{
    ASSERT_TRUE(m_library->SetTimeout(5));
    ASSERT_TRUE(m_library->SetNetwork(pellora::ParseIpv4("127.0.4.0"), pellora::ParseIpv4("255.255.255.0")));
    Pipe first;
    ASSERT_TRUE(m_library->Probe(first.writer.get()));
    first.writer.reset();
    std::this_thread::sleep_for(200ms);

    Pipe second;
    Clock::time_point start = Clock::now();
    ASSERT_TRUE(m_library->Probe(second.writer.get()));
    EXPECT_LT(Clock::now() - start, 1s);
    second.writer.reset();
    // The first probe's thread is gone: its copy of the channel is closed, and no end mark was written.
    const ProbeOutcome cancelled = Collect(*m_library, first.reader.get(), Clock::now(), 2s);
    EXPECT_TRUE(cancelled.closed);
    EXPECT_EQ(cancelled.notices, "");

    start = Clock::now();
    m_library.reset();
    EXPECT_LT(Clock::now() - start, 1s);
    char notice = 0;
    EXPECT_EQ(::read(second.reader.get(), &notice, 1), 0) << "nothing is written after DeleteHalvaneWrapper";
}

TEST_F(HalvaneWrapperTest, FullChannelDelaysNoticesWithoutLosingThem)
{
    StartAgent("127.0.5.2", Configuration({"sysName printer-a", kPrinterType, DeviceId("MFG:VARDO;MDL:RX-C3400;")}));
    Pipe channel;
    ::fcntl(channel.writer.get(), F_SETPIPE_SZ, 4096);
    ::fcntl(channel.writer.get(), F_SETFL, O_NONBLOCK);
    std::size_t filled = 0;
    const std::string block(512, 'x');
    for (ssize_t written = 0; (written = ::write(channel.writer.get(), block.data(), block.size())) > 0;)
        filled += static_cast<std::size_t>(written);
    ASSERT_GT(filled, 0u);

    ASSERT_TRUE(m_library->SetTimeout(1));
    ASSERT_TRUE(m_library->SetNetwork(pellora::ParseIpv4("127.0.5.0"), pellora::ParseIpv4("255.255.255.248")));
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(m_library->Probe(channel.writer.get()));
    EXPECT_LT(Clock::now() - start, 500ms) << "Probe never waits for the channel";
    std::this_thread::sleep_for(1800ms);

    std::string drained(filled, '\0');
    ASSERT_EQ(::read(channel.reader.get(), drained.data(), filled), static_cast<ssize_t>(filled));
    EXPECT_EQ(drained, std::string(filled, 'x'));
    const ProbeOutcome outcome = Collect(*m_library, channel.reader.get(), Clock::now(), 3s);
    EXPECT_EQ(outcome.notices, (std::string{HALVANE_NOTICE_RESULT, HALVANE_NOTICE_END}));
    ASSERT_EQ(outcome.records.size(), 1u);
    EXPECT_EQ(outcome.records.front().address, "127.0.5.2");
}

// A UDP socket bound to address:port on loopback.
FileDescriptor BoundSocket(const std::string& address, std::uint16_t port)
{
    FileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, address.c_str(), &local.sin_addr);
    if (::bind(socket.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0)
        return FileDescriptor();
    return socket;
}

TEST_F(HalvaneWrapperTest, DropsRepliesThatAreMalformedOversizedOrFromElsewhere)
{
    using namespace pellora::halvane;
    const FileDescriptor agent = BoundSocket("127.0.6.10", 161);
    const FileDescriptor elsewhere = BoundSocket("127.0.6.20", 161);
    const FileDescriptor otherPort = BoundSocket("127.0.6.10", 1161);
    ASSERT_TRUE(agent.valid() && elsewhere.valid() && otherPort.valid());

    ASSERT_TRUE(m_library->SetTimeout(1));
    ASSERT_TRUE(m_library->SetNetwork(pellora::ParseIpv4("127.0.6.8"), pellora::ParseIpv4("255.255.255.248")));
    Pipe channel;
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(m_library->Probe(channel.writer.get()));

    // The sweep's version 2c request, and where it came from.
    std::optional<SnmpMessage> request;
    sockaddr_in probe{};
    while (!request && Clock::now() < start + 2s) {
        pollfd wait{agent.get(), POLLIN, 0};
        if (::poll(&wait, 1, 100) <= 0)
            continue;
        std::uint8_t bytes[2048];
        socklen_t length = sizeof probe;
        const ssize_t size = ::recvfrom(agent.get(), bytes, sizeof bytes, 0, reinterpret_cast<sockaddr*>(&probe), &length);
        request = DecodeMessage(std::span<const std::uint8_t>(bytes, size > 0 ? static_cast<std::size_t>(size) : 0));
        if (request && request->version != SnmpVersion::V2c)
            request.reset();
    }
    ASSERT_TRUE(request);
    ASSERT_EQ(request->varbinds.size(), 6u);

    const auto answer = [&request](const std::string& model, std::size_t locationBytes = 0) {
        SnmpMessage reply = *request;
        reply.type = PduType::Response;
        const auto text = [](Oid name, const std::string& value) {
            VarBind binding;
            binding.name = std::move(name);
            binding.type = ValueType::OctetString;
            binding.octets = value;
            return binding;
        };
        VarBind type;
        type.name = {1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2, 1};
        type.type = ValueType::ObjectId;
        type.objectId = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
        VarBind end;
        end.name = {1, 3, 6, 1, 2, 1, 43};
        end.type = ValueType::EndOfMibView;
        reply.varbinds = {text({1, 3, 6, 1, 2, 1, 1, 5, 0}, "crafted"),
                          text({1, 3, 6, 1, 2, 1, 1, 6, 0}, std::string(locationBytes, 'x')),
                          type,
                          text({1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3, 1}, "VARDO " + model),
                          text({1, 3, 6, 1, 4, 1, 2699, 1, 2, 1, 2, 1, 1, 3, 1}, "MFG:VARDO;MDL:" + model + ";"),
                          end};
        return reply;
    };
    const auto send = [&probe](const FileDescriptor& from, const std::vector<std::uint8_t>& bytes) {
        ASSERT_FALSE(bytes.empty());
        ASSERT_EQ(::sendto(from.get(), bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&probe),
                           sizeof probe),
                  static_cast<ssize_t>(bytes.size()));
    };

    send(elsewhere, EncodeMessage(answer("FROM ELSEWHERE")));
    send(otherPort, EncodeMessage(answer("FROM ANOTHER PORT")));
    send(agent, {0x30, 0x03, 0x02, 0x01});
    std::vector<std::uint8_t> truncated = EncodeMessage(answer("TRUNCATED"));
    truncated.resize(truncated.size() / 2);
    send(agent, truncated);
    send(agent, EncodeMessage(answer("OVERSIZED", 5000)));
    SnmpMessage wrong = answer("WRONG COMMUNITY");
    wrong.community = "private";
    send(agent, EncodeMessage(wrong));
    wrong = answer("WRONG VERSION");
    wrong.version = SnmpVersion::V1;
    send(agent, EncodeMessage(wrong));
    wrong = answer("UNKNOWN REQUEST");
    wrong.requestId += 1000000;
    send(agent, EncodeMessage(wrong));
    wrong = answer("NOT A RESPONSE");
    wrong.type = PduType::GetNext;
    send(agent, EncodeMessage(wrong));
    send(agent, EncodeMessage(answer("RX-C3400")));

    // The follow-up questions stay unanswered: the printer is reported without MAC address at the end.
    const ProbeOutcome outcome = Collect(*m_library, channel.reader.get(), start, 10s);
    ASSERT_TRUE(outcome.end);
    ASSERT_EQ(outcome.records.size(), 1u);
    EXPECT_EQ(outcome.records.front(), (ProbeRecord{"VARDO RX-C3400", "", "127.0.6.10", "MFG:VARDO;MDL:RX-C3400;",
                                                    "crafted", "lo"}));
}

TEST_F(HalvaneWrapperTest, RefusesBadArguments)
{
    // The entry points as the library exports them, with an object of the test's own.
    const pellora::platform::SharedLibrary library(LibraryFile());
    struct {
        pellora::platform::EntryPoint<HalvaneHandle(void)> create;
        pellora::platform::EntryPoint<int(HalvaneHandle)> destroy;
        pellora::platform::EntryPoint<int(HalvaneHandle, int)> setTimeout;
        pellora::platform::EntryPoint<int(HalvaneHandle, int, int, const std::uint32_t*, const std::uint32_t*, int)> setProbeRange;
        pellora::platform::EntryPoint<int(HalvaneHandle, int)> probe;
        pellora::platform::EntryPoint<int(HalvaneHandle, void*, std::uint32_t*)> getProbeResult;
    } call{library.Entry<HalvaneHandle(void)>("CreateHalvaneWrapper"), library.Entry<int(HalvaneHandle)>("DeleteHalvaneWrapper"),
           library.Entry<int(HalvaneHandle, int)>("SetTimeout"),
           library.Entry<int(HalvaneHandle, int, int, const std::uint32_t*, const std::uint32_t*, int)>("SetProbeRange"),
           library.Entry<int(HalvaneHandle, int)>("Probe"), library.Entry<int(HalvaneHandle, void*, std::uint32_t*)>("GetProbeResultA")};
    const HalvaneHandle object = call.create();
    ASSERT_NE(object, nullptr);
    const auto network = [&](const char* address, const char* mask, int count = 1, int reserved = 0) {
        std::uint32_t addresses[17];
        std::uint32_t masks[17];
        for (int i = 0; i < 17; ++i) {
            ::inet_pton(AF_INET, address, &addresses[i]);
            ::inet_pton(AF_INET, mask, &masks[i]);
        }
        return call.setProbeRange(object, HALVANE_RANGE_NETWORK, count, addresses, masks, reserved);
    };
    Pipe channel;

    EXPECT_EQ(network("10.1.0.0", "255.254.0.0"), 0) << "larger than /16";
    EXPECT_EQ(call.probe(object, channel.writer.get()), 0) << "a refused range leaves no range";
    EXPECT_EQ(network("10.1.0.0", "255.255.0.255"), 0) << "mask not contiguous";
    EXPECT_EQ(network("10.1.0.0", "255.255.255.0", 0), 0);
    EXPECT_EQ(network("10.1.0.0", "255.255.255.0", 17), 0);
    EXPECT_EQ(network("10.1.0.0", "255.255.0.0", 2), 0) << "more than 65,536 hosts in all";
    EXPECT_EQ(network("10.1.0.0", "255.255.255.0", 1, 7), 0) << "reserved argument";
    EXPECT_EQ(call.setProbeRange(object, HALVANE_RANGE_NETWORK, 1, nullptr, nullptr, 0), 0);
    EXPECT_EQ(call.setProbeRange(object, 3, 0, nullptr, nullptr, 0), 0);
    EXPECT_EQ(call.setProbeRange(object, HALVANE_RANGE_LOCAL_SEGMENT, 1, nullptr, nullptr, 0), 0);
    EXPECT_NE(network("10.1.0.0", "255.255.0.0"), 0);
    EXPECT_NE(call.setProbeRange(object, HALVANE_RANGE_LOCAL_SEGMENT, 0, nullptr, nullptr, 0), 0);

    EXPECT_EQ(call.probe(object, channel.reader.get()), 0) << "a read end is no channel";
    EXPECT_EQ(call.probe(object, -1), 0);
    EXPECT_EQ(call.getProbeResult(object, nullptr, nullptr), 0);

    const HalvaneHandle other = call.create();
    ASSERT_NE(other, nullptr);
    EXPECT_NE(call.destroy(other), 0);
    EXPECT_EQ(call.destroy(other), 0) << "a deleted object is refused, not used";
    EXPECT_EQ(call.setTimeout(other, 2), 0);
    EXPECT_NE(call.destroy(object), 0);
}

TEST_F(HalvaneWrapperTest, LocalSegmentProbeInNetworkNamespaces)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "making network namespaces needs root; the local-segment probe is not tested here";
    const std::string prefix = "plh" + std::to_string(::getpid());
    pellora::test::NetworkNamespace printer(prefix + "p");
    pellora::test::NetworkNamespace computer(prefix + "c");
    if (!printer.created() || !computer.created())
        GTEST_SKIP() << "network namespaces cannot be made on this machine (" << printer.error() << computer.error()
                     << "); the local-segment probe is not tested here";

    // The printer: one bridge with a fixed MAC address and two addresses, reached over two links from the
    // computer, which broadcasts on both.
    for (const std::vector<std::string>& step : std::vector<std::vector<std::string>>{
             {"link", "add", "br0", "type", "bridge"},
             {"link", "set", "br0", "address", "02:50:4c:00:00:01"},
             {"link", "add", "lan1", "type", "veth", "peer", "name", "seg1", "netns", computer.name()},
             {"link", "add", "lan2", "type", "veth", "peer", "name", "seg2", "netns", computer.name()},
             {"link", "set", "lan1", "master", "br0"},
             {"link", "set", "lan2", "master", "br0"},
             {"addr", "add", "10.213.0.1/24", "brd", "+", "dev", "br0"},
             {"addr", "add", "10.214.0.1/24", "brd", "+", "dev", "br0"},
             {"link", "set", "lo", "up"},
             {"link", "set", "lan1", "up"},
             {"link", "set", "lan2", "up"},
             {"link", "set", "br0", "up"}})
        ASSERT_TRUE(printer.Ip(step)) << printer.error();
    for (const std::vector<std::string>& step : std::vector<std::vector<std::string>>{
             {"addr", "add", "10.213.0.2/24", "brd", "+", "dev", "seg1"},
             {"addr", "add", "10.214.0.2/24", "brd", "+", "dev", "seg2"},
             {"link", "set", "lo", "up"},
             {"link", "set", "seg1", "up"},
             {"link", "set", "seg2", "up"}})
        ASSERT_TRUE(computer.Ip(step)) << computer.error();
    // The agent keeps its interface table: the MAC address comes from the bridge itself. It is bound to
    // the bridge: unbound, snmpd answers a broadcast from the broadcast address, which this kernel refuses
    // with an error snmpd does not retry on; bound to a device it answers from the interface's address.
    const std::unique_ptr<SnmpAgent> agent = SnmpAgent::InNamespace(
        printer.name(), "udp:0.0.0.0@br0:161", Configuration({"sysName ns-printer", kPrinterType, DeviceId("MFG:VARDO;MDL:RX-C3400;")},
                                      "rocommunity public 10.0.0.0/8"),
        "-hr_device,smux");
    ASSERT_TRUE(agent->ready()) << agent->Log();

    const auto probe = [&](const std::vector<std::string>& range) {
        std::vector<std::string> program = {PELLORA_HALVANE_PROBE_PATH, LibraryFile().string(), "--timeout", "1"};
        program.insert(program.end(), range.begin(), range.end());
        const pellora::test::ProgramOutput run = pellora::test::RunForOutput(computer.Command(program), 20s);
        std::vector<std::vector<std::string>> lines;
        std::istringstream text(run.output);
        for (std::string line; std::getline(text, line);) {
            std::vector<std::string> fields;
            std::istringstream parts(line);
            for (std::string field; std::getline(parts, field, '\t');)
                fields.push_back(field);
            lines.push_back(fields);
        }
        EXPECT_EQ(run.exitCode, 0) << run.output;
        return lines;
    };
    // The second address answers on its own …
    const auto second = probe({"--network", "10.214.0.0", "255.255.255.0"});
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0][2], "10.214.0.1");
    EXPECT_EQ(second[0][4], "02504C000001");

    // … and the local-segment probe hears the printer on both links, reporting it once.
    const auto local = probe({"--local"});
    ASSERT_EQ(local.size(), 2u);
    const std::vector<std::string>& result = local[0];
    ASSERT_EQ(result.size(), 8u);
    EXPECT_EQ(result[0], "result");
    EXPECT_TRUE(result[2] == "10.213.0.1" || result[2] == "10.214.0.1") << result[2];
    EXPECT_EQ(result[3], "VARDO RX-C3400");
    EXPECT_EQ(result[4], "02504C000001");
    EXPECT_EQ(result[5], "MFG:VARDO;MDL:RX-C3400;");
    EXPECT_EQ(result[6], "ns-printer");
    EXPECT_TRUE(result[7] == "seg1" || result[7] == "seg2") << result[7];
    EXPECT_EQ(local[1][0], "end");
}

} // namespace
