#pragma once

// The payload that carries printer records through the clipboard and drag and drop, and how a
// project takes them in.

#include "core/model/PrinterInfo.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pellora {

class PrinterList;

// The format name under which the payload travels; the same in every running copy of the program.
inline constexpr char kPrinterClipboardFormat[] = "Tessaris Corvane Printer Object 1.5.1.0";

// Whether a list takes a printer of the model.
using ModelCheck = std::function<bool(std::string_view modelName)>;

// The payload of the records in the given order: a 32-bit record count, then each record in its
// archive form.
std::vector<std::uint8_t> SerializePrinters(std::span<const CPrinterInfoEx* const> records);

// The records of a payload, or nothing when the payload is malformed (short, a count that cannot fit,
// a damaged record). Bytes after the last record are ignored. Never throws for any input.
std::optional<std::vector<std::unique_ptr<CPrinterInfoEx>>> ReadPayload(std::span<const std::uint8_t> payload);

// True when the payload is well formed and holds no records, or at least one record whose model
// passes the check.
bool CanPastePayload(std::span<const std::uint8_t> payload, const ModelCheck& check);

struct PasteOutcome {
    bool accepted = false;  // false: the payload was malformed and nothing was inserted
    std::size_t inserted = 0;
    std::size_t firstIndex = 0; // position of the first inserted record in the document
};

// Inserts the payload's records into the list before the record at index (at the end for a negative
// index or one past the end). Records of models the list does not take are left out; the first record
// that would go beyond the list's maximum ends the transfer. The list admits each record by its own
// rules (a project cleans the name and keeps one default printer, and is then modified). A malformed
// payload inserts nothing.
PasteOutcome PasteRecords(PrinterList& list, std::span<const std::uint8_t> payload, long index);

} // namespace pellora
