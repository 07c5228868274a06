#include "ui/shared/WorkerThread.h"

#include <utility>

namespace pellora::ui {

WorkerThread::WorkerThread(QObject* parent)
    : QObject(parent)
{
}

WorkerThread::~WorkerThread()
{
    RequestStop();
    Wait();
}

bool WorkerThread::Start(std::function<void()> work)
{
    if (Running())
        return false;
    m_stop = false;
    m_thread = std::thread([this, work = std::move(work)] {
        work();
        Post([this] {
            Wait();
            emit finished();
        });
    });
    return true;
}

void WorkerThread::Post(std::function<void()> function)
{
    QMetaObject::invokeMethod(this, std::move(function), Qt::QueuedConnection);
}

void WorkerThread::Wait()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

} // namespace pellora::ui
