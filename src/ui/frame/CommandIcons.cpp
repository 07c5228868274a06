#include "ui/frame/CommandIcons.h"

#include "ui/frame/MainFrameIds.h"
#include "ui/shared/PrinterIcons.h"
#include "ui/shared/ProductArt.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace pellora::ui {

namespace {

const QColor kOutline(0x3C, 0x46, 0x52);
const QColor kPaper(0xFD, 0xFD, 0xFB);
const QColor kFolder(0xE8, 0xB8, 0x4A);
const QColor kBlue(0x2F, 0x6D, 0xB5);
const QColor kGreen(0x2E, 0x9A, 0x48);
const QColor kRed(0xC8, 0x3A, 0x32);

using Painter = std::function<void(QPainter&)>;

// Draws on a 16 x 16 grid at 16 and 32 pixels.
QIcon makeIcon(const Painter& paint)
{
    return DrawnIcon(paint, 16);
}

QPen outline(qreal width = 1.0)
{
    QPen pen(kOutline, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// A sheet with a folded corner.
void sheet(QPainter& p, const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(outline());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void textLines(QPainter& p, qreal left, qreal top, qreal width, int count)
{
    p.setPen(QPen(kBlue, 1.0));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(left, top + 2.0 * i), QPointF(left + width - (i % 2) * 2.0, top + 2.0 * i));
}

void plusBadge(QPainter& p, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
    p.setPen(QPen(Qt::white, 1.4));
    p.drawLine(QPointF(12, 10), QPointF(12, 14));
    p.drawLine(QPointF(10, 12), QPointF(14, 12));
}

void paintNew(QPainter& p)
{
    sheet(p, QRectF(3.5, 1.5, 9, 13));
    p.setPen(QPen(kFolder.darker(120), 1.2));
    const QPointF star(12.5, 3.5);
    p.drawLine(star + QPointF(-2, 0), star + QPointF(2, 0));
    p.drawLine(star + QPointF(0, -2), star + QPointF(0, 2));
}

void paintOpen(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(kFolder.darker(115));
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 3.5);
    back.lineTo(5.5, 3.5);
    back.lineTo(7, 5);
    back.lineTo(12.5, 5);
    back.lineTo(12.5, 7);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(1.5, 13.5);
    front.lineTo(4, 7.5);
    front.lineTo(15, 7.5);
    front.lineTo(12.5, 13.5);
    front.closeSubpath();
    p.setBrush(kFolder);
    p.drawPath(front);
}

void paintSave(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 1.5, 8, 5.5));
    p.setBrush(QColor(0xCF, 0xD8, 0xE3));
    p.drawRect(QRectF(4.5, 9.5, 7, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(kOutline);
    p.drawRect(QRectF(9, 2.5, 1.8, 3.5));
}

void paintCut(QPainter& p)
{
    p.setPen(QPen(kOutline, 1.3));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10, 10.5));
    p.drawLine(QPointF(11.5, 1.5), QPointF(6, 10.5));
    p.setPen(QPen(kRed, 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2.5, 10, 4.5, 4.5));
    p.drawEllipse(QRectF(9, 10, 4.5, 4.5));
}

void paintCopy(QPainter& p)
{
    sheet(p, QRectF(1.5, 1.5, 8, 10));
    sheet(p, QRectF(6.5, 4.5, 8, 10));
    textLines(p, 8.5, 8.5, 4, 3);
}

void paintPaste(QPainter& p)
{
    p.setPen(outline());
    p.setBrush(QColor(0xB9, 0x8A, 0x55));
    p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
    p.setBrush(QColor(0xC8, 0xCD, 0xD3));
    p.drawRect(QRectF(4, 1.5, 5, 2.5));
    sheet(p, QRectF(6.5, 6, 8, 8.5));
    textLines(p, 8.5, 9.5, 4, 2);
}

void paintDelete(QPainter& p)
{
    p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
    p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
}

