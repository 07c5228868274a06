#include "ui/frame/CoolDialogBar.h"

#include "ui/frame/MainFrameIds.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <qdrawutil.h>

#include <algorithm>

namespace pellora::ui {

// ---- caption strip --------------------------------------------------------------------------------

CCaptionStrip::CCaptionStrip(CCoolDialogBar* bar)
    : QWidget(bar)
    , m_bar(bar)
{
    SetControlId(this, IDD_CAPTION_STRIP);
    m_close = new QToolButton(this);
    m_close->setAutoRaise(true);
    m_close->setFocusPolicy(Qt::NoFocus);
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    SetControlId(m_close, IDC_CAPTION_CLOSE);
    connect(m_close, &QToolButton::clicked, this, &CCaptionStrip::closeClicked);
}

QSize CCaptionStrip::sizeHint() const
{
    return {48, fontMetrics().height() + 6};
}

void CCaptionStrip::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int side = std::max(10, height() - 4);
    m_close->setGeometry(width() - side - 2, (height() - side) / 2, side, side);
    m_close->setIconSize(QSize(side - 4, side - 4));
}

void CCaptionStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QWidget* frame = m_bar->parentWidget() ? m_bar->parentWidget()->window() : window();
    const bool active = frame->isActiveWindow() || m_bar->isActiveWindow();
    const QPalette& colours = palette();
    QLinearGradient gradient(rect().topLeft(), rect().topRight());
    if (active) {
        gradient.setColorAt(0, colours.color(QPalette::Highlight));
        gradient.setColorAt(1, colours.color(QPalette::Highlight).lighter(150));
    } else {
        gradient.setColorAt(0, colours.color(QPalette::Mid));
        gradient.setColorAt(1, colours.color(QPalette::Midlight));
    }
    painter.fillRect(rect(), gradient);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(active ? colours.color(QPalette::HighlightedText) : colours.color(QPalette::WindowText));
    const QRect textRect = rect().adjusted(4, 0, -(m_close->width() + 6), 0);
    const QString text = QFontMetrics(font).elidedText(m_bar->windowTitle(), Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
}

// ---- edge band ------------------------------------------------------------------------------------

CEdgeBand::CEdgeBand(CCoolDialogBar* bar)
    : QWidget(bar)
    , m_bar(bar)
{
    setCursor(Qt::SizeHorCursor);
    setFixedWidth(CCoolDialogBar::kEdgeWidth);
}

void CEdgeBand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    qDrawShadePanel(&painter, rect(), palette(), false, 1);
}

void CEdgeBand::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    grabMouse();
    m_bar->BeginEdgeDrag(event->globalPosition().toPoint());
}

void CEdgeBand::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bar->IsTracking())
        m_bar->MoveEdgeDrag(event->globalPosition().toPoint());
}

void CEdgeBand::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_bar->IsTracking())
        return QWidget::mouseReleaseEvent(event);
    m_bar->EndEdgeDrag(event->globalPosition().toPoint());
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

// ---- the bar --------------------------------------------------------------------------------------

CCoolDialogBar::CCoolDialogBar(QMainWindow* frame, QWidget* dialog, int id)
    : QDockWidget(frame)
    , m_frame(frame)
    , m_body(new QWidget(this))
    , m_dialog(dialog)
    , m_strip(new CCaptionStrip(this))
    , m_band(new CEdgeBand(this))
{
    setObjectName(QStringLiteral("DockingBar"));
    SetControlId(this, id);
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable | QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    setTitleBarWidget(m_strip);
    m_dialog->setParent(m_body);
    m_band->setParent(m_body);
    m_body->installEventFilter(this);
    m_dialog->installEventFilter(this);
    setWidget(m_body);
    setWindowTitle(m_dialog->windowTitle());

    connect(this, &QDockWidget::topLevelChanged, this, &CCoolDialogBar::onTopLevelChanged);
    connect(this, &QDockWidget::dockLocationChanged, this, [this](Qt::DockWidgetArea area) {
        if (area != Qt::NoDockWidgetArea)
            m_area = area;
        layoutBody();
    });
    connect(m_strip, &CCaptionStrip::closeClicked, this, &CCoolDialogBar::closeRequested);

    m_trackWatch.setInterval(50);
    connect(&m_trackWatch, &QTimer::timeout, this, [this] {
        if (QWidget::mouseGrabber() != m_band)
            CancelEdgeDrag();
    });

    m_dockedWidth = kDockingBarDefaultWidth;
    UpdateMinimumSize();
}

