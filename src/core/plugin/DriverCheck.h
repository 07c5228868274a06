#pragma once

// The driver package check library "DAVORUDI.so" of the program folder and its entry point DavorUdi.

#include "core/platform/SharedLibrary.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellora {

class DriverCheckLibrary {
public:
    // int DavorUdi(const char* model, const char* folder, const char* bsfPath); 0 accepts the driver folder.
    using Signature = int(const char* model, const char* folder, const char* bsfPath);

    static constexpr const char* kFileName = "DAVORUDI.so";
    static constexpr const char* kEntryPoint = "DavorUdi";
    static constexpr std::string_view kMakerPrefix = "VARDO ";

    // Loads programFolder / kFileName (made absolute): that file only, the library search path is never used.
    explicit DriverCheckLibrary(const std::filesystem::path& programFolder);
    // A moved-from object holds no library.
    DriverCheckLibrary(DriverCheckLibrary&& other) noexcept;
    DriverCheckLibrary& operator=(DriverCheckLibrary&& other) noexcept;

    // True when the library is loaded and exports the entry point.
    bool IsLoaded() const { return m_check.present(); }
    // Why loading failed; ok after a successful load.
    const Status& status() const { return m_status; }

    // Calls the entry point with the three texts as given; empty when the library is not loaded.
    std::optional<int> Check(const std::string& model, const std::string& folder, const std::string& bsfPath) const;

    // The model argument the check expects: modelName with kMakerPrefix put in front, unless its first six
    // characters already are exactly that prefix.
    static std::string ModelArgument(std::string_view modelName);

private:
    platform::SharedLibrary m_library;
    platform::EntryPoint<Signature> m_check;
    Status m_status;
};

} // namespace pellora
