#include "ui/ListCtrl_Printer.h"

#include "core/model/PrinterClipboard.h"
#include "core/model/PrinterListRules.h"
#include "core/model/ViewMode.h"
#include "ui/Corvan2ViewIds.h"
#include "ui/DialogTexts.h"
#include "ui/FrameOptions.h"
#include "ui/PrinterIcons.h"
#include "ui/PrinterMimeData.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QListView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStackedLayout>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>
#include <unordered_set>

namespace pellora::ui {

using namespace corvan2;

namespace {

constexpr int kTooltipMaxWidth = 500;
// Row height of the free-slot background while the list is empty.
constexpr int kEmptyRowHeight = 17;
// The fixed four-character sample that sizes the note column.
const char* const kNoteColumnSample = "\xE8\xAD\x98\xE5\x88\xA5\xE6\x83\x85\xE5\xA0\xB1";

} // namespace

// The items of the list: one row per record, with the texts and image the item rules give.
class PrinterItemModel final : public QAbstractTableModel {
public:
    struct Item {
        CPrinterInfoEx* record = nullptr;
        std::array<QString, kPrinterColumnCount> texts;
        int image = 0;
    };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_items.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : kPrinterColumnCount;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const Item& item = m_items[static_cast<std::size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return item.texts[static_cast<std::size_t>(index.column())];
        case Qt::DecorationRole:
            return index.column() == kColumnName ? QVariant(PrinterImage(item.image)) : QVariant();
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
            return {};
        return m_headers[section];
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        if (!index.isValid())
            return Qt::ItemIsDropEnabled;
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled |
               Qt::ItemNeverHasChildren;
    }

    Qt::DropActions supportedDropActions() const override
    {
        return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    }
    Qt::DropActions supportedDragActions() const override { return supportedDropActions(); }
    QStringList mimeTypes() const override { return {PrinterMimeType()}; }

    const std::vector<Item>& items() const { return m_items; }

    std::vector<CPrinterInfoEx*> records() const
    {
        std::vector<CPrinterInfoEx*> out;
        out.reserve(m_items.size());
        for (const Item& item : m_items)
            out.push_back(item.record);
        return out;
    }

    // True when the rows were rebuilt (the selection is then gone), false when only texts changed.
    bool setRecords(const std::vector<CPrinterInfoEx*>& records)
    {
        if (records == this->records()) {
            for (Item& item : m_items)
                fill(item);
            if (!m_items.empty())
                emit dataChanged(index(0, 0), index(rowCount() - 1, kPrinterColumnCount - 1));
            return false;
        }
        beginResetModel();
        m_items.clear();
        m_items.reserve(records.size());
        for (CPrinterInfoEx* record : records) {
            Item item;
            item.record = record;
            fill(item);
            m_items.push_back(std::move(item));
        }
        endResetModel();
        return true;
    }

    void refreshRecords(const std::unordered_set<const CPrinterInfoEx*>& records)
    {
        for (std::size_t row = 0; row < m_items.size(); ++row) {
            if (records.count(m_items[row].record) == 0)
                continue;
            fill(m_items[row]);
            const int r = static_cast<int>(row);
            emit dataChanged(index(r, 0), index(r, kPrinterColumnCount - 1));
        }
    }

    void setHeaders(const QStringList& headers)
    {
        m_headers = headers;
        emit headerDataChanged(Qt::Horizontal, 0, kPrinterColumnCount - 1);
    }
    QString header(int column) const { return column < m_headers.size() ? m_headers[column] : QString(); }

private:
    static void fill(Item& item)
    {
        for (int column = 0; column < kPrinterColumnCount; ++column)
            item.texts[static_cast<std::size_t>(column)] =
                QString::fromStdString(PrinterItemText(*item.record, column));
        item.image = PrinterImageIndex(*item.record);
    }

