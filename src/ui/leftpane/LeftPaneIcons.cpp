#include "ui/leftpane/LeftPaneIcons.h"

#include "ui/shared/PrinterIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace pellora::ui {

namespace {

// The pictures are drawn on a 16-unit square.
constexpr qreal kUnit = 16;
const QColor kOutline(0x3C, 0x46, 0x52);
const QColor kBlue(0x2F, 0x6D, 0xB5);
const QColor kGreen(0x2E, 0x9A, 0x48);
const QColor kFolder(0xE8, 0xB8, 0x4A);
const QColor kMetal(0xA9, 0xB2, 0xBD);

void DrawGlobe(QPainter& p)
{
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(kBlue.lighter(150));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 3, 6.5);
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(2.5, 4.8), QPointF(13.5, 4.8));
    p.drawLine(QPointF(2.5, 11.2), QPointF(13.5, 11.2));
}

void DrawServer(QPainter& p, qreal x, qreal y, qreal scale)
{
    p.save();
    p.translate(x, y);
    p.scale(scale, scale);
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(kMetal);
    p.drawRoundedRect(QRectF(4.5, 1.5, 7, 13), 1, 1);
    p.setPen(QPen(kOutline, 0.6));
    for (const qreal line : {4.5, 7.0})
        p.drawLine(QPointF(6, line), QPointF(10, line));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(8, 11.5), 0.9, 0.9);
    p.restore();
}

void DrawNodes(QPainter& p)
{
    const QPointF nodes[] = {{8, 3}, {3, 12}, {13, 12}};
    p.setPen(QPen(kOutline, 0.9));
    p.drawLine(nodes[0], nodes[1]);
    p.drawLine(nodes[0], nodes[2]);
    p.drawLine(nodes[1], nodes[2]);
    p.setBrush(kBlue);
    for (const QPointF& node : nodes)
        p.drawEllipse(node, 2.2, 2.2);
}

void DrawFolder(QPainter& p)
{
    p.setPen(QPen(kOutline, 0.8));
    p.setBrush(kFolder);
    QPainterPath path;
    path.moveTo(1.5, 4.5);
    path.lineTo(6, 4.5);
    path.lineTo(7.5, 6);
    path.lineTo(14.5, 6);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.drawPath(path);
}

void DrawMagnifier(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(QColor(0xD8, 0xE8, 0xF8));
    p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
}

void DrawAddArrow(QPainter& p)
{
    p.setPen(QPen(kGreen.darker(130), 0.8));
    p.setBrush(kGreen);
    QPainterPath arrow;
    arrow.moveTo(1, 5.5);
    arrow.lineTo(6, 5.5);
    arrow.lineTo(6, 2.5);
    arrow.lineTo(11, 8);
    arrow.lineTo(6, 13.5);
    arrow.lineTo(6, 10.5);
    arrow.lineTo(1, 10.5);
    arrow.closeSubpath();
    p.drawPath(arrow);
}

} // namespace

QIcon NetworkPageIcon()
{
    return DrawnIcon(DrawGlobe, kUnit);
}

QIcon SharedPageIcon()
{
    return DrawnIcon([](QPainter& p) {
        DrawServer(p, -2, 0, 1.0);
        p.drawPixmap(QRectF(7, 7, 9, 9), PrinterImagePixmap(0, 32), QRectF(0, 0, 32, 32));
    }, kUnit);
}

QIcon SearchButtonIcon()
{
    return DrawnIcon(DrawMagnifier, kUnit);
}

QIcon AddButtonIcon()
{
    return DrawnIcon([](QPainter& p) {
        p.drawPixmap(QRectF(5, 3, 11, 11), PrinterImagePixmap(0, 32), QRectF(0, 0, 32, 32));
        DrawAddArrow(p);
    }, kUnit);
}

QIcon SharedTreeImage(int image)
{
    switch (image) {
    case 1:
        return DrawnIcon(DrawGlobe, kUnit);
    case 2:
        return DrawnIcon(DrawNodes, kUnit);
    case 3:
        return DrawnIcon([](QPainter& p) { DrawServer(p, 0, 0, 1.0); }, kUnit);
    case 4:
        return PrinterImage(0);
    default:
        return DrawnIcon(DrawFolder, kUnit);
    }
}

} // namespace pellora::ui
