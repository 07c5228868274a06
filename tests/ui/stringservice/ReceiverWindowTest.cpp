#include "ui/stringservice/ReceiverWindow.h"

#include "MainFrameTestSupport.h"
#include "core/i18n/StringServiceClient.h"
#include "core/platform/UserRuntime.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/frame/MainFrame.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/options/CustomDlgIds.h"
#include "ui/options/OptionDialog.h"
#include "ui/options/UtilityDlgIds.h"
#include "ui/project/Corvan2View.h"
#include "ui/shared/DialogTexts.h"
#include "ui/stringservice/ScreenPreview.h"

#include <QHeaderView>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <future>

namespace pellora::ui {
namespace {

using namespace std::chrono_literals;
using Answer = StringServiceClient::Answer;
using frametest::FrameEnvironment;

StringServiceRecord show(std::string section, std::int32_t identifier, std::int32_t textNumber = 0)
{
    StringServiceRecord record;
    record.section = std::move(section);
    record.identifier = identifier;
    record.textNumber = textNumber;
    return record;
}

// The text number at a position of an item's texts.
std::int32_t textNumberAt(std::string_view section, int item, std::size_t position)
{
    const StringEntry entry = Strings().FindEntry(section, item);
    return position < entry.textIds.size() ? static_cast<std::int32_t>(entry.textIds[position]) : 0;
}

// Where a rectangle of a control lies in its window.
QRect inWindow(const QWidget* control, const QRect& rect)
{
    return QRect(control->mapTo(control->window(), rect.topLeft()), rect.size());
}

// A shown main frame with a project, its receiver, and the tool connected to it through a socket and
// shared memory of the test's own.
class ReceiverWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_frame = std::make_unique<CMainFrame>(m_environment.environment(), m_environment.settings());
        ASSERT_TRUE(m_frame->Create(0));
        ASSERT_TRUE(m_frame->NewDocument());
        m_frame->show();
        m_receiver = makeReceiver(m_frame.get());
        ASSERT_TRUE(m_tool.Connect(1s).ok());
        SetViewMode(true);
    }

    std::unique_ptr<CReceiverWindow> makeReceiver(CMainFrame* frame)
    {
        EXPECT_TRUE(m_tool.CreateRecords().ok());
        auto receiver = std::make_unique<CReceiverWindow>(frame, m_environment.folder(),
                                                          [this](int status) { m_ended.push_back(status); });
        EXPECT_EQ(receiver->Open(names()), CReceiverWindow::Failure::None);
        return receiver;
    }

    platform::StringServiceNames names() const
    {
        return platform::StringServiceNames::In(m_runtime.path(), platform::UserTag());
    }

    // Sends as the tool does, from a thread of its own, while this thread runs the window's events.
    Answer send(std::uint32_t command, const StringServiceRecord& record, std::chrono::milliseconds timeout = 5s)
    {
        auto answer = std::async(std::launch::async, [&] { return m_tool.Send(command, record, timeout); });
        test::WaitFor([&] { return answer.wait_for(0ms) == std::future_status::ready; }, 10000);
        return answer.get();
    }

    CScreenPreview& preview() const { return *m_receiver->Preview(); }
    CCoolDialogBar& bar() const { return *m_frame->DockingBar(); }

    FrameEnvironment m_environment {{}, {"OptionDialogs.txt"}};
    ScopedTempFolder m_runtime;
    StringServiceClient m_tool {names()};
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<CReceiverWindow> m_receiver;
    std::vector<int> m_ended;
};

TEST_F(ReceiverWindowTest, TheSecondTextOfTheLeftPaneTabsSelectsTheSecondTabAndFlashesItBeforeTheAnswer)
{
    CLeftPane& pane = *m_frame->LeftPane();
    pane.AddPage(new QWidget, {});
    pane.AddPage(new QWidget, {});
    bar().hide();
    QSignalSpy flashes(&m_receiver->Flash(), &CControlFlash::finished);

    EXPECT_EQ(send(1, show("IDD_DIALOG_LEFT", 1001, textNumberAt("IDD_DIALOG_LEFT", 1001, 1))), Answer::Answered);
    EXPECT_TRUE(bar().isVisible());
    EXPECT_EQ(pane.Tabs()->currentIndex(), 1);
    EXPECT_EQ(flashes.count(), 1);
    EXPECT_EQ(m_receiver->Flash().Inversions(), CControlFlash::kInversions);
    EXPECT_EQ(m_receiver->Flash().WindowRect(), inWindow(pane.Tabs()->tabBar(), pane.Tabs()->tabBar()->tabRect(1)));

    // A text that is not one of the item's selects and flashes nothing.
    EXPECT_EQ(send(1, show("IDD_DIALOG_LEFT", 1001, 55555)), Answer::Answered);
    EXPECT_EQ(pane.Tabs()->currentIndex(), 1);
    EXPECT_EQ(flashes.count(), 1);
}