    std::vector<Item> m_items;
    QStringList m_headers;
};

// One of the two item views of the list; drag and drop, tooltips, the context menu and the
// background are the list's.
template <class ItemView>
class PrinterItemView final : public ItemView {
public:
    explicit PrinterItemView(CListCtrl_Printer& list)
        : ItemView(&list)
        , m_list(list)
    {
        this->setSelectionMode(QAbstractItemView::ExtendedSelection);
        this->setEditTriggers(QAbstractItemView::NoEditTriggers);
        this->setDragEnabled(true);
        this->setAcceptDrops(true);
        this->setDragDropMode(QAbstractItemView::DragDrop);
        this->setDropIndicatorShown(false);
        // Scrolling during a drag is the list's own, by pixel steps.
        this->setAutoScroll(false);
        this->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        this->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    }

protected:
    void startDrag(Qt::DropActions) override { m_list.StartDrag(); }

    void dragEnterEvent(QDragEnterEvent* event) override
    {
        m_list.m_checkedData = nullptr;
        m_list.m_lastDragPoint = QPoint(-1, -1);
        answer(event);
    }

    void dragMoveEvent(QDragMoveEvent* event) override
    {
        m_list.scrollWhileDragging(this, event->position().toPoint());
        answer(event);
    }

    void dragLeaveEvent(QDragLeaveEvent* event) override
    {
        m_list.m_checkedData = nullptr;
        event->accept();
    }

    void dropEvent(QDropEvent* event) override
    {
        const Qt::DropAction action = m_list.DropActionFor(event->mimeData());
        m_list.m_checkedData = nullptr;
        if (action == Qt::IgnoreAction) {
            event->ignore();
            return;
        }
        event->setDropAction(action);
        event->accept();
        m_list.DropData(event->mimeData(), m_list.itemAt(this, event->position().toPoint()));
    }

    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            const auto* help = static_cast<QHelpEvent*>(event);
            return m_list.showTooltip(this, help->pos(), help->globalPos());
        }
        return ItemView::viewportEvent(event);
    }

    void contextMenuEvent(QContextMenuEvent* event) override
    {
        // Right-button input is discarded in view mode.
        if (IsViewMode())
            return;
        m_list.ShowContextMenu(event->globalPos());
    }

    void paintEvent(QPaintEvent* event) override
    {
        {
            QPainter painter(this->viewport());
            m_list.paintBackground(this, painter);
        }
        ItemView::paintEvent(event);
    }

private:
    void answer(QDragMoveEvent* event)
    {
        const Qt::DropAction action = m_list.DropActionFor(event->mimeData());
        if (action == Qt::IgnoreAction) {
            event->ignore();
            return;
        }
        event->setDropAction(action);
        event->accept();
    }

    CListCtrl_Printer& m_list;
};

CListCtrl_Printer::CListCtrl_Printer(QWidget* parent)
    : QWidget(parent)
{
    m_model = new PrinterItemModel(this);

    auto* details = new PrinterItemView<QTreeView>(*this);
    details->setModel(m_model);
    details->setRootIsDecorated(false);
    details->setItemsExpandable(false);
    details->setUniformRowHeights(true);
    details->setAllColumnsShowFocus(true);
    details->setSelectionBehavior(QAbstractItemView::SelectRows);
    details->header()->setSectionsClickable(true);
    details->header()->setSortIndicatorShown(false);
    details->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_detailsView = details;
    m_selection = details->selectionModel();

    auto* icons = new PrinterItemView<QListView>(*this);
    icons->setModel(m_model);
    icons->setSelectionModel(m_selection);
    // Item sizes differ between the modes: no size is cached across them.
    icons->setUniformItemSizes(false);
    icons->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_iconView = icons;

    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_iconView);
    m_stack->addWidget(m_detailsView);

    setupColumns();
    connect(m_detailsView->header(), &QHeaderView::sectionClicked, this, [this](int column) { SortByColumn(column); });
    connect(m_selection, &QItemSelectionModel::selectionChanged, this, [this] { emit selectionChanged(); });
    applyMode();
}

CListCtrl_Printer::~CListCtrl_Printer() = default;

