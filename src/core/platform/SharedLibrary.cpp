#include "core/platform/SharedLibrary.h"

#include <dlfcn.h>

#include <cerrno>
#include <system_error>

namespace pellora::platform {

SharedLibrary::SharedLibrary(const std::filesystem::path& path)
    : m_path(path)
{
    if (!path.is_absolute()) {
        m_status = Status::Failure("not loaded: \"" + path.string() + "\" is no absolute path", EINVAL);
        return;
    }
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* text = ::dlerror();
        m_status = Status::Failure(text != nullptr ? text : "cannot load " + path.string());
    }
}

std::filesystem::path SharedLibrary::InFolder(const std::filesystem::path& folder, std::string_view fileName)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(folder / fileName, error);
    return error ? folder / fileName : path;
}

SharedLibrary::~SharedLibrary()
{
    unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr))
    , m_path(std::move(other.m_path))
    , m_status(std::move(other.m_status))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_path = std::move(other.m_path);
        m_status = std::move(other.m_status);
    }
    return *this;
}

void* SharedLibrary::Symbol(const char* name) const
{
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

void SharedLibrary::unload() noexcept
{
    if (m_handle != nullptr)
        ::dlclose(m_handle);
    m_handle = nullptr;
}

} // namespace pellora::platform
