#include "ui/shared/ListCtrl_Printer.h"

#include "core/document/PrinterClipboard.h"
#include "core/model/PrinterListRules.h"
#include "core/model/ViewMode.h"
#include "ui/frame/FrameOptions.h"
#include "ui/project/Corvan2ViewIds.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/MessageService.h"
#include "ui/shared/PrinterIcons.h"
#include "ui/shared/PrinterItemModel.h"
#include "ui/shared/PrinterMimeData.h"

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
#include <QStyledItemDelegate>
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

// Keeps an item of the small-icon and list modes within its grid cell, so that a long name is elided
// instead of painted over the next item.
class GridBoundDelegate final : public QStyledItemDelegate {
public:
    explicit GridBoundDelegate(QListView* view)
        : QStyledItemDelegate(view)
        , m_view(view)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QSize grid = m_view->gridSize();
        if (m_view->viewMode() == QListView::ListMode && grid.isValid())
            size.setWidth(std::min(size.width(), grid.width()));
        return size;
    }

private:
    const QListView* m_view;
};

} // namespace

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
    icons->setItemDelegate(new GridBoundDelegate(icons));
    m_iconView = icons;

    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_iconView);
    m_stack->addWidget(m_detailsView);

    setupColumns();
    registerCommands();
    connect(m_detailsView->header(), &QHeaderView::sectionClicked, this, [this](int column) { SortByColumn(column); });
    connect(m_selection, &QItemSelectionModel::selectionChanged, this, [this] { emit selectionChanged(); });
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_detailsView), static_cast<QAbstractItemView*>(m_iconView)})
        connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) { emit itemActivated(index.row()); });
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

void CListCtrl_Printer::SetList(PrinterList* records, PrinterList::ObserverId observer)
{
    m_records = records;
    m_observer = observer;
    if (m_records)
        m_records->SetMaxPrinterCount(m_maxPrinters);
    Refresh();
}

