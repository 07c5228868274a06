#include "ui/frame/CoolDialogBar.h"

#include "MainFrameTestSupport.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/shared/ControlId.h"

#include <QMainWindow>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

using frametest::FrameEnvironment;
using frametest::SharedTexts;
using frametest::WaitFor;

TEST(CoolDialogBarTest, MnemonicMarksAreRemovedAndDoubledOnesKeptOnce)
{
    EXPECT_EQ(CCoolDialogBar::StripMnemonics("&Search"), "Search");
    EXPECT_EQ(CCoolDialogBar::StripMnemonics("Tom && Jerry"), "Tom & Jerry");
    EXPECT_EQ(CCoolDialogBar::StripMnemonics("A&&&B&"), "A&B");
    EXPECT_EQ(CCoolDialogBar::StripMnemonics(""), "");
}

// A frame with a central area and the bar holding a left pane, docked at the left.
class BarFixture {
public:
    explicit BarFixture(const SharedTexts& texts = {})
        : environment(texts)
    {
        frame.setCentralWidget(new QWidget);
        pane = new CLeftPane;
        bar = new CCoolDialogBar(&frame, pane, IDW_DOCKING_BAR);
        frame.addDockWidget(Qt::LeftDockWidgetArea, bar);
        frame.resize(900, 600);
        frame.show();
        bar->SetDockedWidth(260);
        WaitFor([this] { return bar->width() == 260; });
    }

    int expectedMinimum(const QStringList& texts) const
    {
        int widest = 0;
        for (const QString& text : texts)
            widest = std::max(widest, QFontMetrics(frame.font()).horizontalAdvance(text));
        return 2 * widest + 2 * bar->style()->pixelMetric(QStyle::PM_LargeIconSize) + 20;
    }

    FrameEnvironment environment;
    QMainWindow frame;
    CLeftPane* pane = nullptr;
    CCoolDialogBar* bar = nullptr;
};

TEST(CoolDialogBarTest, MinimumWidthComesFromTheWidestPageTextWithoutMnemonics)
{
    {
        SharedTexts shortTexts;
        shortTexts.searchText = "&Go";
        shortTexts.addText = "Add";
        shortTexts.groupText = "G";
        BarFixture fixture(shortTexts);
        const int expected = fixture.expectedMinimum({"Go", "Add", "G"});
        EXPECT_EQ(fixture.bar->MinimumBarWidth(), expected);
        EXPECT_EQ(fixture.bar->minimumWidth(), expected);
        EXPECT_EQ(fixture.bar->minimumHeight(), CCoolDialogBar::kMinimumHeight);
    }
    {
        SharedTexts longTexts;
        longTexts.searchText = "Search the whole &network";
        longTexts.addText = "&Add";
        longTexts.groupText = "Printers of the selected group && model";
        BarFixture fixture(longTexts);
        const int expected =
            fixture.expectedMinimum({"Search the whole network", "Add", "Printers of the selected group & model"});
        EXPECT_EQ(fixture.bar->MinimumBarWidth(), expected);
        EXPECT_GT(expected, 300);
        // The docked bar is never narrower than its minimum.
        EXPECT_TRUE(WaitFor([&] { return fixture.bar->width() >= expected; }));
    }
}

TEST(CoolDialogBarTest, DraggingTheEdgeOfABarDockedLeftResizesItDownToItsMinimum)
{
    BarFixture fixture;
    CCoolDialogBar* bar = fixture.bar;
    ASSERT_EQ(bar->DockSide(), AFX_IDW_DOCKBAR_LEFT);
    QWidget* band = bar->EdgeBand();
    ASSERT_TRUE(band->isVisible());
    // The band lies on the side that faces the client area.
    EXPECT_GT(band->mapTo(bar, QPoint(0, 0)).x(), bar->width() / 2);

    const QPoint centre = band->rect().center();
    QTest::mousePress(band, Qt::LeftButton, {}, centre);
    EXPECT_TRUE(bar->IsTracking());
    QTest::mouseMove(band, centre + QPoint(50, 0));
    QTest::mouseRelease(band, Qt::LeftButton, {}, centre + QPoint(50, 0));
    EXPECT_FALSE(bar->IsTracking());
    EXPECT_TRUE(WaitFor([bar] { return bar->width() == 310; })) << bar->width();
    EXPECT_EQ(bar->DockedWidth(), 310);

    const QPoint again = band->rect().center();
    QTest::mousePress(band, Qt::LeftButton, {}, again);
    QTest::mouseMove(band, again - QPoint(400, 0));
    QTest::mouseRelease(band, Qt::LeftButton, {}, again - QPoint(400, 0));
    EXPECT_TRUE(WaitFor([bar] { return bar->width() == bar->MinimumBarWidth(); })) << bar->width();
}