TEST_F(ReceiverWindowTest, OptionDialogsAreMadeOnceWithoutOwnerAndOtherScreensHideOrDestroyThem)
{
    m_receiver->setPosition(20, 30);
    QSignalSpy flashes(&m_receiver->Flash(), &CControlFlash::finished);

    EXPECT_EQ(send(1, show("idd_dialog_custom", custom::IDC_SOUND_NOTIFY)), Answer::Answered);
    COptionDialog* customDialog = preview().Dialog(ScreenKind::CustomDialog);
    ASSERT_NE(customDialog, nullptr);
    EXPECT_TRUE(customDialog->isVisible());
    EXPECT_FALSE(customDialog->isModal());
    EXPECT_EQ(customDialog->parentWidget(), nullptr);
    EXPECT_EQ(customDialog->frameGeometry().topLeft(), QPoint(20, 30));
    EXPECT_FALSE(bar().isVisible());
    EXPECT_EQ(m_receiver->Flash().Window(), customDialog);
    EXPECT_EQ(m_receiver->Flash().WindowRect(), FindControl(customDialog, custom::IDC_SOUND_NOTIFY)->geometry());

    const std::int32_t systems = textNumberAt(utility::kSection, utility::IDC_APPLICATION_LIST, utility::kSystemsColumn);
    EXPECT_EQ(send(1, show("IDD_DIALOG_UTILITY", utility::IDC_APPLICATION_LIST, systems)), Answer::Answered);
    EXPECT_EQ(preview().Dialog(ScreenKind::CustomDialog), nullptr);
    COptionDialog* utilityDialog = preview().Dialog(ScreenKind::UtilityDialog);
    ASSERT_NE(utilityDialog, nullptr);
    const QHeaderView* header = utilityDialog->Item<QTreeWidget>(utility::IDC_APPLICATION_LIST)->header();
    EXPECT_EQ(m_receiver->Flash().WindowRect(),
              inWindow(header->viewport(), QRect(header->sectionViewportPosition(utility::kSystemsColumn), 0,
                                                 header->sectionSize(utility::kSystemsColumn), header->viewport()->height())));

    // The utility dialog is only hidden; the caption of a dialog is its title band.
    EXPECT_EQ(send(1, show("IDD_DIALOG_SECURITY", 0)), Answer::Answered);
    EXPECT_EQ(preview().Dialog(ScreenKind::UtilityDialog), utilityDialog);
    EXPECT_FALSE(utilityDialog->isVisible());
    COptionDialog* securityDialog = preview().Dialog(ScreenKind::SecurityDialog);
    ASSERT_NE(securityDialog, nullptr);
    EXPECT_EQ(m_receiver->Flash().WindowRect().topLeft(), QPoint(0, 0));
    EXPECT_EQ(m_receiver->Flash().WindowRect().width(), securityDialog->width());
    EXPECT_EQ(send(1, show("IDD_DIALOG_UTILITY", utility::IDC_ADD)), Answer::Answered);
    EXPECT_EQ(preview().Dialog(ScreenKind::UtilityDialog), utilityDialog);
    EXPECT_TRUE(utilityDialog->isVisible());
    EXPECT_EQ(preview().Dialog(ScreenKind::SecurityDialog), nullptr);

    EXPECT_EQ(send(1, show("IDD_ABOUTBOX", 1055)), Answer::Answered);
    ASSERT_NE(preview().AboutBox(), nullptr);
    EXPECT_TRUE(preview().AboutBox()->isVisible());
    EXPECT_FALSE(utilityDialog->isVisible());

    // A project page is found by its section; a page the view does not have selects and flashes nothing.
    const int shown = flashes.count();
    QTabWidget* pages = m_frame->ActiveChild()->View()->Tabs();
    EXPECT_EQ(send(1, show("IDD_TAB_DRIVERINFO", 1046)), Answer::Answered);
    EXPECT_FALSE(preview().AboutBox()->isVisible());
    EXPECT_EQ(pages->currentIndex(), CCorvan2View::kDriverPage);
    EXPECT_EQ(flashes.count(), shown + 1);
    EXPECT_EQ(send(1, show("IDD_TAB_CONFIG", 1046)), Answer::Answered);
    EXPECT_EQ(pages->currentIndex(), CCorvan2View::kDriverPage);
    EXPECT_EQ(flashes.count(), shown + 1);
}

