#pragma once

// The program's own pictures: the printer mark, the window icon, and the splash and logo pictures of the program folder.

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRectF>

namespace pellora::ui {

// A printer with a sheet of paper coming out of it, drawn into the square of rect.
void PaintPrinterMark(QPainter& painter, const QRectF& rect);
// The window icon: the printer mark at 16, 24, 32, 48 and 64 pixels.
QIcon ProductIcon();
// The picture of "CVDATA1.DAT": 480 x 300.
QImage SplashPicture();
// The picture of "CVDATA2.DAT": 320 x 40.
QImage LogoPicture();

} // namespace pellora::ui
