#include "app/ReporterMessageService.h"

namespace pellora {

ReporterMessageService::ReporterMessageService(MessageReporter& reporter)
    : m_reporter(reporter)
{
    ui::SetMessageService(this);
}

ReporterMessageService::~ReporterMessageService()
{
    ui::SetMessageService(nullptr);
}

} // namespace pellora
