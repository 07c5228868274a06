#include "ui/shared/ProductArt.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainterPath>
#include <QPixmap>

namespace pellora::ui {

namespace {

const QColor kInk(0x1F, 0x3A, 0x5F);
const QColor kAccent(0x2E, 0x9C, 0xA6);
const QColor kPaper(0xFB, 0xFB, 0xF7);

QFont productFont(qreal pixelSize, int weight)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(qRound(pixelSize));
    font.setWeight(static_cast<QFont::Weight>(weight));
    return font;
}

} // namespace

void PaintPrinterMark(QPainter& painter, const QRectF& rect)
{
    const qreal side = qMin(rect.width(), rect.height());
    const QRectF square(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    const qreal u = side / 16.0;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(square.topLeft());

    // Paper waiting at the back.
    painter.setPen(QPen(kInk, qMax(1.0, u * 0.5)));
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(4 * u, 1 * u, 8 * u, 5 * u));
    // The body.
    painter.setBrush(kInk);
    painter.drawRoundedRect(QRectF(1 * u, 5 * u, 14 * u, 7 * u), 1.5 * u, 1.5 * u);
    // Control light.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawEllipse(QRectF(11.5 * u, 6.8 * u, 1.6 * u, 1.6 * u));
    // The printed sheet with its lines.
    painter.setPen(QPen(kInk, qMax(1.0, u * 0.5)));
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(4 * u, 9.5 * u, 8 * u, 5.5 * u));
    painter.setPen(QPen(kAccent, qMax(1.0, u * 0.6)));
    painter.drawLine(QPointF(5.5 * u, 11.3 * u), QPointF(10.5 * u, 11.3 * u));
    painter.drawLine(QPointF(5.5 * u, 13.1 * u), QPointF(9 * u, 13.1 * u));
    painter.restore();
}

QIcon ProductIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        PaintPrinterMark(painter, QRectF(0, 0, size, size));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QImage SplashPicture()
{
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 0, image.height());
    sky.setColorAt(0.0, QColor(0x24, 0x4B, 0x78));
    sky.setColorAt(1.0, QColor(0x12, 0x26, 0x40));
    painter.fillRect(image.rect(), sky);

    // A band of light behind the mark.
    QPainterPath band;
    band.moveTo(0, 210);
    band.cubicTo(160, 150, 320, 270, 480, 190);
    band.lineTo(480, 300);
    band.lineTo(0, 300);
    band.closeSubpath();
    painter.fillPath(band, QColor(0x2E, 0x9C, 0xA6, 90));

    // The mark on a light tile.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPaper);
    painter.drawRoundedRect(QRectF(40, 70, 120, 120), 18, 18);
    PaintPrinterMark(painter, QRectF(50, 80, 100, 100));

    painter.setPen(Qt::white);
    painter.setFont(productFont(54, QFont::Bold));
    painter.drawText(QRectF(185, 78, 280, 70), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pellora"));
    painter.setPen(QColor(0xBF, 0xE6, 0xEA));
    painter.setFont(productFont(18, QFont::Normal));
    painter.drawText(QRectF(189, 146, 280, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("VARDO"));
    painter.setPen(QColor(0xDD, 0xE6, 0xEE));
    painter.setFont(productFont(13, QFont::Normal));
    painter.drawText(QRectF(0, 262, 464, 24), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("1.0"));
    painter.end();
    return image;
}

QImage LogoPicture()
{
    QImage image(320, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient shade(0, 0, image.width(), 0);
    shade.setColorAt(0.0, QColor(0x24, 0x4B, 0x78));
    shade.setColorAt(1.0, QColor(0x2E, 0x9C, 0xA6));
    painter.fillRect(image.rect(), shade);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kPaper);
    painter.drawRoundedRect(QRectF(6, 4, 32, 32), 6, 6);
    PaintPrinterMark(painter, QRectF(8, 6, 28, 28));

    painter.setPen(Qt::white);
    painter.setFont(productFont(22, QFont::Bold));
    painter.drawText(QRectF(48, 0, 160, 40), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pellora"));
    painter.setPen(QColor(0xDD, 0xF2, 0xF4));
    painter.setFont(productFont(12, QFont::Normal));
    painter.drawText(QRectF(0, 0, 310, 40), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("VARDO"));
    painter.end();
    return image;
}

} // namespace pellora::ui