void paintPrinterSelection(QPainter& p)
{
    // A window with its left pane, and the printer mark in that pane.
    p.setPen(outline());
    p.setBrush(kPaper);
    p.drawRect(QRectF(0.5, 1.5, 15, 13));
    p.setBrush(kBlue);
    p.drawRect(QRectF(0.5, 1.5, 15, 2.5));
    p.setBrush(QColor(0xDD, 0xE7, 0xF2));
    p.drawRect(QRectF(0.5, 4, 7, 10.5));
    PaintPrinterMark(p, QRectF(0.8, 5.5, 6.5, 6.5));
}

void paintAddPrinter(QPainter& p)
{
    PaintPrinterMark(p, QRectF(0, 0, 13, 13));
    plusBadge(p, kGreen);
}

void paintSaveScript(QPainter& p)
{
    sheet(p, QRectF(2.5, 1.5, 10, 13));
    textLines(p, 4.5, 4.5, 5, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    QPainterPath arrow;
    arrow.moveTo(9, 9);
    arrow.lineTo(13, 9);
    arrow.lineTo(13, 11.5);
    arrow.lineTo(15.5, 11.5);
    arrow.lineTo(11, 15.8);
    arrow.lineTo(6.5, 11.5);
    arrow.lineTo(9, 11.5);
    arrow.closeSubpath();
    p.drawPath(arrow);
}

void paintCreatePackage(QPainter& p)
{
    // A closed box seen from the front corner, with its band.
    p.setPen(outline());
    p.setBrush(QColor(0xD9, 0xA8, 0x62));
    QPainterPath top;
    top.moveTo(8, 1.5);
    top.lineTo(15, 4.5);
    top.lineTo(8, 7.5);
    top.lineTo(1, 4.5);
    top.closeSubpath();
    p.drawPath(top);
    p.setBrush(QColor(0xC2, 0x8E, 0x4A));
    QPainterPath left;
    left.moveTo(1, 4.5);
    left.lineTo(8, 7.5);
    left.lineTo(8, 15);
    left.lineTo(1, 12);
    left.closeSubpath();
    p.drawPath(left);
    p.setBrush(QColor(0xA9, 0x77, 0x3A));
    QPainterPath right;
    right.moveTo(15, 4.5);
    right.lineTo(8, 7.5);
    right.lineTo(8, 15);
    right.lineTo(15, 12);
    right.closeSubpath();
    p.drawPath(right);
    p.setPen(QPen(kBlue, 1.4));
    p.drawLine(QPointF(4.5, 3), QPointF(11.5, 6));
    p.drawLine(QPointF(11.5, 6), QPointF(11.5, 13.5));
}

void paintDocumentTab(QPainter& p)
{
    sheet(p, QRectF(2.5, 1.5, 11, 13));
    PaintPrinterMark(p, QRectF(4, 5, 8, 8));
}

} // namespace

QIcon CommandIcon(int commandId)
{
    switch (commandId) {
    case ID_FILE_NEW:
        return makeIcon(paintNew);
    case ID_FILE_OPEN:
        return makeIcon(paintOpen);
    case ID_FILE_SAVE:
        return makeIcon(paintSave);
    case ID_EDIT_CUT:
        return makeIcon(paintCut);
    case ID_EDIT_COPY:
        return makeIcon(paintCopy);
    case ID_EDIT_PASTE:
        return makeIcon(paintPaste);
    case ID_EDIT_CLEAR:
        return makeIcon(paintDelete);
    case ID_VIEW_PRINTER_SELECTION:
        return makeIcon(paintPrinterSelection);
    case ID_PRINTER_ADD:
        return makeIcon(paintAddPrinter);
    case ID_FILE_SAVE_SCRIPT:
        return makeIcon(paintSaveScript);
    case ID_FILE_CREATE_PACKAGE:
        return makeIcon(paintCreatePackage);
    default:
        return {};
    }
}

QIcon DocumentTabIcon()
{
    return makeIcon(paintDocumentTab);
}

} // namespace pellora::ui
