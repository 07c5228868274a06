#pragma once

// The channel the discovery library reports on: a pipe whose write end goes to the library and whose read
// end the window thread watches; every byte that arrives is one notice.

#include "core/platform/FileDescriptor.h"

#include <QObject>

#include <cstdint>
#include <memory>

class QSocketNotifier;

namespace pellora::ui {

class ProbeNotices : public QObject {
    Q_OBJECT

public:
    explicit ProbeNotices(QObject* parent = nullptr);
    ~ProbeNotices() override;

    // A fresh channel in place of the one before; returns the write end for the library, -1 when no pipe
    // can be made. The library keeps its own copy: CloseWriteEnd() once it has taken it.
    int Open();
    void CloseWriteEnd() { m_write.reset(); }
    // Stops listening; notices still on their way are lost.
    void Close();
    bool IsOpen() const { return m_read.valid(); }

signals:
    // One byte from the library.
    void noticeArrived(char notice);
    // Every writer has closed its end (the library's probe has gone).
    void channelClosed();

private:
    void readNotices();

    platform::FileDescriptor m_read;
    platform::FileDescriptor m_write;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::uint64_t m_generation = 0;
};

} // namespace pellora::ui
