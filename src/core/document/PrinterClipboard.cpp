#include "core/document/PrinterClipboard.h"

#include "core/document/PrinterList.h"
#include "core/model/Archive.h"

#include <exception>

namespace pellora {

std::vector<std::uint8_t> SerializePrinters(std::span<const CPrinterInfoEx* const> records)
{
    std::vector<std::uint8_t> payload;
    ArchiveWriter archive(payload);
    WritePrinterList(archive, records);
    return payload;
}

std::optional<std::vector<std::unique_ptr<CPrinterInfoEx>>> ReadPayload(std::span<const std::uint8_t> payload)
{
    try {
        ArchiveReader archive(payload);
        return ReadPrinterList(archive);
    } catch (const std::exception&) {
        // Clipboard data comes from other programs too: anything that does not read whole is refused.
        return std::nullopt;
    }
}

bool CanPastePayload(std::span<const std::uint8_t> payload, const ModelCheck& check)
{
    const auto records = ReadPayload(payload);
    if (!records)
        return false;
    if (records->empty())
        return true;
    for (const auto& record : *records) {
        if (check(record->modelName))
            return true;
    }
    return false;
}

PasteOutcome PasteRecords(PrinterList& list, std::span<const std::uint8_t> payload, long index)
{
    PasteOutcome outcome;
    auto records = ReadPayload(payload);
    if (!records)
        return outcome;
    outcome.accepted = true;

    std::size_t position = index < 0 || static_cast<std::size_t>(index) > list.GetCount()
                               ? list.GetCount()
                               : static_cast<std::size_t>(index);
    outcome.firstIndex = position;
    for (auto& record : *records) {
        if (!list.IsModelAccepted(record->modelName))
            continue;
        if (!list.InsertRecord(record, position))
            break;
        ++position;
        ++outcome.inserted;
    }
    return outcome;
}

} // namespace pellora
