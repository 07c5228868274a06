#include "core/plugin/ApplicationList.h"

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
    const int result = m_enumerateEx(0, nullptr, known.data(), static_cast<uint32_t>(known.size()), 1, &block,
                                     &count, nullptr, 0, nullptr);
    const auto release = [this](void* p) { if (p) m_free(p); };
    const std::unique_ptr<void, decltype(release)> owner(block, release);
    if (result != 0 || count == 0 || !block)
        return;

    const auto* bytes = static_cast<const unsigned char*>(block);
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char* record = bytes + std::size_t{i} * kApplicationRecordSize;
        uint32_t kind = 0;
        std::memcpy(&kind, record + kApplicationRecordKindOffset, sizeof kind);
        if (kind == 1 || kind == 7 || kind == 2 || kind == 3 || kind == 5)
            continue;
        const char* text = reinterpret_cast<const char*>(record + kApplicationRecordTextOffset);
        list.emplace_back(text, strnlen(text, kApplicationRecordKindOffset - kApplicationRecordTextOffset));
    }
}

} // namespace pellora
