#include "UtilitySelection.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace pellora::tsappinst {

namespace {

constexpr std::string_view kMakerPrefix = "VARDO ";

std::string LowerAscii(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

std::string ComparableModel(std::string_view model)
{
    if (model.starts_with(kMakerPrefix))
        model.remove_prefix(kMakerPrefix.size());
    return LowerAscii(model);
}

bool Contains(const std::vector<std::string>& list, const std::string& text)
{
    return std::find(list.begin(), list.end(), text) != list.end();
}

} // namespace

void UtilitySelection::RequireOneOfModels(const char* const* models, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        if (models[i])
            m_models.push_back(ComparableModel(models[i]));
    }
}

void UtilitySelection::LeaveOutKnown(const char* const* texts, std::uint32_t count)
{
    for (std::uint32_t i = 0; i < count; ++i) {
        if (texts[i])
            m_known.push_back(LowerAscii(texts[i]));
    }
}

bool UtilitySelection::Accepts(const FoundUtility& utility) const
{
    if (!ServesWantedModel(utility.manifest))
        return false;
    if (!m_known.empty() && Contains(m_known, LowerAscii(utility.setupPath)))
        return false;
    std::error_code error;
    return !m_presentOnly || std::filesystem::is_regular_file(utility.setupPath, error);
}

bool UtilitySelection::ServesWantedModel(const AppManifest& manifest) const
{
    if (m_models.empty() || manifest.models.empty())
        return true;
    return std::any_of(manifest.models.begin(), manifest.models.end(),
                       [this](const std::string& model) { return Contains(m_models, ComparableModel(model)); });
}

} // namespace pellora::tsappinst
