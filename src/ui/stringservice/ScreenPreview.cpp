#include "ui/stringservice/ScreenPreview.h"

#include "core/i18n/StringTable.h"
#include "ui/dialogs/AboutBox.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/CommandTable.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/frame/MainFrame.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/options/CustomDlg.h"
#include "ui/options/HeaderDlg.h"
#include "ui/options/RovivDlg.h"
#include "ui/options/SecurityDlg.h"
#include "ui/options/UtilityDlg.h"
#include "ui/project/Corvan2View.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/MessageService.h"
#include "ui/shared/Tab.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeView>

#include <algorithm>

namespace pellora::ui {

namespace {

std::size_t dialogSlot(ScreenKind kind)
{
    return static_cast<std::size_t>(static_cast<int>(kind) - static_cast<int>(ScreenKind::UtilityDialog));
}

// The position of the record's text among the texts of its section and identifier; -1 when it is not there.
int textPosition(const StringServiceRecord& record)
{
    const StringEntry entry = Strings().FindEntry(record.section, record.identifier);
    const auto found = std::find(entry.textIds.begin(), entry.textIds.end(), static_cast<std::uint32_t>(record.textNumber));
    return found == entry.textIds.end() ? -1 : static_cast<int>(found - entry.textIds.begin());
}

// The control of the identifier: the window itself or one of its descendants.
QWidget* controlOf(QWidget* window, int id)
{
    return ControlId(window) == id ? window : FindControl(window, id);
}

QHeaderView* headerOf(QWidget* control)
{
    if (auto* tree = qobject_cast<QTreeView*>(control))
        return tree->header();
    for (QHeaderView* header : control->findChildren<QHeaderView*>()) {
        if (header->orientation() == Qt::Horizontal && header->isVisible())
            return header;
    }
    return nullptr;
}

QTabBar* tabBarOf(QWidget* control)
{
    if (auto* tabs = qobject_cast<QTabWidget*>(control))
        return tabs->tabBar();
    return qobject_cast<QTabBar*>(control);
}

std::optional<FlashSpot> wholeOf(QWidget* control)
{
    if (control == nullptr || control->isHidden())
        return std::nullopt;
    return FlashSpot {control, control->rect()};
}

} // namespace

QPoint KeptOnScreen(const QPoint& topLeft, const QSize& size)
{
    const QScreen* screen = QApplication::primaryScreen();
    if (screen == nullptr)
        return topLeft;
    const QSize room = screen->geometry().size() - size;
    return {std::max(0, std::min(topLeft.x(), room.width())), std::max(0, std::min(topLeft.y(), room.height()))};
}

CScreenPreview::CScreenPreview(CMainFrame& frame)
    : m_frame(frame)
{
}

CScreenPreview::~CScreenPreview() = default;

COptionDialog* CScreenPreview::Dialog(ScreenKind kind) const
{
    return IsOptionDialog(kind) ? m_dialogs[dialogSlot(kind)].get() : nullptr;
}

void CScreenPreview::Show(const StringServiceRecord& record)
{
    m_record = record;
    m_kind = ScreenKindOf(record.section);
    ensureProjectWindow();
    if (m_kind != ScreenKind::Message)
        ShowMessage(kCloseNonBlockingBox);
    closeOtherScreens(m_kind);

    CCorvan2View* view = m_frame.ActiveChild() != nullptr ? m_frame.ActiveChild()->View() : nullptr;
    switch (m_kind) {
    case ScreenKind::AboutBox:
        showAboutBox();
        break;
    case ScreenKind::LeftPane:
        showDockingBar(true);
        break;
    case ScreenKind::NetworkPage:
    case ScreenKind::SharedPage:
    case ScreenKind::GroupPage:
        selectLeftPanePage(record.section);
        showDockingBar(true);
        break;
    case ScreenKind::ProjectView:
    case ScreenKind::PrinterInfoPage:
    case ScreenKind::DriverInfoPage:
    case ScreenKind::ScriptInfoPage:
    case ScreenKind::ConfigPage:
    case ScreenKind::Utility2Page:
        showDockingBar(false);
        if (IsProjectViewPage(m_kind))
            selectProjectPage(record.section);
        if (view != nullptr)
            view->repaint();
        break;
    case ScreenKind::UtilityDialog:
    case ScreenKind::CustomDialog:
    case ScreenKind::HydroDialog:
    case ScreenKind::SecurityDialog:
    case ScreenKind::HeaderDialog:
        showDialog(m_kind);
        break;
    case ScreenKind::Message:
        ShowMessage(record.identifier);
        break;
    case ScreenKind::Menu:
    case ScreenKind::MainFrame:
    case ScreenKind::Toolbar:
        showDockingBar(false);
        m_frame.repaint();
        break;
    }
}

void CScreenPreview::Refresh()
{
    if (m_kind == ScreenKind::AboutBox && m_about) {
        m_about->Retext();
        place(*m_about);
    } else if (COptionDialog* dialog = Dialog(m_kind)) {
        dialog->Initialise();
    } else if (m_kind == ScreenKind::Message) {
        ShowMessage(m_record.identifier);
    } else if (!IsOptionDialog(m_kind) && m_kind != ScreenKind::AboutBox) {
        m_frame.RetextAll();
    }
}

void CScreenPreview::ensureProjectWindow()
{
    if (m_frame.ActiveChild() == nullptr)
        m_frame.NewDocument();
}

void CScreenPreview::closeOtherScreens(ScreenKind kind)
{
    if (kind != ScreenKind::AboutBox && m_about)
        m_about->hide();
    for (const ScreenKind dialog : {ScreenKind::UtilityDialog, ScreenKind::CustomDialog, ScreenKind::HydroDialog,
                                    ScreenKind::SecurityDialog, ScreenKind::HeaderDialog}) {
        std::unique_ptr<COptionDialog>& slot = m_dialogs[dialogSlot(dialog)];
        if (dialog == kind || !slot)
            continue;
        // The utility dialog keeps its list; the others are made anew.
        if (dialog == ScreenKind::UtilityDialog)
            slot->hide();
        else
            slot.reset();
    }
}

void CScreenPreview::showDockingBar(bool show)
{
    if (CCoolDialogBar* bar = m_frame.DockingBar())
        bar->setVisible(show);
}

void CScreenPreview::showAboutBox()
{
    if (!m_about)
        m_about = std::make_unique<CAboutDlg>();
    place(*m_about);
    showDockingBar(false);
    m_about->show();
    m_about->raise();
}

void CScreenPreview::showDialog(ScreenKind kind)
{
    std::unique_ptr<COptionDialog>& slot = m_dialogs[dialogSlot(kind)];
    if (!slot) {
        slot = makeDialog(kind);
        slot->Initialise();
    }
    place(*slot);
    showDockingBar(false);
    slot->show();
    slot->raise();
}

std::unique_ptr<COptionDialog> CScreenPreview::makeDialog(ScreenKind kind) const
{
    const std::filesystem::path& folder = m_frame.Environment().programFolder;
    switch (kind) {
    case ScreenKind::UtilityDialog:
        return std::make_unique<CUtilityDlg>(folder);
    case ScreenKind::CustomDialog:
        return std::make_unique<CCustomDlg>(folder);
    case ScreenKind::HydroDialog:
        return std::make_unique<CRovivDlg>(CRovivDlg::MachineShowItem());
    case ScreenKind::SecurityDialog:
        return std::make_unique<CSecurityDlg>();
    default:
        return std::make_unique<CHeaderDlg>();
    }
}

void CScreenPreview::selectLeftPanePage(const std::string& section)
{
    CLeftPane* pane = m_frame.LeftPane();
    if (pane == nullptr)
        return;
    const int page = PageIndexOfSection(*pane->Tabs(), section);
    if (page >= 0)
        pane->SelectPage(page);
}

void CScreenPreview::selectProjectPage(const std::string& section)
{
    CChildFrame* child = m_frame.ActiveChild();
    QTabWidget* tabs = child != nullptr && child->View() != nullptr ? child->View()->Tabs() : nullptr;
    if (tabs == nullptr)
        return;
    const int page = PageIndexOfSection(*tabs, section);
    if (page >= 0)
        tabs->setCurrentIndex(page);
}

void CScreenPreview::place(QWidget& window) const
{
    window.move(KeptOnScreen(m_anchor, window.frameGeometry().size()));
}

QWidget* CScreenPreview::targetWindow(const StringServiceRecord& record) const
{
    CChildFrame* child = m_frame.ActiveChild();
    CCorvan2View* view = child != nullptr ? child->View() : nullptr;
    switch (m_kind) {
    case ScreenKind::MainFrame:
        return record.identifier == kFlashStatusPaneId ? static_cast<QWidget*>(m_frame.statusBar()) : &m_frame;
    case ScreenKind::Toolbar:
        return m_frame.ProjectToolBar();
    case ScreenKind::AboutBox:
        return m_about.get();
    case ScreenKind::LeftPane:
        return m_frame.LeftPane();
    case ScreenKind::NetworkPage:
    case ScreenKind::SharedPage:
    case ScreenKind::GroupPage: {
        CLeftPane* pane = m_frame.LeftPane();
        const int page = pane != nullptr ? PageIndexOfSection(*pane->Tabs(), record.section) : -1;
        return page >= 0 ? pane->Tabs()->widget(page) : nullptr;
    }
    case ScreenKind::ProjectView:
        return view;
    case ScreenKind::PrinterInfoPage:
    case ScreenKind::DriverInfoPage:
    case ScreenKind::ScriptInfoPage:
    case ScreenKind::ConfigPage:
    case ScreenKind::Utility2Page: {
        const int page = view != nullptr ? PageIndexOfSection(*view->Tabs(), record.section) : -1;
        return page >= 0 ? view->Tabs()->widget(page) : nullptr;
    }
    case ScreenKind::UtilityDialog:
    case ScreenKind::CustomDialog:
    case ScreenKind::HydroDialog:
    case ScreenKind::SecurityDialog:
    case ScreenKind::HeaderDialog:
        return Dialog(m_kind);
    case ScreenKind::Menu:
    case ScreenKind::Message:
        return nullptr;
    }
    return nullptr;
}

std::optional<FlashSpot> CScreenPreview::FlashSpotFor(const StringServiceRecord& record)
{
    QWidget* target = targetWindow(record);
    if (target == nullptr)
        return std::nullopt;
    switch (FlashModeOf(m_kind, record.identifier)) {
    case FlashMode::None:
        return std::nullopt;
    case FlashMode::Caption:
        // A window's caption; the left pane's is the caption strip of its bar. Other parts have none.
        if (target->isWindow()) {
            const int height = target->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, target);
            return FlashSpot {target, QRect(0, 0, target->width(), height)};
        }
        if (target == m_frame.LeftPane() && m_frame.DockingBar() != nullptr)
            return wholeOf(m_frame.DockingBar()->CaptionStrip());
        return std::nullopt;
    case FlashMode::HeaderItem: {
        QWidget* control = controlOf(target, record.identifier);
        QHeaderView* header = control != nullptr ? headerOf(control) : nullptr;
        const int position = textPosition(record);
        if (header == nullptr || position < 0 || position >= header->count())
            return std::nullopt;
        const QRect section(header->sectionViewportPosition(position), 0, header->sectionSize(position),
                            header->viewport()->height());
        return FlashSpot {header->viewport(), section};
    }
    case FlashMode::TabItem: {
        QWidget* control = controlOf(target, record.identifier);
        QTabBar* bar = control != nullptr ? tabBarOf(control) : nullptr;
        const int position = textPosition(record);
        if (bar == nullptr || position < 0 || position >= bar->count())
            return std::nullopt;
        if (auto* tabs = qobject_cast<QTabWidget*>(control))
            tabs->setCurrentIndex(position);
        else
            bar->setCurrentIndex(position);
        return FlashSpot {bar, bar->tabRect(position)};
    }
    case FlashMode::ComboItem: {
        QWidget* control = controlOf(target, record.identifier);
        const int position = textPosition(record);
        if (control == nullptr || position < 0)
            return std::nullopt;
        if (auto* combo = qobject_cast<QComboBox*>(control); combo != nullptr && position < combo->count())
            combo->setCurrentIndex(position);
        return wholeOf(control);
    }
    case FlashMode::StatusPane:
        return wholeOf(m_frame.StatusPane());
    case FlashMode::ToolbarButton: {
        QToolBar* bar = m_frame.ProjectToolBar();
        for (QAction* action : bar->actions()) {
            if (CommandTable::CommandId(action) == record.identifier)
                return wholeOf(bar->widgetForAction(action));
        }
        return std::nullopt;
    }
    case FlashMode::Control:
        return wholeOf(FindControl(target, record.identifier));
    }
    return std::nullopt;
}

} // namespace pellora::ui
