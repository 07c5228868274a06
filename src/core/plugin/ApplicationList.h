#pragma once

// The application-list plugin "TsAppInst.so": the utilities kept beside the program, for the script reader
// and the utility dialog.

#include "core/platform/SharedLibrary.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pellora {

// The entry points with the records as opaque blocks; their layout is the plugin's header's.
using EnumApplicationInfoSignature = int(uint32_t flags, const char* folder, const char* const* models,
                                         uint32_t modelCount, uint32_t option, void** records, uint32_t* recordCount,
                                         void* progress, uint32_t reserved, void* context);
using EnumApplicationInfoExSignature = EnumApplicationInfoSignature;
using FreeApplicationInfoSignature = void(void* records);

// One utility of the list, copied out of the plugin's record.
struct ApplicationEntry {
    std::string name;
    std::string identifier; // the identifying text: the full path of its setup file
    std::uint32_t kind = 0;
    std::string version;
    std::uint32_t osMask = 0;
    std::uint16_t platform = 0;
    bool hasModelList = false;
    std::vector<std::string> models;
};

// Whether the program's utility lists offer a record of this kind: the components of kinds 1, 2, 3, 5
// and 7 are installed through switches of their own.
bool IsListedApplicationKind(std::uint32_t kind);

// The plugin, loaded by full path from the program folder; unloaded with this object.
class ApplicationListLibrary {
public:
    explicit ApplicationListLibrary(const std::filesystem::path& programFolder);
    ApplicationListLibrary(const ApplicationListLibrary&) = delete;
    ApplicationListLibrary& operator=(const ApplicationListLibrary&) = delete;

    bool loaded() const { return m_enumerate.present() && m_enumerateEx.present() && m_free.present(); }

    // Appends the setup texts of the installed applications to list, skipping components. Adds nothing
    // when the plugin is absent or reports a failure.
    void AppendInstalledApplications(std::vector<std::string>& list) const;
    // The utilities that serve one of the models (every utility when models is empty), components left
    // out, in the plugin's order. Nothing when the plugin is absent, reports a failure or lists none;
    // whatever block it hands back is freed.
    std::vector<ApplicationEntry> ListApplications(const std::vector<std::string>& models, std::uint32_t option) const;

private:
    platform::SharedLibrary m_library;
    platform::EntryPoint<EnumApplicationInfoSignature> m_enumerate;
    platform::EntryPoint<EnumApplicationInfoExSignature> m_enumerateEx;
    platform::EntryPoint<FreeApplicationInfoSignature> m_free;
};

} // namespace pellora