int CCoolDialogBar::DockSide() const
{
    if (isFloating())
        return 0;
    switch (m_frame->dockWidgetArea(const_cast<CCoolDialogBar*>(this))) {
    case Qt::LeftDockWidgetArea:
        return AFX_IDW_DOCKBAR_LEFT;
    case Qt::RightDockWidgetArea:
        return AFX_IDW_DOCKBAR_RIGHT;
    case Qt::TopDockWidgetArea:
        return AFX_IDW_DOCKBAR_TOP;
    case Qt::BottomDockWidgetArea:
        return AFX_IDW_DOCKBAR_BOTTOM;
    default:
        return 0;
    }
}

void CCoolDialogBar::ToggleDocking()
{
    if (isFloating()) {
        DockAt(m_area);
    } else {
        const QRect docked(mapToGlobal(QPoint(0, 0)), m_floatingSize.isEmpty() ? size() : m_floatingSize);
        FloatAt(docked);
    }
}

void CCoolDialogBar::FloatAt(const QRect& rect)
{
    CancelEdgeDrag();
    if (!isFloating()) {
        m_dockedWidth = width();
        setFloating(true);
    }
    setAllowedAreas(Qt::NoDockWidgetArea);
    setGeometry(rect);
    m_floatingSize = rect.size();
    layoutBody();
}

void CCoolDialogBar::DockAt(Qt::DockWidgetArea area)
{
    if (area != Qt::LeftDockWidgetArea && area != Qt::RightDockWidgetArea)
        area = Qt::LeftDockWidgetArea;
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    if (isFloating())
        setFloating(false);
    if (m_frame->dockWidgetArea(this) != area)
        m_frame->addDockWidget(area, this);
    m_area = area;
    m_frame->resizeDocks({this}, {m_dockedWidth}, Qt::Horizontal);
    layoutBody();
}

int CCoolDialogBar::DockedWidth() const
{
    return isFloating() ? m_dockedWidth : width();
}

void CCoolDialogBar::SetDockedWidth(int width)
{
    m_dockedWidth = std::max(width, m_minimumWidth);
    if (!isFloating())
        m_frame->resizeDocks({this}, {m_dockedWidth}, Qt::Horizontal);
}

QString CCoolDialogBar::StripMnemonics(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != QLatin1Char('&')) {
            plain += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&')) {
            plain += QLatin1Char('&');
            ++i;
        }
    }
    return plain;
}

int CCoolDialogBar::ComputeMinimumWidth(const QFontMetrics& metrics, const QStringList& texts, int iconWidth)
{
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, metrics.horizontalAdvance(StripMnemonics(text)));
    return 2 * widest + 2 * iconWidth + 20;
}

void CCoolDialogBar::UpdateMinimumSize()
{
    const QStringList texts {
        ItemText(kSectionNetworkPage, IDC_NETWORK_SEARCH_TEXT),
        ItemText(kSectionNetworkPage, IDC_ADD_BUTTON),
        ItemText(kSectionGroupPage, IDC_GROUP_TEXT),
    };
    const int iconWidth = style()->pixelMetric(QStyle::PM_LargeIconSize);
    m_minimumWidth = ComputeMinimumWidth(QFontMetrics(m_frame->font()), texts, iconWidth);
    setMinimumSize(m_minimumWidth, kMinimumHeight);
    m_dockedWidth = std::max(m_dockedWidth, m_minimumWidth);
}

void CCoolDialogBar::Retext()
{
    UpdateMinimumSize();
    setWindowTitle(m_dialog->windowTitle());
    m_strip->update();
}

// ---- edge drag ------------------------------------------------------------------------------------

bool CCoolDialogBar::bandOnLeft() const
{
    return m_frame->dockWidgetArea(const_cast<CCoolDialogBar*>(this)) == Qt::RightDockWidgetArea;
}

QRect CCoolDialogBar::bandRectOnFrame(int centreX) const
{
    const QPoint top = m_frame->mapFromGlobal(QPoint(centreX - kEdgeWidth / 2, mapToGlobal(QPoint(0, 0)).y()));
    return {top, QSize(kEdgeWidth, height())};
}

void CCoolDialogBar::BeginEdgeDrag(const QPoint& globalPos)
{
    if (isFloating() || m_tracking)
        return;
    m_tracking = true;
    m_trackOldWidth = width();
    m_trackStartX = m_band->mapToGlobal(m_band->rect().center()).x();
    if (!m_trackBand)
        m_trackBand = new QRubberBand(QRubberBand::Line, m_frame);
    MoveEdgeDrag(globalPos);
    if (m_tracking) {
        m_trackBand->show();
        m_trackWatch.start();
    }
}

