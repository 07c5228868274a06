#include "app/NonBlockingMessageBox.h"

#include "app/QtMessagePresenter.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QScreen>

namespace pellora {

QWidget* VisibleMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget) != nullptr && widget->isVisible())
            return widget;
    }
    return nullptr;
}

namespace {

// Keeps a rectangle on the desktop: left and top not below it, right and bottom not beyond it.
QRect keptOnDesktop(QRect rect)
{
    const QScreen* screen = QApplication::primaryScreen();
    if (screen == nullptr)
        return rect;
    const QRect area = screen->availableGeometry();
    if (rect.right() > area.right())
        rect.moveRight(area.right());
    if (rect.bottom() > area.bottom())
        rect.moveBottom(area.bottom());
    if (rect.left() < area.left())
        rect.moveLeft(area.left());
    if (rect.top() < area.top())
        rect.moveTop(area.top());
    return rect;
}

} // namespace

// Swallows what the box must not take: keys and left-button clicks unless input is allowed, and every
// close request of the user.
class NonBlockingMessageBox::InputFilter final : public QObject {
public:
    explicit InputFilter(const bool& allowInput)
        : m_allowInput(allowInput)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Close:
            event->ignore();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return !m_allowInput;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return !m_allowInput && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        default:
            return QObject::eventFilter(watched, event);
        }
    }

private:
    const bool& m_allowInput;
};

NonBlockingMessageBox::NonBlockingMessageBox()
    : m_filter(std::make_unique<InputFilter>(m_allowInput))
{
}

NonBlockingMessageBox::~NonBlockingMessageBox()
{
    Close();
}

void NonBlockingMessageBox::SetNotify(QObject* receiver, ResultHandler notify)
{
    m_notifyReceiver = receiver;
    m_notify = std::move(notify);
}

void NonBlockingMessageBox::Show(const std::string& text, const std::string& caption, int style, bool allowInput)
{
    Close();
    style = QtMessagePresenter::NonBlockingStyle(style);
    m_allowInput = allowInput;
    const QString title = caption.empty() ? QCoreApplication::applicationFilePath() : QString::fromStdString(caption);
    m_box = std::make_unique<QMessageBox>(QtMessagePresenter::IconOf(style), title,
                                          QtMessagePresenter::DisplayText(text), QtMessagePresenter::ButtonsOf(style));
    QMessageBox& box = *m_box;
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::NonModal);
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    box.installEventFilter(m_filter.get());
    for (QWidget* child : box.findChildren<QWidget*>())
        child->installEventFilter(m_filter.get());
    QObject::connect(&box, &QMessageBox::finished, &box, [this, &box] {
        finished(QtMessagePresenter::ResultOf(box.standardButton(box.clickedButton())));
    });
    box.show();
    place();
}

void NonBlockingMessageBox::place()
{
    // The box takes its final size when it is shown, so it is placed afterwards.
    QRect rect(QPoint(0, 0), m_box->frameGeometry().size());
    if (m_lastPosition) {
        rect.moveTopLeft(m_lastPosition->topLeft());
    } else if (const QWidget* owner = VisibleMainWindow()) {
        rect.moveCenter(owner->frameGeometry().center());
    } else if (const QScreen* screen = QApplication::primaryScreen()) {
        rect.moveCenter(screen->availableGeometry().center());
    }
    m_box->move(keptOnDesktop(rect).topLeft());
}

void NonBlockingMessageBox::finished(int button)
{
    // The user ended the box: its result goes out, its place stays for the next one, and it goes.
    m_result = button;
    if (m_notify && m_notifyReceiver) {
        QMetaObject::invokeMethod(m_notifyReceiver, [notify = m_notify, button] { notify(button); },
                                  Qt::QueuedConnection);
    }
    if (m_callback)
        m_callback(button);
    rememberPosition();
    // The box is still inside its own signal: it goes with the next box, or with this object.
    m_answered = std::move(m_box);
}

void NonBlockingMessageBox::rememberPosition()
{
    if (m_box && !m_box->frameGeometry().size().isEmpty())
        m_lastPosition = m_box->frameGeometry();
}

void NonBlockingMessageBox::Close()
{
    m_answered.reset();
    if (!m_box)
        return;
    if (m_box->isVisible())
        rememberPosition();
    m_box.reset();
}

} // namespace pellora
