#include "ui/frame/MainFrame.h"

#include "core/document/Corvan2Doc.h"
#include "core/i18n/StringTable.h"
#include "core/model/ViewMode.h"
#include "core/util/MessageNumbers.h"
#include "core/util/Support.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/dialogs/DocumentFileDialog.h"
#include "ui/frame/BuildNotice.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/CommandIcons.h"
#include "ui/frame/CommandTable.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/frame/DocumentTabBar.h"
#include "ui/frame/FrameOptions.h"
#include "ui/frame/LogoBar.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/frame/MdiClient.h"
#include "ui/frame/MenuTexts.h"
#include "ui/frame/WindowPlacement.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/leftpane/LeftPaneIcons.h"
#include "ui/leftpane/Tab_Network.h"
#include "ui/leftpane/Tab_Shared.h"
#include "ui/project/Corvan2View.h"
#include "ui/project/PackageBuildRunner.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/ListCtrl_Printer.h"
#include "ui/shared/MessageService.h"
#include "ui/shared/ProductArt.h"
#include "ui/shared/RetextRegistry.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLayout>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>

namespace pellora::ui {

namespace {

constexpr int kUpdateInterval = 250;
constexpr int kStatusBarMinimumHeight = 23;

// A menu text as a tooltip: without mnemonic marks (also the "(&F)" form) and without the shortcut part.
QString plainCommandText(QString text)
{
    text = text.section(QLatin1Char('\t'), 0, 0);
    static const QRegularExpression bracketed(QStringLiteral("\\(&.\\)"));
    text.remove(bracketed);
    text = CCoolDialogBar::StripMnemonics(text);
    if (text.endsWith(QStringLiteral("...")))
        text.chop(3);
    return text.trimmed();
}

std::filesystem::path toPath(const QString& text)
{
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

QString toText(const std::filesystem::path& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path.string()));
}

// A toolbar button for a command: its own text, the command's state.
QAction* mirrorAction(CommandTable& commands, int id, QToolBar* bar)
{
    QAction* command = commands.Add(id);
    auto* mirror = new QAction(CommandIcon(id), QString(), bar);
    CommandTable::SetCommandId(mirror, id);
    mirror->setCheckable(command->isCheckable());
    QObject::connect(mirror, &QAction::triggered, command, [command] { command->trigger(); });
    QObject::connect(command, &QAction::changed, mirror, [command, mirror] {
        mirror->setEnabled(command->isEnabled());
        if (mirror->isCheckable())
            mirror->setChecked(command->isChecked());
    });
    bar->addAction(mirror);
    return mirror;
}

} // namespace

CMainFrame::CMainFrame(BuildEnvironment environment, UserSettings settings, QWidget* parent)
    : QMainWindow(parent)
    , m_environment(std::move(environment))
    , m_settings(std::move(settings))
    , m_commands(std::make_unique<CommandTable>())
{
    setObjectName(QStringLiteral("MainFrame"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    registerCommands();
}

CMainFrame::~CMainFrame()
{
    m_created = false;
    m_updateTimer.stop();
    // Project windows go before the bars they refer to; closed ones that wait for their deferred deletion
    // are no longer listed as the area's windows, but go here too.
    if (m_mdi) {
        for (CChildFrame* child : m_mdi->findChildren<CChildFrame*>()) {
            child->disconnect(this);
            m_tabs->RemoveFrame(child);
            delete child;
        }
    }
}

bool CMainFrame::Create(std::uint16_t language)
{
    if (m_created)
        return true;
    SetCurrentLanguage(language);
    setWindowIcon(ProductIcon());

    m_mdi = new CMdiClient(this);
    setCentralWidget(m_mdi);
    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    createDockingBar();

    setAcceptDrops(true);
    if (IsViewMode()) {
        m_closeDisabled = true;
        setWindowFlag(Qt::WindowCloseButtonHint, false);
    }

    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::onChildActivated);
    connect(m_commands.get(), &CommandTable::commandTriggered, this, [this](int id) { OnCommand(id); });
    connect(qApp, &QApplication::focusChanged, this, [this] { scheduleUpdate(); });
    connect(&m_updateTimer, &QTimer::timeout, this, &CMainFrame::UpdateCommands);
    m_noticeTimer.setSingleShot(true);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] { showStatusText(ItemText(kSectionMainFrame, AFX_IDW_STATUS_BAR)); });

    m_recentFiles.Load(m_settings);
    m_created = true;
    Retext();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(0, 0), DefaultFrameSize(screen->availableGeometry()));
        frame.moveCenter(screen->availableGeometry().center());
        setGeometry(frame);
    } else {
        resize(kFrameDefaultWidth, kFrameDefaultHeight);
    }
    arrangeToolBarRows();
    m_updateTimer.start(kUpdateInterval);
    UpdateCommands();
    return true;
}

namespace {

// The commands whose keys act on the printers of the list with the focus.
constexpr std::array<int, 5> kPrinterListKeyCommands = {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR,
                                                        ID_EDIT_SELECT_ALL};

} // namespace

