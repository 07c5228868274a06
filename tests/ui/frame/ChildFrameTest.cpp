#include "ui/frame/ChildFrame.h"

#include "MainFrameTestSupport.h"
#include "core/util/MessageNumbers.h"
#include "ui/project/Corvan2View.h"
#include "ui/shared/DialogTexts.h"

#include <QMdiArea>
#include <QMenu>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

namespace pellora::ui {
namespace {

using frametest::FrameEnvironment;
using frametest::RecordingMessages;
using frametest::SavedPrinterNames;

std::unique_ptr<CCorvan2Doc> newDocument(const FrameEnvironment& environment)
{
    auto document = std::make_unique<CCorvan2Doc>(environment.environment());
    document->OnNewDocument();
    return document;
}

TEST(ChildFrameTest, NewWindowsCascadeOverWindowsThatHoldTheirPlace)
{
    const QRect client(0, 0, 800, 600);
    const int step = 25;
    const QRect start(8, 8, 784, 584);
    EXPECT_EQ(CChildFrame::DefaultRect(client, {}, step), start);
    EXPECT_EQ(CChildFrame::DefaultRect(client, {QRect(50, 50, 100, 100)}, step), start);

    // The bottom and right edges stay where they are.
    const QRect oneStep = start.adjusted(step, step, 0, 0);
    EXPECT_EQ(CChildFrame::DefaultRect(client, {start}, step), oneStep);
    // One window at the start and another one step in: the new one goes two steps in.
    EXPECT_EQ(CChildFrame::DefaultRect(client, {oneStep, start}, step), start.adjusted(2 * step, 2 * step, 0, 0));
}

TEST(ChildFrameTest, AWindowIsNotMovedWhenItsHeightWouldNotStayAbove256)
{
    const int step = 25;
    // 8 + 8 pixels of margin: this client area gives a start rectangle 281 pixels high.
    const QRect client(0, 0, 600, 297);
    const QRect start = CChildFrame::DefaultRect(client, {}, step);
    ASSERT_EQ(start.height(), 281);
    // One step would leave 256 pixels, which is not above 256: the window stays on the start rectangle.
    EXPECT_EQ(CChildFrame::DefaultRect(client, {start}, step), start);
    const QRect taller(0, 0, 600, 298);
    const QRect startTaller = CChildFrame::DefaultRect(taller, {}, step);
    EXPECT_EQ(CChildFrame::DefaultRect(taller, {startTaller}, step).height(), 257);
}

TEST(ChildFrameTest, AnEmptyClientAreaStartsFromTheLastWindow)
{
    const QRect last(30, 40, 500, 400);
    EXPECT_EQ(CChildFrame::DefaultRect(QRect(0, 0, 10, 10), {QRect(1, 1, 300, 300), last}, 20),
              last.adjusted(20, 20, 0, 0));
    EXPECT_TRUE(CChildFrame::DefaultRect(QRect(0, 0, 10, 10), {}, 20).isEmpty());
}

class ChildFrameFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_area.resize(700, 500);
        m_area.show();
    }

    CChildFrame* addWindow()
    {
        auto* frame = new CChildFrame(newDocument(m_environment));
        m_area.addSubWindow(frame);
        frame->show();
        return frame;
    }

    FrameEnvironment m_environment;
    QMdiArea m_area;
};

TEST_F(ChildFrameFixture, TheWindowShowsItsDocumentTitleAndFollowsItsChanges)
{
    CChildFrame* frame = addWindow();
    EXPECT_EQ(frame->windowTitle().toStdString(), frame->Document().GetTitle());
    EXPECT_EQ(frame->windowTitle().left(10), "Script 000");
    ASSERT_NE(frame->View(), nullptr);
    EXPECT_EQ(frame->widget(), static_cast<QWidget*>(frame->View()));

    QSignalSpy titles(frame, &CChildFrame::titleChanged);
    frame->Document().SetPathName(m_environment.folder() / "Office.qst");
    frame->Document().UpdateAllViews();
    EXPECT_EQ(frame->windowTitle(), "Office.qst");
    EXPECT_EQ(titles.count(), 1);
    frame->SyncTitle();
    EXPECT_EQ(titles.count(), 1);
}

TEST_F(ChildFrameFixture, PlacingByDefaultCascadesInTheClientArea)
{
    CChildFrame* first = addWindow();
    first->PlaceDefault({});
    const QRect client = m_area.viewport()->rect();
    EXPECT_EQ(first->geometry(), client.adjusted(8, 8, -8, -8));
    EXPECT_EQ(first->NormalRect(), first->geometry());

    CChildFrame* second = addWindow();
    second->showMaximized();
    second->PlaceDefault({first->NormalRect()});
    EXPECT_FALSE(second->isMaximized());
    const int step = second->CascadeStep();
    EXPECT_GT(step, 10);
    EXPECT_EQ(second->geometry(), first->geometry().adjusted(step, step, 0, 0));
}

