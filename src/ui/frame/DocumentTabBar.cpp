#include "ui/frame/DocumentTabBar.h"

#include "ui/frame/ChildFrame.h"
#include "ui/frame/CommandIcons.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/shared/ControlId.h"

#include <QMouseEvent>
#include <QVariant>

namespace pellora::ui {

namespace {

quintptr keyOf(const QObject* frame)
{
    return reinterpret_cast<quintptr>(frame);
}

} // namespace

CDocumentTabBar::CDocumentTabBar(QWidget* parent)
    : QTabBar(parent)
{
    SetControlId(this, IDC_DOCUMENT_TABS);
    setDrawBase(false);
    setExpanding(false);
    setElideMode(Qt::ElideRight);
    setUsesScrollButtons(true);
    setDocumentMode(true);
    setIconSize(QSize(16, 16));
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QTabBar::tabBarClicked, this, [this](int index) {
        if (CChildFrame* frame = FrameAt(index))
            emit frameSelected(frame);
    });
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (CChildFrame* frame = FrameAt(index))
            emit frameSelected(frame);
    });
}

void CDocumentTabBar::AddFrame(CChildFrame* frame)
{
    if (!frame || IndexOf(frame) >= 0)
        return;
    const QSignalBlocker blocker(this);
    const int index = addTab(DocumentTabIcon(), frame->windowTitle());
    setTabData(index, QVariant::fromValue(keyOf(frame)));
    m_frames.insert(keyOf(frame), frame);
}

void CDocumentTabBar::RemoveFrame(const QObject* frame)
{
    const int index = IndexOf(frame);
    if (index < 0)
        return;
    const QSignalBlocker blocker(this);
    removeTab(index);
    m_frames.remove(keyOf(frame));
}

void CDocumentTabBar::SelectFrame(const CChildFrame* frame)
{
    const int index = IndexOf(frame);
    if (index < 0 || index == currentIndex())
        return;
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
}

void CDocumentTabBar::SetFrameText(const CChildFrame* frame, const QString& text)
{
    if (const int index = IndexOf(frame); index >= 0)
        setTabText(index, text);
}

int CDocumentTabBar::IndexOf(const QObject* frame) const
{
    for (int i = 0; i < count(); ++i) {
        if (tabData(i).value<quintptr>() == keyOf(frame))
            return i;
    }
    return -1;
}

CChildFrame* CDocumentTabBar::FrameAt(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return m_frames.value(tabData(index).value<quintptr>()).data();
}

void CDocumentTabBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        const int index = tabAt(event->position().toPoint());
        if (CChildFrame* frame = FrameAt(index)) {
            emit frameMenuRequested(frame, event->globalPosition().toPoint());
            return;
        }
    }
    QTabBar::mousePressEvent(event);
}

} // namespace pellora::ui