// ---- construction ---------------------------------------------------------------------------------

void CMainFrame::createActions()
{
    const int plain[] = {
        ID_FILE_NEW,          ID_FILE_OPEN,         ID_FILE_CLOSE,       ID_FILE_SAVE,        ID_FILE_SAVE_AS,
        ID_FILE_SAVE_SCRIPT,  ID_FILE_CREATE_PACKAGE, ID_APP_EXIT,       ID_EDIT_CUT,         ID_EDIT_COPY,
        ID_EDIT_PASTE,        ID_EDIT_CLEAR,        ID_EDIT_SELECT_ALL,  ID_PRINTER_ADD,      ID_VIEW_RESET_LAYOUT,
        ID_WINDOW_CASCADE,    ID_WINDOW_TILE_HORZ,  ID_WINDOW_CLOSE_ALL, ID_APP_ABOUT,        ID_LANGUAGE_NEXT,
        ID_VIEW_WATERMARK,    ID_LOGO,
    };
    for (const int id : plain)
        m_commands->Add(id);
    const int checkable[] = {
        ID_VIEW_TOOLBAR,     ID_VIEW_STATUS_BAR, IDW_LOGO_BAR,       ID_VIEW_PRINTER_SELECTION,
        ID_VIEW_DOCKING,     ID_VIEW_LARGEICON,  ID_VIEW_SMALLICON,  ID_VIEW_LIST,
        ID_VIEW_DETAILS,     ID_VIEW_BIG_ICONS,  ID_VIEW_NORMAL_ICONS, ID_LANGUAGE_NEUTRAL,
        ID_LANGUAGE_JAPANESE,
    };
    for (const int id : checkable)
        m_commands->Add(id, true);
    for (int id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id)
        m_commands->Add(id);

    const std::pair<int, QKeySequence::StandardKey> shortcuts[] = {
        {ID_FILE_NEW, QKeySequence::New},   {ID_FILE_OPEN, QKeySequence::Open},   {ID_FILE_SAVE, QKeySequence::Save},
        {ID_EDIT_CUT, QKeySequence::Cut},   {ID_EDIT_COPY, QKeySequence::Copy},   {ID_EDIT_PASTE, QKeySequence::Paste},
        {ID_EDIT_CLEAR, QKeySequence::Delete}, {ID_EDIT_SELECT_ALL, QKeySequence::SelectAll},
    };
    for (const auto& [id, key] : shortcuts)
        m_commands->Find(id)->setShortcut(key);
    // The editing keys remove, copy and select printers only while the printer list has the focus; in a
    // text field, combo box or check box they do what they do there (a text field takes them first).
    for (const int id : kPrinterListKeyCommands)
        m_commands->Find(id)->installEventFilter(this);
    for (const int id : m_commands->Ids())
        addAction(m_commands->Find(id));
}

void CMainFrame::createMenus()
{
    const auto addMenu = [this] {
        QMenu* menu = menuBar()->addMenu(QString());
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
        m_menus.push_back(menu);
        return menu;
    };
    const auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (const int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(m_commands->Find(id));
        }
    };

    QMenu* file = addMenu();
    add(file, {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_CLOSE, ID_FILE_SAVE, ID_FILE_SAVE_AS, 0, ID_FILE_SAVE_SCRIPT,
               ID_FILE_CREATE_PACKAGE, 0});
    for (int id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id)
        file->addAction(m_commands->Find(id));
    add(file, {0, ID_APP_EXIT});

    QMenu* edit = addMenu();
    add(edit, {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR, 0, ID_EDIT_SELECT_ALL, 0, ID_PRINTER_ADD});

    QMenu* view = addMenu();
    add(view, {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, IDW_LOGO_BAR, ID_VIEW_PRINTER_SELECTION, ID_VIEW_DOCKING, 0,
               ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST, ID_VIEW_DETAILS, 0, ID_VIEW_BIG_ICONS,
               ID_VIEW_NORMAL_ICONS, 0, ID_VIEW_RESET_LAYOUT});

    m_windowMenu = addMenu();
    add(m_windowMenu, {ID_WINDOW_CASCADE, ID_WINDOW_TILE_HORZ, ID_WINDOW_CLOSE_ALL});
    connect(m_windowMenu, &QMenu::aboutToShow, this, &CMainFrame::refreshWindowList);

    QMenu* help = addMenu();
    add(help, {ID_APP_ABOUT});
}

