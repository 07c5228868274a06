#include "ui/options/OptionControls.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <algorithm>

namespace pellora::ui {

CUpDownControl::CUpDownControl(QWidget* parent)
    : QWidget(parent)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
{
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(6, 6));
    }
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CUpDownControl::SetRange(int minimum, int maximum)
{
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_minimum, m_maximum);
}

void CUpDownControl::Step(int direction)
{
    if (m_buddy) {
        bool isNumber = false;
        const int shown = m_buddy->text().trimmed().toInt(&isNumber);
        if (isNumber)
            m_position = shown;
    }
    m_position = std::clamp(m_position + direction, m_minimum, m_maximum);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

void CUpDownControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

CLockToggle::CLockToggle(QWidget* parent)
    : QAbstractButton(parent)
{
    setFocusPolicy(Qt::TabFocus);
}

void CLockToggle::SetOn(bool on)
{
    if (m_on == on)
        return;
    m_on = on;
    update();
}

void CLockToggle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QColor ink = palette().color(group, QPalette::ButtonText);
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
    const qreal side = std::min(area.width(), area.height());
    const QRectF square(area.center().x() - side / 2, area.center().y() - side / 2, side, side);

    // The body: the lower part of the square, filled while locked.
    const QRectF body(square.left() + side * 0.15, square.top() + side * 0.45, side * 0.7, side * 0.55);
    painter.setPen(QPen(ink, 1.2));
    painter.setBrush(m_on ? QBrush(ink) : QBrush(palette().color(group, QPalette::Base)));
    painter.drawRoundedRect(body, 1.5, 1.5);
    // The shackle: closed over the body while locked, lifted and open on the right otherwise.
    QPainterPath shackle;
    const qreal left = square.left() + side * 0.3;
    const qreal right = square.left() + side * 0.7;
    const qreal lift = m_on ? 0 : side * 0.12;
    shackle.moveTo(left, body.top() - lift);
    shackle.lineTo(left, square.top() + side * 0.25 - lift);
    shackle.arcTo(QRectF(left, square.top() + side * 0.05 - lift, right - left, side * 0.4), 180, -180);
    shackle.lineTo(right, body.top() - (m_on ? 0 : side * 0.25));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ink, 1.6));
    painter.drawPath(shackle);
    if (hasFocus()) {
        painter.setPen(QPen(ink, 1, Qt::DotLine));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

CColourSwatch::CColourSwatch(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::Box);
}

void CColourSwatch::SetColour(std::uint32_t colourRef)
{
    m_colour = QColor(static_cast<int>(colourRef & 0xFF), static_cast<int>((colourRef >> 8) & 0xFF),
                      static_cast<int>((colourRef >> 16) & 0xFF));
    update();
}

void CColourSwatch::paintEvent(QPaintEvent* event)
{
    {
        QPainter painter(this);
        QColor fill = m_colour;
        if (!isEnabled())
            fill = palette().color(QPalette::Disabled, QPalette::Window);
        painter.fillRect(contentsRect(), fill);
    }
    QFrame::paintEvent(event);
}

void CColourSwatch::mouseReleaseEvent(QMouseEvent* event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace pellora::ui
