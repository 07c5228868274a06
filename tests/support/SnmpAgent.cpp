#include "support/SnmpAgent.h"

#include "support/FileTreeSupport.h"

#include "core/platform/FileDescriptor.h"

#include <chrono>
#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

namespace pellora::test {

namespace {

constexpr auto kStartTime = std::chrono::seconds(15);

// Get of sysUpTime.0 with community "public" and request id 1; byte kVersionByte holds the version.
constexpr unsigned char kUpTimeRequest[] = {0x30, 0x26, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',
                                            'l',  'i',  'c',  0xA0, 0x19, 0x02, 0x01, 0x01, 0x02, 0x01,
                                            0x00, 0x02, 0x01, 0x00, 0x30, 0x0E, 0x30, 0x0C, 0x06, 0x08,
                                            0x2B, 0x06, 0x01, 0x02, 0x01, 0x01, 0x03, 0x00, 0x05, 0x00};
constexpr std::size_t kVersionByte = 4;

// Connection lines for every request would bury what matters in the log.
constexpr std::string_view kQuietLog = "dontLogTCPWrappersConnects yes\n";

} // namespace

std::unique_ptr<SnmpAgent> SnmpAgent::OnLoopback(const std::string& address, std::string_view configuration,
                                                 const std::string& modules)
{
    auto agent = std::make_unique<SnmpAgent>(Key{}, "udp:" + address + ":161", std::string(), configuration, modules);
    const auto end = std::chrono::steady_clock::now() + kStartTime;
    while (!agent->m_ready && agent->m_process->running() && std::chrono::steady_clock::now() < end)
        agent->m_ready = agent->AnswersOnLoopback(address);
    return agent;
}

std::unique_ptr<SnmpAgent> SnmpAgent::InNamespace(const std::string& networkNamespace, const std::string& endpoint,
                                                  std::string_view configuration, const std::string& modules)
{
    auto agent = std::make_unique<SnmpAgent>(Key{}, endpoint, networkNamespace, configuration, modules);
    const auto end = std::chrono::steady_clock::now() + kStartTime;
    while (!agent->m_ready && agent->m_process->running() && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        agent->m_ready = agent->LogSaysStarted();
    }
    return agent;
}

SnmpAgent::SnmpAgent(Key, const std::string& endpoint, const std::string& networkNamespace,
                     std::string_view configuration, const std::string& modules)
{
    WriteFileBytes(m_folder.path() / "snmpd.conf", std::string(kQuietLog) + std::string(configuration));
    std::vector<std::string> arguments;
    if (!networkNamespace.empty())
        arguments = {"ip", "netns", "exec", networkNamespace};
    const std::string folder = m_folder.path().string();
    const std::vector<std::string> agent = {"snmpd", "-f", "-C", "-c", folder + "/snmpd.conf", "-Lf", folder + "/snmpd.log",
                                            "-p", folder + "/snmpd.pid", "-I", modules, endpoint};
    arguments.insert(arguments.end(), agent.begin(), agent.end());
    // No MIB files are read (their complaints would fill the log) and persistent state stays in the folder.
    m_process = std::make_unique<ChildProcess>(
        arguments, std::vector<std::string>{"MIBS=", "SNMP_PERSISTENT_DIR=" + folder + "/state"},
        m_folder.path() / "output.txt");
}

std::string SnmpAgent::Log() const
{
    return ReadFileBytes(m_folder.path() / "snmpd.log");
}

bool SnmpAgent::AnswersOnLoopback(const std::string& address) const
{
    platform::FileDescriptor socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_in agent{};
    agent.sin_family = AF_INET;
    agent.sin_port = htons(161);
    if (!socket.valid() || ::inet_pton(AF_INET, address.c_str(), &agent.sin_addr) != 1)
        return false;
    // Versions 1 and 2c: the agent may speak only one of them.
    for (const unsigned char version : {0, 1}) {
        unsigned char request[sizeof kUpTimeRequest];
        std::memcpy(request, kUpTimeRequest, sizeof request);
        request[kVersionByte] = version;
        if (::sendto(socket.get(), request, sizeof request, 0, reinterpret_cast<const sockaddr*>(&agent),
                     sizeof agent) < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return false;
        }
    }
    pollfd wait{socket.get(), POLLIN, 0};
    return ::poll(&wait, 1, 200) == 1;
}

bool SnmpAgent::LogSaysStarted() const
{
    std::error_code error;
    if (!std::filesystem::exists(m_folder.path() / "snmpd.log", error))
        return false;
    return Log().find("NET-SNMP version") != std::string::npos;
}

} // namespace pellora::test
