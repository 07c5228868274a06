#include "ui/shared/MessageService.h"

#include "core/document/Corvan2Doc.h"

namespace pellora::ui {

namespace {
MessageService* g_service = nullptr;
} // namespace

void SetMessageService(MessageService* service)
{
    g_service = service;
}

int ShowMessage(int number)
{
    return g_service ? g_service->ShowMessage(number) : 0;
}

int ShowFileMessage(int number, const std::filesystem::path& path)
{
    return g_service ? g_service->ShowFileMessage(number, path.string()) : 0;
}

int ShowDetailedMessage(int number, std::string_view detail)
{
    return g_service ? g_service->ShowDetailedMessage(number, detail) : 0;
}

void ShowDocumentResult(const DocumentResult& result, std::string_view detail)
{
    if (result.ok() || result.message == 0)
        return;
    if (result.fileMessage)
        ShowFileMessage(result.message, result.file);
    else if (!detail.empty())
        ShowDetailedMessage(result.message, detail);
    else
        ShowMessage(result.message);
}

} // namespace pellora::ui
