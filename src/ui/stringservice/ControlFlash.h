#pragma once

// Flashes a rectangle of a window for the string service: a 4-pixel frame is inverted four times,
// 100 ms apart, so that it shows twice.

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <QWidget>

namespace pellora::ui {

class CControlFlash : public QObject {
    Q_OBJECT
public:
    static constexpr int kInversions = 4;
    static constexpr int kIntervalMs = 100;
    static constexpr int kFrameWidth = 4;

    explicit CControlFlash(QObject* parent = nullptr);
    ~CControlFlash() override;
    CControlFlash(const CControlFlash&) = delete;
    CControlFlash& operator=(const CControlFlash&) = delete;

    // Flashes rect, given in the coordinates of target; a flash still running ends first. finished()
    // follows the last inversion (at once when target is null or rect empty).
    void Start(QWidget* target, const QRect& rect);
    bool Running() const { return m_timer.isActive(); }
    // How often the frame has been inverted in the flash running or last run.
    int Inversions() const { return m_inversions; }
    // Where the flash runs or ran, in the coordinates of the target's window.
    QRect WindowRect() const { return m_rect; }
    QWidget* Window() const { return m_window; }

    // The frame of a rectangle: the rectangle less the same rectangle shrunk by 4 pixels on each side;
    // the whole rectangle when it is narrower or lower than 8 pixels.
    static QRegion FrameOf(const QRect& rect);

signals:
    void finished();

private:
    class Overlay;

    void step();
    void stop();

    QTimer m_timer;
    QPointer<QWidget> m_window;
    QPointer<Overlay> m_overlay; // a child of the window, which may go first
    QRect m_rect;
    int m_inversions = 0;
};

} // namespace pellora::ui
