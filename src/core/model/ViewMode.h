#pragma once

// The process-wide view-mode flag: while it is on, documents are neither opened, saved nor marked modified.

namespace pellora {

bool IsViewMode();
void SetViewMode(bool on);

// Turns view mode on for the lifetime of the guard and then restores the state found at construction,
// so that nested guards, and a guard made while view mode was already on, leave it as they found it.
class ScopedViewMode {
public:
    ScopedViewMode();
    ~ScopedViewMode();
    ScopedViewMode(const ScopedViewMode&) = delete;
    ScopedViewMode& operator=(const ScopedViewMode&) = delete;

    // Whether view mode was already on when the guard was made.
    bool wasOn() const { return m_wasOn; }

private:
    bool m_wasOn;
};

} // namespace pellora
