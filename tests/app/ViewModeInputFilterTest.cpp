#include "app/ViewModeInputFilter.h"

#include "QtTestApplication.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace pellora {
namespace {

using ViewModeInputFilterTest = test::QtApplicationTest;

QMouseEvent mouse(QEvent::Type type, Qt::MouseButton button)
{
    return QMouseEvent(type, QPointF(5, 5), QPointF(5, 5), button, button, Qt::NoModifier);
}

TEST_F(ViewModeInputFilterTest, KeysAndTheRightButtonAreDiscardedTheLeftButtonIsNot)
{
    EXPECT_TRUE(ViewModeInputFilter::Discards(QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a")));
    EXPECT_TRUE(ViewModeInputFilter::Discards(QKeyEvent(QEvent::KeyRelease, Qt::Key_F10, Qt::AltModifier)));
    EXPECT_TRUE(ViewModeInputFilter::Discards(mouse(QEvent::MouseButtonPress, Qt::RightButton)));
    EXPECT_TRUE(ViewModeInputFilter::Discards(mouse(QEvent::MouseButtonRelease, Qt::RightButton)));
    EXPECT_TRUE(ViewModeInputFilter::Discards(mouse(QEvent::MouseButtonDblClick, Qt::RightButton)));
    EXPECT_TRUE(ViewModeInputFilter::Discards(QContextMenuEvent(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(1, 1))));
    EXPECT_FALSE(ViewModeInputFilter::Discards(mouse(QEvent::MouseButtonPress, Qt::LeftButton)));
    EXPECT_FALSE(ViewModeInputFilter::Discards(mouse(QEvent::MouseButtonRelease, Qt::MiddleButton)));
    EXPECT_FALSE(ViewModeInputFilter::Discards(QEvent(QEvent::Paint)));
}

TEST_F(ViewModeInputFilterTest, WhileInstalledNoWindowSeesTheDiscardedInput)
{
    QLineEdit edit;
    edit.show();
    QPushButton button("OK");
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&clicks] { ++clicks; });
    {
        const ViewModeInputFilter filter;
        test::SendKey(&edit, Qt::Key_T, "t");
        EXPECT_EQ(edit.text(), "");
        test::SendClick(&button, Qt::RightButton);
        EXPECT_EQ(clicks, 0);
        test::SendClick(&button, Qt::LeftButton);
        EXPECT_EQ(clicks, 1);
    }
    test::SendKey(&edit, Qt::Key_T, "t");
    EXPECT_EQ(edit.text(), "t");
}

} // namespace
} // namespace pellora
