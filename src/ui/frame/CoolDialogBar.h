#pragma once

// The resizable docking bar that hosts a dialog: docks left or right, floats, and is sized by its edge.

#include <QDockWidget>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QRubberBand>
#include <QSize>
#include <QStringList>
#include <QTimer>

class QToolButton;

namespace pellora::ui {

class CCoolDialogBar;

// The small caption at the top of the bar: its text and a close button (control 1008). Presses,
// releases and double-clicks go on to the bar, so that the strip drags and docks the bar like a title.
class CCaptionStrip : public QWidget {
    Q_OBJECT
public:
    explicit CCaptionStrip(CCoolDialogBar* bar);

    QToolButton* CloseButton() const { return m_close; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void closeClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override { event->ignore(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->ignore(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->ignore(); }

private:
    CCoolDialogBar* m_bar;
    QToolButton* m_close;
};

// The band on the side of a docked bar that faces the client area; dragging it resizes the bar.
class CEdgeBand : public QWidget {
    Q_OBJECT
public:
    explicit CEdgeBand(CCoolDialogBar* bar);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CCoolDialogBar* m_bar;
};

class CCoolDialogBar : public QDockWidget {
    Q_OBJECT
public:
    static constexpr int kEdgeWidth = 6;
    static constexpr int kBorder = 3;
    static constexpr int kMinimumHeight = 128;

    // Hosts dialog (the bar takes it over) in frame, docked at the left.
    CCoolDialogBar(QMainWindow* frame, QWidget* dialog, int id);

    QWidget* Dialog() const { return m_dialog; }
    CCaptionStrip* CaptionStrip() const { return m_strip; }
    CEdgeBand* EdgeBand() const { return m_band; }

    bool IsDocked() const { return !isFloating(); }
    // The dock bar holding the bar: AFX_IDW_DOCKBAR_LEFT or _RIGHT (top and bottom likewise); 0 floating.
    int DockSide() const;
    // Docked bars float and floating bars dock again at the side they had.
    void ToggleDocking();
    // Floats the bar with its outer frame at rect.
    void FloatAt(const QRect& rect);
    // Docks the bar at a side of the frame.
    void DockAt(Qt::DockWidgetArea area);

    // The width the bar takes when docked left or right.
    int DockedWidth() const;
    void SetDockedWidth(int width);
    // The client size while floating (0 x 0 until the bar first floats).
    QSize FloatingSize() const { return m_floatingSize; }

    int MinimumBarWidth() const { return m_minimumWidth; }
    // Twice the widest of the texts (mnemonic marks removed) plus twice the icon width plus 20.
    static int ComputeMinimumWidth(const QFontMetrics& metrics, const QStringList& texts, int iconWidth);
    // "&&" becomes "&", a single "&" is dropped.
    static QString StripMnemonics(const QString& text);
    // Recomputes the minimum size from the texts of the discovery pages, measured in the frame's font.
    void UpdateMinimumSize();

    // Re-initialises the hosted dialog (it re-reads its texts) and the caption.
    void Retext();

    // The edge drag; positions are global. A drag ends without a size change when the bar loses the mouse.
    bool IsTracking() const { return m_tracking; }
    void BeginEdgeDrag(const QPoint& globalPos);
    void MoveEdgeDrag(const QPoint& globalPos);
    void EndEdgeDrag(const QPoint& globalPos);
    void CancelEdgeDrag();

signals:
    // The close button of the caption strip: the frame hides the bar.
    void closeRequested();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void onTopLevelChanged(bool floating);
    void settleDockingPermission();
    void layoutBody();
    QRect bandRectOnFrame(int centreX) const;
    bool bandOnLeft() const;

    QMainWindow* m_frame;
    QWidget* m_body;
    QWidget* m_dialog;
    CCaptionStrip* m_strip;
    CEdgeBand* m_band;
    int m_minimumWidth = 0;
    int m_dockedWidth = 0;
    QSize m_floatingSize;
    Qt::DockWidgetArea m_area = Qt::LeftDockWidgetArea;

    bool m_tracking = false;
    int m_trackStartX = 0;
    int m_trackCentreX = 0;
    int m_trackOldWidth = 0;
    QPointer<QRubberBand> m_trackBand;
    QTimer m_trackWatch; // ends a drag whose mouse went to another window
};

} // namespace pellora::ui
