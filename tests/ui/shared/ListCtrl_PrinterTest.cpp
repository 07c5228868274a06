// The printer list: display modes, item texts and images, sorting, tooltips, the context menu, the
// list's editing commands and drag and drop.

#include "ui/shared/ListCtrl_Printer.h"

#include "ProjectViewTestSupport.h"
#include "core/document/PrinterClipboard.h"
#include "core/model/PrinterListRules.h"
#include "core/model/ViewMode.h"
#include "ui/project/Corvan2ViewIds.h"
#include "ui/shared/PrinterMimeData.h"

#include <QAction>
#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QSignalSpy>
#include <QTreeView>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

using namespace corvan2;

class ListCtrl_PrinterTest : public ::testing::Test {
protected:
    void SetUp() override { QGuiApplication::clipboard()->clear(); }

    // Adds a record to the document directly (a project read from a file may hold several).
    CPrinterInfoEx* Add(CCorvan2Doc& doc, const std::string& name, const std::string& address,
                        const std::string& model = "RX-C3400")
    {
        auto record = std::make_unique<CPrinterInfoEx>();
        record->printerName = name;
        record->address = address;
        record->modelName = model;
        doc.GetScript().printers.push_back(std::move(record));
        return doc.GetScript().printers.back().get();
    }

    std::vector<std::string> DocumentNames(const CCorvan2Doc& doc) const
    {
        std::vector<std::string> names;
        for (const auto& printer : doc.GetScript().printers)
            names.push_back(printer->printerName);
        return names;
    }

    std::vector<QString> ListNames(const CListCtrl_Printer& list) const
    {
        std::vector<QString> names;
        for (int item = 0; item < list.GetItemCount(); ++item)
            names.push_back(list.GetItemText(item, 0));
        return names;
    }

    test::ViewStrings strings;
    CCorvan2Doc document{strings.Environment()};
    CCorvan2Doc other{strings.Environment()};
};

TEST_F(ListCtrl_PrinterTest, FourDisplayModesAndTheBigIconsOption)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    list.resize(500, 300);
    Add(document, "One", "10.0.0.1");
    list.Refresh();

    struct Expected {
        int command;
        CListCtrl_Printer::Mode mode;
    };
    for (const Expected& expected : {Expected{ID_VIEW_LARGEICON, CListCtrl_Printer::Mode::LargeIcons},
                                     Expected{ID_VIEW_SMALLICON, CListCtrl_Printer::Mode::SmallIcons},
                                     Expected{ID_VIEW_LIST, CListCtrl_Printer::Mode::List},
                                     Expected{ID_VIEW_DETAILS, CListCtrl_Printer::Mode::Details}}) {
        ASSERT_TRUE(list.OnCommand(expected.command));
        EXPECT_EQ(list.GetMode(), expected.mode);
        for (const int command : {ID_VIEW_LARGEICON, ID_VIEW_SMALLICON, ID_VIEW_LIST, ID_VIEW_DETAILS}) {
            bool enabled = false;
            bool checked = false;
            ASSERT_TRUE(list.UpdateCommand(command, enabled, checked));
            EXPECT_TRUE(enabled);
            EXPECT_EQ(checked, command == expected.command) << command;
        }
    }

    list.SetMode(CListCtrl_Printer::Mode::LargeIcons);
    auto* icons = qobject_cast<QListView*>(list.CurrentView());
    ASSERT_NE(icons, nullptr);
    EXPECT_EQ(icons->viewMode(), QListView::IconMode);
    EXPECT_EQ(icons->iconSize(), QSize(32, 32));
    EXPECT_EQ(icons->movement(), QListView::Static);

    list.SetMode(CListCtrl_Printer::Mode::SmallIcons);
    EXPECT_EQ(icons->viewMode(), QListView::ListMode);
    EXPECT_EQ(icons->flow(), QListView::LeftToRight);
    EXPECT_EQ(icons->iconSize(), QSize(16, 16));
    EXPECT_TRUE(icons->isWrapping());

    list.SetMode(CListCtrl_Printer::Mode::List);
    EXPECT_EQ(icons->viewMode(), QListView::ListMode);
    EXPECT_EQ(icons->flow(), QListView::TopToBottom);
    EXPECT_TRUE(icons->isWrapping());

    // Big icons switch to the details mode with 32x32 images, and back to 16x16.
    list.OnCommand(ID_VIEW_BIG_ICONS);
    auto* details = qobject_cast<QTreeView*>(list.CurrentView());
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(list.GetMode(), CListCtrl_Printer::Mode::Details);
    EXPECT_EQ(details->iconSize(), QSize(32, 32));
    bool enabled = false;
    bool checked = false;
    list.UpdateCommand(ID_VIEW_BIG_ICONS, enabled, checked);
    EXPECT_TRUE(checked);
    list.UpdateCommand(ID_VIEW_NORMAL_ICONS, enabled, checked);
    EXPECT_FALSE(checked);

    list.SetMode(CListCtrl_Printer::Mode::List);
    list.OnCommand(ID_VIEW_NORMAL_ICONS);
    EXPECT_EQ(list.GetMode(), CListCtrl_Printer::Mode::Details);
    EXPECT_EQ(details->iconSize(), QSize(16, 16));
    EXPECT_FALSE(list.BigIcons());

    // Both views show the same items and the same selection.
    list.SelectItems({0});
    list.SetMode(CListCtrl_Printer::Mode::LargeIcons);
    EXPECT_TRUE(list.CurrentView()->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(list.CurrentView()->model()->rowCount(), 1);
}

