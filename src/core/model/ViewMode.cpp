#include "core/model/ViewMode.h"

#include <atomic>

namespace pellora {

namespace {

std::atomic<bool> g_viewMode{false};

} // namespace

bool IsViewMode()
{
    return g_viewMode.load(std::memory_order_acquire);
}

void SetViewMode(bool on)
{
    g_viewMode.store(on, std::memory_order_release);
}

ScopedViewMode::ScopedViewMode()
    : m_wasOn(g_viewMode.exchange(true, std::memory_order_acq_rel))
{
}

ScopedViewMode::~ScopedViewMode()
{
    SetViewMode(m_wasOn);
}

} // namespace pellora
