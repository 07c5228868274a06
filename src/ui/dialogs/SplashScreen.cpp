#include "ui/dialogs/SplashScreen.h"

#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QTimerEvent>

namespace pellora::ui {

std::unique_ptr<SplashScreen> SplashScreen::Show(const std::filesystem::path& programFolder,
                                                  std::chrono::milliseconds duration)
{
    QPixmap picture = LoadPicture(programFolder / kSplashPictureName);
    if (picture.isNull())
        return nullptr;
    auto splash = std::make_unique<SplashScreen>(std::move(picture));
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect place(QPoint(0, 0), splash->size());
        place.moveCenter(screen->geometry().center());
        splash->move(place.topLeft());
    }
    splash->show();
    splash->raise();
    splash->m_timer = splash->startTimer(duration);
    return splash;
}

QPixmap SplashScreen::LoadPicture(const std::filesystem::path& file)
{
    QImageReader reader(QFile::decodeName(QByteArray::fromStdString(file.string())), "BMP");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxSplashSide || size.height() > kMaxSplashSide)
        return {};
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image);
}

SplashScreen::SplashScreen(QPixmap picture, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_picture(std::move(picture))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(m_picture.deviceIndependentSize().toSize());
    qApp->installEventFilter(this);
}

SplashScreen::~SplashScreen()
{
    if (qApp != nullptr)
        qApp->removeEventFilter(this);
}

void SplashScreen::Dismiss()
{
    if (m_dismissed)
        return;
    m_dismissed = true;
    if (m_timer != 0) {
        killTimer(m_timer);
        m_timer = 0;
    }
    qApp->removeEventFilter(this);
    hide();
    emit dismissed();
}

void SplashScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

bool SplashScreen::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        Dismiss();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashScreen::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer) {
        Dismiss();
        return;
    }
    QWidget::timerEvent(event);
}

} // namespace pellora::ui
