#pragma once

// Loads the driver package check library from the program folder and calls its entry point DavorUdi.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace pellora {

class DriverCheckLibrary {
public:
    // int DavorUdi(const char* model, const char* folder, const char* bsfPath); 0 accepts the driver folder.
    using Function = int (*)(const char* model, const char* folder, const char* bsfPath);

    static constexpr const char* kFileName = "DAVORUDI.so";
    static constexpr const char* kEntryPoint = "DavorUdi";
    static constexpr std::string_view kMakerPrefix = "VARDO ";

    // Loads kFileName from the program folder (GetModuleFolder()).
    DriverCheckLibrary();
    // Loads programFolder / kFileName: that file only, the library search path is never used.
    explicit DriverCheckLibrary(const std::filesystem::path& programFolder);
    ~DriverCheckLibrary();

    DriverCheckLibrary(const DriverCheckLibrary&) = delete;
    DriverCheckLibrary& operator=(const DriverCheckLibrary&) = delete;
    DriverCheckLibrary(DriverCheckLibrary&& other) noexcept;
    DriverCheckLibrary& operator=(DriverCheckLibrary&& other) noexcept;

    // True when the library is loaded and exports the entry point.
    bool IsLoaded() const { return m_function != nullptr; }
    // Why loading failed; empty after a successful load.
    const std::string& ErrorText() const { return m_error; }

    // Calls the entry point with the three texts as given; empty when the library is not loaded.
    std::optional<int> Check(const std::string& model, const std::string& folder, const std::string& bsfPath) const;

    // The model argument the check expects: modelName with kMakerPrefix put in front, unless its first six
    // characters already are exactly that prefix.
    static std::string ModelArgument(std::string_view modelName);

private:
    void Load(const std::filesystem::path& programFolder);
    void Unload() noexcept;

    void* m_handle = nullptr;
    Function m_function = nullptr;
    std::string m_error;
};

} // namespace pellora
