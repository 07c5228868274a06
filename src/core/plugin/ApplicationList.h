#pragma once

// The application-list plugin "TsAppInst.so": the utilities kept beside the program, for the script reader.

#include "core/platform/SharedLibrary.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pellora {

// The entry points with the records as opaque blocks; their layout is the plugin's header's.
using EnumApplicationInfoExSignature = int(uint32_t flags, const char* folder, const char* const* known,
                                           uint32_t knownCount, uint32_t option, void** records, uint32_t* recordCount,
                                           void* progress, uint32_t reserved, void* context);
using FreeApplicationInfoSignature = void(void* records);

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
