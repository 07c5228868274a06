#pragma once

// The pictures of the project view, drawn by the program: printer list images, tab images and the
// list's watermark.

#include <QIcon>
#include <QPixmap>

#include <functional>

class QPainter;

namespace pellora::ui {

// A picture drawn by the program: paint draws on a square of unit by unit, scaled to size pixels.
QPixmap DrawnPixmap(int size, const std::function<void(QPainter&)>& paint, qreal unit);
// The same at 16 and 32 pixels.
QIcon DrawnIcon(const std::function<void(QPainter&)>& paint, qreal unit);

// Number of images of the printer list: 0 and 1 printer, 2 and 3 default printer, 4 overlay mark,
// 5 the program's own printer. Odd indices below 4 are greyed (incomplete records).
inline constexpr int kPrinterImageCount = 6;

// Image index at 16x16 and 32x32 pixels.
QIcon PrinterImage(int index);
QPixmap PrinterImagePixmap(int index, int size);

// The tab images of the property pages: 0 printer, 1 driver, 2 script.
QIcon PageImage(int page);

// The watermark behind the list's items; the big one goes with big icons.
QPixmap ListWatermark(bool big);

} // namespace pellora::ui
