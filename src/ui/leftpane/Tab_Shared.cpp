#include "ui/leftpane/Tab_Shared.h"

#include "core/discovery/ModelList.h"
#include "core/document/Corvan2Doc.h"
#include "core/document/PrinterClipboard.h"
#include "core/model/ViewMode.h"
#include "core/platform/Profile.h"
#include "core/platform/UserSettings.h"
#include "core/util/Support.h"
#include "ui/leftpane/LeftPaneIcons.h"
#include "ui/leftpane/SharePrnSearchThread.h"
#include "ui/leftpane/Tab_SharedIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/PrinterIcons.h"
#include "ui/shared/PrinterMimeData.h"

#include <QApplication>
#include <QDrag>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

namespace pellora::ui {

using namespace shared;

namespace {

constexpr int kFlagsRole = Qt::UserRole;
constexpr int kNameRole = Qt::UserRole + 1; // a container's name for the next level, a printer's driver
constexpr char kServerSeparator = ';';

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

std::uint32_t FlagsOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kFlagsRole).toUInt() : 0;
}

std::string NameOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kNameRole).toString().toStdString() : std::string();
}

} // namespace

OnceFlag& CTab_Shared::FirstSearch()
{
    static OnceFlag flag;
    return flag;
}

CTab_Shared::SourceFactory CTab_Shared::SystemSource()
{
    return [] {
        platform::PrintServerSettings settings;
        settings.servers = ConfiguredServers();
        return std::shared_ptr<platform::SharedPrinterSource>(platform::MakeSystemPrinterSource(std::move(settings)));
    };
}

std::vector<std::string> CTab_Shared::ConfiguredServers()
{
    std::vector<std::string> servers;
    const std::string text = UserSettings().GetString(kSettingPrintServers);
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(kServerSeparator, start), text.size());
        const std::string_view server = platform::TrimBlanks(std::string_view(text).substr(start, end - start));
        if (!server.empty())
            servers.emplace_back(server);
        start = end + 1;
    }
    return servers;
}

void CTab_Shared::SetConfiguredServers(const std::vector<std::string>& servers)
{
    std::string text;
    for (const std::string& server : servers)
        text += (text.empty() ? "" : std::string(1, kServerSeparator)) + server;
    UserSettings().SetString(kSettingPrintServers, text);
}

CTab_Shared::CTab_Shared(CLeftPane& pane, QWidget* parent, OnceFlag& firstSearch, SourceFactory factory)
    : CTab(pane, IDD_TAB_SHARED, kSection, parent)
    , m_pane(pane)
    , m_firstSearch(firstSearch)
    , m_factory(std::move(factory))
{
    setObjectName(QString::fromLatin1(kSection));
    AddControl<QGroupBox>(IDC_GROUP);
    m_tree = AddControl<QTreeWidget>(IDC_TREE);
    m_modelLabel = AddControl<QLabel>(IDC_MODEL_LABEL);
    m_model = AddControl<QLineEdit>(IDC_MODEL);
    m_search = AddControl<QPushButton>(IDC_SEARCH);
    m_add = AddControl<QPushButton>(IDC_ADD_BUTTON);

    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->viewport()->installEventFilter(this);
    ShowReadOnly(m_model, true);

    const int iconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
    m_search->setIcon(SearchButtonIcon());
    m_add->setIcon(AddButtonIcon());
    m_search->setIconSize(QSize(iconSize, iconSize));
    m_add->setIconSize(QSize(iconSize, iconSize));

    LayoutTable& rules = LayoutRules();
    rules.SetRule(IDC_GROUP, 4, 4, "100%-8", 0);
    rules.SetRule(IDC_TREE, 4, 4, "100%-8", "100%-78");
    rules.SetRule(IDC_MODEL_LABEL, 4, "100%-70", "33%", 18);
    rules.SetRule(IDC_MODEL, "33%+4", "100%-70", "67%-8", 18 + 4);
    rules.SetRule(IDC_SEARCH, 4, "100%-44", "50%-6", 40);
    rules.SetRule(IDC_ADD_BUTTON, "50%-6+8", "100%-44", "50%-6", 40);

    connect(m_search, &QPushButton::clicked, this, &CTab_Shared::Search);
    connect(m_add, &QPushButton::clicked, this, &CTab_Shared::AddSelected);
    connect(m_tree, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        m_tree->setCurrentItem(item);
        OpenItem(item);
    });
    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &CTab_Shared::onSelectionChanged);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (m_pane.ActiveProjectHasRoom())
            AddSelected();
    });
    connect(m_tree, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& position) { showContextMenu(m_tree->viewport()->mapToGlobal(position)); });

    Initialise();
    UpdateControls();
}

CTab_Shared::~CTab_Shared() = default;

bool CTab_Shared::Searching() const
{
    return m_worker && m_worker->Running();
}

