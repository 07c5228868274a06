#include "core/discovery/OsTags.h"

#include <string_view>

namespace pellora {

namespace {

struct OsTag {
    std::uint32_t bit;
    const char* tag;
    bool has64BitEdition;
};

constexpr OsTag kOsTags[] = {
    { 0x0001, ",95", false },     { 0x0002, ",98", false },       { 0x0004, ",Me", false },
    { 0x0010, ",NT", false },     { 0x0100, ",2000", false },     { 0x0200, ",XP", true },
    { 0x0400, ",2003", true },    { 0x1000, ",VISTA", true },     { 0x2000, ",2008", true },
    { 0x4000, ",Windows7", true }, { 0x8000, ",2008R2", true },
};

constexpr std::string_view kMakerPrefix = "VARDO ";

} // namespace

std::string FormatOsTags(std::uint32_t mask, std::uint16_t editionFlags)
{
    std::string text;
    for (const OsTag& row : kOsTags) {
        if ((mask & row.bit) == 0)
            continue;
        if (!row.has64BitEdition) {
            text += row.tag;
            continue;
        }
        if (editionFlags & kEdition32)
            text += row.tag;
        if (editionFlags & kEdition64Mask) {
            text += row.tag;
            text += "(x64)";
        }
    }
    if (!text.empty())
        text.erase(0, 1);
    return text;
}

std::string FormatModelList(bool hasModelList, const std::vector<std::string>& models)
{
    if (!hasModelList)
        return {};
    std::string text;
    for (const std::string& model : models) {
        std::string_view name = model;
        if (name.substr(0, kMakerPrefix.size()) == kMakerPrefix)
            name.remove_prefix(kMakerPrefix.size());
        text += ',';
        text += name;
    }
    if (!text.empty())
        text.erase(0, 1);
    return text;
}

} // namespace pellora
