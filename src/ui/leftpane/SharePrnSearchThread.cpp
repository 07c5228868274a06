#include "ui/leftpane/SharePrnSearchThread.h"

#include <utility>

namespace pellora::ui {

CSharePrnSearchThread::CSharePrnSearchThread(std::shared_ptr<platform::SharedPrinterSource> source, QObject* parent)
    : QObject(parent)
    , m_source(std::move(source))
{
    connect(&m_worker, &WorkerThread::finished, this, &CSharePrnSearchThread::levelComplete);
}

CSharePrnSearchThread::~CSharePrnSearchThread()
{
    m_worker.RequestStop();
    m_worker.Wait();
}

bool CSharePrnSearchThread::IsSent(const platform::SharedPrinterEntry& entry)
{
    return (entry.flags & platform::kSharedEntryProvider) == 0 || (entry.flags & platform::kSharedEntryExpand) != 0;
}

bool CSharePrnSearchThread::Enumerate(const std::string& name)
{
    return m_worker.Start([this, name] {
        const auto stop = [this] { return m_worker.StopRequested(); };
        for (platform::SharedPrinterEntry& entry : m_source->EnumerateLevel(name, stop)) {
            if (stop())
                return;
            if (IsSent(entry))
                m_worker.Post([this, entry = std::move(entry)] { emit entryFound(entry); });
        }
    });
}

} // namespace pellora::ui