TEST_F(ListCtrl_PrinterTest, ItemTextsAndImages)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    CPrinterInfoEx* complete = Add(document, "Office", "10.0.0.7", "VDL-N4000+");
    complete->macAddress = "00AA11BB22CC";
    complete->identityNote = "Floor 2";
    CPrinterInfoEx* manual = Add(document, "", kPlaceholderAddressManual, "");
    CPrinterInfoEx* standard = Add(document, "Default", "11.22.33.44");
    standard->defaultPrinter = 1;
    CPrinterInfoEx* standardComplete = Add(document, "Front", "10.0.0.8");
    standardComplete->defaultPrinter = 1;
    list.Refresh();

    ASSERT_EQ(list.GetItemCount(), 4);
    EXPECT_EQ(list.GetItemText(0, 0), "Office");
    EXPECT_EQ(list.GetItemText(0, 1), "10.0.0.7");
    EXPECT_EQ(list.GetItemText(0, 2), "VDL-N4000+");
    EXPECT_EQ(list.GetItemText(0, 3), "00AA11BB22CC");
    EXPECT_EQ(list.GetItemText(0, 4), "Floor 2");
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(list.GetItemText(1, column), "- NONE -") << column;
    EXPECT_EQ(list.GetItemText(1, 4), "");
    EXPECT_EQ(list.GetItemText(2, 1), "- NONE -");

    EXPECT_EQ(list.GetItemImage(0), 0);
    EXPECT_EQ(list.GetItemImage(1), 1); // greyed: incomplete
    EXPECT_EQ(list.GetItemImage(2), 3); // default printer, incomplete
    EXPECT_EQ(list.GetItemImage(3), 2);
    EXPECT_EQ(list.GetItemRecord(1), manual);

    // A record edited elsewhere shows its new texts after a refresh of it.
    manual->printerName = "Named";
    manual->address = "10.0.0.9";
    manual->modelName = "RX-C3400";
    list.RefreshRecords({manual});
    EXPECT_EQ(list.GetItemText(1, 0), "Named");
    EXPECT_EQ(list.GetItemImage(1), 0);

    // The item's image is drawn, greyed for odd indices.
    const QIcon icon = list.CurrentView()->model()->index(2, 0).data(Qt::DecorationRole).value<QIcon>();
    EXPECT_FALSE(icon.isNull());
}

TEST_F(ListCtrl_PrinterTest, ColumnsHaveTheirWidthsAndTexts)
{
    CListCtrl_Printer list;
    list.resize(800, 300);
    list.SetColumnTexts({"Printer Name", "Address", "Model", "MAC Address", "Note"});
    const QFontMetrics metrics(list.CurrentView()->font());
    EXPECT_EQ(list.ColumnWidth(0), metrics.horizontalAdvance("VDL-N4000+(ABCDEF)") + 34);
    EXPECT_EQ(list.ColumnWidth(1), metrics.horizontalAdvance("999.999.999.999") + 16);
    EXPECT_EQ(list.ColumnWidth(2), metrics.horizontalAdvance("VDL-N4000+") + 16);
    EXPECT_EQ(list.ColumnWidth(3), metrics.horizontalAdvance("ABCDEFABCDEF") + 16);
    EXPECT_EQ(list.ColumnText(3), "MAC Address");
    auto* details = qobject_cast<QTreeView*>(list.CurrentView());
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->model()->headerData(4, Qt::Horizontal).toString(), "Note");
}

