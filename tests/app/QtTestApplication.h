#pragma once

// A QApplication on the offscreen platform for the tests of one test suite.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace pellora::test {

class QtApplicationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        application() = std::make_unique<QApplication>(argc(), argv());
    }
    static void TearDownTestSuite() { application().reset(); }

private:
    static std::unique_ptr<QApplication>& application()
    {
        static std::unique_ptr<QApplication> instance;
        return instance;
    }
    static int& argc()
    {
        static int count = 1;
        return count;
    }
    static char** argv()
    {
        static char name[] = "pellora_app_tests";
        static char* arguments[] = {name, nullptr};
        return arguments;
    }
};

// Input as the platform delivers it: through the application, so that its event filters see it.
inline void SendKey(QWidget* widget, Qt::Key key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
}

inline void SendClick(QWidget* widget, Qt::MouseButton button)
{
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(inside);
    QMouseEvent press(QEvent::MouseButtonPress, inside, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, global, button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

} // namespace pellora::test
