#pragma once

// Printer records as Qt MIME data, for the clipboard and drag and drop between project windows and
// between running copies of the program.

#include "core/document/PrinterClipboard.h"
#include "core/document/PrinterList.h"

#include <QMimeData>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace pellora::ui {

// The MIME type of the payload: the clipboard format name.
QString PrinterMimeType();

// MIME data that offers the payload under the printer format.
std::unique_ptr<QMimeData> MakePrinterMimeData(std::span<const std::uint8_t> payload);

// Whether the data offers the printer format.
bool HasPrinterData(const QMimeData* data);
// The payload bytes, or nothing when the data does not offer the format.
std::optional<std::vector<std::uint8_t>> PrinterPayload(const QMimeData* data);

// The data offers the format and its payload can give the list at least one record (or holds none).
bool CanPaste(const QMimeData* data, const PrinterList& list);

// Puts the payload on the system clipboard, which takes ownership of it.
void CopyToClipboard(std::span<const std::uint8_t> payload);
// The data on the system clipboard; may be null.
const QMimeData* ClipboardData();
// CanPaste for the system clipboard; the answer is kept until the clipboard's content or the list's
// program folder changes.
bool ClipboardCanPaste(const PrinterList& list);

} // namespace pellora::ui
