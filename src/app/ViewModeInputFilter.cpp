#include "app/ViewModeInputFilter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

namespace pellora {

ViewModeInputFilter::ViewModeInputFilter()
{
    QCoreApplication::instance()->installEventFilter(this);
}

ViewModeInputFilter::~ViewModeInputFilter()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

bool ViewModeInputFilter::Discards(const QEvent& event)
{
    switch (event.type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu: // follows a right-button press, or comes from the keyboard
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
        return static_cast<const QMouseEvent&>(event).button() == Qt::RightButton;
    default:
        return false;
    }
}

bool ViewModeInputFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (Discards(*event))
        return true;
    return QObject::eventFilter(watched, event);
}

} // namespace pellora
