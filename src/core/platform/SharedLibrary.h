#pragma once

// A run-time library of the program folder, loaded by its full path and unloaded when this goes, with
// typed lookup of its C entry points.

#include "core/platform/Status.h"

#include <filesystem>
#include <string_view>
#include <type_traits>
#include <utility>

namespace pellora::platform {

// An entry point of a library; calling one that the library lacks does nothing and gives 0.
template <typename Signature>
class EntryPoint;

template <typename Result, typename... Args>
class EntryPoint<Result(Args...)> {
public:
    using Function = Result (*)(Args...);

    EntryPoint() = default;
    explicit EntryPoint(Function function) : m_function(function) {}

    bool present() const { return m_function != nullptr; }
    Result operator()(Args... args) const
    {
        if (m_function == nullptr) {
            if constexpr (std::is_void_v<Result>)
                return;
            else
                return Result{};
        }
        return m_function(args...);
    }

private:
    Function m_function = nullptr;
};

class SharedLibrary {
public:
    SharedLibrary() = default;
    // Loads the file at path, which must be absolute: the library search path is never used. The
    // symbols are resolved at once and kept to the library.
    explicit SharedLibrary(const std::filesystem::path& path);
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // The absolute path of fileName in folder (a relative folder is taken from the working folder).
    static std::filesystem::path InFolder(const std::filesystem::path& folder, std::string_view fileName);

    bool loaded() const { return m_handle != nullptr; }
    // Why loading failed, in the loader's words; ok when the library is loaded.
    const Status& status() const { return m_status; }
    const std::filesystem::path& path() const { return m_path; }

    // The address of a symbol, or null when the library is not loaded or lacks it.
    void* Symbol(const char* name) const;

    template <typename Signature>
    EntryPoint<Signature> Entry(const char* name) const
    {
        return EntryPoint<Signature>(reinterpret_cast<typename EntryPoint<Signature>::Function>(Symbol(name)));
    }

private:
    void unload() noexcept;

    void* m_handle = nullptr;
    std::filesystem::path m_path;
    Status m_status;
};

} // namespace pellora::platform
