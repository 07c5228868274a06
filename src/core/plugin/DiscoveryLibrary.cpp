#include "core/plugin/DiscoveryLibrary.h"

#include "halvane/HalvaneWrapper.h"

#include <arpa/inet.h>

namespace pellora {

static_assert(DiscoveryLibrary::kNoticeEnd == HALVANE_NOTICE_END, "the loader and the library must agree on the end mark");
static_assert(DiscoveryLibrary::kLocalSegment == HALVANE_RANGE_LOCAL_SEGMENT && DiscoveryLibrary::kNetwork == HALVANE_RANGE_NETWORK,
              "the loader and the library must agree on the range kinds");

namespace {

// A result larger than this is not taken from the library.
constexpr std::uint32_t kMaxResultBytes = 1u << 20;

} // namespace

DiscoveryLibrary::DiscoveryLibrary(const std::filesystem::path& programFolder)
    : m_library(platform::SharedLibrary::InFolder(programFolder, kFileName))
    , m_delete(m_library.Entry<int(Object)>("DeleteHalvaneWrapper"))
    , m_setTimeout(m_library.Entry<int(Object, int)>("SetTimeout"))
    , m_setRange(m_library.Entry<int(Object, int, int, const std::uint32_t*, const std::uint32_t*, int)>("SetProbeRange"))
    , m_probe(m_library.Entry<int(Object, int)>("Probe"))
    , m_getResult(m_library.Entry<int(Object, void*, std::uint32_t*)>("GetProbeResultA"))
{
    // Without its creator the library offers nothing: the object stays absent and every call a no-op.
    m_object = m_library.Entry<Object(void)>("CreateHalvaneWrapper")();
}

DiscoveryLibrary::~DiscoveryLibrary()
{
    if (m_object)
        m_delete(m_object);
}

bool DiscoveryLibrary::SetTimeout(int seconds) const
{
    return m_object && m_setTimeout(m_object, seconds) != 0;
}

bool DiscoveryLibrary::SetLocalSegment() const
{
    return m_object && m_setRange(m_object, kLocalSegment, 0, nullptr, nullptr, 0) != 0;
}

bool DiscoveryLibrary::SetNetwork(std::uint32_t address, std::uint32_t mask) const
{
    const std::uint32_t networkAddress = htonl(address);
    const std::uint32_t networkMask = htonl(mask);
    return m_object && m_setRange(m_object, kNetwork, 1, &networkAddress, &networkMask, 0) != 0;
}

bool DiscoveryLibrary::Probe(int noticeFd) const
{
    return m_object && m_probe(m_object, noticeFd) != 0;
}

std::optional<std::vector<std::uint8_t>> DiscoveryLibrary::TakeResult() const
{
    if (!m_object)
        return std::nullopt;
    std::uint32_t size = 0;
    m_getResult(m_object, nullptr, &size);
    if (size == 0 || size > kMaxResultBytes)
        return std::nullopt;
    std::vector<std::uint8_t> block(size);
    std::uint32_t written = size;
    if (m_getResult(m_object, block.data(), &written) == 0 || written > size)
        return std::vector<std::uint8_t>{};
    block.resize(written);
    return block;
}

} // namespace pellora
