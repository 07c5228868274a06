#include "ui/Corvan2View.h"

#include "core/model/ViewMode.h"
#include "ui/ControlId.h"
#include "ui/Corvan2ViewIds.h"
#include "ui/DialogTexts.h"
#include "ui/LayoutApply.h"
#include "ui/LeftPane.h"
#include "ui/ListCtrl_Printer.h"
#include "ui/MainFrame.h"
#include "ui/MessageService.h"
#include "ui/PackageBuildRunner.h"
#include "ui/PrinterIcons.h"
#include "ui/PrinterMimeData.h"
#include "ui/ProjectSaveDialog.h"
#include "ui/Tab_DriverInfo.h"
#include "ui/Tab_PrinterInfo.h"
#include "ui/Tab_ScriptInfo.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTabWidget>

#include <algorithm>

namespace pellora::ui {

using namespace corvan2;

namespace {

// Section "ETC" items of the two save dialogs.
constexpr int kEtcScriptType = 3;
constexpr int kEtcPackageType = 6;
constexpr int kEtcSaveScriptTitle = 101;
constexpr int kEtcCreatePackageTitle = 103;

// Where a pre-build failure is shown: the page and the control to focus.
struct FaultPlace {
    int page;
    int control;
};

std::optional<FaultPlace> PlaceOfFault(int errorCode)
{
    switch (errorCode) {
    case 10:
    case 11:
        return FaultPlace{CCorvan2View::kPrinterPage, 1037};
    case 12:
    case 13:
        return FaultPlace{CCorvan2View::kPrinterPage, 1041};
    case 14:
    case 22:
        return FaultPlace{CCorvan2View::kPrinterPage, 1039};
    case 15:
        return FaultPlace{CCorvan2View::kPrinterPage, 1038};
    case 16:
        return FaultPlace{CCorvan2View::kDriverPage, 1051};
    case 17:
    case 26:
        return FaultPlace{CCorvan2View::kDriverPage, 1055};
    case 25:
    case 27:
        return FaultPlace{CCorvan2View::kDriverPage, 1194};
    default:
        return std::nullopt;
    }
}

// The window a project view lives in: its child frame, or the view itself when it stands alone.
QWidget* FrameOf(QWidget* view)
{
    for (QWidget* widget = view->parentWidget(); widget; widget = widget->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(widget))
            return frame;
    }
    return view->isWindow() ? view : nullptr;
}

std::vector<CCorvan2View*>& Registry()
{
    static std::vector<CCorvan2View*> views;
    return views;
}

// The strip between list and tabs: dragging it moves the bottom edge of the project window.
class ResizeGrip final : public QWidget {
public:
    explicit ResizeGrip(QWidget* parent)
        : QWidget(parent)
    {
        setCursor(Qt::SizeVerCursor);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QPalette colours = palette();
        painter.fillRect(rect(), colours.color(QPalette::Window));
        const int right = width() - 1;
        const int bottom = height() - 1;
        // Raised edges at top and bottom.
        painter.setPen(colours.color(QPalette::Light));
        painter.drawLine(0, 0, right, 0);
        painter.drawLine(0, bottom - 1, right, bottom - 1);
        painter.setPen(colours.color(QPalette::Dark));
        painter.drawLine(0, 1, right, 1);
        painter.drawLine(0, bottom, right, bottom);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton || IsViewMode()) {
            event->ignore();
            return;
        }
        m_frame = FrameOf(parentWidget());
        if (!m_frame)
            return;
        m_startY = event->globalPosition().toPoint().y();
        m_startHeight = m_frame->height();
        m_dragging = true;
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (!m_dragging || !m_frame)
            return;
        const int height = std::max(m_frame->minimumSizeHint().height(),
                                    m_startHeight + event->globalPosition().toPoint().y() - m_startY);
        m_frame->resize(m_frame->width(), height);
    }

    void mouseReleaseEvent(QMouseEvent*) override { m_dragging = false; }

private:
    QPointer<QWidget> m_frame;
    int m_startY = 0;
    int m_startHeight = 0;
    bool m_dragging = false;
};

} // namespace

