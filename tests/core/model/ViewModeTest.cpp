#include "core/model/ViewMode.h"

#include <gtest/gtest.h>

using namespace pellora;

// An operation that turns view mode on for itself must not turn it off for a run that was
// started in view mode, nor for an outer operation that still runs.
TEST(ViewModeTest, GuardRestoresTheStateItFound)
{
    SetViewMode(false);
    {
        const ScopedViewMode outer;
        EXPECT_FALSE(outer.wasOn());
        EXPECT_TRUE(IsViewMode());
        {
            const ScopedViewMode inner;
            EXPECT_TRUE(inner.wasOn());
        }
        EXPECT_TRUE(IsViewMode());
    }
    EXPECT_FALSE(IsViewMode());

    SetViewMode(true);
    {
        const ScopedViewMode guard;
    }
    EXPECT_TRUE(IsViewMode());
    SetViewMode(false);
}