void CListCtrl_Printer::setupColumns()
{
    const QFontMetrics metrics(m_detailsView->font());
    const std::array<int, kPrinterColumnCount> widths{
        metrics.horizontalAdvance(QStringLiteral("VDL-N4000+(ABCDEF)")) + 34,
        metrics.horizontalAdvance(QStringLiteral("999.999.999.999")) + 16,
        metrics.horizontalAdvance(QStringLiteral("VDL-N4000+")) + 16,
        metrics.horizontalAdvance(QStringLiteral("ABCDEFABCDEF")) + 16,
        metrics.horizontalAdvance(QString::fromUtf8(kNoteColumnSample)) + 16,
    };
    QHeaderView* header = m_detailsView->header();
    header->setStretchLastSection(true);
    for (int column = 0; column < kPrinterColumnCount; ++column)
        header->resizeSection(column, widths[static_cast<std::size_t>(column)]);
}

void CListCtrl_Printer::SetDocument(CCorvan2Doc* document, CCorvan2Doc::ObserverId observer)
{
    m_document = document;
    m_observer = observer;
    if (m_document)
        m_document->SetMaxPrinterCount(m_maxPrinters);
    Refresh();
}

void CListCtrl_Printer::SetMaxPrinters(std::size_t maximum)
{
    m_maxPrinters = maximum;
    if (m_document)
        m_document->SetMaxPrinterCount(maximum);
    m_detailsView->viewport()->update();
}

bool CListCtrl_Printer::IsFull() const
{
    return m_maxPrinters != 0 && static_cast<std::size_t>(GetItemCount()) >= m_maxPrinters;
}

int CListCtrl_Printer::GetItemCount() const
{
    return m_model->rowCount();
}

CPrinterInfoEx* CListCtrl_Printer::GetItemRecord(int item) const
{
    if (item < 0 || item >= GetItemCount())
        return nullptr;
    return m_model->items()[static_cast<std::size_t>(item)].record;
}

QString CListCtrl_Printer::GetItemText(int item, int column) const
{
    if (item < 0 || item >= GetItemCount() || column < 0 || column >= kPrinterColumnCount)
        return {};
    return m_model->items()[static_cast<std::size_t>(item)].texts[static_cast<std::size_t>(column)];
}

int CListCtrl_Printer::GetItemImage(int item) const
{
    if (item < 0 || item >= GetItemCount())
        return -1;
    return m_model->items()[static_cast<std::size_t>(item)].image;
}

std::vector<int> CListCtrl_Printer::SelectedItems() const
{
    std::vector<int> items;
    for (const QModelIndex& index : m_selection->selectedIndexes())
        items.push_back(index.row());
    std::sort(items.begin(), items.end());
    items.erase(std::unique(items.begin(), items.end()), items.end());
    return items;
}

std::vector<CPrinterInfoEx*> CListCtrl_Printer::SelectedRecords() const
{
    std::vector<CPrinterInfoEx*> records;
    for (const int item : SelectedItems())
        records.push_back(GetItemRecord(item));
    return records;
}

void CListCtrl_Printer::SelectItems(const std::vector<int>& items)
{
    QItemSelection selection;
    for (const int item : items) {
        if (item >= 0 && item < GetItemCount())
            selection.select(m_model->index(item, 0), m_model->index(item, kPrinterColumnCount - 1));
    }
    m_selection->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!items.empty() && items.front() >= 0 && items.front() < GetItemCount()) {
        const QModelIndex first = m_model->index(items.front(), 0);
        m_selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
        CurrentView()->scrollTo(first);
    }
}

bool CListCtrl_Printer::SelectRecord(const CPrinterInfoEx* record)
{
    const auto& items = m_model->items();
    for (std::size_t row = 0; row < items.size(); ++row) {
        if (items[row].record == record) {
            SelectItems({static_cast<int>(row)});
            return true;
        }
    }
    return false;
}

void CListCtrl_Printer::SetMode(Mode mode)
{
    m_mode = mode;
    applyMode();
}

void CListCtrl_Printer::SetBigIcons(bool big)
{
    m_bigIcons = big;
    applyMode();
}

