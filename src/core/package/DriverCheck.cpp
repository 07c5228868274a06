#include "core/package/DriverCheck.h"

#include "core/package/Support.h"
#include "davorudi/DavorUdi.h"

#include <dlfcn.h>

#include <type_traits>
#include <utility>

namespace pellora {

static_assert(std::is_same_v<DriverCheckLibrary::Function, DavorUdiFunction>,
              "the loader and the library must agree on the entry point");

DriverCheckLibrary::DriverCheckLibrary()
{
    Load(GetModuleFolder());
}

DriverCheckLibrary::DriverCheckLibrary(const std::filesystem::path& programFolder)
{
    Load(programFolder);
}

DriverCheckLibrary::~DriverCheckLibrary()
{
    Unload();
}

DriverCheckLibrary::DriverCheckLibrary(DriverCheckLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)),
      m_function(std::exchange(other.m_function, nullptr)),
      m_error(std::move(other.m_error))
{
}

DriverCheckLibrary& DriverCheckLibrary::operator=(DriverCheckLibrary&& other) noexcept
{
    if (this != &other) {
        Unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_function = std::exchange(other.m_function, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

void DriverCheckLibrary::Load(const std::filesystem::path& programFolder)
{
    std::error_code error;
    // An absolute path keeps dlopen from searching when the folder is empty or relative.
    const std::filesystem::path file = std::filesystem::absolute(programFolder / kFileName, error);
    if (error) {
        m_error = error.message();
        return;
    }
    m_handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* text = dlerror();
        m_error = text != nullptr ? text : "cannot load " + file.string();
        return;
    }
    dlerror();
    void* symbol = dlsym(m_handle, kEntryPoint);
    if (symbol == nullptr) {
        const char* text = dlerror();
        m_error = text != nullptr ? text : std::string(kEntryPoint) + " not found in " + file.string();
        Unload();
        return;
    }
    m_function = reinterpret_cast<Function>(symbol);
    m_error.clear();
}

void DriverCheckLibrary::Unload() noexcept
{
    m_function = nullptr;
    if (m_handle != nullptr)
        dlclose(m_handle);
    m_handle = nullptr;
}

std::optional<int> DriverCheckLibrary::Check(const std::string& model, const std::string& folder,
                                             const std::string& bsfPath) const
{
    if (m_function == nullptr)
        return std::nullopt;
    return m_function(model.c_str(), folder.c_str(), bsfPath.c_str());
}

std::string DriverCheckLibrary::ModelArgument(std::string_view modelName)
{
    if (modelName.starts_with(kMakerPrefix))
        return std::string(modelName);
    return std::string(kMakerPrefix) + std::string(modelName);
}

} // namespace pellora
