#pragma once

// The about box "IDD_ABOUTBOX": product name and version, copyright, the program icon and an OK button.

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include <string_view>

namespace pellora::ui {

inline constexpr std::string_view kAboutBoxSection = "IDD_ABOUTBOX";

enum : int {
    IDD_ABOUTBOX = 100,
    IDC_ABOUT_OK = 1, // IDOK
    IDC_ABOUT_VERSION = 1054,
    IDC_ABOUT_COPYRIGHT = 1055,
    IDC_ABOUT_ICON = 1137,
};

class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Takes the caption and the control texts from the string table, then sizes and places the box
    // for the copyright text and centres it.
    void Retext();

    // Client size for the given text widths: width = copyright + 2 edges + 64, at least wide enough
    // that the version text is not cut off beside the OK button; height 88.
    static QSize ClientSizeFor(int versionTextWidth, int copyrightTextWidth);

private:
    void placeControls();

    QLabel m_icon;
    QLabel m_version;
    QLabel m_copyright;
    QPushButton m_ok;
};

// The about command: runs the box modally over parent; does nothing in view mode.
void ShowAboutBox(QWidget* parent);

} // namespace pellora::ui
