#pragma once

// The status bar's word after a package build: that the package was built and where, with a button
// that shows its folder in the desktop's file manager.

#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class QToolButton;

namespace pellora::ui {

class CBuildNotice : public QWidget {
    Q_OBJECT

public:
    // The longest the path is shown; a longer one is shortened in its middle, whole in the tooltip.
    static constexpr int kMaxTextWidth = 420;

    explicit CBuildNotice(QWidget* parent = nullptr);

    // Shows the notice of a package built at path.
    void ShowBuilt(const QString& path);
    // Takes the texts anew after a language switch.
    void Retext();
    const QString& Path() const { return m_path; }
    QLabel* TextLabel() const { return m_text; }
    QToolButton* FolderButton() const { return m_folder; }

    // Who opens the folder; by default the desktop's handler of the address.
    using FolderOpener = std::function<bool(const QUrl& folder)>;
    void SetFolderOpener(FolderOpener opener) { m_opener = std::move(opener); }

private:
    void openFolder();

    QLabel* m_text = nullptr;
    QToolButton* m_folder = nullptr;
    QString m_path;
    FolderOpener m_opener;
};

} // namespace pellora::ui
