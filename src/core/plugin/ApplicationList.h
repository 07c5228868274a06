#pragma once

// The application-list plugin "TsAppInst.so": enumerates the applications installed on this machine.

#include "core/platform/SharedLibrary.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pellora {

// Layout of one result record of EnumApplicationInfoEx.
inline constexpr std::size_t kApplicationRecordSize = 1920;
inline constexpr std::size_t kApplicationRecordTextOffset = 260;  // NUL-terminated setup path
inline constexpr std::size_t kApplicationRecordKindOffset = 1040; // u32 kind of the record

using EnumApplicationInfoExSignature = int(uint32_t flags, const char* text, const char* const* known,
                                           uint32_t knownCount, uint32_t mode, void** block, uint32_t* recordCount,
                                           void* reserved1, uint32_t reserved2, void* reserved3);
using FreeApplicationInfoSignature = void(void* block);

// The plugin, loaded by full path from the program folder; unloaded with this object.
class ApplicationListLibrary {
public:
    explicit ApplicationListLibrary(const std::filesystem::path& programFolder);
    ApplicationListLibrary(const ApplicationListLibrary&) = delete;
    ApplicationListLibrary& operator=(const ApplicationListLibrary&) = delete;

    bool loaded() const { return m_enumerateEx.present() && m_free.present(); }

    // Appends the setup texts of the installed applications to list, skipping the record kinds
    // 1, 7, 2, 3 and 5. Adds nothing when the plugin is absent or reports a failure.
    void AppendInstalledApplications(std::vector<std::string>& list) const;

private:
    platform::SharedLibrary m_library;
    platform::EntryPoint<EnumApplicationInfoExSignature> m_enumerateEx;
    platform::EntryPoint<FreeApplicationInfoSignature> m_free;
};

} // namespace pellora
