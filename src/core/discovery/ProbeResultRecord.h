#pragma once

// A result block of the discovery library turned into the printer record the network page lists.

#include "core/discovery/ModelList.h"
#include "core/model/PrinterInfo.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace pellora {

// What a result block says, its texts copied out.
struct ProbeResultFields {
    std::string modelName;
    std::string macAddress;
    std::string address; // "%d.%d.%d.%d" of the four octets, the first first
    std::string deviceId;
    std::string freeText;
    std::string interfaceName;

    bool operator==(const ProbeResultFields&) const = default;
};

// The fields of a block, or nothing when the block is shorter than a result or a text pointer does not
// point at a terminated text inside the block.
std::optional<ProbeResultFields> ReadProbeResult(std::span<const std::uint8_t> block);

// The record of a found printer: network settings of the address with the MAC address, the model as name
// and model, the device ID, the free text as note and the local interface; null when the model is not
// one the list names.
std::unique_ptr<CPrinterInfoEx> RecordOfFoundPrinter(const ProbeResultFields& found, const ModelList& models);

} // namespace pellora
