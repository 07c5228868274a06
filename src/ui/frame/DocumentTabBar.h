#pragma once

// The tab bar in the status bar with one tab per open project window.

#include <QHash>
#include <QPoint>
#include <QPointer>
#include <QTabBar>

namespace pellora::ui {

class CChildFrame;

class CDocumentTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit CDocumentTabBar(QWidget* parent = nullptr);

    // Adds the window's tab (text = its title) unless it has one.
    void AddFrame(CChildFrame* frame);
    // Removes the tab of a window; the window may be going already, so it is only compared.
    void RemoveFrame(const QObject* frame);
    void SelectFrame(const CChildFrame* frame);
    void SetFrameText(const CChildFrame* frame, const QString& text);

    int IndexOf(const QObject* frame) const;
    CChildFrame* FrameAt(int index) const;

signals:
    void frameSelected(CChildFrame* frame);
    // A right click on the tab of frame at a global position.
    void frameMenuRequested(CChildFrame* frame, const QPoint& globalPos);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QHash<quintptr, QPointer<CChildFrame>> m_frames;
};

} // namespace pellora::ui
