#include "ui/stringservice/ControlFlash.h"

#include <QPainter>

namespace pellora::ui {

// A transparent layer over the whole window that inverts what lies under the frame while it is on.
class CControlFlash::Overlay final : public QWidget {
public:
    Overlay(QWidget* window, const QRect& rect)
        : QWidget(window)
        , m_frame(FrameOf(rect))
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(window->rect());
        raise();
        hide();
    }

    // The frame is inverted by showing the layer and inverted back by hiding it.
    void Invert() { setVisible(isHidden()); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setClipRegion(m_frame);
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(m_frame.boundingRect(), Qt::white);
    }

private:
    QRegion m_frame;
};

CControlFlash::CControlFlash(QObject* parent)
    : QObject(parent)
{
    m_timer.setInterval(kIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &CControlFlash::step);
}

CControlFlash::~CControlFlash()
{
    stop();
}

QRegion CControlFlash::FrameOf(const QRect& rect)
{
    QRegion frame(rect);
    if (rect.width() >= 2 * kFrameWidth && rect.height() >= 2 * kFrameWidth)
        frame -= QRegion(rect.adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth));
    return frame;
}

void CControlFlash::Start(QWidget* target, const QRect& rect)
{
    stop();
    m_inversions = 0;
    m_window = target != nullptr ? target->window() : nullptr;
    if (m_window == nullptr || rect.isEmpty()) {
        m_rect = QRect();
        emit finished();
        return;
    }
    m_rect = QRect(target->mapTo(m_window, rect.topLeft()), rect.size());
    m_window->repaint();
    m_overlay = new Overlay(m_window, m_rect);
    step();
    m_timer.start();
}

void CControlFlash::step()
{
    if (m_window == nullptr || m_overlay == nullptr) {
        stop();
        emit finished();
        return;
    }
    m_overlay->Invert();
    m_overlay->repaint();
    if (++m_inversions < kInversions)
        return;
    stop();
    m_window->repaint();
    emit finished();
}

void CControlFlash::stop()
{
    m_timer.stop();
    delete m_overlay.data();
}

} // namespace pellora::ui
