// Fuzzes the utility manifest reader: an accepted manifest fits its record, reads back from the record
// unchanged, and written out again parses to the same manifest.

#include "AppManifest.h"
#include "ApplicationBlock.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using pellora::tsappinst::AppManifest;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string Written(const AppManifest& manifest)
{
    std::string models;
    for (const auto& model : manifest.models)
        models += (models.empty() ? "" : ";") + model;
    return "[Utility]\nName=" + Quoted(manifest.name) + "\nSetup=" + Quoted(manifest.setup)
        + "\nKind=" + std::to_string(manifest.kind) + "\nVersion=" + Quoted(manifest.version)
        + "\nOS=" + std::to_string(manifest.osMask) + "\nPlatform=" + std::to_string(manifest.platform)
        + "\nModels=" + Quoted(models) + "\n";
}

void CheckRecord(const AppManifest& manifest)
{
    pellora::tsappinst::FoundUtility utility { manifest, "/u/" + manifest.setup };
    if (!pellora::tsappinst::FitsRecord(utility)) {
        Require(utility.setupPath.size() >= sizeof(APP_INFO::setupPath));
        return;
    }
    const pellora::tsappinst::ApplicationBlock block = pellora::tsappinst::BuildApplicationBlock({ utility });
    const APP_INFO& record = *block;
    Require(record.name == manifest.name && record.setupPath == utility.setupPath && record.version == manifest.version);
    Require(record.kind == manifest.kind && record.osMask == manifest.osMask && record.platform == manifest.platform);
    Require(record.hasModelList == (manifest.models.empty() ? 0u : 1u));
    if (!record.hasModelList) {
        Require(record.models == nullptr);
        return;
    }
    Require(record.models->count == manifest.models.size());
    const char* name = record.models->names;
    for (const auto& model : manifest.models) {
        Require(name == model);
        name += std::strlen(name) + 1;
    }
    Require(*name == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto manifest = pellora::tsappinst::ParseAppManifest(text);
    if (!manifest)
        return 0;
    Require(!manifest->name.empty() && !manifest->setup.empty());
    Require(manifest->setup.front() != '/' && manifest->setup.find('\\') == std::string::npos);
    CheckRecord(*manifest);

    const auto again = pellora::tsappinst::ParseAppManifest(Written(*manifest));
    Require(again && *again == *manifest);
    return 0;
}