void CCoolDialogBar::MoveEdgeDrag(const QPoint& globalPos)
{
    if (!m_tracking)
        return;
    if (QWidget::mouseGrabber() != m_band) {
        CancelEdgeDrag();
        return;
    }
    m_trackCentreX = globalPos.x();
    if (m_trackBand)
        m_trackBand->setGeometry(bandRectOnFrame(m_trackCentreX));
}

void CCoolDialogBar::EndEdgeDrag(const QPoint& globalPos)
{
    if (!m_tracking)
        return;
    if (QWidget::mouseGrabber() != m_band) {
        CancelEdgeDrag();
        return;
    }
    m_trackCentreX = globalPos.x();
    CancelEdgeDrag();
    const int moved = m_trackCentreX - m_trackStartX;
    int newWidth = bandOnLeft() ? m_trackOldWidth - moved : m_trackOldWidth + moved;
    newWidth = std::min(std::max(newWidth, m_minimumWidth), m_trackOldWidth + m_frame->width());
    SetDockedWidth(newWidth);
    update();
}

void CCoolDialogBar::CancelEdgeDrag()
{
    if (!m_tracking)
        return;
    m_tracking = false;
    m_trackWatch.stop();
    if (m_trackBand)
        m_trackBand->hide();
    if (QWidget::mouseGrabber() == m_band)
        m_band->releaseMouse();
}

// ---- events ---------------------------------------------------------------------------------------

bool CCoolDialogBar::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonDblClick: {
        // Inside the hosted dialog a double-click belongs to the dialog's controls.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint inDialog = m_dialog->mapFromGlobal(mouse->globalPosition().toPoint());
        if (mouse->button() == Qt::LeftButton && !m_dialog->rect().contains(inDialog)) {
            ToggleDocking();
            return true;
        }
        break;
    }
    case QEvent::WindowDeactivate:
    case QEvent::Hide:
        CancelEdgeDrag();
        break;
    default:
        break;
    }
    const bool handled = QDockWidget::event(event);
    if (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::NonClientAreaMouseButtonRelease)
        settleDockingPermission();
    return handled;
}

bool CCoolDialogBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_body && event->type() == QEvent::Resize)
        layoutBody();
    else if (watched == m_dialog && event->type() == QEvent::WindowTitleChange)
        setWindowTitle(m_dialog->windowTitle());
    return QDockWidget::eventFilter(watched, event);
}

void CCoolDialogBar::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    if (isFloating())
        m_floatingSize = size();
}

void CCoolDialogBar::moveEvent(QMoveEvent* event)
{
    QDockWidget::moveEvent(event);
    if (isFloating())
        m_floatingSize = size();
}

void CCoolDialogBar::onTopLevelChanged(bool floating)
{
    if (floating) {
        CancelEdgeDrag();
        m_floatingSize = size();
    }
    settleDockingPermission();
    layoutBody();
}

// Docked, the bar may be dragged to the other side; once it floats it docks only by double-click or
// the frame's docking command. A bar torn off by dragging gets that rule when the button is let go.
void CCoolDialogBar::settleDockingPermission()
{
    if (!isFloating()) {
        setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
        return;
    }
    if (QApplication::mouseButtons() & Qt::LeftButton) {
        QTimer::singleShot(100, this, &CCoolDialogBar::settleDockingPermission);
        return;
    }
    setAllowedAreas(Qt::NoDockWidgetArea);
}

void CCoolDialogBar::layoutBody()
{
    const QRect area = m_body->rect();
    if (isFloating()) {
        m_band->hide();
        m_dialog->setGeometry(area);
        return;
    }
    const bool left = bandOnLeft();
    const QRect band = left ? QRect(area.left(), area.top(), kEdgeWidth, area.height())
                            : QRect(area.right() - kEdgeWidth + 1, area.top(), kEdgeWidth, area.height());
    m_band->setGeometry(band);
    m_band->show();
    m_band->raise();
    QRect dialog = area.adjusted(kBorder, 0, -kBorder, -kBorder);
    if (left)
        dialog.setLeft(band.right() + 1 + kBorder);
    else
        dialog.setRight(band.left() - 1 - kBorder);
    m_dialog->setGeometry(dialog);
}

} // namespace pellora::ui
