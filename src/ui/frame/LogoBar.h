#pragma once

// The logo bar along the top of the frame: one button, as wide as the bar, showing the logo picture.

#include <QAbstractButton>
#include <QPixmap>
#include <QToolBar>

#include <filesystem>

namespace pellora::ui {

class CLogoButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CLogoButton(QWidget* parent = nullptr);

    void SetPicture(const QPixmap& picture);
    const QPixmap& Picture() const { return m_picture; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

class CLogoBar : public QToolBar {
    Q_OBJECT
public:
    // The bar is 6 pixels higher than the picture.
    static constexpr int kExtraHeight = 6;

    explicit CLogoBar(QWidget* parent = nullptr);

    // Reads the picture file; a missing or unreadable file leaves the bar without picture. True when read.
    bool LoadPicture(const std::filesystem::path& file);
    CLogoButton* Button() const { return m_button; }

signals:
    void logoClicked();

private:
    CLogoButton* m_button;
};

} // namespace pellora::ui
