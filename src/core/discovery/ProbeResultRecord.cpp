#include "core/discovery/ProbeResultRecord.h"

#include "halvane/HalvaneWrapper.h"

#include <cstdio>
#include <cstring>

namespace pellora {

namespace {

// The text a pointer of the block points at; nothing when it lies outside the block or runs past it.
std::optional<std::string> textInBlock(const char* pointer, std::span<const std::uint8_t> block)
{
    if (pointer == nullptr)
        return std::string();
    const auto* begin = reinterpret_cast<const char*>(block.data());
    const auto* end = begin + block.size();
    if (pointer < begin || pointer >= end)
        return std::nullopt;
    const auto* terminator = static_cast<const char*>(std::memchr(pointer, '\0', static_cast<std::size_t>(end - pointer)));
    if (terminator == nullptr)
        return std::nullopt;
    return std::string(pointer, terminator);
}

} // namespace

std::optional<ProbeResultFields> ReadProbeResult(std::span<const std::uint8_t> block)
{
    if (block.size() < sizeof(ProbeResult))
        return std::nullopt;
    ProbeResult result;
    std::memcpy(&result, block.data(), sizeof result);
    ProbeResultFields fields;
    const std::pair<const char*, std::string*> texts[] = {
        {result.modelName, &fields.modelName}, {result.macAddress, &fields.macAddress},
        {result.deviceId, &fields.deviceId},   {result.freeText, &fields.freeText},
        {result.interfaceName, &fields.interfaceName}};
    for (const auto& [pointer, field] : texts) {
        std::optional<std::string> text = textInBlock(pointer, block);
        if (!text)
            return std::nullopt;
        *field = std::move(*text);
    }
    char address[16];
    std::snprintf(address, sizeof address, "%d.%d.%d.%d", result.ipAddress[0], result.ipAddress[1], result.ipAddress[2],
                  result.ipAddress[3]);
    fields.address = address;
    return fields;
}

std::unique_ptr<CPrinterInfoEx> RecordOfFoundPrinter(const ProbeResultFields& found, const ModelList& models)
{
    if (!models.IsModelListed(found.modelName))
        return nullptr;
    auto record = std::make_unique<CPrinterInfoEx>();
    record->SetNetwork(1, found.address, "255.255.255.0", found.macAddress, "");
    record->SetIdentity(found.deviceId, found.modelName, found.modelName, "");
    record->entryKind = 0;
    record->identityNote = found.freeText;
    record->nicName = found.interfaceName;
    return record;
}

} // namespace pellora