QString CTab_Shared::ModelText() const
{
    return m_model->text();
}

void CTab_Shared::Search()
{
    if (Searching() || IsViewMode())
        return;
    m_tree->clear();
    m_autoExpand = nullptr;
    // Each search asks the servers of the moment: the administrator may have changed the list.
    m_worker = std::make_unique<CSharePrnSearchThread>(m_factory());
    connect(m_worker.get(), &CSharePrnSearchThread::entryFound, this, &CTab_Shared::insertEntry);
    connect(m_worker.get(), &CSharePrnSearchThread::levelComplete, this, &CTab_Shared::finishLevel);
    startLevel({}, nullptr);
}

void CTab_Shared::startLevel(const std::string& name, QTreeWidgetItem* parent)
{
    m_insertionParent = parent;
    m_autoExpand = nullptr;
    if (!m_worker->Enumerate(name))
        return;
    setCursor(Qt::WaitCursor);
    UpdateControls();
}

void CTab_Shared::OpenItem(QTreeWidgetItem* item)
{
    QTreeWidgetItem* first = item ? item->child(0) : nullptr;
    if (!first || !IsPlaceholder(first))
        return;
    delete first;
    // A node opened while a level loads stays empty (only automatic opening gets here then).
    if (!m_worker || Searching())
        return;
    startLevel(NameOf(item), item);
}

void CTab_Shared::insertEntry(const platform::SharedPrinterEntry& entry)
{
    const int image = ImageOf(entry.flags);
    QString text = QString::fromStdString(entry.description);
    std::string stored = entry.name;
    if (image == kImagePrinter) {
        // Only printers of supported models, and only directly under a server.
        if (!ModelList::InFolder(m_pane.ProgramFolder()).IsModelListed(entry.driverName))
            return;
        if (!m_insertionParent || ImageOf(FlagsOf(m_insertionParent)) != kImageServer)
            return;
        text = QString::fromStdString(std::string(LastPathComponent(entry.name)));
        stored = entry.driverName;
    }
    auto* item = m_insertionParent ? new QTreeWidgetItem(m_insertionParent) : new QTreeWidgetItem(m_tree);
    item->setText(0, text);
    item->setData(0, kFlagsRole, entry.flags);
    item->setData(0, kNameRole, QString::fromStdString(stored));
    item->setIcon(0, SharedTreeImage(image));
    if (image != kImagePrinter)
        AddPlaceholder(item);
    if (entry.flags & platform::kSharedEntryExpand)
        m_autoExpand = item;
}

void CTab_Shared::finishLevel()
{
    unsetCursor();
    if (m_insertionParent && m_insertionParent->childCount() > 0)
        m_insertionParent->setExpanded(true);
    if (QTreeWidgetItem* next = std::exchange(m_autoExpand, nullptr)) {
        // Opening shows the item expanded and loads its level.
        if (next->isExpanded())
            OpenItem(next);
        else
            next->setExpanded(true);
    }
    UpdateControls();
}

int CTab_Shared::ImageOf(std::uint32_t flags)
{
    if (flags & platform::kSharedEntryProvider)
        return kImageProvider;
    if (flags & platform::kSharedEntryDomain)
        return kImageDomain;
    if (flags & platform::kSharedEntryServer)
        return kImageServer;
    if ((flags & platform::kSharedEntryContainer) == 0)
        return kImagePrinter;
    return kImageContainer;
}

void CTab_Shared::AddPlaceholder(QTreeWidgetItem* item)
{
    auto* placeholder = new QTreeWidgetItem(item);
    placeholder->setData(0, kFlagsRole, platform::kSharedEntryContainer);
    placeholder->setIcon(0, SharedTreeImage(kImageContainer));
}

bool CTab_Shared::IsPlaceholder(const QTreeWidgetItem* item)
{
    return item->text(0).isEmpty() && FlagsOf(item) == platform::kSharedEntryContainer && item->childCount() == 0;
}

void CTab_Shared::onSelectionChanged()
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    const bool printer = item && ImageOf(FlagsOf(item)) == kImagePrinter;
    m_model->setText(printer ? QString::fromStdString(NameOf(item)) : QString());
    UpdateControls();
}

std::unique_ptr<CPrinterInfoEx> CTab_Shared::SelectedPrinterRecord() const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (!item || ImageOf(FlagsOf(item)) != kImagePrinter || !item->parent())
        return nullptr;
    const std::string server = item->parent()->text(0).toStdString();
    const std::string share = item->text(0).toStdString();
    // The address is a text for Windows clients: "\\SERVER\SHARE".
    const std::string address = "\\\\" + server + "\\" + share;
    auto record = std::make_unique<CPrinterInfoEx>();
    record->SetNetwork(1, address, "255.255.255.0", "", "");
    record->SetIdentity("", share, m_model->text().toStdString(), "");
    record->entryKind = 0;
    record->sharedPrinter = 1;
    return record;
}

