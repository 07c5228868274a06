#pragma once

// Decides which of the utilities found an enumeration hands out: model filter, known texts, presence.

#include "ApplicationBlock.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pellora::tsappinst {

class UtilitySelection {
public:
    // Only utilities without a model list, or whose list names one of models (ignoring ASCII case and a
    // leading "VARDO " on either side); no models: no such condition. Null entries are ignored.
    void RequireOneOfModels(const char* const* models, std::uint32_t count);
    // Leaves out utilities whose identifying text equals one of texts, ignoring ASCII case.
    void LeaveOutKnown(const char* const* texts, std::uint32_t count);
    // Leaves out utilities whose setup file is not an existing file.
    void RequirePresentSetup() { m_presentOnly = true; }

    bool Accepts(const FoundUtility& utility) const;

private:
    bool ServesWantedModel(const AppManifest& manifest) const;

    std::vector<std::string> m_models; // comparable forms
    std::vector<std::string> m_known;  // lower-case forms
    bool m_presentOnly = false;
};

} // namespace pellora::tsappinst