void CMainFrame::createToolBars()
{
    m_logoBar = new CLogoBar(this);
    m_logoBar->LoadPicture(m_environment.programFolder / kLogoPictureFile);
    connect(m_logoBar, &CLogoBar::logoClicked, this, [this] { OnCommand(ID_LOGO); });
    addToolBar(Qt::TopToolBarArea, m_logoBar);
    addToolBarBreak(Qt::TopToolBarArea);

    m_standardBar = new QToolBar(this);
    m_standardBar->setObjectName(QStringLiteral("StandardToolBar"));
    SetControlId(m_standardBar, AFX_IDW_TOOLBAR);
    m_standardBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_standardBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_standardBar->setIconSize(QSize(16, 16));
    const int standardButtons[] = {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, 0, ID_EDIT_CUT, ID_EDIT_COPY,
                                   ID_EDIT_PASTE, ID_EDIT_CLEAR};
    for (const int id : standardButtons) {
        if (id == 0)
            m_standardBar->addSeparator();
        else
            mirrorAction(*m_commands, id, m_standardBar);
    }
    addToolBar(Qt::TopToolBarArea, m_standardBar);

    m_projectBar = new QToolBar(this);
    m_projectBar->setObjectName(QStringLiteral("ProjectToolBar"));
    SetControlId(m_projectBar, IDW_PROJECT_TOOLBAR);
    m_projectBar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_projectBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_projectBar->setIconSize(QSize(16, 16));
    const int projectButtons[] = {ID_VIEW_PRINTER_SELECTION, ID_PRINTER_ADD, ID_FILE_SAVE_SCRIPT, ID_FILE_CREATE_PACKAGE};
    for (const int id : projectButtons)
        mirrorAction(*m_commands, id, m_projectBar);
    addToolBar(Qt::TopToolBarArea, m_projectBar);
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    SetControlId(bar, AFX_IDW_STATUS_BAR);
    bar->setMinimumHeight(kStatusBarMinimumHeight);
    bar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
    m_statusPane = new QLabel(bar);
    m_statusPane->setObjectName(QStringLiteral("StatusPane0"));
    m_statusPane->setContentsMargins(0, 0, 0, 0);
    bar->addWidget(m_statusPane, 0);
    m_tabs = new CDocumentTabBar(bar);
    bar->addWidget(m_tabs, 1);
    m_buildNotice = new CBuildNotice(bar);
    m_buildNotice->SetFolderOpener([this](const QUrl& folder) {
        return m_urlOpener ? m_urlOpener(folder) : QDesktopServices::openUrl(folder);
    });
    bar->addPermanentWidget(m_buildNotice);
    // The bar is as high as a tab from the start, so that the client area keeps its size when tabs come.
    CDocumentTabBar probe;
    probe.addTab(DocumentTabIcon(), QStringLiteral("X"));
    bar->setMinimumHeight(std::max(kStatusBarMinimumHeight, probe.sizeHint().height()));
    connect(m_tabs, &CDocumentTabBar::frameSelected, this, [this](CChildFrame* frame) {
        if (m_mdi->currentSubWindow() != frame)
            m_mdi->setActiveSubWindow(frame);
    });
    connect(m_tabs, &CDocumentTabBar::frameMenuRequested, this, &CMainFrame::onTabMenu);
}

void CMainFrame::createDockingBar()
{
    m_leftPane = new CLeftPane;
    m_leftPane->SetProgramFolder(m_environment.programFolder);
    m_leftPane->SetActiveProjectProvider([this]() -> CCorvan2Doc* {
        CChildFrame* child = ActiveChild();
        return child ? &child->Document() : nullptr;
    });
    m_leftPane->AddPage(new CTab_Network(*m_leftPane), NetworkPageIcon());
    m_leftPane->AddPage(new CTab_Shared(*m_leftPane), SharedPageIcon());
    m_dockingBar = new CCoolDialogBar(this, m_leftPane, IDW_DOCKING_BAR);
    addDockWidget(Qt::LeftDockWidgetArea, m_dockingBar);
    resizeDocks({m_dockingBar}, {kDockingBarDefaultWidth}, Qt::Horizontal);
    connect(m_dockingBar, &CCoolDialogBar::closeRequested, this, [this] { OnCommand(ID_VIEW_PRINTER_SELECTION); });
}

// ---- documents ------------------------------------------------------------------------------------

bool CMainFrame::NewDocument()
{
    auto document = std::make_unique<CCorvan2Doc>(m_environment);
    if (!document->OnNewDocument())
        return false;
    return addChild(std::move(document)) != nullptr;
}

bool CMainFrame::OpenDocumentFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const std::filesystem::path file = toPath(path);
    std::error_code error;
    const std::filesystem::path wanted = std::filesystem::absolute(file, error).lexically_normal();
    for (CChildFrame* child : Children()) {
        const std::filesystem::path& open = child->Document().GetPathName();
        if (!open.empty() && std::filesystem::absolute(open, error).lexically_normal() == wanted) {
            m_mdi->setActiveSubWindow(child);
            return true;
        }
    }
    auto document = std::make_unique<CCorvan2Doc>(m_environment);
    const DocumentResult result = document->OpenDocument(file);
    if (!result.ok()) {
        ShowDocumentResult(result);
        return false;
    }
    if (!addChild(std::move(document)))
        return false;
    m_recentFiles.Add(file);
    m_recentFiles.Save(m_settings);
    refreshRecentFileItems();
    return true;
}

void CMainFrame::OpenFiles(const QStringList& files)
{
    for (const QString& file : files)
        OpenDocumentFile(file);
}

