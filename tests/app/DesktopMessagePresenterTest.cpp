#include "app/DesktopMessagePresenter.h"

#include "QtTestApplication.h"
#include "app/GuiSession.h"

#include <gtest/gtest.h>

namespace pellora {
namespace {

using DesktopMessagePresenterTest = test::QtApplicationTest;

// The offscreen platform shows nobody a box: the messages go to standard error and the start goes on
// as if the default button had been pressed.
TEST_F(DesktopMessagePresenterTest, OnAPlatformNobodySeesMessagesAreWrittenNotShown)
{
    ASSERT_EQ(CurrentDisplay(), DisplayKind::Hidden);
    GuiSession gui("pellora");
    DesktopMessagePresenter presenter(gui);

    testing::internal::CaptureStderr();
    EXPECT_EQ(presenter.Show("Pellora is already running.", "Pellora", MB_ICONHAND), IDOK);
    EXPECT_EQ(presenter.Show("Continue?", "Pellora", MB_YESNO | MB_ICONQUESTION), IDYES);
    presenter.ShowFixedText("resource file is not exist.", "Pellora");
    presenter.ShowNonBlocking("In view mode.", "Pellora", MB_OK);
    presenter.CloseNonBlocking();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Pellora: Pellora is already running.\n"
                                                      "Pellora: Continue?\n"
                                                      "resource file is not exist.\n"
                                                      "Pellora: In view mode.\n");
    EXPECT_EQ(presenter.boxes().nonBlockingBox(), nullptr);
}

} // namespace
} // namespace pellora
