#include "ui/stringservice/ControlFlash.h"

#include "WaitFor.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

TEST(ControlFlashTest, TheFrameIsFourPixelsWideUnlessTheRectangleIsTooSmall)
{
    const QRegion frame = CControlFlash::FrameOf(QRect(10, 10, 40, 20));
    EXPECT_TRUE(frame.contains(QPoint(10, 10)));
    EXPECT_TRUE(frame.contains(QPoint(13, 20)));
    EXPECT_FALSE(frame.contains(QPoint(14, 14)));
    EXPECT_TRUE(frame.contains(QPoint(46, 29)));
    EXPECT_FALSE(frame.contains(QPoint(50, 30)));
    EXPECT_EQ(CControlFlash::FrameOf(QRect(0, 0, 7, 30)), QRegion(0, 0, 7, 30));
    EXPECT_EQ(CControlFlash::FrameOf(QRect(0, 0, 30, 7)), QRegion(0, 0, 30, 7));
}

TEST(ControlFlashTest, TheFrameShowsInvertedTwiceAndTheWindowLooksAsBeforeAfterwards)
{
    QWidget window;
    window.setAutoFillBackground(true);
    window.setPalette(QPalette(Qt::white));
    window.resize(200, 100);
    QWidget control(&window);
    control.setGeometry(50, 20, 60, 40);
    window.show();
    const QImage before = window.grab().toImage();

    CControlFlash flash;
    QSignalSpy finished(&flash, &CControlFlash::finished);
    flash.Start(&control, control.rect().adjusted(5, 5, -5, -5));
    EXPECT_EQ(flash.WindowRect(), QRect(55, 25, 50, 30));
    ASSERT_TRUE(flash.Running());
    EXPECT_EQ(flash.Inversions(), 1);
    const QImage inverted = window.grab().toImage();
    EXPECT_EQ(inverted.pixelColor(55, 25), QColor(Qt::black));  // on the frame
    EXPECT_EQ(inverted.pixelColor(58, 28), QColor(Qt::black));
    EXPECT_EQ(inverted.pixelColor(60, 30), QColor(Qt::white));  // inside it
    EXPECT_EQ(inverted.pixelColor(54, 25), QColor(Qt::white));  // beside it

    ASSERT_TRUE(test::WaitFor([&] { return finished.count() == 1; }));
    EXPECT_EQ(flash.Inversions(), CControlFlash::kInversions);
    EXPECT_FALSE(flash.Running());
    EXPECT_EQ(window.grab().toImage(), before);

    // Without a window nothing runs, and the end is reported at once.
    flash.Start(nullptr, QRect(0, 0, 10, 10));
    EXPECT_EQ(finished.count(), 2);
    EXPECT_EQ(flash.Inversions(), 0);
}

} // namespace
} // namespace pellora::ui
