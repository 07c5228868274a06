#pragma once

// Short texts for the operating systems and printer models a utility supports.

#include <cstdint>
#include <string>
#include <vector>

namespace pellora {

// Edition flags of a utility.
inline constexpr std::uint16_t kEdition32 = 0x1;
inline constexpr std::uint16_t kEdition64Mask = 0x2 | 0x4;

// Comma-separated tags of the systems in mask, e.g. "2000,XP,XP(x64)".
std::string FormatOsTags(std::uint32_t mask, std::uint16_t editionFlags);
// The models joined by commas, each without a leading "VARDO "; empty when there is no model list.
std::string FormatModelList(bool hasModelList, const std::vector<std::string>& models);

} // namespace pellora