CCorvan2View::CCorvan2View(CCorvan2Doc& document, QWidget* parent)
    : QWidget(parent)
    , m_document(document)
{
    m_layout.SetRule(IDC_PRINTER_LIST, 0, 0, "100%", "100%-180");
    m_layout.SetRule(IDC_RESIZE_GRIP, 0, "100%-180", "100%", 6);
    m_layout.SetRule(IDC_PROPERTY_TABS, 0, "100%-174", "100%", 174);

    // The controls are made in layout order, so that each is the first of its number.
    m_list = new CListCtrl_Printer(this);
    SetControlId(m_list, IDC_PRINTER_LIST);
    m_grip = new ResizeGrip(this);
    SetControlId(m_grip, IDC_RESIZE_GRIP);
    m_tabs = new QTabWidget(this);
    SetControlId(m_tabs, IDC_PROPERTY_TABS);
    m_tabs->setDocumentMode(false);
    m_tabs->setIconSize(QSize(16, 16));

    m_observer = m_document.AddObserver([this](long hint) { OnUpdate(hint); });
    m_list->SetDocument(&m_document, m_observer);
    m_list->SetMaxPrinters(kMaxPrinters);
    m_list->SetCommandState([this](int id, bool& enabled, bool& checked) { return UpdateCommand(id, enabled, checked); });
    connect(m_list, &CListCtrl_Printer::printerCountChanged, this, &CCorvan2View::onPrinterCountChanged);
    connect(m_list, &CListCtrl_Printer::selectionChanged, this, &CCorvan2View::refreshCurrentPage);

    buildPages();
    connect(m_tabs, &QTabWidget::currentChanged, this, &CCorvan2View::refreshCurrentPage);

    setAcceptDrops(true);
    Registry().push_back(this);
    Retext();
    OnUpdate(0);
    ApplyLayout(m_layout, this);
}

CCorvan2View::~CCorvan2View()
{
    m_document.RemoveObserver(m_observer);
    std::erase(Registry(), this);
}

std::vector<CCorvan2View*> CCorvan2View::AllViews()
{
    return Registry();
}

void CCorvan2View::buildPages()
{
    m_pages[kPrinterPage] = new CTab_PrinterInfo(*this, m_tabs);
    m_pages[kDriverPage] = new CTab_DriverInfo(*this, m_tabs);
    m_pages[kScriptPage] = new CTab_ScriptInfo(*this, m_tabs);
    for (int page = 0; page < kPageCount; ++page) {
        CTab* tab = m_pages[static_cast<std::size_t>(page)];
        tab->SetCommandHandler([this](int id) { emit frameCommandRequested(id); });
        m_tabs->addTab(tab, PageImage(page), QString());
    }
    m_tabs->setCurrentIndex(kPrinterPage);
}

CTab* CCorvan2View::Page(int page) const
{
    return page >= 0 && page < kPageCount ? m_pages[static_cast<std::size_t>(page)] : nullptr;
}

void CCorvan2View::Retext()
{
    m_list->SetColumnTexts(ItemTexts(kFormSection, IDC_PRINTER_LIST));
    const QStringList labels = ItemTexts(kFormSection, IDC_PROPERTY_TABS);
    for (int page = 0; page < m_tabs->count(); ++page)
        m_tabs->setTabText(page, page < labels.size() ? labels[page] : QString());
    for (CTab* tab : m_pages)
        tab->Retext();
}

void CCorvan2View::OnUpdate(long)
{
    // The frame's menus follow the language of the moment.
    if (auto* frame = qobject_cast<CMainFrame*>(window()))
        frame->RetextMenuBar();
    m_list->SetColumnTexts(ItemTexts(kFormSection, IDC_PRINTER_LIST));
    const QStringList labels = ItemTexts(kFormSection, IDC_PROPERTY_TABS);
    for (int page = 0; page < m_tabs->count(); ++page)
        m_tabs->setTabText(page, page < labels.size() ? labels[page] : QString());
    m_list->Refresh();
    if (IsViewMode()) {
        // A language switch runs in view mode: the pages read their texts again.
        for (CTab* tab : m_pages) {
            tab->Retext();
            tab->OnSelectionChanged();
        }
        return;
    }
    refreshCurrentPage();
}

