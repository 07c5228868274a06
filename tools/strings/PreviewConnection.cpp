#include "tools/strings/PreviewConnection.h"

namespace pellora::strings {

using namespace std::chrono;

PreviewConnection::PreviewConnection(QObject* parent)
    : QObject(parent)
{
    m_connectTimer.setInterval(100);
    connect(&m_connectTimer, &QTimer::timeout, this, &PreviewConnection::tryConnect);
    m_answerTimer.setInterval(20);
    connect(&m_answerTimer, &QTimer::timeout, this, &PreviewConnection::checkAnswer);
    connect(&m_program, &QProcess::finished, this, [this](int status) {
        m_connectTimer.stop();
        emit programEnded(status);
        emit connectedChanged(false);
    });
}

PreviewConnection::~PreviewConnection()
{
    if (m_pending.valid())
        m_pending.wait();
    // A program started here goes with the tool that previews it.
    if (m_program.state() != QProcess::NotRunning) {
        m_program.terminate();
        if (!m_program.waitForFinished(3000))
            m_program.kill();
        m_program.waitForFinished(1000);
    }
}

bool PreviewConnection::Start(const QString& program, std::uint16_t language, QString& error)
{
    if (m_program.state() != QProcess::NotRunning || Busy()) {
        error = tr("The preview is running already.");
        return false;
    }
    m_client = std::make_unique<StringServiceClient>(platform::StringServiceNames::ForUser());
    if (const Status status = m_client->CreateRecords(); !status.ok()) {
        error = QString::fromStdString(status.text());
        return false;
    }
    m_program.setProgram(program);
    m_program.setArguments({QStringLiteral("/V"), QStringLiteral("/L%1").arg(language, 4, 16, QLatin1Char('0'))});
    m_program.setProcessChannelMode(QProcess::ForwardedChannels);
    m_program.start();
    if (!m_program.waitForStarted(5000)) {
        error = m_program.errorString();
        return false;
    }
    m_connectUntil = steady_clock::now() + kStartTimeout;
    m_connectTimer.start();
    return true;
}

bool PreviewConnection::Attach(QString& error)
{
    auto client = std::make_unique<StringServiceClient>(platform::StringServiceNames::ForUser());
    Status status = client->AttachRecords();
    if (status.ok())
        status = client->Connect(milliseconds(0));
    if (!status.ok()) {
        error = QString::fromStdString(status.text());
        return false;
    }
    m_client = std::move(client);
    emit connectedChanged(true);
    return true;
}

void PreviewConnection::tryConnect()
{
    if (m_client->Connect(milliseconds(0)).ok()) {
        m_connectTimer.stop();
        emit connectedChanged(true);
    } else if (steady_clock::now() > m_connectUntil) {
        m_connectTimer.stop();
        emit connectedChanged(false);
    }
}

bool PreviewConnection::Send(std::uint32_t command, const StringServiceRecord& record)
{
    if (!Connected() || Busy())
        return false;
    m_pendingCommand = command;
    StringServiceClient* client = m_client.get();
    m_pending = std::async(std::launch::async, [client, command, record] {
        return client->Send(command, record, kAnswerTimeout);
    });
    m_answerTimer.start();
    return true;
}

void PreviewConnection::checkAnswer()
{
    if (!m_pending.valid() || m_pending.wait_for(milliseconds(0)) != std::future_status::ready)
        return;
    m_answerTimer.stop();
    const StringServiceClient::Answer answer = m_pending.get();
    emit answered(m_pendingCommand, answer);
    if (answer == StringServiceClient::Answer::Disconnected)
        emit connectedChanged(false);
}

} // namespace pellora::strings
