#pragma once

// Waits in window tests: events run meanwhile, so that queued calls and timers take effect.

#include <QApplication>
#include <QElapsedTimer>

#include <functional>

namespace pellora::test {

// Waits (at most timeoutMs) until condition holds, running events meanwhile.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

} // namespace pellora::test
