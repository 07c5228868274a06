#pragma once

// The splash screen: the picture "CVDATA1.DAT" of the program folder in a borderless window for a moment.

#include <QPixmap>
#include <QWidget>

#include <chrono>
#include <filesystem>
#include <memory>

namespace pellora::ui {

inline constexpr const char* kSplashPictureName = "CVDATA1.DAT";
inline constexpr std::chrono::milliseconds kSplashDuration{2000};
// A picture larger than this on either side is not taken.
inline constexpr int kMaxSplashSide = 4096;

class SplashScreen final : public QWidget {
    Q_OBJECT
public:
    // Reads "CVDATA1.DAT" from the folder, centres the window on the primary screen and shows it; it
    // closes after duration or at once on any key or mouse-button press in the application. Nullptr
    // (nothing shown) when the picture cannot be read.
    static std::unique_ptr<SplashScreen> Show(const std::filesystem::path& programFolder,
                                              std::chrono::milliseconds duration = kSplashDuration);

    // The picture as a BMP file; a null pixmap when the file is missing, damaged or too large.
    static QPixmap LoadPicture(const std::filesystem::path& file);

    explicit SplashScreen(QPixmap picture, QWidget* parent = nullptr);
    ~SplashScreen() override;

    const QPixmap& picture() const { return m_picture; }
    // Hides the window and stops listening for input; it stays hidden.
    void Dismiss();
    bool IsDismissed() const { return m_dismissed; }

signals:
    void dismissed();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    QPixmap m_picture;
    int m_timer = 0;
    bool m_dismissed = false;
};

} // namespace pellora::ui