void CTab_Shared::AddSelected()
{
    if (IsViewMode())
        return;
    const WaitCursor wait;
    CCorvan2Doc* project = m_pane.ActiveProject();
    std::unique_ptr<CPrinterInfoEx> record = SelectedPrinterRecord();
    if (!project || !record)
        return;
    project->AddPrinter(record); // a refused record goes with this scope
    project->UpdateAllViews();
    UpdateControls();
}

bool CTab_Shared::StartDrag()
{
    if (IsViewMode() || !m_pane.ActiveProject())
        return false;
    const std::unique_ptr<CPrinterInfoEx> record = SelectedPrinterRecord();
    if (!record)
        return false;
    const CPrinterInfoEx* records[] = {record.get()};
    // Qt deletes the drag object once the operation has ended.
    auto* drag = new QDrag(m_tree);
    drag->setMimeData(MakePrinterMimeData(SerializePrinters(records)).release());
    drag->setPixmap(PrinterImagePixmap(0, 32));
    drag->setHotSpot(QPoint(16, 16));
    if (m_dragRunner)
        m_dragRunner(*drag);
    else
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    return true;
}

bool CTab_Shared::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_pressedAt = static_cast<QMouseEvent*>(event)->position().toPoint();
        } else if (event->type() == QEvent::MouseMove) {
            const auto* move = static_cast<QMouseEvent*>(event);
            if ((move->buttons() & Qt::LeftButton)
                && (move->position().toPoint() - m_pressedAt).manhattanLength() >= QApplication::startDragDistance()
                && StartDrag())
                return true;
        }
    }
    return CTab::eventFilter(watched, event);
}

void CTab_Shared::showContextMenu(const QPoint& globalPosition)
{
    if (IsViewMode() || Searching())
        return;
    const QTreeWidgetItem* item = m_tree->currentItem();
    const std::string server = item && ImageOf(FlagsOf(item)) == kImageServer ? NameOf(item) : std::string();
    const std::vector<std::string> configured = ConfiguredServers();
    QMenu menu(this);
    QAction* add = menu.addAction(ItemText(kSection, kItemAddServer));
    QAction* remove = menu.addAction(ItemText(kSection, kItemRemoveServer));
    remove->setEnabled(std::find(configured.begin(), configured.end(), server) != configured.end());
    const QPointer<CTab_Shared> alive(this);
    QAction* chosen = menu.exec(globalPosition);
    if (!alive)
        return;
    if (chosen == add)
        addServer();
    else if (chosen == remove)
        removeServer(server);
}

void CTab_Shared::addServer()
{
    bool accepted = false;
    const QString server = QInputDialog::getText(this, ItemText(kSection, kItemServerTitle),
                                                 ItemText(kSection, kItemServerPrompt), QLineEdit::Normal, QString(),
                                                 &accepted).trimmed();
    if (!accepted || server.isEmpty() || server.contains(QLatin1Char(kServerSeparator)))
        return;
    std::vector<std::string> servers = ConfiguredServers();
    if (std::find(servers.begin(), servers.end(), server.toStdString()) == servers.end())
        servers.push_back(server.toStdString());
    SetConfiguredServers(servers);
    Search();
}

void CTab_Shared::removeServer(const std::string& server)
{
    std::vector<std::string> servers = ConfiguredServers();
    std::erase(servers, server);
    SetConfiguredServers(servers);
    Search();
}

void CTab_Shared::Retext()
{
    CTab::Retext();
}

void CTab_Shared::OnLeftPaneMessage(int message, int argument)
{
    if (message == WM_LEFT_PANE_NOTIFY && argument == IDC_ADD_BUTTON)
        updateAdd(true);
}

bool CTab_Shared::ReadControls()
{
    return true;
}

void CTab_Shared::WriteControls()
{
}

void CTab_Shared::UpdateControls()
{
    const bool idle = !IsViewMode() && !Searching();
    m_tree->setEnabled(idle);
    m_search->setEnabled(idle);
    updateAdd(false);
}

void CTab_Shared::updateAdd(bool ignoreWorker)
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    const bool printer = item && ImageOf(FlagsOf(item)) == kImagePrinter;
    m_add->setEnabled(!IsViewMode() && (ignoreWorker || !Searching()) && printer && m_pane.ActiveProjectHasRoom());
}

void CTab_Shared::OnRetext()
{
    UpdateControls();
}

void CTab_Shared::showEvent(QShowEvent* event)
{
    CTab::showEvent(event);
    // The first showing of a shared-printer page in a run searches by itself.
    if (!m_initialised) {
        m_initialised = true;
        if (m_firstSearch.TakeFirst())
            QMetaObject::invokeMethod(this, &CTab_Shared::Search, Qt::QueuedConnection);
    }
}

} // namespace pellora::ui
