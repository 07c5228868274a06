#include "ui/project/Corvan2View.h"

#include "core/model/ViewMode.h"
#include "core/util/MessageNumbers.h"
#include "ui/dialogs/PackageSigningFields.h"
#include "ui/dialogs/ProjectSaveDialog.h"
#include "ui/frame/MainFrame.h"
#include "ui/leftpane/LeftPane.h"
#include "ui/project/Corvan2ViewIds.h"
#include "ui/project/PackageBuildRunner.h"
#include "ui/project/Tab_DriverInfo.h"
#include "ui/project/Tab_DriverInfoIds.h"
#include "ui/project/Tab_PrinterInfo.h"
#include "ui/project/Tab_PrinterInfoIds.h"
#include "ui/project/Tab_ScriptInfo.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/LayoutApply.h"
#include "ui/shared/ListCtrl_Printer.h"
#include "ui/shared/MessageService.h"
#include "ui/shared/PrinterIcons.h"
#include "ui/shared/PrinterMimeData.h"

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

// The height below the list (grip and property tabs) and the least the list keeps for its header and
// two rows however small the project window is made.
constexpr int kBelowListHeight = 180;
constexpr int kListMinimumHeight = 64;

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

// Where a failed pre-build check puts the focus. Numbers 12, 13 (the share name) and 16 (the driver
// name) come from checks this version does not make; they keep their places.
std::optional<FaultPlace> PlaceOfFault(int errorCode)
{
    switch (errorCode) {
    case kMessageNoPrinterName:
    case kMessageDuplicateName:
        return FaultPlace{CCorvan2View::kPrinterPage, printerinfo::IDC_PRINTER_NAME};
    case 12:
    case 13:
        return FaultPlace{CCorvan2View::kPrinterPage, printerinfo::IDC_SHARE_NAME};
    case kMessageNoAddress:
    case kMessageShortAddress:
        return FaultPlace{CCorvan2View::kPrinterPage, printerinfo::IDC_ADDRESS};
    case kMessageNoModel:
        return FaultPlace{CCorvan2View::kPrinterPage, printerinfo::IDC_MODEL_NAME_EDIT};
    case 16:
        return FaultPlace{CCorvan2View::kDriverPage, driverinfo::IDC_DRIVER_NAME};
    case kMessageNoDriverFolder:
    case kMessageDriverFolder:
        return FaultPlace{CCorvan2View::kDriverPage, driverinfo::IDC_DRIVER_FOLDER};
    case kMessageNoSettingsFile:
    case kMessageSettingsFile:
        return FaultPlace{CCorvan2View::kDriverPage, driverinfo::IDC_BSF_PATH};
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
    setMinimumHeight(kBelowListHeight + kListMinimumHeight);
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
    m_list->SetList(&m_document, m_observer);
    m_list->SetMaxPrinters(kMaxPrinters);
    registerCommands();
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

void CCorvan2View::registerCommands()
{
    // A build in progress and view mode leave every command disabled.
    const auto rule = [this](bool enabled) { return CommandState{enabled && !IsViewMode() && !m_building}; };
    m_commands.Add(ID_PRINTER_ADD, [this] { addPrinter(); }, [=, this] { return rule(!m_list->IsFull()); });
    m_commands.Add(ID_FILE_SAVE_SCRIPT, [this] { saveProjectAs(); }, [=, this] { return rule(m_list->GetItemCount() > 0); });
    m_commands.Add(ID_FILE_CREATE_PACKAGE, [this] { createPackage(); }, [=, this] { return rule(m_list->GetItemCount() > 0); });
    m_commands.Add(ID_WINDOW_CLOSE_ALL, [] { closeAll(); }, [=] { return rule(true); });
}

CommandChain CCorvan2View::CommandRoute() const
{
    return CommandChain().Then(&m_commands).Then(&m_list->Commands());
}

bool CCorvan2View::UpdateCommand(int id, bool& enabled, bool& checked) const
{
    const std::optional<CommandState> state = CommandRoute().StateOf(id);
    enabled = state && state->enabled;
    checked = state && state->checked;
    return state.has_value();
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
            pane->PostToCurrentPage(WM_LEFT_PANE_NOTIFY, IDC_ADD_BUTTON);
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

CCorvan2View::SaveCheck CCorvan2View::CheckBeforeSave()
{
    const ValidationResult result = m_document.Validate();
    if (result.ok())
        return SaveCheck::Complete;
    // A printer without a model is left out when the project is read again: saving anyway would lose it.
    const auto& printers = m_document.GetScript().printers;
    const auto modelless = std::find_if(printers.begin(), printers.end(),
                                        [](const auto& printer) { return printer->modelName.empty(); });
    if (modelless != printers.end()) {
        ShowValidationFailure({kMessageNoModel, static_cast<int>(modelless - printers.begin())});
        return SaveCheck::Stop;
    }
    ShowValidationFailure(result);
    return AskQuestion(ItemText(kQuestionSection, kQuestionSaveAnyway)) == kAnswerYes ? SaveCheck::SaveAnyway
                                                                                        : SaveCheck::Stop;
}

bool CCorvan2View::MaySaveTo(const std::filesystem::path& path, SaveCheck check)
{
    if (check == SaveCheck::Complete || !CCorvan2Doc::IsPackagePath(path))
        return check != SaveCheck::Stop;
    ShowValidationFailure(m_document.Validate());
    return false;
}

QString CCorvan2View::promptOutputPath(int titleItem, int typeItem, const QString& extension, SigningSettings* signing)
{
    ProjectSaveDialog dialog(this, ItemText("ETC", titleItem), ItemText("ETC", typeItem), extension,
                             defaultFileName(), documentFolder());
    PackageSigningFields* fields = nullptr;
    if (signing != nullptr) {
        fields = new PackageSigningFields(*signing);
        dialog.AddFields(fields);
    }
    const QString path = dialog.Prompt();
    if (fields != nullptr && !path.isEmpty())
        *signing = fields->Settings();
    return path;
}

void CCorvan2View::saveProjectAs()
{
    if (m_list->GetItemCount() == 0)
        return;
    const SaveCheck check = CheckBeforeSave();
    if (check == SaveCheck::Stop)
        return;
    const QString path = promptOutputPath(kEtcSaveScriptTitle, kEtcScriptType, QStringLiteral(".qst"));
    if (path.isEmpty() || !MaySaveTo(path.toStdString(), check))
        return;
    const DocumentResult result = m_document.SaveDocument(path.toStdString());
    if (!result.ok()) {
        ShowDocumentResult(result);
        return;
    }
    emit recentFileAdded(path);
    // The title follows the new path.
    m_document.UpdateAllViews();
}

void CCorvan2View::createPackage()
{
    if (m_list->GetItemCount() == 0 || !validate())
        return;
    SigningSettings signing = PackageSigningFields::Remembered();
    const QString path = promptOutputPath(kEtcCreatePackageTitle, kEtcPackageType, QStringLiteral(".exe"), &signing);
    if (path.isEmpty())
        return;
    PackageSigningFields::Remember(signing);

    PackageBuildRunner runner(m_document);
    m_building = true;
    m_list->SetBusy(true);
    const PackageBuildRunner::Outcome outcome = runner.Run(this, path.toStdString(), signing);
    m_list->SetBusy(false);
    m_building = false;
    if (outcome.cancelled())
        return;
    if (!outcome.result.ok()) {
        ShowDocumentResult(outcome.result, outcome.FailureDetail().toStdString());
        return;
    }
    emit recentFileAdded(path);
    emit packageBuilt(path);
    if (const QString notice = outcome.Notice(); !notice.isEmpty())
        emit statusNotice(notice);
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