CChildFrame* CMainFrame::addChild(std::unique_ptr<CCorvan2Doc> document)
{
    auto* child = new CChildFrame(std::move(document));
    m_mdi->addSubWindow(child);
    connect(child, &CChildFrame::titleChanged, this, [this](CChildFrame* frame) {
        m_tabs->SetFrameText(frame, frame->windowTitle());
    });
    connect(child, &CChildFrame::closing, this, [this](CChildFrame* frame) {
        m_tabs->RemoveFrame(frame);
        scheduleUpdate();
    });
    connect(child, &CChildFrame::recentFileAdded, this, [this](const QString& path) {
        m_recentFiles.Add(toPath(path));
        m_recentFiles.Save(m_settings);
        refreshRecentFileItems();
    });
    connect(child, &CChildFrame::frameCommandRequested, this, [this](int id) { OnCommand(id); });
    connect(child, &CChildFrame::packageBuilt, this, [this](const QString& path) { m_buildNotice->ShowBuilt(path); });
    connect(child, &CChildFrame::statusNotice, this, &CMainFrame::ShowStatusNotice);
    connect(child, &QObject::destroyed, this, [this](QObject* frame) {
        m_tabs->RemoveFrame(frame);
        scheduleUpdate();
    });
    settleLayout();
    std::vector<QRect> others;
    for (CChildFrame* other : Children()) {
        if (other != child)
            others.push_back(other->NormalRect());
    }
    child->PlaceDefault(others);
    m_tabs->AddFrame(child);
    child->show();
    m_mdi->setActiveSubWindow(child);
    m_tabs->SelectFrame(child);
    scheduleUpdate();
    return child;
}

void CMainFrame::settleLayout()
{
    // A frame not shown yet lays its bars out only when asked: the client area needs its true size
    // before project windows are placed in it.
    if (layout()) {
        layout()->invalidate();
        layout()->activate();
    }
}

CChildFrame* CMainFrame::ActiveChild() const
{
    return m_mdi ? qobject_cast<CChildFrame*>(m_mdi->currentSubWindow()) : nullptr;
}

std::vector<CChildFrame*> CMainFrame::Children() const
{
    std::vector<CChildFrame*> children;
    if (!m_mdi)
        return children;
    for (QMdiSubWindow* window : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* child = qobject_cast<CChildFrame*>(window))
            children.push_back(child);
    }
    return children;
}

QMenu* CMainFrame::Menu(int position) const
{
    return position >= 0 && position < static_cast<int>(m_menus.size()) ? m_menus[position] : nullptr;
}

void CMainFrame::onChildActivated(QMdiSubWindow* window)
{
    if (auto* child = qobject_cast<CChildFrame*>(window)) {
        m_tabs->SelectFrame(child);
        m_leftPane->PostToCurrentPage(WM_LEFT_PANE_NOTIFY, IDC_ADD_BUTTON);
    }
    scheduleUpdate();
}

void CMainFrame::onTabMenu(CChildFrame* frame, const QPoint& globalPos)
{
    // A maximised window's menu is the first pop-up of the menu bar; either way it is the window's own.
    if (QMenu* menu = frame->systemMenu())
        menu->popup(globalPos);
}

// ---- commands -------------------------------------------------------------------------------------

QAction* CMainFrame::CommandAction(int id) const
{
    return m_commands->Find(id);
}

void CMainFrame::registerCommands()
{
    // Nothing runs before the frame is made, and view mode leaves every command off.
    const auto on = [this](bool enabled, bool checked = false) {
        return CommandState{enabled && m_created && !IsViewMode(), checked};
    };
    const auto always = [=] { return on(true); };
    const auto withChild = [=, this] { return on(ActiveChild() != nullptr); };
    const auto withChildren = [=, this] { return on(!Children().empty()); };
    CommandSet& commands = m_frameCommands;

    commands.Add(ID_FILE_NEW, [this] { NewDocument(); }, always);
    commands.Add(ID_FILE_OPEN, [this] { openWithDialog(); }, always);
    commands.Add(ID_FILE_CLOSE, [this] {
        if (CChildFrame* child = ActiveChild())
            child->close();
    }, withChild);
    for (const bool askForName : {false, true}) {
        commands.Add(askForName ? ID_FILE_SAVE_AS : ID_FILE_SAVE, [this, askForName] {
            if (CChildFrame* child = ActiveChild())
                child->Save(askForName);
        }, withChild);
    }
    for (int id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id) {
        const std::size_t index = static_cast<std::size_t>(id - ID_FILE_MRU_FILE1);
        commands.Add(id, [this, index] { openRecentFile(static_cast<int>(index)); },
                     [=, this] { return on(index < m_recentFiles.size()); });
    }
    commands.Add(ID_APP_EXIT, [this] { close(); }, [=, this] { return on(!m_closeDisabled); });
    commands.Add(ID_APP_ABOUT, [this] {
        if (m_about)
            m_about();
        else
            ShowAboutBox(this);
    }, always);
    commands.Add(ID_WINDOW_CASCADE, [this] { m_mdi->cascadeSubWindows(); }, withChildren);
    commands.Add(ID_WINDOW_TILE_HORZ, [this] { m_mdi->tileSubWindows(); }, withChildren);
    commands.Add(ID_VIEW_PRINTER_SELECTION, [this] { m_dockingBar->setVisible(m_dockingBar->isHidden()); },
                 [=, this] { return on(true, m_dockingBar && !m_dockingBar->isHidden()); });
    commands.Add(ID_VIEW_TOOLBAR, [this] { toggleToolBars(); },
                 [=, this] { return on(true, m_standardBar && !m_standardBar->isHidden()); });
    commands.Add(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(statusBar()->isHidden()); },
                 [=, this] { return on(true, m_created && !statusBar()->isHidden()); });
    commands.Add(IDW_LOGO_BAR, [this] { m_logoBar->setVisible(m_logoBar->isHidden()); },
                 [=, this] { return on(true, m_logoBar && !m_logoBar->isHidden()); });
    commands.Add(ID_VIEW_DOCKING, [this] { m_dockingBar->ToggleDocking(); },
                 [=, this] { return on(true, m_dockingBar && m_dockingBar->IsDocked()); });
    commands.Add(ID_VIEW_RESET_LAYOUT, [this] { ResetLayout(); }, always);
    for (const std::uint16_t language : {std::uint16_t{0}, std::uint16_t{0x0411}}) {
        commands.Add(language == 0 ? ID_LANGUAGE_NEUTRAL : ID_LANGUAGE_JAPANESE, [this, language] {
            if (CurrentLanguage() != language)
                SwitchLanguage(language);
        }, [=] { return on(true, CurrentLanguage() == language); });
    }
    commands.Add(ID_LANGUAGE_NEXT, [this] { nextLanguage(); }, always);
    commands.Add(ID_VIEW_WATERMARK, [this] { toggleWatermark(); }, always);
    commands.Add(ID_LOGO, [this] { openLogoLink(); }, always);
}

