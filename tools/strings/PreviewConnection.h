#pragma once

// The tool's end of the preview: starts "pellora /V" beside the tool (or attaches to one running), and
// sends its commands one at a time without holding up the tool's window, each answered or timed out.

#include "core/i18n/StringServiceClient.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <future>
#include <memory>

namespace pellora::strings {

class PreviewConnection : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kAnswerTimeout {5000};
    static constexpr std::chrono::milliseconds kStartTimeout {15000};

    explicit PreviewConnection(QObject* parent = nullptr);
    ~PreviewConnection() override;

    // Makes the shared memory, starts program in view mode with the language, and connects once it
    // listens; connectedChanged follows. False (and why) when it cannot start.
    bool Start(const QString& program, std::uint16_t language, QString& error);
    // Connects to a program that a tool started before and that still runs.
    bool Attach(QString& error);

    bool Connected() const { return m_client != nullptr && m_client->connected(); }
    bool Busy() const { return m_pending.valid(); }
    // Sends a command for the record; answered follows. False while another command waits.
    bool Send(std::uint32_t command, const StringServiceRecord& record);

signals:
    void connectedChanged(bool connected);
    void answered(quint32 command, pellora::StringServiceClient::Answer answer);
    void programEnded(int status);

private:
    void tryConnect();
    void checkAnswer();

    std::unique_ptr<StringServiceClient> m_client;
    QProcess m_program;
    QTimer m_connectTimer;
    std::chrono::steady_clock::time_point m_connectUntil;
    QTimer m_answerTimer;
    std::future<StringServiceClient::Answer> m_pending;
    std::uint32_t m_pendingCommand = 0;
};

} // namespace pellora::strings
