#include "core/plugin/ApplicationList.h"

#include "tsappinst/TsAppInst.h"

#include <cstring>
#include <functional>
#include <memory>

namespace pellora {

namespace {

template <std::size_t Size>
std::string fieldText(const char (&field)[Size])
{
    return std::string(field, strnlen(field, Size));
}

std::vector<std::string> modelNames(const APP_INFO& record)
{
    std::vector<std::string> names;
    if (!record.hasModelList || record.models == nullptr || record.models->names == nullptr)
        return names;
    const char* name = record.models->names;
    for (uint32_t i = 0; i < record.models->count && *name != '\0'; ++i) {
        names.emplace_back(name);
        name += names.back().size() + 1;
    }
    return names;
}

// Runs an enumeration and hands each listed record to take; the block is freed however the call ends.
void enumerate(const std::function<int(void**, uint32_t*)>& call,
               const platform::EntryPoint<FreeApplicationInfoSignature>& free,
               const std::function<void(const APP_INFO&)>& take)
{
    void* block = nullptr;
    uint32_t count = 0;
    const int result = call(&block, &count);
    const auto release = [&free](void* records) { free(records); };
    const std::unique_ptr<void, decltype(release)> owner(block, release);
    if (result != TSAPP_OK || count == 0 || block == nullptr)
        return;
    const auto* records = static_cast<const APP_INFO*>(block);
    for (uint32_t i = 0; i < count; ++i) {
        if (IsListedApplicationKind(records[i].kind))
            take(records[i]);
    }
}

std::vector<const char*> textPointers(const std::vector<std::string>& texts)
{
    std::vector<const char*> pointers;
    pointers.reserve(texts.size());
    for (const auto& text : texts)
        pointers.push_back(text.c_str());
    return pointers;
}

} // namespace

bool IsListedApplicationKind(std::uint32_t kind)
{
    switch (kind) {
    case TSAPP_KIND_DRIVER:
    case TSAPP_KIND_PORT:
    case TSAPP_KIND_STATUS_MONITOR:
    case TSAPP_KIND_LOG_BROWSER:
    case TSAPP_KIND_NETWORK_SCAN:
        return false;
    default:
        return true;
    }
}

ApplicationListLibrary::ApplicationListLibrary(const std::filesystem::path& programFolder)
    : m_library(platform::SharedLibrary::InFolder(programFolder, "TsAppInst.so"))
    , m_enumerate(m_library.Entry<EnumApplicationInfoSignature>(TSAPP_ENUM_ENTRY_POINT))
    , m_enumerateEx(m_library.Entry<EnumApplicationInfoExSignature>(TSAPP_ENUM_EX_ENTRY_POINT))
    , m_free(m_library.Entry<FreeApplicationInfoSignature>(TSAPP_FREE_ENTRY_POINT))
{
}

void ApplicationListLibrary::AppendInstalledApplications(std::vector<std::string>& list) const
{
    if (!loaded())
        return;
    const std::vector<const char*> known = textPointers(list);
    std::vector<std::string> found;
    enumerate(
        [&](void** block, uint32_t* count) {
            return m_enumerateEx(0, nullptr, known.data(), static_cast<uint32_t>(known.size()),
                                 TSAPP_OPTION_PRESENT_ONLY, block, count, nullptr, 0, nullptr);
        },
        m_free, [&found](const APP_INFO& record) { found.push_back(fieldText(record.setupPath)); });
    list.insert(list.end(), found.begin(), found.end());
}

std::vector<ApplicationEntry> ApplicationListLibrary::ListApplications(const std::vector<std::string>& models,
                                                                       std::uint32_t option) const
{
    std::vector<ApplicationEntry> entries;
    if (!loaded())
        return entries;
    const std::vector<const char*> filter = textPointers(models);
    enumerate(
        [&](void** block, uint32_t* count) {
            return m_enumerate(0, nullptr, filter.data(), static_cast<uint32_t>(filter.size()), option, block, count,
                               nullptr, 0, nullptr);
        },
        m_free, [&entries](const APP_INFO& record) {
            entries.push_back({fieldText(record.name), fieldText(record.setupPath), record.kind,
                               fieldText(record.version), record.osMask, record.platform, record.hasModelList != 0,
                               modelNames(record)});
        });
    return entries;
}

} // namespace pellora
