#pragma once

// One probe on the library's thread: the sweep over one socket, the interviews of the agents that answer,
// the printers queued and announced as they are found.

#include "NoticeChannel.h"
#include "PrinterInterview.h"
#include "ProbeTargets.h"
#include "ResultQueue.h"
#include "SweepPacer.h"
#include "UdpSocket.h"
#include "core/platform/FileDescriptor.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pellora::halvane {

class ProbeRun {
public:
    using Clock = std::chrono::steady_clock;

    // Null when the socket or the wake-up descriptor cannot be made.
    static std::unique_ptr<ProbeRun> Create(std::vector<ProbeTarget> targets, std::chrono::seconds timeout,
                                            NoticeChannel channel, ResultQueue& results);

    // wake is an eventfd that Run watches to notice a stop request.
    ProbeRun(std::vector<ProbeTarget> targets, std::chrono::seconds timeout, UdpSocket socket, platform::FileDescriptor wake,
             NoticeChannel channel, ResultQueue& results);

    // The thread's body: returns once the end mark is written, or soon after stop is requested.
    void Run(std::stop_token stop) noexcept;

private:
    struct Responder {
        Responder(PrinterInterview interview, std::string interfaceName)
            : interview(std::move(interview)), interfaceName(std::move(interfaceName))
        {
        }

        PrinterInterview interview;
        std::string interfaceName;
        std::int64_t requestId = 0;
        std::vector<std::uint8_t> packet;
        int attempts = 0;
        Clock::time_point resendAt;
    };
    struct SweepRequest {
        std::size_t target = 0;
        SnmpVersion version = SnmpVersion::V2c;
    };

    void Probe(const std::stop_token& stop);
    void SendSweep(Clock::time_point now);
    void ResendOrGiveUp(Clock::time_point now);
    void WaitAndReceive(Clock::time_point until);
    void ReceiveWaiting();
    void TakeDatagram(const UdpSocket::Datagram& datagram, std::span<const std::uint8_t> bytes);
    std::optional<SweepRequest> FindSweepRequest(std::int64_t requestId) const;
    void Continue(Responder& responder, Clock::time_point now);
    bool Ask(Responder& responder, Clock::time_point now);
    void Transmit(Responder& responder, Clock::time_point now);
    void Deliver(Responder& responder);
    void ConcludeAll();
    bool EveryTargetAnswered() const;
    Clock::time_point NextEvent(Clock::time_point now);
    void Wake();

    const std::vector<ProbeTarget> m_targets;
    const std::chrono::seconds m_timeout;
    const UdpSocket m_socket;
    const platform::FileDescriptor m_wake;
    NoticeChannel m_channel;
    ResultQueue& m_results;

    const std::int64_t m_firstRequestId;
    std::int64_t m_nextFollowUpId;
    SweepPacer m_pacer;
    std::size_t m_nextSweep = 0;
    Clock::time_point m_sweepRetryAt;
    bool m_sweepDone = false;
    Clock::time_point m_deadline;
    bool m_ended = false;

    std::unordered_map<std::uint32_t, Responder> m_responders;  // by address, finished ones too
    std::unordered_map<std::int64_t, std::uint32_t> m_followUps; // request id to responder address
    std::size_t m_unfinished = 0;
    std::unordered_set<std::string> m_reportedMacs;
    std::vector<std::uint8_t> m_receiveBuffer;
};

} // namespace pellora::halvane