TEST(CoolDialogBarTest, ABarDockedRightWidensWhenItsEdgeMovesLeft)
{
    BarFixture fixture;
    CCoolDialogBar* bar = fixture.bar;
    bar->DockAt(Qt::RightDockWidgetArea);
    ASSERT_TRUE(WaitFor([&fixture, bar] {
        return bar->DockSide() == AFX_IDW_DOCKBAR_RIGHT && bar->width() == 260
            && bar->geometry().right() == fixture.frame.width() - 1;
    }));
    frametest::Settle();
    QWidget* band = bar->EdgeBand();
    EXPECT_LT(band->mapTo(bar, QPoint(0, 0)).x(), bar->width() / 2);

    const QPoint centre = band->rect().center();
    QTest::mousePress(band, Qt::LeftButton, {}, centre);
    QTest::mouseMove(band, centre - QPoint(40, 0));
    QTest::mouseRelease(band, Qt::LeftButton, {}, centre - QPoint(40, 0));
    EXPECT_TRUE(WaitFor([bar] { return bar->width() == 300; })) << bar->width();
}

TEST(CoolDialogBarTest, LosingTheMouseInTheMiddleOfADragLeavesTheWidth)
{
    BarFixture fixture;
    CCoolDialogBar* bar = fixture.bar;
    QWidget* band = bar->EdgeBand();
    const QPoint centre = band->rect().center();
    QTest::mousePress(band, Qt::LeftButton, {}, centre);
    QTest::mouseMove(band, centre + QPoint(70, 0));
    ASSERT_TRUE(bar->IsTracking());

    QWidget other;
    other.show();
    other.grabMouse();
    EXPECT_TRUE(WaitFor([bar] { return !bar->IsTracking(); }));
    other.releaseMouse();
    QTest::mouseRelease(band, Qt::LeftButton, {}, centre + QPoint(70, 0));
    frametest::Settle();
    EXPECT_EQ(bar->width(), 260);
}

TEST(CoolDialogBarTest, DoubleClickOnTheCaptionFloatsTheBarAndDocksItAgain)
{
    BarFixture fixture;
    CCoolDialogBar* bar = fixture.bar;
    QTest::mouseDClick(bar->CaptionStrip(), Qt::LeftButton, {}, QPoint(20, 5));
    ASSERT_TRUE(WaitFor([bar] { return bar->isFloating(); }));
    EXPECT_EQ(bar->DockSide(), 0);
    EXPECT_FALSE(bar->EdgeBand()->isVisible());
    // Floating, it docks only by double-click or by the frame's command, never by dragging.
    EXPECT_TRUE(WaitFor([bar] { return bar->allowedAreas() == Qt::NoDockWidgetArea; }));

    QTest::mouseDClick(bar->CaptionStrip(), Qt::LeftButton, {}, QPoint(20, 5));
    ASSERT_TRUE(WaitFor([bar] { return !bar->isFloating(); }));
    EXPECT_EQ(bar->DockSide(), AFX_IDW_DOCKBAR_LEFT);
    EXPECT_EQ(bar->allowedAreas(), Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
}

TEST(CoolDialogBarTest, ToggledBarsReturnToTheSideTheyHadAndKeepTheirSizes)
{
    BarFixture fixture;
    CCoolDialogBar* bar = fixture.bar;
    bar->DockAt(Qt::RightDockWidgetArea);
    ASSERT_TRUE(WaitFor([bar] { return bar->DockSide() == AFX_IDW_DOCKBAR_RIGHT; }));
    bar->FloatAt(QRect(40, 50, 280, 400));
    EXPECT_TRUE(bar->isFloating());
    EXPECT_EQ(bar->geometry(), QRect(40, 50, 280, 400));
    EXPECT_EQ(bar->FloatingSize(), QSize(280, 400));
    // The hosted pane fills the floating bar below its caption.
    EXPECT_EQ(fixture.pane->width(), bar->widget()->width());

    bar->ToggleDocking();
    ASSERT_TRUE(WaitFor([bar] { return bar->DockSide() == AFX_IDW_DOCKBAR_RIGHT; }));
    EXPECT_TRUE(WaitFor([bar] { return bar->width() == 260; })) << bar->width();
}

TEST(CoolDialogBarTest, TheCloseButtonAsksForTheBarToBeHiddenAndTheCaptionFollowsThePane)
{
    BarFixture fixture;
    QSignalSpy closeRequests(fixture.bar, &CCoolDialogBar::closeRequested);
    QWidget* close = FindControl(fixture.bar->CaptionStrip(), IDC_CAPTION_CLOSE);
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_EQ(closeRequests.count(), 1);

    fixture.pane->Retext();
    EXPECT_EQ(fixture.bar->windowTitle(), "Printer Selection");
}

} // namespace
} // namespace pellora::ui
