// Settings checks and the start and cancellation of probes.

#include "Discovery.h"

#include "HalvaneWrapper.h"

#include <algorithm>

#include <arpa/inet.h>

namespace pellora::halvane {

namespace {

constexpr int kShortestTimeout = 1;
constexpr int kLongestTimeout = 60;

} // namespace

Discovery::~Discovery()
{
    Cancel();
}

bool Discovery::SetTimeout(int seconds)
{
    m_timeout = std::chrono::seconds(std::clamp(seconds, kShortestTimeout, kLongestTimeout));
    return true;
}

bool Discovery::SetRange(int kind, int count, const std::uint32_t* addresses, const std::uint32_t* masks,
                         int reserved)
{
    m_range.reset();
    if (reserved != 0)
        return false;
    if (kind == HALVANE_RANGE_LOCAL_SEGMENT) {
        if (count != 0 || addresses != nullptr || masks != nullptr)
            return false;
        m_range = Range{true, {}};
        return true;
    }
    if (kind != HALVANE_RANGE_NETWORK || addresses == nullptr || masks == nullptr || count < 1 ||
        static_cast<std::size_t>(count) > kMostNetworks)
        return false;
    std::vector<Ipv4Network> networks;
    for (int i = 0; i < count; ++i)
        networks.push_back(Ipv4Network{ntohl(addresses[i]), ntohl(masks[i])});
    std::optional<std::vector<ProbeTarget>> targets = NetworkTargets(networks);
    if (!targets)
        return false;
    m_range = Range{false, std::move(*targets)};
    return true;
}

bool Discovery::Probe(int noticeFd)
{
    Cancel();
    m_results.Clear();
    if (!m_range)
        return false;
    std::optional<NoticeChannel> channel = NoticeChannel::Open(noticeFd);
    if (!channel)
        return false;
    std::vector<ProbeTarget> targets = m_range->localSegment ? LocalSegmentTargets() : m_range->networkTargets;
    m_run = ProbeRun::Create(std::move(targets), m_timeout, std::move(*channel), m_results);
    if (!m_run)
        return false;
    m_thread = std::jthread([run = m_run.get()](std::stop_token stop) { run->Run(std::move(stop)); });
    return true;
}

bool Discovery::FetchResult(void* buffer, std::uint32_t* size)
{
    return size != nullptr && m_results.Fetch(buffer, *size);
}

void Discovery::Cancel()
{
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
    m_run.reset();
}

} // namespace pellora::halvane
