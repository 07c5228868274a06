// The probe loop: pacing, request ids, reply checks, resends, the time-out and the notices.

#include "ProbeRun.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <random>

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace pellora::halvane {

namespace {

constexpr std::uint16_t kSnmpPort = 161;
constexpr const char* kCommunity = "public";
// Requests of the sweep: a first burst, then a steady rate, so that a /16 neither floods the network
// nor takes minutes.
constexpr double kSweepBurst = 256;
constexpr double kSweepPerSecond = 10000;
// A follow-up request is sent this often before the agent counts as silent.
constexpr int kAttempts = 3;
constexpr auto kResendInterval = std::chrono::milliseconds(500);
constexpr auto kBusyRetry = std::chrono::milliseconds(5);
// Replies larger than this are no answers to our requests.
constexpr std::size_t kLargestReply = 4096;
constexpr int kReceiveBatch = 64;

std::int64_t RandomFirstRequestId()
{
    std::random_device device;
    std::uniform_int_distribution<std::int64_t> distribution(1, std::int64_t{1} << 30);
    return distribution(device);
}

std::vector<std::uint8_t> EncodeRequest(SnmpVersion version, std::int64_t requestId,
                                        const PrinterInterview::Request& request)
{
    SnmpMessage message;
    message.version = version;
    message.community = kCommunity;
    message.type = request.type;
    message.requestId = requestId;
    for (const Oid& name : request.names) {
        VarBind binding;
        binding.name = name;
        message.varbinds.push_back(std::move(binding));
    }
    return EncodeMessage(message);
}

// A notice to a pipe whose reader has gone must fail with EPIPE on this thread, not end the process.
void BlockPipeSignal()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

} // namespace

std::unique_ptr<ProbeRun> ProbeRun::Create(std::vector<ProbeTarget> targets, std::chrono::seconds timeout,
                                           NoticeChannel channel, ResultQueue& results)
{
    std::optional<UdpSocket> socket = UdpSocket::Open();
    platform::FileDescriptor wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!socket || !wake.valid())
        return nullptr;
    return std::make_unique<ProbeRun>(std::move(targets), timeout, std::move(*socket), std::move(wake),
                                      std::move(channel), results);
}

ProbeRun::ProbeRun(std::vector<ProbeTarget> targets, std::chrono::seconds timeout, UdpSocket socket, platform::FileDescriptor wake,
                   NoticeChannel channel, ResultQueue& results)
    : m_targets(std::move(targets))
    , m_timeout(timeout)
    , m_socket(std::move(socket))
    , m_wake(std::move(wake))
    , m_channel(std::move(channel))
    , m_results(results)
    , m_firstRequestId(RandomFirstRequestId())
    , m_nextFollowUpId(m_firstRequestId + 2 * static_cast<std::int64_t>(m_targets.size()))
    , m_pacer(kSweepBurst, kSweepPerSecond, Clock::now())
    , m_receiveBuffer(kLargestReply)
{
}

void ProbeRun::Run(std::stop_token stop) noexcept
{
    BlockPipeSignal();
    try {
        Probe(stop);
    } catch (...) {
        // Out of memory: the probe ends with what it found.
        m_ended = true;
        m_channel.AddEnd();
        m_channel.Flush();
    }
}

void ProbeRun::Probe(const std::stop_token& stop)
{
    const std::stop_callback wakeOnStop(stop, [this] { Wake(); });
    while (!stop.stop_requested()) {
        const Clock::time_point now = Clock::now();
        SendSweep(now);
        ResendOrGiveUp(now);
        if (m_sweepDone && (now >= m_deadline || m_targets.empty() || EveryTargetAnswered()))
            break;
        WaitAndReceive(NextEvent(now));
    }
    if (stop.stop_requested())
        return;
    ConcludeAll();
    m_ended = true;
    m_channel.AddEnd();
    while (!stop.stop_requested() && !m_channel.Flush())
        WaitAndReceive(Clock::now() + std::chrono::seconds(1));
}

void ProbeRun::SendSweep(Clock::time_point now)
{
    const std::size_t total = 2 * m_targets.size();
    while (m_nextSweep < total && now >= m_sweepRetryAt && m_pacer.Take(now)) {
        const ProbeTarget& target = m_targets[m_nextSweep / 2];
        const SnmpVersion version = m_nextSweep % 2 == 0 ? SnmpVersion::V2c : SnmpVersion::V1;
        const std::vector<std::uint8_t> packet = EncodeRequest(
            version, m_firstRequestId + static_cast<std::int64_t>(m_nextSweep), PrinterInterview::SweepRequest());
        if (m_socket.Send(packet, target.address, kSnmpPort, target.interfaceIndex, target.interfaceAddress) ==
            UdpSocket::SendResult::Busy) {
            m_sweepRetryAt = now + kBusyRetry;
            break;
        }
        ++m_nextSweep;
    }
    if (m_nextSweep == total && !m_sweepDone) {
        m_sweepDone = true;
        m_deadline = now + m_timeout;
    }
}

void ProbeRun::ResendOrGiveUp(Clock::time_point now)
{
    for (auto& [address, responder] : m_responders) {
        if (responder.interview.finished() || now < responder.resendAt)
            continue;
        if (responder.attempts < kAttempts) {
            Transmit(responder, now);
            continue;
        }
        m_followUps.erase(responder.requestId);
        responder.interview.TakeSilence();
        Continue(responder, now);
    }
}