CommandChain CMainFrame::commandRoute() const
{
    CommandChain route;
    if (const CChildFrame* child = ActiveChild())
        route = child->View()->CommandRoute();
    return route.Then(&m_frameCommands);
}

bool CMainFrame::OnCommand(int id)
{
    bool handled = true;
    if (id >= AFX_IDM_FIRST_MDICHILD) {
        const std::vector<CChildFrame*> children = Children();
        const auto index = static_cast<std::size_t>(id - AFX_IDM_FIRST_MDICHILD);
        if (!IsViewMode() && index < children.size())
            m_mdi->setActiveSubWindow(children[index]);
    } else {
        handled = commandRoute().Execute(id);
    }
    scheduleUpdate();
    return handled;
}

void CMainFrame::UpdateCommand(int id, bool& enabled, bool& checked) const
{
    enabled = false;
    checked = false;
    if (!m_created || IsViewMode())
        return;
    if (const std::optional<CommandState> state = commandRoute().StateOf(id)) {
        enabled = state->enabled;
        checked = state->checked;
    }
}

void CMainFrame::UpdateCommands()
{
    m_updateScheduled = false;
    if (!m_created)
        return;
    for (CChildFrame* child : Children())
        child->SyncTitle();
    m_commands->Update([this](int id, bool& enabled, bool& checked) { UpdateCommand(id, enabled, checked); });
    refreshRecentFileItems();
    refreshAddPrinterTip();
}

void CMainFrame::refreshAddPrinterTip()
{
    const CChildFrame* child = ActiveChild();
    const bool full = child != nullptr && !IsViewMode() && child->View()->ListCtrl()->IsFull();
    const QString why = full ? ItemText(kSectionStatusNotice, kNoticeProjectFull) : QString();
    for (QAction* button : m_projectBar->actions()) {
        if (CommandTable::CommandId(button) == ID_PRINTER_ADD) {
            button->setToolTip(full ? why : plainCommandText(ItemText(kSectionToolbar, ID_PRINTER_ADD)));
            button->setStatusTip(why);
        }
    }
    m_commands->Find(ID_PRINTER_ADD)->setStatusTip(why);
}

void CMainFrame::scheduleUpdate()
{
    if (m_updateScheduled || !m_created)
        return;
    m_updateScheduled = true;
    QTimer::singleShot(0, this, &CMainFrame::UpdateCommands);
}

void CMainFrame::openWithDialog()
{
    QString folder;
    if (const CChildFrame* child = ActiveChild(); child && !child->Document().GetPathName().empty())
        folder = toText(child->Document().GetPathName().parent_path());
    for (const QString& chosen : PromptOpenDocuments(this, folder)) {
        const std::filesystem::path path = toPath(chosen);
        if (IsOpenableDocument(path))
            OpenDocumentFile(chosen);
        else
            ShowFileMessage(kMessageCannotOpenFile, path);
    }
}

void CMainFrame::openRecentFile(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_recentFiles.size())
        return;
    const std::filesystem::path path = m_recentFiles.entries()[static_cast<std::size_t>(index)];
    if (!OpenDocumentFile(toText(path)) && !IsViewMode()) {
        // A file that cannot be opened any more leaves the list.
        m_recentFiles.Remove(static_cast<std::size_t>(index));
        m_recentFiles.Save(m_settings);
    }
    refreshRecentFileItems();
}