TEST_F(ListCtrl_PrinterTest, SortingByAddressTogglesAndReordersTheDocument)
{
    CListCtrl_Printer list;
    CListCtrl_Printer otherView;
    const auto observer = document.AddObserver([&otherView](long) { otherView.Refresh(); });
    list.SetList(&document);
    otherView.SetList(&document, observer);
    for (const auto& [name, address] : std::vector<std::pair<std::string, std::string>>{
             {"a", "10.0.0.2"}, {"b", "host"}, {"c", "9.0.0.1"}, {"d", "192.168.192.168"}, {"e", "999.0.0.1"}})
        Add(document, name, address);
    list.Refresh();
    otherView.Refresh();

    list.SortByColumn(1);
    EXPECT_EQ(list.SortDirection(1), 1);
    // Valid addresses by value first; the placeholder counts as empty, before other invalid texts.
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"c", "a", "e", "d", "b"}));
    EXPECT_EQ(ListNames(list), (std::vector<QString>{"c", "a", "e", "d", "b"}));
    EXPECT_EQ(ListNames(otherView), ListNames(list));
    EXPECT_TRUE(document.IsModified());

    list.SortByColumn(1);
    EXPECT_EQ(list.SortDirection(1), -1);
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"b", "d", "e", "a", "c"}));
    // 10.0.0.2 comes before 9.0.0.1 only now.
    list.SortByColumn(1);
    EXPECT_EQ(list.SortDirection(1), 1);
    EXPECT_EQ(DocumentNames(document).front(), "c");

    // Names compare with case: upper-case letters first.
    document.GetScript().printers[0]->printerName = "Zed";
    list.Refresh();
    list.SortByColumn(0);
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"Zed", "a", "b", "d", "e"}));
    document.RemoveObserver(observer);
}

TEST_F(ListCtrl_PrinterTest, SortingAnEmptyListDoesNothing)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    list.SortByColumn(2);
    EXPECT_EQ(list.SortDirection(2), 0);
    EXPECT_FALSE(document.IsModified());
}

TEST_F(ListCtrl_PrinterTest, SelectionStaysWithItsRecords)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    Add(document, "a", "10.0.0.3");
    CPrinterInfoEx* b = Add(document, "b", "10.0.0.1");
    Add(document, "c", "10.0.0.2");
    list.Refresh();
    list.SelectItems({1});
    QSignalSpy changes(&list, &CListCtrl_Printer::selectionChanged);

    list.SortByColumn(1);
    EXPECT_EQ(list.SelectedRecords(), std::vector<CPrinterInfoEx*>{b});
    EXPECT_EQ(list.SelectedItems(), std::vector<int>{0});

    // The selected record goes: nothing is selected, and the list says so.
    document.RemovePrinter(b);
    changes.clear();
    list.Refresh();
    EXPECT_TRUE(list.SelectedItems().empty());
    EXPECT_GE(changes.count(), 1);
}

TEST_F(ListCtrl_PrinterTest, TooltipListsEveryColumn)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    list.SetColumnTexts({"Printer Name", "Address", "Model", "MAC Address", "Note"});
    Add(document, "Office", "11.22.33.44");
    list.Refresh();
    EXPECT_EQ(list.TooltipText(0), "Printer Name: Office\nAddress: - NONE -\nModel: RX-C3400\n"
                                   "MAC Address: - NONE -\nNote: ");
    EXPECT_EQ(list.TooltipText(1), "");
}

// A name of the full 31 characters stays within its item in the small-icon and list modes: the next item
// is not painted over, and the hover tooltip carries the whole name.
TEST_F(ListCtrl_PrinterTest, LongNamesStayInsideTheirItemsInTheSmallIconAndListModes)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    const std::string longName(31, 'W');
    Add(document, longName, "10.0.0.1");
    Add(document, "B", "10.0.0.2");
    list.Refresh();
    list.resize(640, 240);
    list.show();
    for (const auto mode : {CListCtrl_Printer::Mode::SmallIcons, CListCtrl_Printer::Mode::List}) {
        list.SetMode(mode);
        auto* view = qobject_cast<QListView*>(list.CurrentView());
        ASSERT_NE(view, nullptr);
        QCoreApplication::processEvents();
        const QModelIndex first = view->model()->index(0, 0);
        const QRect item = view->visualRect(first);
        const QRect next = view->visualRect(view->model()->index(1, 0));
        EXPECT_FALSE(item.intersects(next)) << static_cast<int>(mode);
        const int textWidth = view->fontMetrics().horizontalAdvance(QString::fromStdString(longName));
        EXPECT_LT(item.width(), textWidth + view->iconSize().width()) << "the name is elided, not given room";
    }
    EXPECT_EQ(list.TooltipText(0).split(QLatin1Char('\n')).front(), QString::fromStdString(": " + longName))
        << list.TooltipText(0).toStdString();
}