// Closing a changed project asks to save it, naming it: Cancel keeps the window, No closes it without
// saving, Yes saves and then closes. An incomplete project is saved only after the check's message
// and a Yes to saving it anyway.
TEST_F(ChildFrameFixture, ClosingAChangedProjectAsksToSaveItWithThreeAnswers)
{
    RecordingMessages& messages = m_environment.messages;
    const std::filesystem::path file = m_environment.writeScript("office.qst");
    const auto changedWindow = [&] {
        CChildFrame* frame = addWindow();
        frame->Document().SetPathName(file);
        CPrinterInfoEx* const printer = frame->Document().AddPrinter();
        EXPECT_NE(printer, nullptr);
        if (printer != nullptr)
            printer->modelName = "RX-C3400";
        EXPECT_TRUE(frame->Document().IsModified());
        return frame;
    };

    CChildFrame* frame = changedWindow();
    QSignalSpy closing(frame, &CChildFrame::closing);
    messages.questionAnswers = {kAnswerCancel};
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(messages.questions.size(), 1u);
    EXPECT_EQ(messages.questions[0].text, "Save changes to office.qst?");
    EXPECT_TRUE(messages.questions[0].withCancel);
    EXPECT_EQ(closing.count(), 0);
    EXPECT_TRUE(frame->Document().IsModified());

    // Yes, but not the incomplete project after all: the window stays.
    messages.questionAnswers = {kAnswerYes, kAnswerNo};
    EXPECT_FALSE(frame->close());
    ASSERT_EQ(messages.questions.size(), 3u);
    EXPECT_EQ(messages.questions[2].text, ItemText(kQuestionSection, kQuestionSaveAnyway));
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().number, kMessageNoAddress);
    EXPECT_TRUE(SavedPrinterNames(file).empty());
    EXPECT_EQ(closing.count(), 0);

    messages.questionAnswers = {kAnswerNo};
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(closing.count(), 1);
    EXPECT_TRUE(SavedPrinterNames(file).empty());

    frame = changedWindow();
    const std::string name = frame->Document().GetScript().printers.at(0)->printerName;
    messages.questionAnswers = {kAnswerYes, kAnswerYes};
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(SavedPrinterNames(file), std::vector<std::string>{name});
    frametest::Settle();
    EXPECT_TRUE(m_area.subWindowList().isEmpty());

    // A project without a file asks for its name; cancelling that keeps the window.
    frame = addWindow();
    frame->Document().SetModifiedFlag(true);
    const auto nameWatch = frametest::WhenDocumentDialogOpens([](QFileDialog& dialog) { dialog.reject(); });
    messages.questionAnswers = {kAnswerYes, kAnswerYes};
    EXPECT_FALSE(frame->close());
    EXPECT_TRUE(frame->Document().GetPathName().empty());
    EXPECT_EQ(m_area.subWindowList().size(), 1);
}

TEST_F(ChildFrameFixture, UnchangedProjectsAndForcedClosesAskNothing)
{
    CChildFrame* unchanged = addWindow();
    EXPECT_TRUE(unchanged->close());
    CChildFrame* changed = addWindow();
    changed->Document().SetModifiedFlag(true);
    changed->CloseWithoutAsking();
    frametest::Settle();
    EXPECT_TRUE(m_environment.messages.shown.empty());
    EXPECT_TRUE(m_environment.messages.questions.empty());
    EXPECT_TRUE(m_area.subWindowList().isEmpty());
}

TEST_F(ChildFrameFixture, InViewModeTheUserCannotCloseTheWindow)
{
    SetViewMode(true);
    CChildFrame* frame = addWindow();
    EXPECT_FALSE(frame->windowFlags() & Qt::WindowCloseButtonHint);
    bool closeItemFound = false;
    for (QAction* action : frame->systemMenu()->actions()) {
        if (action->shortcuts().contains(QKeySequence(QKeySequence::Close))) {
            closeItemFound = true;
            EXPECT_FALSE(action->isEnabled());
        }
    }
    EXPECT_TRUE(closeItemFound);
    // The program itself still closes it (the string service ends the program so), without a question.
    frame->Document().SetModifiedFlag(true);
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(m_environment.messages.shown.empty());
    EXPECT_TRUE(m_environment.messages.questions.empty());
}

} // namespace
} // namespace pellora::ui
