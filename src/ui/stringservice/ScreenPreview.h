#pragma once

// The screens the string service shows for a section: the frame with its bars, the about box, the left
// pane and its pages, the project view and its pages, the option dialogs and a numbered message; and
// where on them the control of an identifier is flashed.

#include "core/i18n/ScreenKind.h"
#include "core/i18n/StringServiceRecord.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <memory>
#include <optional>

namespace pellora::ui {

class CAboutDlg;
class CMainFrame;
class COptionDialog;

// Where a window of size goes when its top-left corner should be at topLeft: not left of or above the
// screen, and not so far right or down that it leaves it.
QPoint KeptOnScreen(const QPoint& topLeft, const QSize& size);

// A rectangle of a window to flash, in the coordinates of target.
struct FlashSpot {
    QWidget* target = nullptr;
    QRect rect;
};

class CScreenPreview {
public:
    explicit CScreenPreview(CMainFrame& frame);
    ~CScreenPreview();
    CScreenPreview(const CScreenPreview&) = delete;
    CScreenPreview& operator=(const CScreenPreview&) = delete;

    // Where the about box and the option dialogs are placed: their top-left corner, kept on the screen.
    void SetAnchor(const QPoint& topLeft) { m_anchor = topLeft; }

    // Shows the screen of the record's section and remembers it as the current screen. The about box and
    // the option dialogs are made once, modeless and without owner, and shown again later.
    void Show(const StringServiceRecord& record);
    // Where the control of the record's identifier is on the current screen; nothing when the screen has
    // no such control or the record's text is not where the identifier's texts are. A tab found this way
    // is selected, and so is the item of a combo box.
    std::optional<FlashSpot> FlashSpotFor(const StringServiceRecord& record);
    // Shows the current screen with the texts of the string table as they are now.
    void Refresh();

    ScreenKind CurrentKind() const { return m_kind; }
    CAboutDlg* AboutBox() const { return m_about.get(); }
    // The option dialog of a kind, while it exists.
    COptionDialog* Dialog(ScreenKind kind) const;

private:
    void ensureProjectWindow();
    void closeOtherScreens(ScreenKind kind);
    void showDockingBar(bool show);
    void showAboutBox();
    void showDialog(ScreenKind kind);
    void selectLeftPanePage(const std::string& section);
    void selectProjectPage(const std::string& section);
    void place(QWidget& window) const;
    std::unique_ptr<COptionDialog> makeDialog(ScreenKind kind) const;
    QWidget* targetWindow(const StringServiceRecord& record) const;

    CMainFrame& m_frame;
    QPoint m_anchor;
    ScreenKind m_kind = ScreenKind::MainFrame;
    StringServiceRecord m_record;
    std::unique_ptr<CAboutDlg> m_about;
    // The option dialogs by kind, from the utility dialog on.
    std::unique_ptr<COptionDialog> m_dialogs[5];
};

} // namespace pellora::ui
