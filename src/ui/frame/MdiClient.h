#pragma once

// The client area behind the project windows: the workspace colour, and the watermark while it is on.

#include <QMdiArea>

namespace pellora::ui {

class CMdiClient : public QMdiArea {
    Q_OBJECT
public:
    explicit CMdiClient(QWidget* parent = nullptr);

    // The square the watermark takes in a client area of the given size (empty when it does not fit).
    static QRect WatermarkRect(const QSize& client);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pellora::ui
