#include "core/model/PrinterClipboard.h"

#include "core/discovery/ModelList.h"
#include "core/model/Archive.h"
#include "core/model/Corvan2Doc.h"

#include <exception>

namespace pellora {

ModelCheck DefaultModelCheck()
{
    return [](std::string_view modelName) { return IsModelListed(modelName); };
}

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

PasteOutcome PasteRecords(CCorvan2Doc& document, std::span<const std::uint8_t> payload, long index,
                          const ModelCheck& check)
{
    PasteOutcome outcome;
    auto records = ReadPayload(payload);
    if (!records)
        return outcome;
    outcome.accepted = true;

    auto& printers = document.GetScript().printers;
    std::size_t position = index < 0 || static_cast<std::size_t>(index) > printers.size()
                               ? printers.size()
                               : static_cast<std::size_t>(index);
    outcome.firstIndex = position;
    const std::size_t maximum = document.GetMaxPrinterCount();
    for (auto& record : *records) {
        if (!check(record->modelName))
            continue;
        if (maximum != 0 && printers.size() >= maximum)
            break;
        if (record->defaultPrinter) {
            for (const auto& printer : printers)
                printer->defaultPrinter = 0;
        }
        record->printerName = CCorvan2Doc::CleanPrinterName(record->printerName);
        printers.insert(printers.begin() + static_cast<std::ptrdiff_t>(position), std::move(record));
        ++position;
        ++outcome.inserted;
    }
    if (outcome.inserted > 0)
        document.SetModifiedFlag(true);
    return outcome;
}

} // namespace pellora
