#pragma once

// The main window: menus, toolbars, logo bar, status bar with document tabs, docking bar and project windows.
//
// What the start sequence calls, in this order:
//   CMainFrame frame(environment, settings); // the program folder's environment; the user's settings
//   frame.Create(language);              // bars and menus; false when the frame cannot be built
//   frame.DockingBar()->hide();          // optional: hidden while documents open
//   frame.NewDocument() / frame.OpenDocumentFile(path) for each file of the command line
//   frame.DockingBar()->show();
//   if (!frame.RestoreWindowState()) frame.ResetLayout();
//   frame.show();
//   settings.SetInt("hWnd", frame.WindowHandleValue());    // not in view mode
// Files handed over by a second start arrive at the slot OpenFiles(). The watermark option ("BackImage")
// and the current language are process-wide (FrameOptions.h): set them before Create, read the
// watermark back at exit.

#include "core/document/BuildEnvironment.h"
#include "core/platform/UserSettings.h"
#include "ui/frame/RecentFileList.h"
#include "ui/shared/CommandSet.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QMdiSubWindow;

namespace pellora {
class CCorvan2Doc;
}

namespace pellora::ui {

class CBuildNotice;
class CChildFrame;
class CCoolDialogBar;
class CDocumentTabBar;
class CLeftPane;
class CLogoBar;
class CMdiClient;
class CommandTable;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Every project the frame opens reads the model list, plugins and runtime files of environment.
    explicit CMainFrame(BuildEnvironment environment, UserSettings settings = UserSettings(), QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars, the menus and the client area, takes the texts, sizes the frame to 764 x 564 and
    // centres it. language becomes the current language. A second call does nothing.
    bool Create(std::uint16_t language);

    // A new, empty project in a new window; false when it could not be made.
    bool NewDocument();
    // Opens a script, project or package in a new window (or activates the window that has it open);
    // a failure is shown as its numbered message and gives false.
    bool OpenDocumentFile(const QString& path);
    // The stored bar state and window placement; false when no valid placement is stored.
    bool RestoreWindowState();
    // Writes bar state, floating size of the docking bar, placement and the recently-used files.
    void SaveWindowState();
    // The value the start writes as "hWnd"; closing resets "hWnd" to 0 while it still holds this value.
    std::int64_t WindowHandleValue() const;

    // Carries out a command of the frame or of the active project view; false when nobody took it.
    bool OnCommand(int id);
    // The state a command shows now (the rules the update pass applies).
    void UpdateCommand(int id, bool& enabled, bool& checked) const;
    // Sets the states of all command actions; runs on a timer and after every command.
    void UpdateCommands();
    QAction* CommandAction(int id) const;

    // Re-reads the frame's texts: title, toolbars, status pane, menus, left pane and docking bar.
    void Retext();
    // The menu texts from "MENU_STRING" (what every project view's refresh asks for).
    void RetextMenuBar();
    // Loads the string table of the language and re-texts every window.
    void SwitchLanguage(std::uint16_t language);
    // Every window takes its texts anew from the string table (the views without changing a document),
    // and the frame is redrawn.
    void RetextAll();
    // The layout of a fresh start: docking bar floating at the left of the frame, toolbars on top.
    void ResetLayout();

    struct ResetRects {
        QRect bar;
        QRect frame;
    };
    // Where the reset layout puts the floating bar and the frame in a desktop work area: the bar at the
    // left of the frame, the frame of the default size or as much of it as the area leaves beside the
    // bar, but never narrower than minimumFrameWidth (the bar then overlaps the frame).
    static ResetRects ComputeResetLayout(const QRect& workArea, int minimumFrameWidth = 0);
    // The size of a new frame in a desktop work area: the default size, no larger than the area.
    static QSize DefaultFrameSize(const QRect& workArea);

    // Parts of the frame.
    QToolBar* StandardToolBar() const { return m_standardBar; }
    QToolBar* ProjectToolBar() const { return m_projectBar; }
    CLogoBar* LogoBar() const { return m_logoBar; }
    QLabel* StatusPane() const { return m_statusPane; }
    // Shows text in the status pane in place of the idle text for kNoticeMilliseconds.
    void ShowStatusNotice(const QString& text);
    static constexpr int kNoticeMilliseconds = 60 * 1000;
    CDocumentTabBar* DocumentTabs() const { return m_tabs; }
    CBuildNotice* BuildNotice() const { return m_buildNotice; }
    CCoolDialogBar* DockingBar() const { return m_dockingBar; }
    CLeftPane* LeftPane() const { return m_leftPane; }
    CMdiClient* MdiClient() const { return m_mdi; }
    QMenu* Menu(int position) const;
    RecentFileList& RecentFiles() { return m_recentFiles; }
    const UserSettings& Settings() const { return m_settings; }
    const BuildEnvironment& Environment() const { return m_environment; }

    CChildFrame* ActiveChild() const;
    std::vector<CChildFrame*> Children() const;
    // Whether the keyboard focus lies in the active project's printer list: only there do the editing
    // keys act on printers.
    bool PrinterListHasFocus() const;

    // Who shows short notices (the name of the next language); by default a message box.
    using NoticePresenter = std::function<void(const QString& caption, const QString& text)>;
    void SetNoticePresenter(NoticePresenter presenter) { m_notice = std::move(presenter); }
    // Who opens the logo link and the folder of a built package; by default the desktop's handler of the
    // address.
    using UrlOpener = std::function<bool(const QUrl& url)>;
    void SetUrlOpener(UrlOpener opener) { m_urlOpener = std::move(opener); }
    // The about command; by default the about box.
    void SetAboutHandler(std::function<void()> handler) { m_about = std::move(handler); }

public slots:
    // Opens the files one by one as project documents (dropped files, files of a second start).
    void OpenFiles(const QStringList& files);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Holds back the editing keys of the printer list while the focus is elsewhere.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void registerCommands();
    // The active project's commands, then the frame's own.
    CommandChain commandRoute() const;
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    // Text for the status pane, which is as wide as its text.
    void showStatusText(const QString& text);
    void createDockingBar();
    CChildFrame* addChild(std::unique_ptr<CCorvan2Doc> document);
    void onChildActivated(QMdiSubWindow* window);
    void onTabMenu(CChildFrame* frame, const QPoint& globalPos);
    void refreshRecentFileItems();
    // The Add Printer button and menu item say why they are off when the project holds its one printer.
    void refreshAddPrinterTip();
    void refreshWindowList();
    void scheduleUpdate();
    void settleLayout();
    // The project toolbar takes a row of its own when the two toolbars do not fit the frame's width.
    void arrangeToolBarRows();
    // The width of the widest row of toolbars when the project toolbar has a row of its own.
    int narrowestToolBarWidth() const;

    // Commands.
    void openWithDialog();
    void openRecentFile(int index);
    void toggleToolBars();
    void toggleDocking();
    void nextLanguage();
    void toggleWatermark();
    void openLogoLink();
    void applyPlacementGeometry(const QRect& rect);
    // Cascades every project window anew in the client area as it is now.
    void placeChildrenAnew();
    // Asks about every changed project, then closes every project window; false when the user keeps them.
    bool closeChildrenForExit();

    BuildEnvironment m_environment;
    UserSettings m_settings;
    RecentFileList m_recentFiles;
    CommandSet m_frameCommands;
    std::unique_ptr<CommandTable> m_commands;
    std::vector<QMenu*> m_menus;
    QMenu* m_windowMenu = nullptr;
    std::vector<QAction*> m_windowListActions;
    QToolBar* m_standardBar = nullptr;
    QToolBar* m_projectBar = nullptr;
    CLogoBar* m_logoBar = nullptr;
    QLabel* m_statusPane = nullptr;
    CDocumentTabBar* m_tabs = nullptr;
    CBuildNotice* m_buildNotice = nullptr;
    CCoolDialogBar* m_dockingBar = nullptr;
    CLeftPane* m_leftPane = nullptr;
    CMdiClient* m_mdi = nullptr;
    QTimer m_updateTimer;
    QTimer m_noticeTimer;
    bool m_updateScheduled = false;
    bool m_closeDisabled = false;
    bool m_created = false;
    NoticePresenter m_notice;
    UrlOpener m_urlOpener;
    std::function<void()> m_about;
};

} // namespace pellora::ui
