#pragma once

// Turns SIGTERM, SIGINT and SIGHUP into a request to close the main window, handled in the event loop.

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace pellora {

class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    // Catches the signals for the lifetime of the object; the previous handlers come back afterwards.
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    bool IsActive() const { return m_notifier != nullptr; }

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    int m_pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace pellora
