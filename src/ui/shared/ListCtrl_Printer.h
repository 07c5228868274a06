#pragma once

// A printer list on screen: the records of a project or of a left-pane page in four display modes, with
// sorting, tooltips, a context menu, its editing commands, the clipboard and drag and drop.

#include "core/document/PrinterList.h"
#include "ui/shared/CommandSet.h"

#include <QPoint>
#include <QStringList>
#include <QWidget>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QAbstractItemView;
class QDrag;
class QItemSelectionModel;
class QListView;
class QMenu;
class QMimeData;
class QPainter;
class QStackedLayout;
class QTreeView;

namespace pellora::ui {

class PrinterItemModel;
template <class ItemView>
class PrinterItemView;

class CListCtrl_Printer : public QWidget {
    Q_OBJECT

public:
    enum class Mode { LargeIcons, SmallIcons, List, Details };

    explicit CListCtrl_Printer(QWidget* parent = nullptr);
    ~CListCtrl_Printer() override;

    // The records the list shows (the list never owns them) and the observer of the view that holds
    // the list, so that the list's own changes reach the other views only once.
    void SetList(PrinterList* records, PrinterList::ObserverId observer = PrinterList::kNoObserver);
    PrinterList* GetList() const { return m_records; }

    // Most records the list admits, 0 for no limit; also the records' limit.
    void SetMaxPrinters(std::size_t maximum);
    std::size_t GetMaxPrinters() const { return m_maxPrinters; }
    // The list holds as many records as its maximum admits.
    bool IsFull() const;
    // While busy (a package build), the editing commands are disabled.
    void SetBusy(bool busy) { m_busy = busy; }

    int GetItemCount() const;
    CPrinterInfoEx* GetItemRecord(int item) const;
    QString GetItemText(int item, int column) const;
    int GetItemImage(int item) const;
    // Selected items in list order.
    std::vector<int> SelectedItems() const;
    std::vector<CPrinterInfoEx*> SelectedRecords() const;
    // Makes these items the selection; the first becomes current and is scrolled into view.
    void SelectItems(const std::vector<int>& items);
    // Selects exactly the item of the record; false when the list does not show it.
    bool SelectRecord(const CPrinterInfoEx* record);

    // One selected item at a time (a page's result list) instead of many.
    void SetSingleSelection(bool single);

    Mode GetMode() const { return m_mode; }
    void SetMode(Mode mode);
    bool BigIcons() const { return m_bigIcons; }
    void SetBigIcons(bool big);

    // Header texts, one per column, from the string table.
    void SetColumnTexts(const QStringList& texts);
    QString ColumnText(int column) const;
    int ColumnWidth(int column) const;
    // Sorts by the column; a second click on the same column reverses the order. With a document,
    // the document takes the new order.
    void SortByColumn(int column);
    int SortDirection(int column) const;

    // The list's editing and display commands.
    const CommandSet& Commands() const { return m_commands; }
    // Carries out one of them; false when the list does not know the command.
    bool OnCommand(int id) { return m_commands.Execute(id); }
    // The state of one of them; false when the list does not know the command.
    bool UpdateCommand(int id, bool& enabled, bool& checked) const;

    // The add-record message: appends a record unless the list is full or another record has the same
    // non-empty MAC address; returns 0 when the records took it, -1 when it stays with the caller.
    int AddRecord(std::unique_ptr<CPrinterInfoEx>& record);
    // Re-reads the items from the records, keeping the selection of the records still there.
    void Refresh();
    // Re-reads the texts and images of the items of these records.
    void RefreshRecords(const std::vector<CPrinterInfoEx*>& records);

    // The payload of the selected records.
    std::vector<std::uint8_t> SerializeSelection() const;
    // What a drop of the data onto this list would do: move inside the list that started the drag,
    // copy from elsewhere, or nothing.
    Qt::DropAction DropActionFor(const QMimeData* data) const;
    // Drops the data onto the item (-1: no item under the drop point); true when something changed.
    bool DropData(const QMimeData* data, int dropItem);
    // Runs a drag of the selected records; the list counts as its source while it runs.
    void StartDrag();
    bool IsDragging() const { return m_dragging; }
    // Runs the drag operation of StartDrag (QDrag::exec by default); tests drop the data themselves.
    using DragRunner = std::function<void(QDrag& drag)>;
    void SetDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }

    // Each column's header text, ": " and the item's text, one line per column.
    QString TooltipText(int item) const;
    // The context menu with the states of the moment; the chosen item's data is its command number.
    std::unique_ptr<QMenu> CreateContextMenu();
    void ShowContextMenu(const QPoint& globalPosition);

    // The item view that shows the current mode.
    QAbstractItemView* CurrentView() const;

signals:
    void selectionChanged();
    // Records were added or removed by the list.
    void printerCountChanged();
    // An item was double-clicked.
    void itemActivated(int item);

private:
    template <class ItemView>
    friend class PrinterItemView;

    void registerCommands();
    // Whether the list's records are a project's that may be changed now.
    bool editable() const;
    void deleteSelection();
    // Removing several printers at once needs the user's Yes to a question that names their number.
    bool confirmRemoval() const;
    void copySelection() const;
    void paste();
    void applyMode();
    void changedByList(bool countChanged);
    void activateTargetWindow();
    void paintBackground(QAbstractItemView* view, QPainter& painter) const;
    void scrollWhileDragging(QAbstractItemView* view, const QPoint& position);
    bool showTooltip(QAbstractItemView* view, const QPoint& position, const QPoint& globalPosition);
    int itemAt(QAbstractItemView* view, const QPoint& position) const;
    void setupColumns();

    PrinterList* m_records = nullptr;
    PrinterList::ObserverId m_observer = PrinterList::kNoObserver;
    std::size_t m_maxPrinters = 0;
    bool m_busy = false;
    Mode m_mode = Mode::Details;
    bool m_bigIcons = false;
    bool m_dragging = false;
    std::array<int, 5> m_sortDirections{};
    QPoint m_lastDragPoint{-1, -1};
    // The data last asked about while a drag passes over the list, and the answer.
    mutable const QMimeData* m_checkedData = nullptr;
    mutable bool m_checkedAnswer = false;
    CommandSet m_commands;
    DragRunner m_dragRunner;

    PrinterItemModel* m_model = nullptr;
    QListView* m_iconView = nullptr;
    QTreeView* m_detailsView = nullptr;
    QItemSelectionModel* m_selection = nullptr;
    QStackedLayout* m_stack = nullptr;
};

} // namespace pellora::ui
