#include "core/plugin/ApplicationList.h"

#include "tsappinst/TsAppInst.h"

#include <cstring>
#include <memory>

namespace pellora {

ApplicationListLibrary::ApplicationListLibrary(const std::filesystem::path& programFolder)
    : m_library(platform::SharedLibrary::InFolder(programFolder, "TsAppInst.so"))
    , m_enumerateEx(m_library.Entry<EnumApplicationInfoExSignature>("EnumApplicationInfoEx"))
    , m_free(m_library.Entry<FreeApplicationInfoSignature>("FreeApplicationInfo"))
{
}

void ApplicationListLibrary::AppendInstalledApplications(std::vector<std::string>& list) const
{
    if (!loaded())
        return;
    std::vector<const char*> known;
    known.reserve(list.size());
    for (const auto& text : list)
        known.push_back(text.c_str());

    void* block = nullptr;
    uint32_t count = 0;
    const int result = m_enumerateEx(0, nullptr, known.data(), static_cast<uint32_t>(known.size()),
                                     TSAPP_OPTION_PRESENT_ONLY, &block, &count, nullptr, 0, nullptr);
    const auto release = [this](void* records) { m_free(records); };
    const std::unique_ptr<void, decltype(release)> owner(block, release);
    if (result != TSAPP_OK || count == 0 || !block)
        return;

    const auto* records = static_cast<const APP_INFO*>(block);
    for (uint32_t i = 0; i < count; ++i) {
        const APP_INFO& record = records[i];
        // Components that the program installs through switches of its own.
        switch (record.kind) {
        case TSAPP_KIND_DRIVER:
        case TSAPP_KIND_PORT:
        case TSAPP_KIND_STATUS_MONITOR:
        case TSAPP_KIND_LOG_BROWSER:
        case TSAPP_KIND_NETWORK_SCAN:
            continue;
        default:
            break;
        }
        list.emplace_back(record.setupPath, strnlen(record.setupPath, sizeof record.setupPath));
    }
}

} // namespace pellora
