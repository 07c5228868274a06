#pragma once

// Enumerates one level of the shared-printer tree on a worker thread and hands each entry to the window
// thread; at most one level at a time.

#include "core/platform/SharedPrinterSource.h"
#include "ui/shared/WorkerThread.h"

#include <QObject>

#include <memory>
#include <string>

namespace pellora::ui {

class CSharePrnSearchThread : public QObject {
    Q_OBJECT

public:
    explicit CSharePrnSearchThread(std::shared_ptr<platform::SharedPrinterSource> source, QObject* parent = nullptr);
    // Asks the worker to stop and waits for it.
    ~CSharePrnSearchThread() override;

    // Starts enumerating the level of name (the top for an empty name); false while a level runs.
    bool Enumerate(const std::string& name);
    bool Running() const { return m_worker.Running(); }

    // Which entries of a level reach the tree: all but providers that do not ask to be opened.
    static bool IsSent(const platform::SharedPrinterEntry& entry);

signals:
    // One entry of the level, on the window thread.
    void entryFound(const pellora::platform::SharedPrinterEntry& entry);
    // The level is complete (also when it stayed empty); the worker has ended.
    void levelComplete();

private:
    std::shared_ptr<platform::SharedPrinterSource> m_source;
    WorkerThread m_worker;
};

} // namespace pellora::ui
