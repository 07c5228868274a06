#include "ui/shared/PrinterMimeData.h"

#include "core/util/Support.h"

#include <QClipboard>
#include <QGuiApplication>

#include <filesystem>

namespace pellora::ui {

QString PrinterMimeType()
{
    return QString::fromLatin1(kPrinterClipboardFormat);
}

std::unique_ptr<QMimeData> MakePrinterMimeData(std::span<const std::uint8_t> payload)
{
    auto data = std::make_unique<QMimeData>();
    data->setData(PrinterMimeType(),
                  QByteArray(reinterpret_cast<const char*>(payload.data()), static_cast<qsizetype>(payload.size())));
    return data;
}

bool HasPrinterData(const QMimeData* data)
{
    return data != nullptr && data->hasFormat(PrinterMimeType());
}

std::optional<std::vector<std::uint8_t>> PrinterPayload(const QMimeData* data)
{
    if (!HasPrinterData(data))
        return std::nullopt;
    const QByteArray bytes = data->data(PrinterMimeType());
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

bool CanPaste(const QMimeData* data, const PrinterList& list)
{
    const auto payload = PrinterPayload(data);
    return payload && CanPastePayload(*payload, [&list](std::string_view model) { return list.IsModelAccepted(model); });
}

void CopyToClipboard(std::span<const std::uint8_t> payload)
{
    QGuiApplication::clipboard()->setMimeData(MakePrinterMimeData(payload).release());
}

const QMimeData* ClipboardData()
{
    return QGuiApplication::clipboard()->mimeData();
}

namespace {

// Asking another program for the clipboard's content is slow, and commands ask often.
struct ClipboardAnswer {
    bool known = false;
    bool canPaste = false;
    std::filesystem::path programFolder; // whose model list gave the answer
    bool connected = false;
};

ClipboardAnswer& Answer()
{
    static ClipboardAnswer answer;
    return answer;
}

} // namespace

bool ClipboardCanPaste(const PrinterList& list)
{
    ClipboardAnswer& answer = Answer();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!answer.connected) {
        QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, [] { Answer().known = false; });
        answer.connected = true;
    }
    const std::filesystem::path& folder = list.ProgramFolder();
    if (!answer.known || answer.programFolder != folder) {
        answer.canPaste = CanPaste(clipboard->mimeData(), list);
        answer.programFolder = folder;
        answer.known = true;
    }
    return answer.canPaste;
}

} // namespace pellora::ui