void ProbeRun::WaitAndReceive(Clock::time_point until)
{
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
    const int timeout = static_cast<int>(std::clamp<std::int64_t>(wait.count(), 0, 1000));
    pollfd fds[3] = {{m_socket.fd(), POLLIN, 0}, {m_wake.get(), POLLIN, 0}, {m_channel.fd(), 0, 0}};
    const bool notices = m_channel.pending();
    if (notices)
        fds[2].events = POLLOUT;
    if (::poll(fds, notices ? 3 : 2, timeout) <= 0)
        return;
    if ((fds[1].revents & POLLIN) != 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t ignored = ::read(m_wake.get(), &count, sizeof count);
    }
    if (notices && fds[2].revents != 0)
        m_channel.Flush();
    if ((fds[0].revents & POLLIN) != 0)
        ReceiveWaiting();
}

void ProbeRun::ReceiveWaiting()
{
    for (int i = 0; i < kReceiveBatch; ++i) {
        const std::optional<UdpSocket::Datagram> datagram = m_socket.Receive(m_receiveBuffer);
        if (!datagram)
            return;
        if (datagram->size <= m_receiveBuffer.size())
            TakeDatagram(*datagram, std::span(m_receiveBuffer).first(datagram->size));
    }
}

void ProbeRun::TakeDatagram(const UdpSocket::Datagram& datagram, std::span<const std::uint8_t> bytes)
{
    if (m_ended || datagram.sourcePort != kSnmpPort)
        return;
    const std::optional<SnmpMessage> reply = DecodeMessage(bytes);
    if (!reply || reply->type != PduType::Response || reply->community != kCommunity)
        return;
    const Clock::time_point now = Clock::now();
    if (const std::optional<SweepRequest> sweep = FindSweepRequest(reply->requestId)) {
        if (reply->version != sweep->version || !m_targets[sweep->target].MayAnswer(datagram.source) ||
            m_responders.contains(datagram.source))
            return;
        Responder& responder =
            m_responders
                .try_emplace(datagram.source, PrinterInterview(datagram.source, reply->version),
                             InterfaceName(datagram.interfaceIndex))
                .first->second;
        ++m_unfinished;
        responder.interview.TakeReply(*reply);
        Continue(responder, now);
        return;
    }
    const auto followUp = m_followUps.find(reply->requestId);
    if (followUp == m_followUps.end() || followUp->second != datagram.source)
        return;
    Responder& responder = m_responders.at(datagram.source);
    if (reply->version != responder.interview.version())
        return;
    m_followUps.erase(followUp);
    responder.interview.TakeReply(*reply);
    Continue(responder, now);
}

std::optional<ProbeRun::SweepRequest> ProbeRun::FindSweepRequest(std::int64_t requestId) const
{
    const std::int64_t index = requestId - m_firstRequestId;
    if (index < 0 || index >= 2 * static_cast<std::int64_t>(m_targets.size()))
        return std::nullopt;
    return SweepRequest{static_cast<std::size_t>(index / 2), index % 2 == 0 ? SnmpVersion::V2c : SnmpVersion::V1};
}

void ProbeRun::Continue(Responder& responder, Clock::time_point now)
{
    while (!responder.interview.finished()) {
        if (Ask(responder, now))
            return;
        responder.interview.TakeSilence();
    }
    Deliver(responder);
}

bool ProbeRun::Ask(Responder& responder, Clock::time_point now)
{
    responder.requestId = m_nextFollowUpId++;
    responder.packet = EncodeRequest(responder.interview.version(), responder.requestId, responder.interview.request());
    if (responder.packet.empty())
        return false;
    responder.attempts = 0;
    m_followUps.emplace(responder.requestId, responder.interview.address());
    Transmit(responder, now);
    return true;
}

void ProbeRun::Transmit(Responder& responder, Clock::time_point now)
{
    m_socket.Send(responder.packet, responder.interview.address(), kSnmpPort);
    ++responder.attempts;
    responder.resendAt = now + kResendInterval;
}

void ProbeRun::Deliver(Responder& responder)
{
    --m_unfinished;
    responder.packet = {};
    std::optional<DiscoveredPrinter> printer = responder.interview.result();
    if (!printer)
        return;
    printer->interfaceName = responder.interfaceName;
    if (!printer->macAddress.empty() && !m_reportedMacs.insert(printer->macAddress).second)
        return;
    m_results.Push(std::move(*printer));
    m_channel.AddResult();
    m_channel.Flush();
}

void ProbeRun::ConcludeAll()
{
    for (auto& [address, responder] : m_responders) {
        if (responder.interview.finished())
            continue;
        m_followUps.erase(responder.requestId);
        responder.interview.Conclude();
        Deliver(responder);
    }
}

bool ProbeRun::EveryTargetAnswered() const
{
    return m_unfinished == 0 && !m_targets.empty() && !m_targets.front().broadcast &&
           m_responders.size() == m_targets.size();
}

ProbeRun::Clock::time_point ProbeRun::NextEvent(Clock::time_point now)
{
    Clock::time_point next = m_sweepDone ? m_deadline : std::max(m_pacer.Next(now), m_sweepRetryAt);
    for (const auto& [address, responder] : m_responders) {
        if (!responder.interview.finished())
            next = std::min(next, responder.resendAt);
    }
    return next;
}

void ProbeRun::Wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(m_wake.get(), &one, sizeof one);
}

} // namespace pellora::halvane
