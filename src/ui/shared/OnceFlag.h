#pragma once

// A "the first time only" mark, such as the left pane's first automatic search of a run.

#include <atomic>

namespace pellora::ui {

class OnceFlag {
public:
    // True the first time it is asked, false ever after.
    bool TakeFirst() { return !m_taken.exchange(true); }

private:
    std::atomic<bool> m_taken{false};
};

} // namespace pellora::ui