void CMainFrame::toggleToolBars()
{
    const bool show = m_standardBar->isHidden();
    m_standardBar->setVisible(show);
    m_projectBar->setVisible(show);
}

void CMainFrame::nextLanguage()
{
    const auto current = std::find_if(kLanguages.begin(), kLanguages.end(),
                                      [](const LanguageInfo& row) { return row.id == CurrentLanguage(); });
    if (current == kLanguages.end())
        return;
    const LanguageInfo& next = std::next(current) == kLanguages.end() ? kLanguages.front() : *std::next(current);
    const QString caption = QString::fromStdString(GetOwnProductName());
    const QString name = QString::fromLatin1(next.name);
    if (m_notice)
        m_notice(caption, name);
    else
        QMessageBox::information(this, caption, name);
    SwitchLanguage(next.id);
}

void CMainFrame::SwitchLanguage(std::uint16_t language)
{
    SetCurrentLanguage(language);
    TheStringTable().Load(m_environment.programFolder, language, kStringTableGroup);
    RetextAll();
}

void CMainFrame::RetextAll()
{
    {
        // The views re-read their texts and menus without changing any document.
        const ScopedViewMode viewMode;
        for (CChildFrame* child : Children()) {
            child->RetextView();
            child->Document().UpdateAllViews();
        }
        RetextRegisteredWindows();
    }
    Retext();
    arrangeToolBarRows();
    UpdateCommands();
    update();
    repaint();
}

void CMainFrame::toggleWatermark()
{
    SetBackImageOption(IsWatermarkOn() ? 0 : 1);
    for (CChildFrame* child : Children())
        child->Document().UpdateAllViews();
    Retext();
    m_mdi->viewport()->update();
    update();
}

void CMainFrame::openLogoLink()
{
    const QString link = ItemText(kSectionEtc, kEtcLogoLink).trimmed();
    if (link.isEmpty())
        return;
    const QUrl url = QUrl::fromUserInput(link);
    if (m_urlOpener)
        m_urlOpener(url);
    else
        QDesktopServices::openUrl(url);
}

// ---- texts ----------------------------------------------------------------------------------------

void CMainFrame::Retext()
{
    if (!m_created)
        return;
    setWindowTitle(ItemText(kSectionEtc, kEtcProductTitle));

    const QString toolbarTitle = ItemText(kSectionToolbar, 0);
    m_standardBar->setWindowTitle(toolbarTitle);
    m_projectBar->setWindowTitle(toolbarTitle);
    for (QAction* button : m_projectBar->actions()) {
        if (const int id = CommandTable::CommandId(button)) {
            const QString text = ItemText(kSectionToolbar, id);
            button->setText(text);
            button->setToolTip(plainCommandText(text));
        }
    }
    for (QAction* button : m_standardBar->actions()) {
        if (const int id = CommandTable::CommandId(button)) {
            const QString text = plainCommandText(ItemText(kSectionMenu, id));
            button->setText(text);
            button->setToolTip(text);
        }
    }

    if (!m_noticeTimer.isActive())
        showStatusText(ItemText(kSectionMainFrame, AFX_IDW_STATUS_BAR));

    m_buildNotice->Retext();
    RetextMenuBar();
    m_leftPane->Retext();
    m_dockingBar->Retext();
    update();
}

void CMainFrame::showStatusText(const QString& text)
{
    m_statusPane->setText(text);
    m_statusPane->setFixedWidth(m_statusPane->fontMetrics().horizontalAdvance(text) + 2);
}

void CMainFrame::ShowStatusNotice(const QString& text)
{
    showStatusText(text);
    m_noticeTimer.start(kNoticeMilliseconds);
}

void CMainFrame::RetextMenuBar()
{
    ui::RetextMenuBar(menuBar(), Strings(), IsViewMode());
    refreshRecentFileItems();
    refreshWindowList();
}

void CMainFrame::refreshRecentFileItems()
{
    const QFontMetrics metrics(Menu(0) ? Menu(0)->font() : font());
    for (int i = 0; i < static_cast<int>(RecentFileList::kMaxEntries); ++i) {
        QAction* action = m_commands->Find(ID_FILE_MRU_FILE1 + i);
        QString text;
        bool visible = true;
        if (static_cast<std::size_t>(i) < m_recentFiles.size()) {
            const QString path = metrics.elidedText(
                QDir::toNativeSeparators(toText(m_recentFiles.entries()[static_cast<std::size_t>(i)])),
                Qt::ElideMiddle, 360);
            QString shown = path;
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            text = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(shown) : QStringLiteral("%1 %2").arg(i + 1).arg(shown);
        } else if (i == 0 && m_recentFiles.empty()) {
            text = ItemText(kSectionMenu, ID_FILE_MRU_FILE1);
        } else {
            visible = false;
        }
        if (action->text() != text)
            action->setText(text);
        if (action->isVisible() != visible)
            action->setVisible(visible);
    }
}