TEST_F(ListCtrl_PrinterTest, AResultListHoldsItsRecordsWithoutAProject)
{
    PrinterRecordList results;
    CListCtrl_Printer list;
    list.SetList(&results);
    const auto found = [](const std::string& name, const std::string& mac) {
        auto record = std::make_unique<CPrinterInfoEx>();
        record->printerName = name;
        record->macAddress = mac;
        record->modelName = "RX-C3400";
        return record;
    };
    auto first = found("B", "00:00:00:00:00:01");
    auto second = found("A", "");
    auto repeated = found("B again", "00:00:00:00:00:01");
    EXPECT_EQ(list.AddRecord(first), 0);
    EXPECT_EQ(list.AddRecord(second), 0);
    // Refused: the record stays with the caller, who deletes it.
    EXPECT_EQ(list.AddRecord(repeated), -1);
    ASSERT_NE(repeated, nullptr);
    EXPECT_EQ(ListNames(list), (std::vector<QString>{"B", "A"}));

    // Sorting orders the records themselves; nothing is a project's to be modified.
    list.SortByColumn(kColumnName);
    EXPECT_EQ(results.GetAt(0)->printerName, "A");
    EXPECT_EQ(ListNames(list), (std::vector<QString>{"A", "B"}));

    list.SelectItems({0, 1});
    EXPECT_TRUE(list.OnCommand(ID_EDIT_CLEAR));
    EXPECT_EQ(results.GetCount(), 2u);
    list.SetMaxPrinters(2);
    auto third = found("C", "");
    EXPECT_EQ(list.AddRecord(third), -1);
    EXPECT_EQ(results.GetMaxPrinterCount(), 2u);
}

TEST_F(ListCtrl_PrinterTest, ContextMenuTakesTextsAndStates)
{
    // A page's results: only copied, never cut, pasted into or deleted.
    PrinterRecordList results;
    auto found = std::make_unique<CPrinterInfoEx>();
    found->printerName = "Office";
    found->modelName = "RX-C3400";
    ASSERT_NE(results.AddRecord(found), nullptr);
    CListCtrl_Printer list;
    list.SetList(&results);

    const auto find = [](QMenu& menu, int id) -> QAction* {
        for (QAction* action : menu.actions()) {
            if (action->data().toInt() == id)
                return action;
            if (action->menu()) {
                for (QAction* inner : action->menu()->actions()) {
                    if (inner->data().toInt() == id)
                        return inner;
                }
            }
        }
        return nullptr;
    };

    // Nothing selected: no editing command.
    auto menu = list.CreateContextMenu();
    ASSERT_EQ(menu->actions().size(), 6); // four commands, a separator, the modes
    EXPECT_EQ(menu->actions()[0]->text(), "Cu&t\tCtrl+X");
    EXPECT_EQ(menu->actions()[1]->text(), "&Copy\tCtrl+C");
    EXPECT_EQ(menu->actions()[2]->text(), "&Paste\tCtrl+V");
    EXPECT_EQ(menu->actions()[3]->text(), "&Delete\tDel");
    EXPECT_TRUE(menu->actions()[4]->isSeparator());
    ASSERT_NE(menu->actions()[5]->menu(), nullptr);
    EXPECT_EQ(menu->actions()[5]->text(), "&View");
    for (const int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_CLEAR})
        EXPECT_FALSE(find(*menu, id)->isEnabled()) << id;
    EXPECT_TRUE(find(*menu, ID_VIEW_DETAILS)->isChecked());
    EXPECT_FALSE(find(*menu, ID_VIEW_LIST)->isChecked());
    EXPECT_TRUE(find(*menu, ID_VIEW_LIST)->isEnabled());
    EXPECT_EQ(find(*menu, ID_VIEW_LARGEICON)->text(), "Lar&ge Icons");

    list.SelectItems({0});
    menu = list.CreateContextMenu();
    EXPECT_TRUE(find(*menu, ID_EDIT_COPY)->isEnabled());
    EXPECT_FALSE(find(*menu, ID_EDIT_CUT)->isEnabled());
    EXPECT_FALSE(find(*menu, ID_EDIT_CLEAR)->isEnabled());

    // A project's list: cut and delete too, and nothing at all during a package build.
    Add(document, "Office", "10.0.0.1");
    list.SetList(&document);
    list.SelectItems({0});
    menu = list.CreateContextMenu();
    for (const int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_CLEAR})
        EXPECT_TRUE(find(*menu, id)->isEnabled()) << id;
    list.SetBusy(true);
    menu = list.CreateContextMenu();
    for (const int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_CLEAR})
        EXPECT_FALSE(find(*menu, id)->isEnabled()) << id;
    EXPECT_TRUE(list.OnCommand(ID_EDIT_CLEAR));
    EXPECT_EQ(document.GetCount(), 1u);
    list.SetBusy(false);

    // German texts after a language switch.
    ASSERT_TRUE(strings.Load(0x0407));
    menu = list.CreateContextMenu();
    EXPECT_EQ(find(*menu, ID_EDIT_COPY)->text(), "&Kopieren\tStrg+C");
}

