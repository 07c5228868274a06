#include "ui/leftpane/ProbeNotices.h"

#include <QPointer>
#include <QSocketNotifier>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace pellora::ui {

ProbeNotices::ProbeNotices(QObject* parent)
    : QObject(parent)
{
}

ProbeNotices::~ProbeNotices() = default;

int ProbeNotices::Open()
{
    Close();
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return -1;
    m_read = platform::FileDescriptor(ends[0]);
    m_write = platform::FileDescriptor(ends[1]);
    ::fcntl(m_read.get(), F_SETFL, ::fcntl(m_read.get(), F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_read.get(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ProbeNotices::readNotices);
    ++m_generation;
    return m_write.get();
}

void ProbeNotices::Close()
{
    m_notifier.reset();
    m_read.reset();
    m_write.reset();
    ++m_generation;
}

void ProbeNotices::readNotices()
{
    const std::uint64_t generation = m_generation;
    const QPointer<ProbeNotices> alive(this);
    char notices[256];
    for (;;) {
        const ssize_t got = ::read(m_read.get(), notices, sizeof notices);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return; // nothing more waiting now
        if (got == 0) {
            Close();
            emit channelClosed();
            return;
        }
        for (ssize_t i = 0; i < got; ++i) {
            emit noticeArrived(notices[i]);
            // A notice may start a new probe (a fresh channel) or end the page.
            if (!alive || generation != m_generation)
                return;
        }
    }
}

} // namespace pellora::ui
