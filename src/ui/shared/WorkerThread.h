#pragma once

// A worker thread whose results reach the window thread as queued calls. The object lives on the window
// thread and waits for the worker when it goes, so no call ever reaches a window that is gone.

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

namespace pellora::ui {

class WorkerThread final : public QObject {
    Q_OBJECT

public:
    explicit WorkerThread(QObject* parent = nullptr);
    // Asks the worker to stop and waits for it.
    ~WorkerThread() override;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Runs work on a new thread; finished() follows on the window thread once it has returned.
    // False while a worker still runs.
    bool Start(std::function<void()> work);
    bool Running() const { return m_thread.joinable(); }

    // From the worker: runs function on the window thread, after the events already waiting there.
    void Post(std::function<void()> function);

    // Asks the worker to stop; the work reads StopRequested() and ends by itself.
    void RequestStop() { m_stop = true; }
    bool StopRequested() const { return m_stop; }
    // Waits for the worker to return (the window thread does not take its queued calls meanwhile).
    void Wait();

signals:
    void finished();

private:
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
};

} // namespace pellora::ui
