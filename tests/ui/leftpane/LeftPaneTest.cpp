#include "ui/leftpane/LeftPane.h"

#include "MainFrameTestSupport.h"
#include "ui/shared/ControlId.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace pellora::ui {
namespace {

using frametest::FrameEnvironment;

class RecordingPage final : public QWidget, public LeftPanePage {
public:
    void Retext() override { ++retexts; }
    void OnLeftPaneMessage(int message, int argument) override { messages.emplace_back(message, argument); }

    int retexts = 0;
    std::vector<std::pair<int, int>> messages;
};

TEST(LeftPaneTest, TheTabControlFollowsTheLayoutRuleAtEverySize)
{
    const FrameEnvironment environment;
    CLeftPane pane;
    QWidget* tabs = FindControl(&pane, IDC_LEFT_TABS);
    ASSERT_EQ(tabs, pane.Tabs());

    pane.resize(300, 400);
    pane.show();
    EXPECT_EQ(tabs->geometry(), QRect(2, 3, 296, 393));
    pane.resize(180, 150);
    EXPECT_EQ(tabs->geometry(), QRect(2, 3, 176, 143));
}

TEST(LeftPaneTest, RetextSetsCaptionAndTabLabelsAndReinitialisesThePages)
{
    const FrameEnvironment environment;
    CLeftPane pane;
    auto* network = new RecordingPage;
    auto* shared = new RecordingPage;
    auto* third = new RecordingPage;
    EXPECT_EQ(pane.AddPage(network, {}), 0);
    EXPECT_EQ(pane.AddPage(shared, {}), 1);
    EXPECT_EQ(pane.AddPage(third, {}), 2);
    EXPECT_EQ(pane.CurrentPage(), network);

    QSignalSpy captions(&pane, &CLeftPane::captionChanged);
    pane.Retext();
    EXPECT_EQ(pane.Caption(), "Printer Selection");
    EXPECT_EQ(captions.count(), 1);
    EXPECT_EQ(pane.Tabs()->tabText(0), "Network");
    EXPECT_EQ(pane.Tabs()->tabText(1), "Shared Printers");
    EXPECT_EQ(pane.Tabs()->tabText(2), ""); // no third label in the table
    EXPECT_EQ(network->retexts, 1);
    EXPECT_EQ(shared->retexts, 1);

    ASSERT_TRUE(TheStringTable().Load(environment.folder(), 0x0407, kStringTableGroup));
    pane.Retext();
    EXPECT_EQ(pane.Caption(), "Druckerauswahl");
    EXPECT_EQ(pane.Tabs()->tabText(1), "Freigegebene Drucker");
    EXPECT_EQ(captions.count(), 2);
}

TEST(LeftPaneTest, MessagesReachTheCurrentPageAfterTheEventsInHand)
{
    const FrameEnvironment environment;
    CLeftPane pane;
    auto* first = new RecordingPage;
    auto* second = new RecordingPage;
    pane.AddPage(first, {});
    pane.AddPage(second, {});
    pane.SelectPage(1);
    pane.SelectPage(7); // out of range: nothing changes
    EXPECT_EQ(pane.CurrentPage(), second);

    pane.PostToCurrentPage(WM_LEFT_PANE_NOTIFY, IDC_ADD_BUTTON);
    EXPECT_TRUE(second->messages.empty());
    frametest::Settle();
    ASSERT_EQ(second->messages.size(), 1u);
    EXPECT_EQ(second->messages[0], std::make_pair(0x503, 1044));
    EXPECT_TRUE(first->messages.empty());

    // A page gone before the message arrives is skipped.
    pane.PostToCurrentPage(WM_LEFT_PANE_NOTIFY, IDC_ADD_BUTTON);
    delete second;
    frametest::Settle();
}

} // namespace
} // namespace pellora::ui
