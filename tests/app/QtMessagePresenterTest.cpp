#include "app/QtMessagePresenter.h"

#include "QtTestApplication.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTimer>

#include <functional>

namespace pellora {
namespace {

struct SeenBox {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QString caption;
    QString text;
    bool modal = false;
};

class QtMessagePresenterTest : public test::QtApplicationTest {
protected:
    // Answers the next modal box with the button once it is up, and records what it showed.
    void answerWith(QMessageBox::StandardButton button)
    {
        QTimer::singleShot(0, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            m_seen = {box->icon(), box->standardButtons(), box->windowTitle(), box->text(), box->isModal()};
            QAbstractButton* pressed = box->button(button);
            ASSERT_NE(pressed, nullptr);
            pressed->click();
        });
    }

    QtMessagePresenter m_presenter;
    SeenBox m_seen;
};

TEST_F(QtMessagePresenterTest, AYesNoQuestionReturnsTheButtonOfTheUser)
{
    answerWith(QMessageBox::No);
    EXPECT_EQ(m_presenter.Show("Save the changes?", "Pellora", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(m_seen.icon, QMessageBox::Question);
    EXPECT_EQ(m_seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(m_seen.caption, "Pellora");
    EXPECT_EQ(m_seen.text, "Save the changes?");
    EXPECT_TRUE(m_seen.modal);

    answerWith(QMessageBox::Yes);
    EXPECT_EQ(m_presenter.Show("Save the changes?", "Pellora", 0x24), IDYES);
}

TEST_F(QtMessagePresenterTest, StopAndExclamationBoxesHaveOneOkButton)
{
    answerWith(QMessageBox::Ok);
    EXPECT_EQ(m_presenter.Show("Pellora is already running.", "Pellora", MB_ICONHAND), IDOK);
    EXPECT_EQ(m_seen.icon, QMessageBox::Critical);
    EXPECT_EQ(m_seen.buttons, QMessageBox::Ok);

    answerWith(QMessageBox::Ok);
    EXPECT_EQ(m_presenter.Show("a.qst:\r\nThe file cannot be opened.", "Pellora", 0x30), IDOK);
    EXPECT_EQ(m_seen.icon, QMessageBox::Warning);
    EXPECT_EQ(m_seen.text, "a.qst:\nThe file cannot be opened."); // the table's CR LF is one line break

    // A text that looks like markup is shown as it is.
    answerWith(QMessageBox::Ok);
    m_presenter.Show("<b>x</b>", "Pellora", 0x30);
    EXPECT_EQ(m_seen.text, "<b>x</b>");
}

TEST_F(QtMessagePresenterTest, TheFixedStartTextIsAPlainStopBox)
{
    QTimer::singleShot(0, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        m_seen = {box->icon(), box->standardButtons(), box->windowTitle(), box->text(), box->isModal()};
        box->button(QMessageBox::Ok)->click();
    });
    m_presenter.ShowFixedText("resource file is not exist.", "Pellora");
    EXPECT_EQ(m_seen.icon, QMessageBox::Critical);
    EXPECT_EQ(m_seen.buttons, QMessageBox::Ok);
    EXPECT_EQ(m_seen.text, "resource file is not exist.");
    EXPECT_EQ(m_seen.caption, "Pellora");
}

TEST_F(QtMessagePresenterTest, StyleBitsMapToIconsButtonsAndResults)
{
    EXPECT_EQ(QtMessagePresenter::IconOf(0x10), QMessageBox::Critical);
    EXPECT_EQ(QtMessagePresenter::IconOf(0x20), QMessageBox::Question);
    EXPECT_EQ(QtMessagePresenter::IconOf(0x30), QMessageBox::Warning);
    EXPECT_EQ(QtMessagePresenter::IconOf(0x40), QMessageBox::Information);
    EXPECT_EQ(QtMessagePresenter::IconOf(0x04), QMessageBox::NoIcon);
    EXPECT_EQ(QtMessagePresenter::ButtonsOf(0x24), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(QtMessagePresenter::ButtonsOf(0x31), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(QtMessagePresenter::ButtonsOf(0x03), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(QtMessagePresenter::ButtonsOf(0x10), QMessageBox::Ok);
    EXPECT_EQ(QtMessagePresenter::ResultOf(QMessageBox::Cancel), IDCANCEL);

    // The non-blocking box gets the exclamation icon when the style has none.
    EXPECT_EQ(QtMessagePresenter::NonBlockingStyle(MB_OK), MB_ICONEXCLAMATION);
    EXPECT_EQ(QtMessagePresenter::NonBlockingStyle(MB_YESNO), MB_YESNO | MB_ICONEXCLAMATION);
    EXPECT_EQ(QtMessagePresenter::NonBlockingStyle(MB_ICONHAND), MB_ICONHAND);
    EXPECT_EQ(QtMessagePresenter::NonBlockingStyle(0x02), 0x02); // abort/retry/ignore keeps its style
}

TEST_F(QtMessagePresenterTest, TheNonBlockingBoxTakesNoInputAndCannotBeClosedByTheUser)
{
    QMainWindow frame;
    frame.setGeometry(100, 100, 764, 564);
    frame.show();

    EXPECT_EQ(m_presenter.ShowNonBlocking("Message five", "Pellora", MB_OK), 0);
    QMessageBox* box = m_presenter.nonBlockingBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_FALSE(box->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_LE((box->frameGeometry().center() - frame.frameGeometry().center()).manhattanLength(), 2);

    bool clicked = false;
    QObject::connect(box, &QMessageBox::buttonClicked, [&clicked] { clicked = true; });
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    test::SendClick(ok, Qt::LeftButton);
    test::SendKey(ok, Qt::Key_Return);
    test::SendKey(ok, Qt::Key_Space, " ");
    test::SendKey(box, Qt::Key_Escape);
    box->close();
    EXPECT_FALSE(clicked);
    EXPECT_TRUE(box->isVisible());

    // A new message replaces the box and stands where the last one stood.
    const QPoint moved(40, 60);
    box->move(moved);
    const QRect before = box->frameGeometry();
    m_presenter.ShowNonBlocking("Message six", "Pellora", MB_ICONHAND);
    ASSERT_NE(m_presenter.nonBlockingBox(), nullptr);
    EXPECT_NE(m_presenter.nonBlockingBox(), box);
    EXPECT_EQ(m_presenter.nonBlockingBox()->text(), "Message six");
    EXPECT_EQ(m_presenter.nonBlockingBox()->frameGeometry().topLeft(), before.topLeft());

    m_presenter.CloseNonBlocking();
    EXPECT_EQ(m_presenter.nonBlockingBox(), nullptr);
    m_presenter.CloseNonBlocking(); // nothing left to close
}

TEST_F(QtMessagePresenterTest, InputReachesTheNonBlockingBoxWhenAllowed)
{
    m_presenter.SetAllowInput(true);
    m_presenter.ShowNonBlocking("Message", "Pellora", MB_OK);
    QMessageBox* box = m_presenter.nonBlockingBox();
    ASSERT_NE(box, nullptr);
    bool clicked = false;
    QObject::connect(box, &QMessageBox::buttonClicked, [&clicked] { clicked = true; });
    test::SendClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    EXPECT_TRUE(clicked);
    m_presenter.CloseNonBlocking();
}

} // namespace
} // namespace pellora
