#include "ui/shared/RetextRegistry.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace pellora::ui {
namespace {

TEST(RetextRegistryTest, EveryLiveWindowIsRetextedInOrderAndGoneOnesAreForgotten)
{
    const int before = RegisteredRetextCount();
    std::string calls;
    auto first = std::make_unique<QWidget>();
    auto second = std::make_unique<QWidget>();
    auto third = std::make_unique<QWidget>();
    RegisterRetext(first.get(), [&calls] { calls += "1"; });
    RegisterRetext(second.get(), [&calls] { calls += "2"; });
    RegisterRetext(third.get(), [&calls] { calls += "3"; });
    RegisterRetext(second.get(), [&calls] { calls += "B"; }); // the later registration counts
    EXPECT_EQ(RegisteredRetextCount(), before + 3);

    RetextRegisteredWindows();
    EXPECT_EQ(calls, "13B");

    second.reset();
    UnregisterRetext(third.get());
    calls.clear();
    RetextRegisteredWindows();
    EXPECT_EQ(calls, "1");
    EXPECT_EQ(RegisteredRetextCount(), before + 1);
    first.reset();
    EXPECT_EQ(RegisteredRetextCount(), before);
}

TEST(RetextRegistryTest, AWindowDestroyedByAnotherOnesRetextIsSkipped)
{
    std::string calls;
    auto first = std::make_unique<QWidget>();
    auto second = std::make_unique<QWidget>();
    RegisterRetext(first.get(), [&] {
        calls += "1";
        second.reset();
    });
    RegisterRetext(second.get(), [&calls] { calls += "2"; });
    RetextRegisteredWindows();
    EXPECT_EQ(calls, "1");
}

} // namespace
} // namespace pellora::ui