void CCorvan2View::refreshCurrentPage()
{
    if (auto* page = qobject_cast<CTab*>(m_tabs->currentWidget()))
        page->OnSelectionChanged();
}

bool CCorvan2View::SelectedPrinters(std::vector<CPrinterInfoEx*>& printers)
{
    printers = m_list->SelectedRecords();
    return true;
}

void CCorvan2View::PrintersEdited(const std::vector<CPrinterInfoEx*>& printers)
{
    m_list->RefreshRecords(printers);
}

void CCorvan2View::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyLayout(m_layout, this);
}

bool CCorvan2View::UpdateCommand(int id, bool& enabled, bool& checked) const
{
    enabled = false;
    checked = false;
    switch (id) {
    case ID_ADD_PRINTER:
        enabled = !m_list->IsFull();
        break;
    case ID_SAVE_SCRIPT:
    case ID_CREATE_PACKAGE:
        enabled = m_list->GetItemCount() > 0;
        break;
    case ID_CLOSE_ALL:
        enabled = true;
        break;
    case ID_EDIT_CLEAR:
    case ID_EDIT_COPY:
    case ID_EDIT_CUT:
        enabled = !m_list->SelectedItems().empty();
        break;
    case ID_EDIT_PASTE:
        enabled = !m_list->IsFull() && ClipboardCanPaste();
        break;
    case ID_EDIT_SELECT_ALL:
    case ID_VIEW_SMALLICON:
    case ID_VIEW_LARGEICON:
    case ID_VIEW_LIST:
    case ID_VIEW_DETAILS:
    case ID_BIG_ICONS:
    case ID_SMALL_ICONS_DETAILS:
        m_list->UpdateCommand(id, enabled, checked);
        break;
    default:
        return false;
    }
    // A build in progress and view mode leave every command disabled.
    if (IsViewMode() || m_building)
        enabled = false;
    return true;
}

bool CCorvan2View::OnCommand(int id)
{
    bool enabled = false;
    bool checked = false;
    if (!UpdateCommand(id, enabled, checked))
        return false;
    if (IsViewMode() || m_building)
        return true;
    switch (id) {
    case ID_ADD_PRINTER:
        addPrinter();
        break;
    case ID_SAVE_SCRIPT:
        saveProjectAs();
        break;
    case ID_CREATE_PACKAGE:
        createPackage();
        break;
    case ID_CLOSE_ALL:
        closeAll();
        break;
    case ID_EDIT_PASTE:
        // A full list takes nothing, whatever the clipboard holds.
        if (!m_list->IsFull())
            m_list->OnCommand(id);
        break;
    default:
        m_list->OnCommand(id);
        break;
    }
    return true;
}

void CCorvan2View::addPrinter()
{
    if (m_list->IsFull())
        return;
    CPrinterInfoEx* added = m_document.AddPrinter();
    if (!added)
        return;
    m_document.UpdateAllViews();
    m_list->SelectRecord(added);
    onPrinterCountChanged();
}

int CCorvan2View::AddPrinterRecord(std::unique_ptr<CPrinterInfoEx>& record)
{
    if (m_building)
        return -1;
    return m_list->AddRecord(record);
}

bool CCorvan2View::DropOnList(const QMimeData* data)
{
    if (m_building)
        return false;
    return m_list->DropData(data, -1);
}

void CCorvan2View::onPrinterCountChanged()
{
    emit printerCountChanged();
    // The left pane of the frame re-checks its add button once the events waiting now are done.
    if (QWidget* top = window(); top && top != this) {
        if (auto* pane = top->findChild<CLeftPane*>())
            pane->PostToCurrentPage(WM_LEFT_PANE_UPDATE, IDC_LEFT_PANE_ADD);
    }
}

