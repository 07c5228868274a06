#pragma once

// The windows' message service: numbered messages go to the application's reporter.

#include "app/Messages.h"
#include "ui/shared/MessageService.h"

namespace pellora {

class ReporterMessageService final : public ui::MessageService {
public:
    // Installs itself as the windows' service for its lifetime.
    explicit ReporterMessageService(MessageReporter& reporter);
    ~ReporterMessageService() override;
    ReporterMessageService(const ReporterMessageService&) = delete;
    ReporterMessageService& operator=(const ReporterMessageService&) = delete;

    int ShowMessage(int number) override { return m_reporter.ShowMessage(number); }
    int ShowFileMessage(int number, std::string_view path) override { return m_reporter.ShowFileMessage(number, path); }
    int ShowDetailedMessage(int number, std::string_view detail) override { return m_reporter.ShowMessage(number, detail); }

private:
    MessageReporter& m_reporter;
};

} // namespace pellora
