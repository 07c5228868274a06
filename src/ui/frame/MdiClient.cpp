#include "ui/frame/MdiClient.h"

#include "ui/frame/FrameOptions.h"
#include "ui/shared/ProductArt.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace pellora::ui {

CMdiClient::CMdiClient(QWidget* parent)
    : QMdiArea(parent)
{
    setObjectName(QStringLiteral("MdiClient"));
    setBackground(palette().brush(QPalette::Dark));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setActivationOrder(QMdiArea::ActivationHistoryOrder);
}

QRect CMdiClient::WatermarkRect(const QSize& client)
{
    const int side = std::min({client.width(), client.height(), 256}) * 2 / 3;
    if (side < 32)
        return {};
    return {(client.width() - side) / 2, (client.height() - side) / 2, side, side};
}

void CMdiClient::paintEvent(QPaintEvent* event)
{
    QMdiArea::paintEvent(event);
    if (!IsWatermarkOn())
        return;
    const QRect mark = WatermarkRect(viewport()->size());
    if (mark.isEmpty())
        return;
    QPainter painter(viewport());
    painter.setOpacity(0.18);
    PaintPrinterMark(painter, mark);
}

} // namespace pellora::ui