void CListCtrl_Printer::applyMode()
{
    const QFontMetrics metrics(font());
    const int itemWidth = metrics.horizontalAdvance(QStringLiteral("VDL-N4000+(ABCDEF)")) + 30;
    const int step = m_bigIcons ? 32 : 16;
    m_iconView->setAutoScrollMargin(step);
    m_detailsView->setAutoScrollMargin(step);
    switch (m_mode) {
    case Mode::LargeIcons:
        m_iconView->setViewMode(QListView::IconMode);
        m_iconView->setMovement(QListView::Static);
        m_iconView->setFlow(QListView::LeftToRight);
        m_iconView->setWrapping(true);
        m_iconView->setResizeMode(QListView::Adjust);
        m_iconView->setIconSize(QSize(32, 32));
        m_iconView->setWordWrap(true);
        m_iconView->setGridSize(QSize(std::max(96, metrics.horizontalAdvance(QStringLiteral("VDL-N4000+")) + 24),
                                      32 + 2 * metrics.height() + 14));
        m_iconView->setSpacing(0);
        break;
    case Mode::SmallIcons:
    case Mode::List:
        m_iconView->setViewMode(QListView::ListMode);
        m_iconView->setMovement(QListView::Static);
        m_iconView->setFlow(m_mode == Mode::SmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
        m_iconView->setWrapping(true);
        m_iconView->setResizeMode(QListView::Adjust);
        m_iconView->setIconSize(QSize(16, 16));
        m_iconView->setWordWrap(false);
        m_iconView->setGridSize(QSize(itemWidth, std::max(20, metrics.height() + 6)));
        m_iconView->setSpacing(0);
        break;
    case Mode::Details:
        m_detailsView->setIconSize(m_bigIcons ? QSize(32, 32) : QSize(16, 16));
        break;
    }
    QAbstractItemView* view = CurrentView();
    if (m_stack->currentWidget() != view) {
        const bool hadFocus = m_stack->currentWidget() && m_stack->currentWidget()->hasFocus();
        m_stack->setCurrentWidget(view);
        if (hadFocus)
            view->setFocus();
    }
    setFocusProxy(view);
    // Icons are arranged anew for the new mode.
    view->doItemsLayout();
    view->viewport()->update();
    const QModelIndex current = m_selection->currentIndex();
    if (current.isValid())
        view->scrollTo(current);
}

QAbstractItemView* CListCtrl_Printer::CurrentView() const
{
    return m_mode == Mode::Details ? static_cast<QAbstractItemView*>(m_detailsView)
                                   : static_cast<QAbstractItemView*>(m_iconView);
}

void CListCtrl_Printer::SetColumnTexts(const QStringList& texts)
{
    QStringList headers;
    for (int column = 0; column < kPrinterColumnCount; ++column)
        headers << (column < texts.size() ? texts[column] : QString());
    m_model->setHeaders(headers);
}

QString CListCtrl_Printer::ColumnText(int column) const
{
    return m_model->header(column);
}

int CListCtrl_Printer::ColumnWidth(int column) const
{
    return m_detailsView->header()->sectionSize(column);
}

int CListCtrl_Printer::SortDirection(int column) const
{
    return column >= 0 && column < kPrinterColumnCount ? m_sortDirections[static_cast<std::size_t>(column)] : 0;
}

void CListCtrl_Printer::SortByColumn(int column)
{
    if (GetItemCount() == 0 || column < 0 || column >= kPrinterColumnCount)
        return;
    int& direction = m_sortDirections[static_cast<std::size_t>(column)];
    direction = direction == 0 ? 1 : -direction;
    std::vector<CPrinterInfoEx*> records = m_model->records();
    const int sign = direction;
    std::stable_sort(records.begin(), records.end(), [column, sign](const CPrinterInfoEx* a, const CPrinterInfoEx* b) {
        return ComparePrinterColumn(*a, *b, column) * sign < 0;
    });
    QHeaderView* header = m_detailsView->header();
    header->setSortIndicatorShown(true);
    header->setSortIndicator(column, sign > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);

    const std::vector<CPrinterInfoEx*> selected = SelectedRecords();
    if (m_document) {
        reorderDocument(records);
        // The order is saved with the project: a sorted project is a changed project.
        m_document->SetModifiedFlag(true);
        Refresh();
        m_document->UpdateAllViews(m_observer);
    } else if (m_model->setRecords(records)) {
        std::vector<int> items;
        for (std::size_t row = 0; row < records.size(); ++row) {
            if (std::find(selected.begin(), selected.end(), records[row]) != selected.end())
                items.push_back(static_cast<int>(row));
        }
        SelectItems(items);
    }
}

void CListCtrl_Printer::reorderDocument(const std::vector<CPrinterInfoEx*>& order)
{
    auto& printers = m_document->GetScript().printers;
    std::vector<std::unique_ptr<CPrinterInfoEx>> reordered;
    reordered.reserve(printers.size());
    for (CPrinterInfoEx* record : order) {
        const auto found = std::find_if(printers.begin(), printers.end(),
                                        [record](const auto& printer) { return printer.get() == record; });
        if (found != printers.end())
            reordered.push_back(std::move(*found));
    }
    // Records the list did not show keep their relative order at the end.
    for (auto& printer : printers) {
        if (printer)
            reordered.push_back(std::move(printer));
    }
    printers = std::move(reordered);
}

void CListCtrl_Printer::Refresh()
{
    if (!m_document) {
        m_model->setRecords(m_model->records());
        return;
    }
    std::vector<CPrinterInfoEx*> records;
    for (const auto& printer : m_document->GetScript().printers)
        records.push_back(printer.get());

    const int before = GetItemCount();
    const std::vector<CPrinterInfoEx*> selected = SelectedRecords();
    const QModelIndex current = m_selection->currentIndex();
    const CPrinterInfoEx* currentRecord = current.isValid() ? GetItemRecord(current.row()) : nullptr;

    if (m_model->setRecords(records)) {
        // Selection and focus stay with their records.
        const std::unordered_set<const CPrinterInfoEx*> keep(selected.begin(), selected.end());
        QItemSelection selection;
        int currentRow = -1;
        for (std::size_t row = 0; row < records.size(); ++row) {
            const int r = static_cast<int>(row);
            if (keep.count(records[row]) != 0)
                selection.select(m_model->index(r, 0), m_model->index(r, kPrinterColumnCount - 1));
            if (records[row] == currentRecord)
                currentRow = r;
        }
        if (currentRow >= 0)
            m_selection->setCurrentIndex(m_model->index(currentRow, 0), QItemSelectionModel::NoUpdate);
        if (!selection.isEmpty())
            m_selection->select(selection, QItemSelectionModel::ClearAndSelect);
        else if (!selected.empty())
            emit selectionChanged();
    }
    if (GetItemCount() > before)
        CurrentView()->scrollTo(m_model->index(GetItemCount() - 1, 0));
    m_iconView->viewport()->update();
    m_detailsView->viewport()->update();
}

void CListCtrl_Printer::RefreshRecords(const std::vector<CPrinterInfoEx*>& records)
{
    m_model->refreshRecords(std::unordered_set<const CPrinterInfoEx*>(records.begin(), records.end()));
}

int CListCtrl_Printer::AddRecord(std::unique_ptr<CPrinterInfoEx>& record)
{
    if (!record || !m_document || IsViewMode() || IsFull())
        return -1;
    if (!record->macAddress.empty()) {
        for (const auto& item : m_model->items()) {
            if (item.record->macAddress == record->macAddress)
                return -1;
        }
    }
    if (!m_document->AddPrinter(record))
        return -1;
    changedByList(true);
    return 0;
}

void CListCtrl_Printer::changedByList(bool countChanged)
{
    Refresh();
    m_document->UpdateAllViews();
    if (countChanged)
        emit printerCountChanged();
}

std::vector<std::uint8_t> CListCtrl_Printer::SerializeSelection() const
{
    std::vector<const CPrinterInfoEx*> records;
    for (CPrinterInfoEx* record : SelectedRecords()) {
        if (!m_document)
            records.push_back(record);
        else {
            const auto& printers = m_document->GetScript().printers;
            if (std::any_of(printers.begin(), printers.end(), [record](const auto& p) { return p.get() == record; }))
                records.push_back(record);
        }
    }
    return SerializePrinters(records);
}

Qt::DropAction CListCtrl_Printer::DropActionFor(const QMimeData* data) const
{
    if (IsViewMode() || !HasPrinterData(data))
        return Qt::IgnoreAction;
    if (m_dragging)
        return Qt::MoveAction;
    if (!m_document || IsFull())
        return Qt::IgnoreAction;
    if (m_checkedData != data) {
        m_checkedAnswer = CanPaste(data);
        m_checkedData = data;
    }
    return m_checkedAnswer ? Qt::CopyAction : Qt::IgnoreAction;
}

bool CListCtrl_Printer::DropData(const QMimeData* data, int dropItem)
{
    if (IsViewMode() || !HasPrinterData(data))
        return false;
    if (dropItem >= GetItemCount())
        dropItem = -1;

    if (m_dragging) {
        const std::vector<int> selectedItems = SelectedItems();
        if (selectedItems.empty())
            return false;
        std::vector<bool> selected(static_cast<std::size_t>(GetItemCount()), false);
        for (const int item : selectedItems)
            selected[static_cast<std::size_t>(item)] = true;
        const std::vector<std::size_t> order = DropMoveOrder(selected, dropItem);
        std::vector<CPrinterInfoEx*> records;
        for (const std::size_t old : order)
            records.push_back(GetItemRecord(static_cast<int>(old)));
        if (m_document) {
            reorderDocument(records);
            m_document->SetModifiedFlag(true);
            changedByList(false);
        } else {
            m_model->setRecords(records);
        }
        const int visible = dropItem < 0 ? GetItemCount() - 1 : dropItem;
        CurrentView()->scrollTo(m_model->index(visible, 0));
        return true;
    }

    if (!m_document || IsFull())
        return false;
    const auto payload = PrinterPayload(data);
    const PasteOutcome outcome = PasteRecords(*m_document, *payload, dropItem);
    if (!outcome.accepted)
        return false;
    activateTargetWindow();
    if (outcome.inserted > 0)
        m_document->SetModifiedFlag(true);
    changedByList(true);
    if (outcome.inserted > 0)
        CurrentView()->scrollTo(m_model->index(static_cast<int>(outcome.firstIndex), 0));
    return outcome.inserted > 0;
}

void CListCtrl_Printer::activateTargetWindow()
{
    QWidget* top = window();
    top->raise();
    top->activateWindow();
    for (QWidget* widget = parentWidget(); widget; widget = widget->parentWidget()) {
        if (auto* frame = qobject_cast<QMdiSubWindow*>(widget)) {
            if (QMdiArea* area = frame->mdiArea())
                area->setActiveSubWindow(frame);
            break;
        }
    }
}

void CListCtrl_Printer::StartDrag()
{
    if (SelectedItems().empty())
        return;
    const std::vector<std::uint8_t> payload = SerializeSelection();
    // Qt deletes the drag object once the operation has ended.
    auto* drag = new QDrag(CurrentView());
    drag->setMimeData(MakePrinterMimeData(payload).release());
    drag->setPixmap(PrinterImagePixmap(0, 32));
    drag->setHotSpot(QPoint(16, 16));
    const QPointer<CListCtrl_Printer> alive(this);
    m_dragging = true;
    if (m_dragRunner)
        m_dragRunner(*drag);
    else
        drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
    // A window closed during the drag takes the list with it.
    if (alive)
        m_dragging = false;
}

void CListCtrl_Printer::scrollWhileDragging(QAbstractItemView* view, const QPoint& position)
{
    if (position == m_lastDragPoint)
        return;
    const QPoint last = m_lastDragPoint;
    m_lastDragPoint = position;
    if (last.x() < 0 && last.y() < 0)
        return;
    const int step = m_bigIcons ? 32 : 16;
    const QRect area = view->viewport()->rect();
    QScrollBar* vertical = view->verticalScrollBar();
    QScrollBar* horizontal = view->horizontalScrollBar();
    if (position.y() > last.y() && position.y() >= area.bottom() - step)
        vertical->setValue(vertical->value() + step);
    else if (position.y() < last.y() && position.y() <= area.top() + step)
        vertical->setValue(vertical->value() - step);
    if (position.x() > last.x() && position.x() >= area.right() - step)
        horizontal->setValue(horizontal->value() + step);
    else if (position.x() < last.x() && position.x() <= area.left() + step)
        horizontal->setValue(horizontal->value() - step);
}

int CListCtrl_Printer::itemAt(QAbstractItemView* view, const QPoint& position) const
{
    const QModelIndex index = view->indexAt(position);
    return index.isValid() ? index.row() : -1;
}

QString CListCtrl_Printer::TooltipText(int item) const
{
    if (item < 0 || item >= GetItemCount())
        return {};
    QStringList lines;
    for (int column = 0; column < kPrinterColumnCount; ++column)
        lines << ColumnText(column) + QStringLiteral(": ") + GetItemText(item, column);
    return lines.join(QLatin1Char('\n'));
}

bool CListCtrl_Printer::showTooltip(QAbstractItemView* view, const QPoint& position, const QPoint& globalPosition)
{
    const int item = itemAt(view, position);
    if (item < 0) {
        QToolTip::hideText();
        return true;
    }
    // No line wider than the tooltip's maximum width.
    const QFontMetrics metrics(QToolTip::font());
    QStringList lines = TooltipText(item).split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = metrics.elidedText(line, Qt::ElideRight, kTooltipMaxWidth);
    QToolTip::showText(globalPosition, lines.join(QLatin1Char('\n')), view->viewport(),
                       view->visualRect(m_model->index(item, 0)));
    return true;
}

void CListCtrl_Printer::paintBackground(QAbstractItemView* view, QPainter& painter) const
{
    const QRect area = view->viewport()->rect();
    if (view == m_detailsView && m_maxPrinters != 0) {
        // The free slots of a list with a maximum stand out against the rest of the area.
        painter.fillRect(area, palette().color(QPalette::Disabled, QPalette::Text));
        const int rowHeight =
            GetItemCount() > 0 ? m_detailsView->visualRect(m_model->index(0, 0)).height() : kEmptyRowHeight;
        const QRect freeSlots(-m_detailsView->horizontalScrollBar()->value(), -m_detailsView->verticalScrollBar()->value(),
                          m_detailsView->header()->length(), rowHeight * static_cast<int>(m_maxPrinters));
        painter.fillRect(freeSlots.intersected(area), palette().color(QPalette::Base));
    }
    if (IsWatermarkOn()) {
        const QPixmap watermark = ListWatermark(m_bigIcons);
        painter.drawPixmap(area.right() - watermark.width() - 8, area.bottom() - watermark.height() - 8, watermark);
    }
}

bool CListCtrl_Printer::OnCommand(int id)
{
    switch (id) {
    case ID_EDIT_CLEAR:
    case ID_EDIT_COPY:
    case ID_EDIT_CUT:
    case ID_EDIT_PASTE:
    case ID_EDIT_SELECT_ALL:
    case ID_VIEW_LARGEICON:
    case ID_VIEW_SMALLICON:
    case ID_VIEW_LIST:
    case ID_VIEW_DETAILS:
    case ID_BIG_ICONS:
    case ID_SMALL_ICONS_DETAILS:
        break;
    default:
        return false;
    }
    if (IsViewMode())
        return true;
    switch (id) {
    case ID_EDIT_CLEAR:
        deleteSelection();
        break;
    case ID_EDIT_COPY:
        copySelection();
        break;
    case ID_EDIT_CUT:
        copySelection();
        deleteSelection();
        break;
    case ID_EDIT_PASTE:
        paste();
        break;
    case ID_EDIT_SELECT_ALL:
        CurrentView()->selectAll();
        break;
    case ID_VIEW_LARGEICON:
        SetMode(Mode::LargeIcons);
        break;
    case ID_VIEW_SMALLICON:
        SetMode(Mode::SmallIcons);
        break;
    case ID_VIEW_LIST:
        SetMode(Mode::List);
        break;
    case ID_VIEW_DETAILS:
        SetMode(Mode::Details);
        break;
    case ID_BIG_ICONS:
    case ID_SMALL_ICONS_DETAILS:
        m_bigIcons = id == ID_BIG_ICONS;
        SetMode(Mode::Details);
        break;
    default:
        break;
    }
    return true;
}

bool CListCtrl_Printer::UpdateCommand(int id, bool& enabled, bool& checked) const
{
    checked = false;
    const bool hasSelection = m_selection->hasSelection();
    switch (id) {
    case ID_EDIT_COPY:
        enabled = hasSelection;
        break;
    case ID_EDIT_CLEAR:
    case ID_EDIT_CUT:
        enabled = hasSelection && m_document != nullptr;
        break;
    case ID_EDIT_PASTE:
        enabled = m_document != nullptr && !IsFull() && ClipboardCanPaste();
        break;
    case ID_EDIT_SELECT_ALL:
        enabled = GetItemCount() > 0;
        break;
    case ID_VIEW_LARGEICON:
    case ID_VIEW_SMALLICON:
    case ID_VIEW_LIST:
    case ID_VIEW_DETAILS: {
        static constexpr std::array<std::pair<int, Mode>, 4> kModes{{{ID_VIEW_LARGEICON, Mode::LargeIcons},
                                                                     {ID_VIEW_SMALLICON, Mode::SmallIcons},
                                                                     {ID_VIEW_LIST, Mode::List},
                                                                     {ID_VIEW_DETAILS, Mode::Details}}};
        enabled = true;
        for (const auto& [command, mode] : kModes) {
            if (command == id)
                checked = m_mode == mode;
        }
        break;
    }
    case ID_BIG_ICONS:
        enabled = true;
        checked = m_bigIcons;
        break;
    case ID_SMALL_ICONS_DETAILS:
        enabled = true;
        checked = !m_bigIcons;
        break;
    default:
        return false;
    }
    if (IsViewMode())
        enabled = false;
    return true;
}

void CListCtrl_Printer::deleteSelection()
{
    if (!m_document)
        return;
    const std::vector<CPrinterInfoEx*> records = SelectedRecords();
    if (records.empty())
        return;
    // Nothing is drawn between the removal and the refresh: the items never show a deleted record.
    int removed = 0;
    for (const CPrinterInfoEx* record : records)
        removed += m_document->RemovePrinter(record);
    if (removed > 0)
        changedByList(true);
}

void CListCtrl_Printer::copySelection() const
{
    if (SelectedItems().empty())
        return;
    CopyToClipboard(SerializeSelection());
}

void CListCtrl_Printer::paste()
{
    if (!m_document || IsFull())
        return;
    const auto payload = PrinterPayload(ClipboardData());
    if (!payload)
        return;
    const PasteOutcome outcome = PasteRecords(*m_document, *payload, -1);
    if (!outcome.accepted || outcome.inserted == 0)
        return;
    changedByList(true);
    CurrentView()->scrollTo(m_model->index(static_cast<int>(outcome.firstIndex), 0));
}

std::unique_ptr<QMenu> CListCtrl_Printer::CreateContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const auto state = [this](int id, bool& enabled, bool& checked) {
        enabled = false;
        checked = false;
        if (m_commandState && m_commandState(id, enabled, checked))
            return;
        // A list without a view only copies.
        if (id == ID_EDIT_COPY)
            enabled = m_selection->hasSelection();
    };
    const auto add = [](QMenu& target, int id) {
        QAction* action = target.addAction(ItemText(kMenuSection, id));
        action->setData(id);
        return action;
    };
    for (const int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR}) {
        QAction* action = add(*menu, id);
        bool enabled = false;
        bool checked = false;
        state(id, enabled, checked);
        action->setEnabled(enabled);
    }
    menu->addSeparator();
    QMenu* modes = menu->addMenu(ItemText(kMenuSection, kMenuViewCaption));
    for (const int id : {ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST, ID_VIEW_DETAILS}) {
        QAction* action = add(*modes, id);
        bool enabled = false;
        bool checked = false;
        UpdateCommand(id, enabled, checked);
        action->setCheckable(true);
        action->setChecked(checked);
        action->setEnabled(true);
    }
    return menu;
}

void CListCtrl_Printer::ShowContextMenu(const QPoint& globalPosition)
{
    std::unique_ptr<QMenu> menu = CreateContextMenu();
    const QPointer<CListCtrl_Printer> alive(this);
    QAction* chosen = menu->exec(globalPosition);
    if (!alive) {
        // The menu went with the list, its parent.
        (void)menu.release();
        return;
    }
    if (chosen)
        OnCommand(chosen->data().toInt());
}

} // namespace pellora::ui