TEST_F(ReceiverWindowTest, ReplacedTextsAndAnotherLanguageReachTheScreenShown)
{
    EXPECT_EQ(send(1, show("IDD_DIALOG_CUSTOM", 0)), Answer::Answered);
    COptionDialog* dialog = preview().Dialog(ScreenKind::CustomDialog);
    ASSERT_NE(dialog, nullptr);
    StringServiceRecord replace;
    replace.textNumber = textNumberAt("IDD_DIALOG_CUSTOM", 0, 0);
    replace.text = "Monitor\\tsettings";
    EXPECT_EQ(send(2, replace), Answer::Answered);
    EXPECT_EQ(dialog->windowTitle(), "Monitor\tsettings");
    StringServiceRecord german;
    german.language = 0x0407;
    EXPECT_EQ(send(0, german), Answer::Answered);
    EXPECT_EQ(dialog->windowTitle(), "Einstellungen der Statusüberwachung");

    // The main frame re-texts itself when it is the screen shown.
    EXPECT_EQ(send(1, show("ETC", 12)), Answer::Answered);
    replace.textNumber = textNumberAt("ETC", 12, 0);
    replace.text = "Vorschau";
    EXPECT_EQ(send(2, replace), Answer::Answered);
    EXPECT_EQ(m_frame->windowTitle(), "Vorschau");
}

TEST_F(ReceiverWindowTest, AMessageIsShownAgainAfterATextChangeAndClosedByTheNextScreen)
{
    EXPECT_EQ(send(1, show("Message", 5)), Answer::Answered);
    std::vector<int> numbers;
    for (const auto& shown : m_environment.messages.shown)
        numbers.push_back(shown.number);
    EXPECT_EQ(numbers, std::vector<int> {5});
    StringServiceRecord replace;
    replace.textNumber = textNumberAt("MESSAGE", 5, 0);
    replace.text = "Changed";
    EXPECT_EQ(send(2, replace), Answer::Answered);
    EXPECT_EQ(send(1, show("IDD_CORVAN2_FORM", 1000)), Answer::Answered);
    numbers.clear();
    for (const auto& shown : m_environment.messages.shown)
        numbers.push_back(shown.number);
    EXPECT_EQ(numbers, (std::vector<int> {5, 5, kCloseNonBlockingBox}));
}

TEST_F(ReceiverWindowTest, CloseEndsTheProgramWithStatusOneWhenThereIsNoMainWindow)
{
    EXPECT_EQ(send(3, {}), Answer::Answered);
    EXPECT_TRUE(test::WaitFor([&] { return !m_frame->isVisible(); }));
    EXPECT_TRUE(m_ended.empty());

    m_receiver.reset();
    m_receiver = makeReceiver(nullptr);
    ASSERT_TRUE(m_tool.Connect(1s).ok());
    EXPECT_EQ(send(3, {}, 300ms), Answer::TimedOut);
    EXPECT_EQ(m_ended, std::vector<int> {1});
}

TEST_F(ReceiverWindowTest, TheMainWindowFollowsTheReceiversFirstMoveOnly)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // A frame smaller than the screen, so that the positions below are where it can stand.
    m_frame->resize(screen.width() / 2, screen.height() / 2);
    m_receiver->setPosition(5, 7);
    EXPECT_EQ(m_frame->frameGeometry().topLeft(), QPoint(5, 7));
    m_receiver->setPosition(screen.width(), screen.height());
    EXPECT_EQ(m_frame->frameGeometry().topLeft(), QPoint(5, 7));

    // Kept on the screen.
    m_receiver.reset();
    m_receiver = makeReceiver(m_frame.get());
    m_receiver->setPosition(screen.width(), -40);
    EXPECT_EQ(m_frame->frameGeometry().topLeft(), QPoint(screen.width() - m_frame->frameGeometry().width(), 0));
}

} // namespace
} // namespace pellora::ui
