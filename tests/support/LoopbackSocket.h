#pragma once

// Loopback ports for tests that play a network peer: a free one, and a listener that never answers.

namespace pellora::test {

// A port of 127.0.0.1 that nothing listens on at the moment; 0 when none could be found.
int FreeLoopbackPort();

// Listens on a free port of 127.0.0.1 and never accepts: connections complete in the kernel's queue and
// then hear nothing.
class SilentListener {
public:
    SilentListener();
    ~SilentListener();
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;

    // 0 when no socket could be opened.
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

} // namespace pellora::test
