#include "ApplicationBlock.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

namespace pellora::tsappinst {

namespace {

// Shorter than the field, so that its NUL fits, and free of NULs that would cut it short.
bool FitsField(std::string_view text, std::size_t fieldBytes)
{
    return text.size() < fieldBytes && text.find('\0') == std::string_view::npos;
}

template <std::size_t N>
void CopyText(char (&field)[N], std::string_view text)
{
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N - 1);
}

// Bytes of a model-name list: each name with its NUL, then the empty name that ends the list.
std::size_t NamesBytes(const std::vector<std::string>& models)
{
    std::size_t bytes = 1;
    for (const auto& model : models)
        bytes += model.size() + 1;
    return bytes;
}

} // namespace

bool FitsRecord(const FoundUtility& utility)
{
    const AppManifest& manifest = utility.manifest;
    if (!FitsField(manifest.name, sizeof(APP_INFO::name)) || !FitsField(utility.setupPath, sizeof(APP_INFO::setupPath))
        || !FitsField(manifest.version, sizeof(APP_INFO::version)))
        return false;
    for (const auto& model : manifest.models) {
        if (model.empty() || model.find('\0') != std::string::npos)
            return false;
    }
    return manifest.models.size() <= UINT32_MAX;
}

ApplicationBlock BuildApplicationBlock(const std::vector<FoundUtility>& utilities)
{
    if (utilities.empty())
        return nullptr;
    std::size_t listCount = 0;
    std::size_t nameBytes = 0;
    for (const auto& utility : utilities) {
        if (!utility.manifest.models.empty()) {
            ++listCount;
            nameBytes += NamesBytes(utility.manifest.models);
        }
    }
    const std::size_t recordBytes = utilities.size() * sizeof(APP_INFO);
    const std::size_t listBytes = listCount * sizeof(APP_MODEL_LIST);
    ApplicationBlock block(static_cast<APP_INFO*>(std::calloc(recordBytes + listBytes + nameBytes, 1)));
    if (!block)
        throw std::bad_alloc();

    auto* const bytes = reinterpret_cast<unsigned char*>(block.get());
    auto* list = reinterpret_cast<APP_MODEL_LIST*>(bytes + recordBytes);
    char* names = reinterpret_cast<char*>(bytes + recordBytes + listBytes);
    APP_INFO* record = block.get();
    for (const auto& utility : utilities) {
        const AppManifest& manifest = utility.manifest;
        CopyText(record->name, manifest.name);
        CopyText(record->setupPath, utility.setupPath);
        record->kind = manifest.kind;
        CopyText(record->version, manifest.version);
        record->osMask = manifest.osMask;
        record->platform = manifest.platform;
        if (!manifest.models.empty()) {
            list->count = static_cast<std::uint32_t>(manifest.models.size());
            list->names = names;
            for (const auto& model : manifest.models) {
                std::memcpy(names, model.data(), model.size());
                names += model.size() + 1;
            }
            ++names;
            record->hasModelList = 1;
            record->models = list++;
        }
        ++record;
    }
    return block;
}

} // namespace pellora::tsappinst