TEST_F(ListCtrl_PrinterTest, DeleteCopyCutAndPaste)
{
    CListCtrl_Printer list;
    CListCtrl_Printer target;
    list.SetList(&document);
    target.SetList(&other);
    Add(document, "a", "10.0.0.1");
    Add(document, "b", "10.0.0.2", "QZ-1000"); // a model the program does not support
    Add(document, "c", "10.0.0.3");
    list.Refresh();
    QSignalSpy counts(&list, &CListCtrl_Printer::printerCountChanged);

    list.SelectItems({0, 1});
    EXPECT_TRUE(list.OnCommand(ID_EDIT_COPY));
    ASSERT_TRUE(HasPrinterData(ClipboardData()));
    bool enabled = false;
    bool checked = false;
    target.UpdateCommand(ID_EDIT_PASTE, enabled, checked);
    EXPECT_TRUE(enabled);
    target.OnCommand(ID_EDIT_PASTE);
    // The unsupported model stays behind.
    EXPECT_EQ(DocumentNames(other), std::vector<std::string>{"a"});
    EXPECT_TRUE(other.IsModified());

    // Removing several printers asks first, naming their number; No keeps them, and the clipboard too.
    test::MessageRecorder messages;
    messages.questionAnswer = kAnswerNo;
    QGuiApplication::clipboard()->clear();
    for (const int id : {ID_EDIT_CUT, ID_EDIT_CLEAR})
        list.OnCommand(id);
    EXPECT_EQ(messages.questions, (std::vector<QString>(2, "Do you want to remove the 2 selected printers from the project?")));
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(HasPrinterData(ClipboardData()));

    messages.questionAnswer = kAnswerYes;
    list.OnCommand(ID_EDIT_CUT);
    EXPECT_EQ(DocumentNames(document), std::vector<std::string>{"c"});
    EXPECT_EQ(list.GetItemCount(), 1);
    EXPECT_EQ(counts.count(), 1);

    // One printer goes without a question.
    list.SelectItems({0});
    list.OnCommand(ID_EDIT_CLEAR);
    EXPECT_EQ(messages.questions.size(), 3u);
    EXPECT_TRUE(document.GetScript().printers.empty());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(counts.count(), 2);

    // The clipboard still holds the cut records.
    list.OnCommand(ID_EDIT_PASTE);
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"a"}));

    // Select all selects every item.
    Add(document, "x", "10.0.0.9");
    list.Refresh();
    list.OnCommand(ID_EDIT_SELECT_ALL);
    EXPECT_EQ(list.SelectedItems(), (std::vector<int>{0, 1}));
}

TEST_F(ListCtrl_PrinterTest, AddRecordRefusesFullListsAndRepeatedMacAddresses)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    list.SetMaxPrinters(2);
    EXPECT_EQ(document.GetMaxPrinterCount(), 2u);

    auto first = std::make_unique<CPrinterInfoEx>();
    first->printerName = "First";
    first->macAddress = "00AA11BB22CC";
    EXPECT_EQ(list.AddRecord(first), 0);
    EXPECT_EQ(first, nullptr);

    auto same = std::make_unique<CPrinterInfoEx>();
    same->macAddress = "00AA11BB22CC";
    EXPECT_EQ(list.AddRecord(same), -1);
    ASSERT_NE(same, nullptr); // stays with the caller

    auto noMac = std::make_unique<CPrinterInfoEx>();
    EXPECT_EQ(list.AddRecord(noMac), 0);
    EXPECT_TRUE(list.IsFull());
    auto more = std::make_unique<CPrinterInfoEx>();
    EXPECT_EQ(list.AddRecord(more), -1);
    EXPECT_EQ(list.GetItemCount(), 2);
}