bool CCorvan2View::validate()
{
    const ValidationResult result = m_document.Validate();
    if (result.ok())
        return true;
    ShowValidationFailure(result);
    return false;
}

void CCorvan2View::ShowValidationFailure(const ValidationResult& result)
{
    ShowMessage(result.errorCode);
    const auto& printers = m_document.GetScript().printers;
    if (result.printerIndex < 0 || static_cast<std::size_t>(result.printerIndex) >= printers.size())
        return;
    m_list->Refresh();
    m_list->SelectRecord(printers[static_cast<std::size_t>(result.printerIndex)].get());
    const std::optional<FaultPlace> place = PlaceOfFault(result.errorCode);
    if (!place)
        return;
    m_tabs->setCurrentIndex(place->page);
    CTab* page = Page(place->page);
    page->OnSelectionChanged();
    page->FocusControl(place->control);
    page->update();
}

QString CCorvan2View::defaultFileName() const
{
    const std::filesystem::path& path = m_document.GetPathName();
    const std::filesystem::path name = path.empty() ? std::filesystem::path(m_document.GetTitle()) : path;
    return QString::fromStdString(name.stem().string());
}

QString CCorvan2View::documentFolder() const
{
    const std::filesystem::path& path = m_document.GetPathName();
    return path.empty() ? QString() : QString::fromStdString(path.parent_path().string());
}

BuildEnvironment CCorvan2View::buildEnvironment() const
{
    return m_buildEnvironment ? *m_buildEnvironment : BuildEnvironment::FromProgramFolder();
}

QString CCorvan2View::promptOutputPath(int titleItem, int typeItem, const QString& extension)
{
    if (m_list->GetItemCount() == 0 || !validate())
        return {};
    ProjectSaveDialog dialog(this, ItemText("ETC", titleItem), ItemText("ETC", typeItem), extension,
                             defaultFileName(), documentFolder());
    return dialog.Prompt();
}

void CCorvan2View::saveProjectAs()
{
    const QString path = promptOutputPath(kEtcSaveScriptTitle, kEtcScriptType, QStringLiteral(".qst"));
    if (path.isEmpty())
        return;
    const DocumentResult result = m_document.SaveDocument(path.toStdString());
    if (!result.ok) {
        ShowDocumentResult(result);
        return;
    }
    emit recentFileAdded(path);
    // The title follows the new path.
    m_document.UpdateAllViews();
}

void CCorvan2View::createPackage()
{
    const QString path = promptOutputPath(kEtcCreatePackageTitle, kEtcPackageType, QStringLiteral(".exe"));
    if (path.isEmpty())
        return;

    PackageBuildRunner runner(m_document, buildEnvironment());
    m_building = true;
    const PackageBuildRunner::Outcome outcome = runner.Run(this, path.toStdString());
    m_building = false;
    if (outcome.cancelled)
        return;
    if (!outcome.result.ok) {
        ShowDocumentResult(outcome.result);
        return;
    }
    emit recentFileAdded(path);
    // The modified flag is clear now.
    m_document.UpdateAllViews();
}

void CCorvan2View::closeAll()
{
    for (CCorvan2View* view : AllViews()) {
        QWidget* frame = FrameOf(view);
        if (!frame)
            continue;
        // A close request: each window decides on its own, after this command has ended.
        QMetaObject::invokeMethod(frame, [frame] { frame->close(); }, Qt::QueuedConnection);
    }
}

// Away from its list, the view answers drags as its list would.
void CCorvan2View::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void CCorvan2View::dragMoveEvent(QDragMoveEvent* event)
{
    const Qt::DropAction action = m_building ? Qt::IgnoreAction : m_list->DropActionFor(event->mimeData());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void CCorvan2View::dropEvent(QDropEvent* event)
{
    const Qt::DropAction action = m_building ? Qt::IgnoreAction : m_list->DropActionFor(event->mimeData());
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
    m_list->DropData(event->mimeData(), -1);
}

} // namespace pellora::ui