void CListCtrl_Printer::SetMaxPrinters(std::size_t maximum)
{
    m_maxPrinters = maximum;
    if (m_records)
        m_records->SetMaxPrinterCount(maximum);
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

void CListCtrl_Printer::SetSingleSelection(bool single)
{
    const auto mode = single ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection;
    m_detailsView->setSelectionMode(mode);
    m_iconView->setSelectionMode(mode);
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

    if (!m_records)
        return;
    m_records->Reorder(records);
    Refresh();
    m_records->UpdateAllViews(m_observer);
}

void CListCtrl_Printer::Refresh()
{
    std::vector<CPrinterInfoEx*> records;
    if (m_records) {
        for (const auto& printer : m_records->Printers())
            records.push_back(printer.get());
    }

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
    if (!record || !m_records || IsViewMode() || IsFull())
        return -1;
    if (!m_records->AddRecord(record))
        return -1;
    changedByList(true);
    return 0;
}

void CListCtrl_Printer::changedByList(bool countChanged)
{
    Refresh();
    m_records->UpdateAllViews();
    if (countChanged)
        emit printerCountChanged();
}

std::vector<std::uint8_t> CListCtrl_Printer::SerializeSelection() const
{
    std::vector<const CPrinterInfoEx*> records;
    for (CPrinterInfoEx* record : SelectedRecords()) {
        // The items may still show a record that is already gone from the list.
        if (m_records && m_records->IndexOf(record) >= 0)
            records.push_back(record);
    }
    return SerializePrinters(records);
}

Qt::DropAction CListCtrl_Printer::DropActionFor(const QMimeData* data) const
{
    if (IsViewMode() || !HasPrinterData(data))
        return Qt::IgnoreAction;
    if (m_dragging)
        return Qt::MoveAction;
    if (!editable() || IsFull())
        return Qt::IgnoreAction;
    if (m_checkedData != data) {
        m_checkedAnswer = CanPaste(data, *m_records);
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
        if (!m_records)
            return false;
        m_records->Reorder(records);
        changedByList(false);
        const int visible = dropItem < 0 ? GetItemCount() - 1 : dropItem;
        CurrentView()->scrollTo(m_model->index(visible, 0));
        return true;
    }

    if (!editable() || IsFull())
        return false;
    const auto payload = PrinterPayload(data);
    const PasteOutcome outcome = PasteRecords(*m_records, *payload, dropItem);
    if (!outcome.accepted)
        return false;
    activateTargetWindow();
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

bool CListCtrl_Printer::editable() const
{
    return m_records && m_records->IsEditable() && !m_busy && !IsViewMode();
}

void CListCtrl_Printer::registerCommands()
{
    // Every command is off in view mode and while the list is busy; the editing ones also on lists that
    // are not a project's.
    const auto rule = [this](bool enabled, bool checked = false) {
        return CommandState{enabled && !IsViewMode() && !m_busy, checked};
    };
    const auto hasSelection = [this] { return m_selection->hasSelection(); };
    m_commands.Add(ID_EDIT_CLEAR, [this] {
        if (confirmRemoval())
            deleteSelection();
    }, [=, this] { return rule(hasSelection() && editable()); });
    m_commands.Add(ID_EDIT_COPY, [this] { copySelection(); }, [=] { return rule(hasSelection()); });
    m_commands.Add(ID_EDIT_CUT, [this] {
        if (!confirmRemoval())
            return;
        copySelection();
        deleteSelection();
    }, [=, this] { return rule(hasSelection() && editable()); });
    m_commands.Add(ID_EDIT_PASTE, [this] { paste(); },
                   [=, this] { return rule(editable() && !IsFull() && ClipboardCanPaste(*m_records)); });
    m_commands.Add(ID_EDIT_SELECT_ALL, [this] { CurrentView()->selectAll(); }, [=, this] { return rule(GetItemCount() > 0); });

    static constexpr std::array<std::pair<int, Mode>, 4> kModes{{{ID_VIEW_LARGEICON, Mode::LargeIcons},
                                                                 {ID_VIEW_SMALLICON, Mode::SmallIcons},
                                                                 {ID_VIEW_LIST, Mode::List},
                                                                 {ID_VIEW_DETAILS, Mode::Details}}};
    for (const auto& [id, mode] : kModes) {
        m_commands.Add(id, [this, mode = mode] { SetMode(mode); }, [=, this, mode = mode] { return rule(true, m_mode == mode); });
    }
    for (const bool big : {true, false}) {
        m_commands.Add(big ? ID_VIEW_BIG_ICONS : ID_VIEW_NORMAL_ICONS, [this, big] {
            m_bigIcons = big;
            SetMode(Mode::Details);
        }, [=, this] { return rule(true, m_bigIcons == big); });
    }
}

bool CListCtrl_Printer::UpdateCommand(int id, bool& enabled, bool& checked) const
{
    const std::optional<CommandState> state = m_commands.StateOf(id);
    enabled = state && state->enabled;
    checked = state && state->checked;
    return state.has_value();
}

void CListCtrl_Printer::deleteSelection()
{
    if (!editable())
        return;
    const std::vector<CPrinterInfoEx*> records = SelectedRecords();
    // Nothing is drawn between the removal and the refresh: the items never show a deleted record.
    bool removed = false;
    for (const CPrinterInfoEx* record : records)
        removed = m_records->RemoveRecord(record) || removed;
    if (removed)
        changedByList(true);
}

bool CListCtrl_Printer::confirmRemoval() const
{
    const std::size_t count = SelectedRecords().size();
    if (count < 2 || !editable())
        return true;
    const QString question =
        ItemText(kQuestionSection, kQuestionRemovePrinters).replace(QStringLiteral("%1"), QString::number(count));
    return AskQuestion(question) == kAnswerYes;
}

void CListCtrl_Printer::copySelection() const
{
    if (SelectedItems().empty())
        return;
    CopyToClipboard(SerializeSelection());
}

void CListCtrl_Printer::paste()
{
    if (!editable() || IsFull())
        return;
    const auto payload = PrinterPayload(ClipboardData());
    if (!payload)
        return;
    const PasteOutcome outcome = PasteRecords(*m_records, *payload, -1);
    if (!outcome.accepted || outcome.inserted == 0)
        return;
    changedByList(true);
    CurrentView()->scrollTo(m_model->index(static_cast<int>(outcome.firstIndex), 0));
}

std::unique_ptr<QMenu> CListCtrl_Printer::CreateContextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    const auto add = [this](QMenu& target, int id) {
        QAction* action = target.addAction(ItemText(kMenuSection, id));
        action->setData(id);
        bool enabled = false;
        bool checked = false;
        UpdateCommand(id, enabled, checked);
        action->setEnabled(enabled);
        return action;
    };
    for (const int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR})
        add(*menu, id);
    menu->addSeparator();
    QMenu* modes = menu->addMenu(ItemText(kMenuSection, kMenuViewCaption));
    for (const int id : {ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST, ID_VIEW_DETAILS}) {
        QAction* action = add(*modes, id);
        bool enabled = false;
        bool checked = false;
        UpdateCommand(id, enabled, checked);
        action->setCheckable(true);
        action->setChecked(checked);
        // The display mode can be chosen even where the commands are off.
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
