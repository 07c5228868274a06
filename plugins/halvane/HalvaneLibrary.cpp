// dlopen by full path, the six entry points, and copying result blocks.

#include "HalvaneLibrary.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include <arpa/inet.h>
#include <dlfcn.h>

namespace pellora::halvane {

namespace {

std::string Text(const char* text)
{
    return text != nullptr ? text : "";
}

template <typename Function>
bool Resolve(void* module, const char* name, Function& function, std::string& error)
{
    function = reinterpret_cast<Function>(::dlsym(module, name));
    if (function == nullptr)
        error = std::string("missing entry point ") + name;
    return function != nullptr;
}

} // namespace

ProbeRecord ReadProbeResult(const ProbeResult& result)
{
    char address[16];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", result.ipAddress[0], result.ipAddress[1],
                  result.ipAddress[2], result.ipAddress[3]);
    return ProbeRecord{Text(result.modelName), Text(result.macAddress), address,
                       Text(result.deviceId),  Text(result.freeText),   Text(result.interfaceName)};
}

HalvaneLibrary::HalvaneLibrary(const std::filesystem::path& file)
{
    if (!file.is_absolute()) {
        m_error = "not a full path: " + file.string();
        return;
    }
    m_module = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_module == nullptr) {
        const char* error = ::dlerror();
        m_error = error != nullptr ? error : "cannot load " + file.string();
        return;
    }
    if (!Resolve(m_module, "CreateHalvaneWrapper", m_entries.create, m_error) ||
        !Resolve(m_module, "DeleteHalvaneWrapper", m_entries.destroy, m_error) ||
        !Resolve(m_module, "SetTimeout", m_entries.setTimeout, m_error) ||
        !Resolve(m_module, "SetProbeRange", m_entries.setProbeRange, m_error) ||
        !Resolve(m_module, "Probe", m_entries.probe, m_error) ||
        !Resolve(m_module, "GetProbeResultA", m_entries.getProbeResult, m_error))
        return;
    m_object = m_entries.create();
    if (m_object == nullptr)
        m_error = "CreateHalvaneWrapper returned no object";
}

HalvaneLibrary::~HalvaneLibrary()
{
    if (m_object != nullptr)
        m_entries.destroy(m_object);
    if (m_module != nullptr)
        ::dlclose(m_module);
}

bool HalvaneLibrary::SetTimeout(int seconds) const
{
    return IsLoaded() && m_entries.setTimeout(m_object, seconds) != 0;
}

bool HalvaneLibrary::SetLocalSegment() const
{
    return IsLoaded() && m_entries.setProbeRange(m_object, HALVANE_RANGE_LOCAL_SEGMENT, 0, nullptr, nullptr, 0) != 0;
}

bool HalvaneLibrary::SetNetwork(const std::string& address, const std::string& mask) const
{
    in_addr networkAddress{};
    in_addr networkMask{};
    if (!IsLoaded() || ::inet_pton(AF_INET, address.c_str(), &networkAddress) != 1 ||
        ::inet_pton(AF_INET, mask.c_str(), &networkMask) != 1)
        return false;
    const std::uint32_t addresses[] = {networkAddress.s_addr};
    const std::uint32_t masks[] = {networkMask.s_addr};
    return m_entries.setProbeRange(m_object, HALVANE_RANGE_NETWORK, 1, addresses, masks, 0) != 0;
}

bool HalvaneLibrary::Probe(int noticeFd) const
{
    return IsLoaded() && m_entries.probe(m_object, noticeFd) != 0;
}

std::optional<ProbeRecord> HalvaneLibrary::Fetch() const
{
    std::uint32_t size = 0;
    if (!IsLoaded() || m_entries.getProbeResult(m_object, nullptr, &size) == 0 || size < sizeof(ProbeResult))
        return std::nullopt;
    const auto block = std::make_unique<std::uint8_t[]>(size);
    if (m_entries.getProbeResult(m_object, block.get(), &size) == 0)
        return std::nullopt;
    ProbeResult result;
    std::memcpy(&result, block.get(), sizeof result);
    return ReadProbeResult(result);
}

} // namespace pellora::halvane