TEST_F(ListCtrl_PrinterTest, DragInsideTheListMovesWithoutCopying)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    Add(document, "a", "10.0.0.1");
    Add(document, "b", "10.0.0.2");
    Add(document, "c", "10.0.0.3");
    list.Refresh();
    list.SelectItems({1});

    bool draggingDuringDrop = false;
    list.SetDragRunner([&](QDrag& drag) {
        draggingDuringDrop = list.IsDragging();
        EXPECT_EQ(list.DropActionFor(drag.mimeData()), Qt::MoveAction);
        list.DropData(drag.mimeData(), 0);
    });
    list.StartDrag();
    EXPECT_TRUE(draggingDuringDrop);
    EXPECT_FALSE(list.IsDragging());
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(list.SelectedItems(), std::vector<int>{0});
    EXPECT_TRUE(document.IsModified());

    // Dropped where no item is: behind the last one.
    list.SetDragRunner([&](QDrag& drag) { list.DropData(drag.mimeData(), -1); });
    list.StartDrag();
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"a", "c", "b"}));
}

TEST_F(ListCtrl_PrinterTest, DragToAnotherProjectCopiesUnlessItIsFull)
{
    CListCtrl_Printer source;
    CListCtrl_Printer target;
    source.SetList(&document);
    target.SetList(&other);
    target.SetMaxPrinters(1);
    Add(document, "a", "10.0.0.1");
    Add(document, "b", "10.0.0.2");
    source.Refresh();
    source.SelectItems({0, 1});

    Qt::DropAction offered = Qt::IgnoreAction;
    source.SetDragRunner([&](QDrag& drag) {
        offered = target.DropActionFor(drag.mimeData());
        target.DropData(drag.mimeData(), -1);
    });
    source.StartDrag();
    EXPECT_EQ(offered, Qt::CopyAction);
    // The source keeps its records; the target takes what its maximum allows.
    EXPECT_EQ(DocumentNames(document), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(DocumentNames(other), std::vector<std::string>{"a"});
    EXPECT_NE(other.GetScript().printers[0].get(), document.GetScript().printers[0].get());

    // Full now: the drop is refused.
    bool changed = true;
    source.SetDragRunner([&](QDrag& drag) {
        offered = target.DropActionFor(drag.mimeData());
        changed = target.DropData(drag.mimeData(), 0);
    });
    source.StartDrag();
    EXPECT_EQ(offered, Qt::IgnoreAction);
    EXPECT_FALSE(changed);
    EXPECT_EQ(other.GetScript().printers.size(), 1u);

    // Data without the printer format, and data whose models are all unsupported, are refused.
    QMimeData text;
    text.setText("a printer");
    EXPECT_EQ(source.DropActionFor(&text), Qt::IgnoreAction);
    auto record = std::make_unique<CPrinterInfoEx>();
    record->modelName = "QZ-1000";
    const CPrinterInfoEx* records[] = {record.get()};
    const auto unsupported = MakePrinterMimeData(SerializePrinters(records));
    CListCtrl_Printer open;
    CCorvan2Doc third{strings.Environment()};
    open.SetList(&third);
    EXPECT_EQ(open.DropActionFor(unsupported.get()), Qt::IgnoreAction);
}

TEST_F(ListCtrl_PrinterTest, ViewModeIgnoresCommandsAndDrops)
{
    CListCtrl_Printer list;
    list.SetList(&document);
    Add(document, "a", "10.0.0.1");
    list.Refresh();
    list.SelectItems({0});
    const ScopedViewMode viewMode;
    EXPECT_TRUE(list.OnCommand(ID_EDIT_CLEAR));
    EXPECT_EQ(document.GetScript().printers.size(), 1u);
    EXPECT_TRUE(list.OnCommand(ID_VIEW_LIST));
    EXPECT_EQ(list.GetMode(), CListCtrl_Printer::Mode::Details);
    bool enabled = true;
    bool checked = false;
    list.UpdateCommand(ID_EDIT_COPY, enabled, checked);
    EXPECT_FALSE(enabled);
    const auto data = MakePrinterMimeData(list.SerializeSelection());
    EXPECT_EQ(list.DropActionFor(data.get()), Qt::IgnoreAction);
    EXPECT_FALSE(list.DropData(data.get(), -1));
    EXPECT_FALSE(list.OnCommand(12345));
}

} // namespace
} // namespace pellora::ui
