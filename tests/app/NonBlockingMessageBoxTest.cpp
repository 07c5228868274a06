#include "app/NonBlockingMessageBox.h"

#include "QtTestApplication.h"
#include "app/Messages.h"

#include <QAbstractButton>
#include <QScreen>

#include <vector>

namespace pellora {
namespace {

using NonBlockingMessageBoxTest = test::QtApplicationTest;

TEST_F(NonBlockingMessageBoxTest, AnAnsweredBoxDeliversItsResultAndLeavesItsPlaceToTheNext)
{
    NonBlockingMessageBox messages;
    QObject receiver;
    std::vector<int> notified;
    std::vector<int> called;
    messages.SetNotify(&receiver, [&notified](int result) { notified.push_back(result); });
    messages.SetCallback([&called](int result) { called.push_back(result); });

    messages.Show("Continue?", "Pellora", MB_YESNO, true);
    QMessageBox* box = messages.box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    box->move(70, 80);
    const QRect place = box->frameGeometry();
    test::SendClick(box->button(QMessageBox::No), Qt::LeftButton);
    EXPECT_EQ(called, std::vector<int> {IDNO});
    EXPECT_TRUE(notified.empty()); // posted, not sent
    QApplication::processEvents();
    EXPECT_EQ(notified, std::vector<int> {IDNO});
    EXPECT_EQ(messages.result(), IDNO);
    EXPECT_EQ(messages.box(), nullptr);
    EXPECT_EQ(messages.lastPosition(), place);

    messages.Show("Next", "Pellora", MB_OK, false);
    ASSERT_NE(messages.box(), nullptr);
    EXPECT_EQ(messages.box()->frameGeometry().topLeft(), place.topLeft());

    // A box the program closes delivers nothing.
    messages.Close();
    QApplication::processEvents();
    EXPECT_EQ(called.size(), 1u);
    EXPECT_EQ(notified.size(), 1u);
}

TEST_F(NonBlockingMessageBoxTest, TheBoxStaysOnTheDesktopAndHasACaptionAlways)
{
    NonBlockingMessageBox messages;
    messages.Show("First", "", MB_OK, false);
    ASSERT_NE(messages.box(), nullptr);
    EXPECT_EQ(messages.box()->windowTitle(), QCoreApplication::applicationFilePath());
    const QRect desktop = QApplication::primaryScreen()->availableGeometry();
    messages.box()->move(desktop.right() - 5, desktop.bottom() - 5);
    messages.Show("Second", "Pellora", MB_OK, false);
    const QRect shown = messages.box()->frameGeometry();
    EXPECT_TRUE(desktop.contains(shown)) << shown.x() << "," << shown.y();
    EXPECT_EQ(shown.right(), desktop.right());
    EXPECT_EQ(shown.bottom(), desktop.bottom());
}

} // namespace
} // namespace pellora
