#include "app/QtMessagePresenter.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMouseEvent>
#include <QScreen>

namespace pellora {

namespace {

QWidget* mainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QMainWindow*>(widget) != nullptr && widget->isVisible())
            return widget;
    }
    return nullptr;
}

QWidget* ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return mainWindow();
}

// Keeps a rectangle inside the screen's available area: left and top not below it, right and bottom not
// beyond it.
QRect keptOnScreen(QRect rect, const QScreen* screen)
{
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

// Swallows what the non-blocking box must not take: keys, left-button clicks and close requests.
class QtMessagePresenter::InputFilter final : public QObject {
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

QtMessagePresenter::QtMessagePresenter()
    : m_filter(std::make_unique<InputFilter>(m_allowInput))
{
}

QtMessagePresenter::~QtMessagePresenter()
{
    CloseNonBlocking();
}

int QtMessagePresenter::Show(const std::string& text, const std::string& caption, int style)
{
    QMessageBox box(IconOf(style), QString::fromStdString(caption), DisplayText(text), ButtonsOf(style), ownerWindow());
    box.setTextFormat(Qt::PlainText);
    return ResultOf(box.exec());
}

int QtMessagePresenter::ShowNonBlocking(const std::string& text, const std::string& caption, int style)
{
    CloseNonBlocking();
    style = NonBlockingStyle(style);
    m_nonBlocking = std::make_unique<QMessageBox>(IconOf(style), QString::fromStdString(caption), DisplayText(text),
                                                  ButtonsOf(style));
    QMessageBox& box = *m_nonBlocking;
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::NonModal);
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    box.installEventFilter(m_filter.get());
    for (QWidget* child : box.findChildren<QWidget*>())
        child->installEventFilter(m_filter.get());
    // The box takes its final size when it is shown, so it is placed afterwards.
    box.show();
    QRect place(QPoint(0, 0), box.frameGeometry().size());
    if (m_lastPosition) {
        place.moveTopLeft(m_lastPosition->topLeft());
    } else if (const QWidget* owner = mainWindow()) {
        place.moveCenter(owner->frameGeometry().center());
    } else if (const QScreen* screen = QApplication::primaryScreen()) {
        place.moveCenter(screen->availableGeometry().center());
    }
    box.move(keptOnScreen(place, QApplication::primaryScreen()).topLeft());
    return 0;
}

void QtMessagePresenter::CloseNonBlocking()
{
    if (!m_nonBlocking)
        return;
    if (m_nonBlocking->isVisible() && !m_nonBlocking->size().isEmpty())
        m_lastPosition = m_nonBlocking->frameGeometry();
    m_nonBlocking.reset();
}

void QtMessagePresenter::ShowFixedText(const std::string& text, const std::string& caption)
{
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), DisplayText(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QMessageBox::Icon QtMessagePresenter::IconOf(int style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONASTERISK:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButtons QtMessagePresenter::ButtonsOf(int style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_YESNOCANCEL:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO:
        return QMessageBox::Yes | QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

int QtMessagePresenter::ResultOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    case QMessageBox::Cancel:
        return IDCANCEL;
    default:
        return IDOK;
    }
}

int QtMessagePresenter::NonBlockingStyle(int style)
{
    const int buttons = style & MB_TYPEMASK;
    const bool usualButtons =
        buttons == MB_OK || buttons == MB_OKCANCEL || buttons == MB_YESNOCANCEL || buttons == MB_YESNO;
    if ((style & MB_ICONMASK) == 0 && usualButtons)
        return style | MB_ICONEXCLAMATION;
    return style;
}

QString QtMessagePresenter::DisplayText(const std::string& text)
{
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QChar('\r'), QChar('\n'));
    return shown;
}

} // namespace pellora
