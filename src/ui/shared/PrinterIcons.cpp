#include "ui/shared/PrinterIcons.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>

#include <array>
#include <functional>

namespace pellora::ui {

namespace {

// All drawing is done on a 32-unit square and scaled to the wanted size.
constexpr qreal kUnit = 32.0;

void DrawPrinter(QPainter& p, const QColor& body, const QColor& light)
{
    // Paper going in at the back.
    p.setPen(QPen(QColor(120, 120, 120), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 3.5, 13, 10));
    p.setPen(QPen(QColor(170, 170, 170), 1.0));
    p.drawLine(QPointF(12, 7), QPointF(20, 7));
    p.drawLine(QPointF(12, 10), QPointF(20, 10));

    // Housing.
    QLinearGradient shade(0, 11, 0, 25);
    shade.setColorAt(0, body.lighter(135));
    shade.setColorAt(1, body.darker(125));
    p.setPen(QPen(body.darker(200), 1.0));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(3.5, 11.5, 25, 13), 2.5, 2.5);

    // Output slot and the printed sheet.
    p.setPen(QPen(QColor(60, 60, 60), 1.0));
    p.setBrush(QColor(45, 45, 45));
    p.drawRect(QRectF(8.5, 20.5, 15, 2));
    p.setPen(QPen(QColor(120, 120, 120), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9.5, 22.5, 13, 6));

    // Status light.
    p.setPen(Qt::NoPen);
    p.setBrush(light);
    p.drawEllipse(QPointF(24.5, 15.5), 1.5, 1.5);
}

void DrawCheckBadge(QPainter& p)
{
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(24, 24), 7, 7);
    QPen tick(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tick);
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(20.5, 24);
    path.lineTo(23, 26.8);
    path.lineTo(27.8, 21);
    p.drawPath(path);
}

void DrawOverlayArrow(QPainter& p)
{
    p.setPen(QPen(QColor(40, 40, 40), 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0.5, 19.5, 12, 12));
    QPen arrow(QColor(20, 60, 160), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(arrow);
    QPainterPath path;
    path.moveTo(3, 29);
    path.cubicTo(3, 25, 5, 23.5, 10, 23.5);
    p.drawPath(path);
    p.drawLine(QPointF(10, 23.5), QPointF(7, 21));
    p.drawLine(QPointF(10, 23.5), QPointF(7, 26));
}

QPixmap Greyed(const QPixmap& pixmap)
{
    QStyleOption option;
    option.palette = QApplication::palette();
    return QApplication::style()->generatedIconPixmap(QIcon::Disabled, pixmap, &option);
}

QPixmap Draw(int size, const std::function<void(QPainter&)>& paint)
{
    return DrawnPixmap(size, paint, kUnit);
}

QPixmap DrawImage(int index, int size)
{
    switch (index) {
    case 0:
    case 1:
    case 2:
    case 3: {
        QPixmap pixmap = Draw(size, [index](QPainter& p) {
            DrawPrinter(p, QColor(150, 160, 175), QColor(60, 200, 60));
            if (index >= 2)
                DrawCheckBadge(p);
        });
        return index % 2 == 1 ? Greyed(pixmap) : pixmap;
    }
    case 4:
        return Draw(size, [](QPainter& p) { DrawOverlayArrow(p); });
    default:
        return Draw(size, [](QPainter& p) { DrawPrinter(p, QColor(70, 110, 170), QColor(255, 190, 40)); });
    }
}

void DrawDriverPage(QPainter& p)
{
    // A chip with its pins.
    p.setPen(QPen(QColor(40, 40, 40), 1.0));
    p.setBrush(QColor(70, 90, 120));
    p.drawRoundedRect(QRectF(8.5, 8.5, 15, 15), 2, 2);
    p.setPen(QPen(QColor(110, 110, 110), 2.0));
    for (int i = 0; i < 3; ++i) {
        const qreal at = 12 + i * 4;
        p.drawLine(QPointF(at, 4), QPointF(at, 8));
        p.drawLine(QPointF(at, 24), QPointF(at, 28));
        p.drawLine(QPointF(4, at), QPointF(8, at));
        p.drawLine(QPointF(24, at), QPointF(28, at));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 200, 90));
    p.drawEllipse(QPointF(16, 16), 3, 3);
}

void DrawScriptPage(QPainter& p)
{
    // A sheet with a folded corner and lines of text.
    QPainterPath sheet;
    sheet.moveTo(7.5, 3.5);
    sheet.lineTo(19.5, 3.5);
    sheet.lineTo(25.5, 9.5);
    sheet.lineTo(25.5, 28.5);
    sheet.lineTo(7.5, 28.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1.0));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    p.setBrush(QColor(210, 210, 210));
    QPainterPath corner;
    corner.moveTo(19.5, 3.5);
    corner.lineTo(19.5, 9.5);
    corner.lineTo(25.5, 9.5);
    corner.closeSubpath();
    p.drawPath(corner);
    p.setPen(QPen(QColor(50, 100, 170), 1.6));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(10.5, 13 + i * 3.2), QPointF(i % 2 ? 19 : 22.5, 13 + i * 3.2));
}

} // namespace

QPixmap PrinterImagePixmap(int index, int size)
{
    return DrawImage(index, size);
}

QPixmap DrawnPixmap(int size, const std::function<void(QPainter&)>& paint, qreal unit)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / unit, size / unit);
    paint(p);
    return pixmap;
}

QIcon DrawnIcon(const std::function<void(QPainter&)>& paint, qreal unit)
{
    QIcon icon;
    for (const int size : {16, 32})
        icon.addPixmap(DrawnPixmap(size, paint, unit));
    return icon;
}

QIcon PrinterImage(int index)
{
    static std::array<QIcon, kPrinterImageCount> icons;
    if (index < 0 || index >= kPrinterImageCount)
        return {};
    QIcon& icon = icons[static_cast<std::size_t>(index)];
    if (icon.isNull()) {
        icon.addPixmap(DrawImage(index, 16));
        icon.addPixmap(DrawImage(index, 32));
    }
    return icon;
}

QIcon PageImage(int page)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        switch (page) {
        case 0:
            icon.addPixmap(DrawImage(0, size));
            break;
        case 1:
            icon.addPixmap(Draw(size, [](QPainter& p) { DrawDriverPage(p); }));
            break;
        default:
            icon.addPixmap(Draw(size, [](QPainter& p) { DrawScriptPage(p); }));
            break;
        }
    }
    return icon;
}

QPixmap ListWatermark(bool big)
{
    const int size = big ? 192 : 128;
    QPixmap pixmap = Draw(size, [](QPainter& p) {
        p.setOpacity(0.12);
        DrawPrinter(p, QColor(90, 110, 140), QColor(90, 110, 140));
    });
    return pixmap;
}

} // namespace pellora::ui
