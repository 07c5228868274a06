#include "core/plugin/DriverCheck.h"

#include "davorudi/DavorUdi.h"

#include <type_traits>
#include <utility>

namespace pellora {

static_assert(std::is_same_v<platform::EntryPoint<DriverCheckLibrary::Signature>::Function, DavorUdiFunction>,
              "the loader and the library must agree on the entry point");

DriverCheckLibrary::DriverCheckLibrary(const std::filesystem::path& programFolder)
    : m_library(platform::SharedLibrary::InFolder(programFolder, kFileName))
    , m_check(m_library.Entry<Signature>(kEntryPoint))
    , m_status(m_library.status())
{
    if (m_library.loaded() && !m_check.present())
        m_status = Status::Failure(std::string(kEntryPoint) + " not found in " + m_library.path().string());
}

DriverCheckLibrary::DriverCheckLibrary(DriverCheckLibrary&& other) noexcept
    : m_library(std::move(other.m_library))
    , m_check(std::exchange(other.m_check, {}))
    , m_status(std::move(other.m_status))
{
}

DriverCheckLibrary& DriverCheckLibrary::operator=(DriverCheckLibrary&& other) noexcept
{
    m_check = std::exchange(other.m_check, {});
    m_library = std::move(other.m_library);
    m_status = std::move(other.m_status);
    return *this;
}

std::optional<int> DriverCheckLibrary::Check(const std::string& model, const std::string& folder,
                                             const std::string& bsfPath) const
{
    if (!IsLoaded())
        return std::nullopt;
    return m_check(model.c_str(), folder.c_str(), bsfPath.c_str());
}

std::string DriverCheckLibrary::ModelArgument(std::string_view modelName)
{
    if (modelName.starts_with(kMakerPrefix))
        return std::string(modelName);
    return std::string(kMakerPrefix) + std::string(modelName);
}

} // namespace pellora