void CMainFrame::refreshWindowList()
{
    if (!m_windowMenu)
        return;
    for (QAction* action : m_windowListActions) {
        m_windowMenu->removeAction(action);
        action->deleteLater();
    }
    m_windowListActions.clear();
    const std::vector<CChildFrame*> children = Children();
    if (children.empty())
        return;
    m_windowListActions.push_back(m_windowMenu->addSeparator());
    const CChildFrame* active = ActiveChild();
    for (std::size_t i = 0; i < children.size(); ++i) {
        const int id = AFX_IDM_FIRST_MDICHILD + static_cast<int>(i);
        QString title = children[i]->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action = m_windowMenu->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title)
                                                        : QStringLiteral("%1 %2").arg(i + 1).arg(title));
        CommandTable::SetCommandId(action, id);
        action->setCheckable(true);
        action->setChecked(children[i] == active);
        action->setEnabled(!IsViewMode());
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        m_windowListActions.push_back(action);
    }
}

// ---- window state ---------------------------------------------------------------------------------

std::int64_t CMainFrame::WindowHandleValue() const
{
    return static_cast<std::int64_t>(winId());
}

void CMainFrame::SaveWindowState()
{
    m_settings.SetString(kSettingBarState, saveState().toHex().toUpper().toStdString());
    m_settings.SetInt(kSettingStatusBar, statusBar()->isHidden() ? 0 : 1);
    if (m_dockingBar->isFloating()) {
        const QSize floating = m_dockingBar->FloatingSize();
        const QSize outer = m_dockingBar->frameGeometry().size();
        m_settings.SetInt(kSettingBarWidth, std::max(floating.width(), outer.width()));
        m_settings.SetInt(kSettingBarHeight, std::max(floating.height(), outer.height()));
    }

    WindowPlacement placement;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    placement.left = normal.x();
    placement.top = normal.y();
    placement.right = normal.x() + normal.width();
    placement.bottom = normal.y() + normal.height();
    if (isMinimized()) {
        placement.showCmd = WindowPlacement::kShowMinimized;
        if (windowState() & Qt::WindowMaximized)
            placement.flags |= WindowPlacement::kRestoreToMaximized;
    } else if (isMaximized()) {
        placement.showCmd = WindowPlacement::kShowMaximized;
    }
    m_settings.SetString(kSettingPlacement, placement.ToText());

    if (m_settings.GetInt(kSettingWindowHandle) == WindowHandleValue())
        m_settings.SetInt(kSettingWindowHandle, 0);
    m_recentFiles.Save(m_settings);
}

bool CMainFrame::RestoreWindowState()
{
    const std::optional<WindowPlacement> placement = WindowPlacement::FromText(m_settings.GetString(kSettingPlacement));
    if (!placement)
        return false;

    const QByteArray barState = QByteArray::fromHex(QByteArray::fromStdString(m_settings.GetString(kSettingBarState)));
    if (!barState.isEmpty())
        restoreState(barState);
    statusBar()->setVisible(m_settings.GetInt(kSettingStatusBar, 1) != 0);

    if (m_dockingBar->isFloating()) {
        const QRect desktop = screen() ? screen()->virtualGeometry() : QRect(0, 0, 4096, 4096);
        const int width = static_cast<int>(std::clamp<std::int64_t>(m_settings.GetInt(kSettingBarWidth), 0, desktop.width()));
        const int height = static_cast<int>(std::clamp<std::int64_t>(m_settings.GetInt(kSettingBarHeight), 0, desktop.height()));
        if (width > 0 && height > 0) {
            const QSize wanted(std::max(width, m_dockingBar->MinimumBarWidth()),
                               std::max(height, static_cast<int>(CCoolDialogBar::kMinimumHeight)));
            const QPoint topLeft = m_dockingBar->pos();
            m_dockingBar->resize(wanted);
            // The window manager may add its frame: correct the request by the difference, once.
            const QSize outer = m_dockingBar->frameGeometry().size();
            if (outer != wanted && outer.isValid())
                m_dockingBar->resize(wanted * 2 - outer);
            m_dockingBar->move(topLeft);
        }
    }

    applyPlacementGeometry(QRect(QPoint(placement->left, placement->top),
                                 QSize(placement->right - placement->left, placement->bottom - placement->top)));
    // Projects opened before the placement came back were placed in the default client area: they are
    // placed and sized anew in the one the frame has now, none larger than it.
    placeChildrenAnew();
    // A window closed while minimised comes back in the state it would be restored to.
    const bool maximised = placement->showCmd == WindowPlacement::kShowMaximized
        || (placement->showCmd == WindowPlacement::kShowMinimized
            && (placement->flags & WindowPlacement::kRestoreToMaximized));
    Qt::WindowStates state = windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (maximised)
        state |= Qt::WindowMaximized;
    setWindowState(state);
    return true;
}

