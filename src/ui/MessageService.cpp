#include "ui/MessageService.h"

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

} // namespace pellora::ui