void CMainFrame::applyPlacementGeometry(const QRect& rect)
{
    // The record comes from a file: a rectangle off every screen, or of no size, keeps the centred frame.
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    QRect desktop;
    for (const QScreen* screen : QGuiApplication::screens())
        desktop |= screen->availableGeometry();
    if (!desktop.isEmpty() && !desktop.intersects(rect))
        return;
    QRect placed = rect;
    if (!desktop.isEmpty())
        placed.setSize(placed.size().boundedTo(desktop.size()));
    setGeometry(placed);
}

QSize CMainFrame::DefaultFrameSize(const QRect& workArea)
{
    return QSize(kFrameDefaultWidth, kFrameDefaultHeight).boundedTo(workArea.size());
}

CMainFrame::ResetRects CMainFrame::ComputeResetLayout(const QRect& workArea, int minimumFrameWidth)
{
    const int frameWidth = std::max(std::min(kFrameDefaultWidth, workArea.width() - kDockingBarDefaultWidth),
                                    std::min(minimumFrameWidth, workArea.width()));
    const int height = std::min(kFrameDefaultHeight, workArea.height());
    const int total = kDockingBarDefaultWidth + frameWidth;
    const int left = workArea.left() + std::max(0, (workArea.width() - total) / 2);
    const int top = workArea.top() + std::max(0, (workArea.height() - height) / 2);
    // On a desktop too narrow for both, the frame stays on it and the floating bar overlaps it.
    const int frameLeft = std::min(left + kDockingBarDefaultWidth, workArea.left() + workArea.width() - frameWidth);
    return {QRect(left, top, kDockingBarDefaultWidth, height), QRect(frameLeft, top, frameWidth, height)};
}

int CMainFrame::narrowestToolBarWidth() const
{
    // The frame's own edges around a row of toolbars.
    const int edges = width() - centralWidget()->width();
    return std::max(m_standardBar->sizeHint().width(), m_projectBar->sizeHint().width()) + std::max(edges, 0) + 8;
}

void CMainFrame::arrangeToolBarRows()
{
    if (toolBarArea(m_standardBar) != Qt::TopToolBarArea || toolBarArea(m_projectBar) != Qt::TopToolBarArea)
        return;
    const int oneRow = m_standardBar->sizeHint().width() + m_projectBar->sizeHint().width() + 16;
    const bool ownRow = oneRow > width();
    if (ownRow == toolBarBreak(m_projectBar))
        return;
    if (ownRow)
        insertToolBarBreak(m_projectBar);
    else
        removeToolBarBreak(m_projectBar);
}

void CMainFrame::ResetLayout()
{
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    for (QToolBar* bar : {m_standardBar, m_projectBar}) {
        addToolBar(Qt::TopToolBarArea, bar);
        bar->show();
    }
    const ResetRects rects = ComputeResetLayout(workArea, narrowestToolBarWidth());

    const QSize decoration = frameGeometry().size() - geometry().size();
    move(rects.frame.topLeft());
    resize(rects.frame.size() - decoration);
    m_dockingBar->FloatAt(rects.bar);
    arrangeToolBarRows();
    m_dockingBar->show();

    placeChildrenAnew();
}

void CMainFrame::placeChildrenAnew()
{
    settleLayout();
    std::vector<CChildFrame*> children = Children();
    for (CChildFrame* child : children) {
        std::vector<QRect> others;
        for (const CChildFrame* other : children) {
            if (other != child)
                others.push_back(other->NormalRect());
        }
        child->PlaceDefault(others);
    }
    m_mdi->viewport()->update();
}

bool CMainFrame::PrinterListHasFocus() const
{
    const CChildFrame* child = ActiveChild();
    const QWidget* focus = QApplication::focusWidget();
    if (child == nullptr || focus == nullptr)
        return false;
    const QWidget* list = child->View()->ListCtrl();
    return focus == list || list->isAncestorOf(focus);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Shortcut && !PrinterListHasFocus()) {
        for (const int id : kPrinterListKeyCommands) {
            if (watched == m_commands->Find(id))
                return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::closeChildrenForExit()
{
    // Every changed project is asked about first; a Cancel keeps them all open.
    const std::vector<CChildFrame*> children = Children();
    for (CChildFrame* child : children) {
        if (!child->SaveModified())
            return false;
    }
    for (CChildFrame* child : children)
        child->CloseWithoutAsking();
    return true;
}

// ---- events ---------------------------------------------------------------------------------------

void CMainFrame::closeEvent(QCloseEvent* event)
{
    // A package build ends first (cancelled); the frame closes once it has.
    if (PackageBuildRunner::DeferClose(this)) {
        event->ignore();
        return;
    }
    if (IsViewMode()) {
        for (CChildFrame* child : Children())
            child->CloseWithoutAsking();
        event->accept();
        return;
    }
    if (!closeChildrenForExit()) {
        event->ignore();
        return;
    }
    SaveWindowState();
    m_updateTimer.stop();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                event->acceptProposedAction();
                return;
            }
        }
    }
    event->ignore();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasUrls()) {
        event->ignore();
        return;
    }
    QStringList files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            files << url.toLocalFile();
    }
    event->acceptProposedAction();
    OpenFiles(files);
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_dockingBar)
        m_dockingBar->CaptionStrip()->update();
}

} // namespace pellora::ui
