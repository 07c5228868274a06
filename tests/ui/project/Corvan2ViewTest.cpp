// The project view: layout, texts, the enabling of every command, the printer maximum, the clipboard
// between two projects, the display of a failed pre-build check, and the two save commands driven
// through their dialogs.

#include "ui/project/Corvan2View.h"

#include "FocusOrder.h"
#include "ProjectViewTestSupport.h"
#include "core/model/ViewMode.h"
#include "ui/dialogs/PackageSigningFields.h"
#include "ui/dialogs/ProjectSaveDialog.h"
#include "ui/project/Corvan2ViewIds.h"
#include "ui/project/Tab_DriverInfo.h"
#include "ui/project/Tab_PrinterInfo.h"
#include "ui/project/Tab_ScriptInfo.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/ListCtrl_Printer.h"
#include "ui/shared/PrinterMimeData.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace pellora::ui {
namespace {

using namespace corvan2;
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class Corvan2ViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QGuiApplication::clipboard()->clear();
        document.OnNewDocument();
    }
    void TearDown() override { QGuiApplication::clipboard()->clear(); }

    std::unique_ptr<CCorvan2View> MakeView(CCorvan2Doc& doc)
    {
        auto view = std::make_unique<CCorvan2View>(doc);
        view->resize(700, 500);
        return view;
    }

    static bool Enabled(const CCorvan2View& view, int id)
    {
        bool enabled = false;
        bool checked = false;
        EXPECT_TRUE(view.UpdateCommand(id, enabled, checked)) << id;
        return enabled;
    }
    static bool Checked(const CCorvan2View& view, int id)
    {
        bool enabled = false;
        bool checked = false;
        view.UpdateCommand(id, enabled, checked);
        return checked;
    }

    CPrinterInfoEx* AddValid(CCorvan2Doc& doc, const std::string& name)
    {
        doc.GetScript().printers.push_back(build.ValidPrinter(name));
        return doc.GetScript().printers.back().get();
    }

    test::BuildFolder build;
    test::MessageRecorder messages;
    CCorvan2Doc document{build.Environment()};
    CCorvan2Doc other{build.Environment()};
    fs::path output = build.folder().path() / "out";
};

TEST_F(Corvan2ViewTest, LayoutAtTwoSizes)
{
    auto view = MakeView(document);
    view->resize(600, 500);
    view->show();
    QWidget* list = FindControl(view.get(), IDC_PRINTER_LIST);
    QWidget* grip = FindControl(view.get(), IDC_RESIZE_GRIP);
    QWidget* tabs = FindControl(view.get(), IDC_PROPERTY_TABS);
    ASSERT_EQ(list, view->ListCtrl());
    ASSERT_EQ(grip, view->Grip());
    ASSERT_EQ(tabs, view->Tabs());
    EXPECT_EQ(list->geometry(), QRect(0, 0, 600, 320));
    EXPECT_EQ(grip->geometry(), QRect(0, 320, 600, 6));
    EXPECT_EQ(tabs->geometry(), QRect(0, 326, 600, 174));

    view->resize(764, 420);
    EXPECT_EQ(list->geometry(), QRect(0, 0, 764, 240));
    EXPECT_EQ(grip->geometry(), QRect(0, 240, 764, 6));
    EXPECT_EQ(tabs->geometry(), QRect(0, 246, 764, 174));
    EXPECT_EQ(grip->cursor().shape(), Qt::SizeVerCursor);

    // However small the window is made, the list keeps room for its header and two rows.
    view->resize(764, 120);
    EXPECT_GE(list->height(), 64);
    EXPECT_EQ(tabs->geometry().bottom(), view->height() - 1);
}

// Tab goes through each page's controls as they are read: row by row from the top, left to right in a row.
TEST_F(Corvan2ViewTest, TabOrderOfEachPageFollowsItsRows)
{
    AddValid(document, "Office");
    auto view = MakeView(document);
    view->resize(764, 500);
    view->show();
    view->ListCtrl()->SelectItems({0});
    for (int page = 0; page < view->Tabs()->count(); ++page) {
        view->Tabs()->setCurrentIndex(page);
        QCoreApplication::processEvents();
        EXPECT_EQ(test::FocusOrderBreaks(view->Tabs()->widget(page)), std::vector<std::string>{}) << page;
    }
}

TEST_F(Corvan2ViewTest, PagesTextsAndLanguageSwitch)
{
    auto view = MakeView(document);
    ASSERT_EQ(view->Tabs()->count(), 3);
    EXPECT_NE(qobject_cast<CTab_PrinterInfo*>(view->Tabs()->widget(0)), nullptr);
    EXPECT_NE(qobject_cast<CTab_DriverInfo*>(view->Tabs()->widget(1)), nullptr);
    EXPECT_NE(qobject_cast<CTab_ScriptInfo*>(view->Tabs()->widget(2)), nullptr);
    EXPECT_EQ(view->Tabs()->currentIndex(), 0);
    EXPECT_EQ(view->Tabs()->tabText(0), "Printer");
    EXPECT_EQ(view->Tabs()->tabText(1), "Driver");
    EXPECT_EQ(view->Tabs()->tabText(2), "Script");
    EXPECT_FALSE(view->Tabs()->tabIcon(2).isNull());
    EXPECT_EQ(view->ListCtrl()->ColumnText(0), "Printer Name");
    EXPECT_EQ(view->ListCtrl()->ColumnText(4), "Note");

    // A printer added by hand has no address: the list says so in the language of the moment.
    ASSERT_NE(document.AddPrinter(), nullptr);
    document.UpdateAllViews();
    EXPECT_EQ(view->ListCtrl()->GetItemText(0, 1), "- NONE -");

    // A language switch refreshes every view in view mode.
    ASSERT_TRUE(build.Load(0x0411));
    {
        const ScopedViewMode viewMode;
        document.UpdateAllViews();
    }
    EXPECT_EQ(view->ListCtrl()->GetItemText(0, 1), QString::fromUtf8("- なし -"));
    EXPECT_EQ(view->Tabs()->tabText(1), QString::fromUtf8("ドライバー"));
    EXPECT_EQ(view->ListCtrl()->ColumnText(1), QString::fromUtf8("アドレス"));
    ASSERT_TRUE(build.Load(0x0407));
    view->Retext();
    EXPECT_EQ(view->Tabs()->tabText(0), "Drucker");
    EXPECT_EQ(view->ListCtrl()->ColumnText(3), "MAC-Adresse");
}

TEST_F(Corvan2ViewTest, TextsAreCompleteInEveryLanguage)
{
    for (const LanguageInfo& row : kLanguages) {
        const std::uint16_t language = row.id;
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(build.Load(language));
        const StringTable& table = TheStringTable();
        std::vector<std::string> texts;
        EXPECT_EQ(table.GetItemTexts(kFormSection, IDC_PRINTER_LIST, texts), 5u);
        EXPECT_EQ(table.GetItemTexts(kFormSection, IDC_PROPERTY_TABS, texts), 3u);
        for (int item = kSaveLookIn; item <= kSaveNo; ++item)
            EXPECT_FALSE(table.GetItemText(kSaveDialogSection, item).empty()) << item;
        for (int item = kBuildTitle; item <= kBuildCancelling; ++item)
            EXPECT_FALSE(table.GetItemText(kBuildSection, item).empty()) << item;
        EXPECT_NE(table.GetItemText(kSaveDialogSection, kSaveReplaceQuestion).find("%1"), std::string::npos);
        EXPECT_NE(table.GetItemText(kSaveDialogSection, kSaveMissingFolder).find("%1"), std::string::npos);
        const std::string progress = table.GetItemText(kBuildSection, kBuildProgress);
        for (const char* mark : {"%1", "%2", "%3", "%4"})
            EXPECT_NE(progress.find(mark), std::string::npos) << mark;
        // The context menu's texts.
        for (const int id : {kMenuViewCaption, int(ID_EDIT_CUT), int(ID_EDIT_COPY), int(ID_EDIT_PASTE),
                             int(ID_EDIT_CLEAR), int(ID_VIEW_LARGEICON), int(ID_VIEW_SMALLICON), int(ID_VIEW_LIST),
                             int(ID_VIEW_DETAILS)})
            EXPECT_FALSE(table.GetItemText(kMenuSection, id).empty()) << id;
    }
}

TEST_F(Corvan2ViewTest, EnablingOfEveryCommand)
{
    auto view = MakeView(document);
    bool enabled = false;
    bool checked = false;
    EXPECT_FALSE(view->UpdateCommand(57600, enabled, checked));
    EXPECT_FALSE(view->OnCommand(57600));

    // Empty project.
    EXPECT_TRUE(Enabled(*view, ID_PRINTER_ADD));
    EXPECT_FALSE(Enabled(*view, ID_FILE_SAVE_SCRIPT));
    EXPECT_FALSE(Enabled(*view, ID_FILE_CREATE_PACKAGE));
    EXPECT_TRUE(Enabled(*view, ID_WINDOW_CLOSE_ALL));
    for (const int id : {ID_EDIT_CLEAR, ID_EDIT_COPY, ID_EDIT_CUT, ID_EDIT_PASTE})
        EXPECT_FALSE(Enabled(*view, id)) << id;
    for (const int id : std::initializer_list<int>{ID_VIEW_SMALLICON, ID_VIEW_LARGEICON, ID_VIEW_LIST, ID_VIEW_DETAILS, ID_VIEW_BIG_ICONS,
                         ID_VIEW_NORMAL_ICONS})
        EXPECT_TRUE(Enabled(*view, id)) << id;
    EXPECT_TRUE(Checked(*view, ID_VIEW_DETAILS));
    EXPECT_FALSE(Checked(*view, ID_VIEW_LIST));
    EXPECT_FALSE(Checked(*view, ID_VIEW_BIG_ICONS));
    EXPECT_TRUE(Checked(*view, ID_VIEW_NORMAL_ICONS));

    // Printer data on the clipboard: paste is possible while the list has room.
    auto record = build.ValidPrinter("On the clipboard");
    const CPrinterInfoEx* records[] = {record.get()};
    CopyToClipboard(SerializePrinters(records));
    EXPECT_TRUE(Enabled(*view, ID_EDIT_PASTE));

    // One printer: the maximum.
    ASSERT_TRUE(view->OnCommand(ID_PRINTER_ADD));
    EXPECT_FALSE(Enabled(*view, ID_PRINTER_ADD));
    EXPECT_FALSE(Enabled(*view, ID_EDIT_PASTE));
    EXPECT_TRUE(Enabled(*view, ID_FILE_SAVE_SCRIPT));
    EXPECT_TRUE(Enabled(*view, ID_FILE_CREATE_PACKAGE));

    // The new printer is selected: delete, copy and cut follow the selection.
    EXPECT_TRUE(Enabled(*view, ID_EDIT_COPY));
    view->ListCtrl()->SelectItems({});
    for (const int id : {ID_EDIT_CLEAR, ID_EDIT_COPY, ID_EDIT_CUT})
        EXPECT_FALSE(Enabled(*view, id)) << id;
    view->ListCtrl()->SelectItems({0});
    for (const int id : {ID_EDIT_CLEAR, ID_EDIT_COPY, ID_EDIT_CUT})
        EXPECT_TRUE(Enabled(*view, id)) << id;

    // View modes and big icons go to the list; the current mode is checked.
    view->OnCommand(ID_VIEW_LIST);
    EXPECT_TRUE(Checked(*view, ID_VIEW_LIST));
    EXPECT_FALSE(Checked(*view, ID_VIEW_DETAILS));
    view->OnCommand(ID_VIEW_BIG_ICONS);
    EXPECT_TRUE(Checked(*view, ID_VIEW_DETAILS));
    EXPECT_TRUE(Checked(*view, ID_VIEW_BIG_ICONS));
    EXPECT_FALSE(Checked(*view, ID_VIEW_NORMAL_ICONS));

    // Delete frees the slot again.
    view->OnCommand(ID_EDIT_CLEAR);
    EXPECT_TRUE(document.GetScript().printers.empty());
    EXPECT_TRUE(Enabled(*view, ID_PRINTER_ADD));
    EXPECT_TRUE(Enabled(*view, ID_EDIT_PASTE));
    EXPECT_FALSE(Enabled(*view, ID_FILE_SAVE_SCRIPT));
}

TEST_F(Corvan2ViewTest, ViewModeShowsEveryCommandDisabledAndIgnoresIt)
{
    auto view = MakeView(document);
    const ScopedViewMode viewMode;
    for (const int id : std::initializer_list<int>{ID_PRINTER_ADD, ID_FILE_SAVE_SCRIPT, ID_FILE_CREATE_PACKAGE, ID_WINDOW_CLOSE_ALL, ID_EDIT_CLEAR, ID_EDIT_COPY,
                         ID_EDIT_CUT, ID_EDIT_PASTE, ID_VIEW_SMALLICON, ID_VIEW_LARGEICON, ID_VIEW_LIST,
                         ID_VIEW_DETAILS, ID_VIEW_BIG_ICONS, ID_VIEW_NORMAL_ICONS}) {
        EXPECT_FALSE(Enabled(*view, id)) << id;
        EXPECT_TRUE(view->OnCommand(id)) << id;
    }
    EXPECT_TRUE(document.GetScript().printers.empty());
    EXPECT_EQ(view->ListCtrl()->GetMode(), CListCtrl_Printer::Mode::Details);
}

TEST_F(Corvan2ViewTest, OnePrinterAtMost)
{
    auto view = MakeView(document);
    EXPECT_EQ(document.GetMaxPrinterCount(), 1u);
    EXPECT_EQ(view->ListCtrl()->GetMaxPrinters(), 1u);
    QSignalSpy counts(view.get(), &CCorvan2View::printerCountChanged);

    view->OnCommand(ID_PRINTER_ADD);
    view->OnCommand(ID_PRINTER_ADD);
    ASSERT_EQ(document.GetScript().printers.size(), 1u);
    EXPECT_EQ(document.GetScript().printers[0]->printerName.rfind("Printer", 0), 0u);
    EXPECT_EQ(document.GetScript().printers[0]->address, kPlaceholderAddressManual);
    EXPECT_EQ(counts.count(), 1);
    EXPECT_TRUE(document.IsModified());
    // The printer added by hand has no real address: shown as none.
    EXPECT_EQ(view->ListCtrl()->GetItemText(0, 1), "- NONE -");
    EXPECT_EQ(view->ListCtrl()->GetItemImage(0), 1);

    // The left pane's add and a drop from another project are refused too.
    auto record = build.ValidPrinter("Another");
    EXPECT_EQ(view->AddPrinterRecord(record), -1);
    EXPECT_NE(record, nullptr);
    const CPrinterInfoEx* records[] = {record.get()};
    const auto data = MakePrinterMimeData(SerializePrinters(records));
    EXPECT_EQ(view->ListCtrl()->DropActionFor(data.get()), Qt::IgnoreAction);
    EXPECT_FALSE(view->DropOnList(data.get()));
    EXPECT_EQ(document.GetScript().printers.size(), 1u);

    // A project read from a file keeps all its printers; the view shows them all.
    document.GetScript().printers.push_back(build.ValidPrinter("Second"));
    document.UpdateAllViews();
    EXPECT_EQ(view->ListCtrl()->GetItemCount(), 2);
    EXPECT_FALSE(Enabled(*view, ID_PRINTER_ADD));
}

TEST_F(Corvan2ViewTest, ClipboardBetweenTwoProjects)
{
    auto source = MakeView(document);
    auto target = MakeView(other);
    CPrinterInfoEx* original = AddValid(document, "Front Desk");
    original->macAddress = "00AA11BB22CC";
    original->defaultPrinter = 1;
    original->testPrint = 1;
    original->bsfPath = "/settings/front.bsf";
    document.UpdateAllViews();
    source->ListCtrl()->SelectItems({0});

    ASSERT_TRUE(source->OnCommand(ID_EDIT_COPY));
    ASSERT_TRUE(Enabled(*target, ID_EDIT_PASTE));
    ASSERT_TRUE(target->OnCommand(ID_EDIT_PASTE));
    ASSERT_EQ(other.GetScript().printers.size(), 1u);
    const CPrinterInfoEx& copy = *other.GetScript().printers[0];
    EXPECT_NE(&copy, original);
    EXPECT_EQ(copy.printerName, "Front Desk");
    EXPECT_EQ(copy.macAddress, "00AA11BB22CC");
    EXPECT_EQ(copy.defaultPrinter, 1);
    EXPECT_EQ(copy.testPrint, 1);
    EXPECT_EQ(copy.bsfPath, "/settings/front.bsf");
    EXPECT_EQ(copy.driverFolders, original->driverFolders);
    EXPECT_TRUE(other.IsModified());
    EXPECT_EQ(target->ListCtrl()->GetItemCount(), 1);
    // The target is full now.
    EXPECT_FALSE(Enabled(*target, ID_EDIT_PASTE));

    // Cut empties the source; the records stay on the clipboard.
    ASSERT_TRUE(source->OnCommand(ID_EDIT_CUT));
    EXPECT_TRUE(document.GetScript().printers.empty());
    EXPECT_EQ(source->ListCtrl()->GetItemCount(), 0);
    EXPECT_TRUE(Enabled(*source, ID_EDIT_PASTE));
    source->OnCommand(ID_EDIT_PASTE);
    EXPECT_EQ(document.GetScript().printers.size(), 1u);

    // Something else on the clipboard: nothing to paste.
    QGuiApplication::clipboard()->setText("not a printer");
    source->OnCommand(ID_EDIT_CLEAR);
    source->ListCtrl()->SelectItems({0});
    EXPECT_FALSE(Enabled(*source, ID_EDIT_PASTE));
}

TEST_F(Corvan2ViewTest, ValidationFailureSelectsPrinterPageAndControl)
{
    auto view = MakeView(document);
    view->show();
    AddValid(document, "Good");
    CPrinterInfoEx* bad = AddValid(document, "Bad");
    document.UpdateAllViews();
    test::ModalScript dialogs;

    struct Case {
        std::function<void(CPrinterInfoEx&)> spoil;
        int message;
        int page;
        int control;
    };
    const std::vector<Case> cases{
        {[](CPrinterInfoEx& p) { p.printerName.clear(); }, 10, CCorvan2View::kPrinterPage, 1037},
        {[](CPrinterInfoEx& p) { p.printerName = "Good"; }, 11, CCorvan2View::kPrinterPage, 1037},
        {[](CPrinterInfoEx& p) { p.address = "11.22.33.44"; }, 14, CCorvan2View::kPrinterPage, 1039},
        {[](CPrinterInfoEx& p) { p.driverFolders.clear(); }, 17, CCorvan2View::kDriverPage, 1055},
        {[](CPrinterInfoEx& p) { p.instModeOff = 1; }, 25, CCorvan2View::kDriverPage, 1194},
    };
    // The project is not saved anyway.
    messages.questionAnswer = kAnswerNo;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const auto saved = bad->Clone();
        c.spoil(*bad);
        view->ListCtrl()->SelectItems({0});
        view->Tabs()->setCurrentIndex(CCorvan2View::kScriptPage);
        messages.shown.clear();
        messages.questions.clear();

        // Both save commands check the project before anything else; a script may be saved anyway, a
        // package may not.
        const bool script = c.message % 2 != 0;
        view->OnCommand(script ? ID_FILE_SAVE_SCRIPT : ID_FILE_CREATE_PACKAGE);
        EXPECT_EQ(messages.shown, std::vector<int>{c.message});
        EXPECT_EQ(messages.questions.size(), script ? 1u : 0u);
        EXPECT_EQ(view->ListCtrl()->SelectedRecords(), std::vector<CPrinterInfoEx*>{bad});
        EXPECT_EQ(view->Tabs()->currentIndex(), c.page);
        QWidget* focus = view->Tabs()->widget(c.page)->focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(ControlId(focus), c.control);
        *bad = *saved;
    }
    // The check comes before any dialog and touches no file.
    EXPECT_EQ(dialogs.unexpected(), 0);
    EXPECT_FALSE(fs::exists(output));

    // Messages without a place only select the printer.
    messages.shown.clear();
    view->Tabs()->setCurrentIndex(CCorvan2View::kScriptPage);
    view->ShowValidationFailure({6, 1});
    EXPECT_EQ(messages.shown, std::vector<int>{6});
    EXPECT_EQ(view->ListCtrl()->SelectedRecords(), std::vector<CPrinterInfoEx*>{bad});
    EXPECT_EQ(view->Tabs()->currentIndex(), CCorvan2View::kScriptPage);
}

TEST_F(Corvan2ViewTest, SaveProjectAsThroughItsDialog)
{
    fs::create_directories(output);
    auto view = MakeView(document);
    AddValid(document, "Office");
    document.UpdateAllViews();
    document.SetModifiedFlag(true);
    QSignalSpy recent(view.get(), &CCorvan2View::recentFileAdded);
    const fs::path target = output / "office.qst";

    const std::string newTitle = document.GetTitle();
    QString title;
    QString offered;
    test::ModalScript dialogs;
    dialogs.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName), [&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        title = dialog->windowTitle();
        offered = QFileInfo(dialog->selectedFiles().value(0)).fileName();
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Install Script (*.qst)"});
        EXPECT_EQ(dialog->defaultSuffix(), "qst");
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        test::ModalScript::ChooseFile(modal, QString::fromStdString(target.string()));
    });
    view->OnCommand(ID_FILE_SAVE_SCRIPT);
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(title, "Save Project As");
    // A new project offers its title as the file name.
    EXPECT_EQ(offered, QString::fromStdString(newTitle) + ".qst");
    EXPECT_EQ(newTitle.rfind("Project", 0), 0u);
    ASSERT_TRUE(fs::exists(target));
    EXPECT_EQ(document.GetPathName(), target);
    EXPECT_FALSE(document.IsModified());
    ASSERT_EQ(recent.count(), 1);
    EXPECT_EQ(recent.at(0).at(0).toString().toStdString(), target.string());

    // The file exists now: "no" keeps it and leaves the dialog open, which is then cancelled.
    const std::string before = ReadFile(target);
    document.GetScript().scriptNote = "changed";
    dialogs.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName),
                 [&](QWidget* modal) {
                     offered = QFileInfo(static_cast<QFileDialog*>(modal)->selectedFiles().value(0)).fileName();
                     test::ModalScript::ChooseFile(modal, QString::fromStdString(target.string()));
                 })
        .Then(test::ModalScript::MessageBox(),
              [&](QWidget* modal) {
                  EXPECT_EQ(static_cast<QMessageBox*>(modal)->text(),
                            ProjectSaveDialog::ReplaceQuestion(QString::fromStdString(target.string())));
                  test::ModalScript::Answer(modal, QMessageBox::No);
              })
        .Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName), test::ModalScript::Reject);
    view->OnCommand(ID_FILE_SAVE_SCRIPT);
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(offered, "office.qst");
    EXPECT_EQ(ReadFile(target), before);
    EXPECT_EQ(recent.count(), 1);

    // "yes" replaces it.
    dialogs.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName),
                 [&](QWidget* modal) { test::ModalScript::ChooseFile(modal, QString::fromStdString(target.string())); })
        .Then(test::ModalScript::MessageBox(), [](QWidget* modal) { test::ModalScript::Answer(modal, QMessageBox::Yes); });
    view->OnCommand(ID_FILE_SAVE_SCRIPT);
    EXPECT_TRUE(dialogs.done());
    EXPECT_NE(ReadFile(target), before);
    EXPECT_EQ(recent.count(), 2);

    // A folder that does not exist is refused inside the dialog.
    const fs::path nowhere = output / "missing" / "x.qst";
    dialogs.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName),
                 [&](QWidget* modal) { test::ModalScript::ChooseFile(modal, QString::fromStdString(nowhere.string())); })
        .Then(test::ModalScript::MessageBox(), [](QWidget* modal) { test::ModalScript::Answer(modal, QMessageBox::Ok); })
        .Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName), test::ModalScript::Reject);
    view->OnCommand(ID_FILE_SAVE_SCRIPT);
    EXPECT_TRUE(dialogs.done());
    EXPECT_FALSE(fs::exists(nowhere.parent_path()));
    EXPECT_EQ(document.GetPathName(), target);
    EXPECT_EQ(dialogs.unexpected(), 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Corvan2ViewTest, CreatePackageThroughItsDialogs)
{
    fs::create_directories(output);
    auto view = MakeView(document);
    AddValid(document, "Office");
    document.UpdateAllViews();
    document.SetModifiedFlag(true);
    QSignalSpy recent(view.get(), &CCorvan2View::recentFileAdded);
    QSignalSpy built(view.get(), &CCorvan2View::packageBuilt);
    QSignalSpy notices(view.get(), &CCorvan2View::statusNotice);
    const auto stagingBefore = test::BuildFolder::StagingFolders();
    const fs::path package = output / "office.exe";

    test::ModalScript dialogs;
    dialogs.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName), [&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        EXPECT_NE(dialog->findChild<PackageSigningFields*>(), nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Create Package");
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Printer Package (*.exe)"});
        EXPECT_EQ(dialog->defaultSuffix(), "exe");
        test::ModalScript::ChooseFile(modal, QString::fromStdString((output / "office").string()));
    });
    view->OnCommand(ID_FILE_CREATE_PACKAGE);

    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(dialogs.unexpected(), 0);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_TRUE(fs::exists(package));
    // The package starts with the stub it was given.
    const std::string bytes = ReadFile(package);
    const BuildEnvironment environment = build.Environment();
    ASSERT_GT(bytes.size(), environment.stub.size());
    EXPECT_EQ(std::memcmp(environment.stub.data(), bytes.data(), environment.stub.size()), 0);
    // The document keeps its own path, and its changes are still unsaved: the build wrote no project file.
    EXPECT_TRUE(document.GetPathName().empty());
    EXPECT_TRUE(document.IsModified());
    ASSERT_EQ(recent.count(), 1);
    EXPECT_EQ(recent.at(0).at(0).toString().toStdString(), package.string());
    ASSERT_EQ(built.count(), 1);
    EXPECT_EQ(built.at(0).at(0).toString().toStdString(), package.string());
    EXPECT_EQ(test::BuildFolder::StagingFolders(), stagingBefore);
    // The test's program folder has no CVSetUp.exe: the package installs nothing, and the status bar says so.
    ASSERT_EQ(notices.count(), 1);
    EXPECT_TRUE(notices.at(0).at(0).toString().contains("CVSetUp.exe")) << notices.at(0).at(0).toString().toStdString();

    // A package the document can open again.
    CCorvan2Doc reopened{build.Environment()};
    ASSERT_TRUE(reopened.OpenDocument(package).ok());
    ASSERT_EQ(reopened.GetScript().printers.size(), 1u);
    EXPECT_EQ(reopened.GetScript().printers[0]->printerName, "Office");
}

TEST_F(Corvan2ViewTest, FailedBuildShowsItsMessageAndLeavesNothingBehind)
{
    fs::create_directories(output);
    auto view = MakeView(document);
    AddValid(document, "Office");
    document.UpdateAllViews();
    document.SetModifiedFlag(true);
    QSignalSpy recent(view.get(), &CCorvan2View::recentFileAdded);
    QSignalSpy built(view.get(), &CCorvan2View::packageBuilt);
    const auto stagingBefore = test::BuildFolder::StagingFolders();
    const fs::path package = output / "office.exe";

    test::ModalScript dialogs;
    dialogs.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName), [&](QWidget* modal) {
        // The driver folder goes after the check: the build cannot copy it.
        fs::remove_all(build.driverFolder);
        test::ModalScript::ChooseFile(modal, QString::fromStdString(package.string()));
    });
    view->OnCommand(ID_FILE_CREATE_PACKAGE);
    EXPECT_TRUE(dialogs.done());
    EXPECT_EQ(messages.shown, std::vector<int>{6});
    EXPECT_FALSE(fs::exists(package));
    EXPECT_TRUE(fs::is_empty(output));
    EXPECT_EQ(test::BuildFolder::StagingFolders(), stagingBefore);
    EXPECT_TRUE(document.IsModified());
    EXPECT_EQ(recent.count(), 0);
    EXPECT_EQ(built.count(), 0);
}

TEST_F(Corvan2ViewTest, RefusedNameAndFailedSigningAreShownWithTheirDetail)
{
    fs::create_directories(output);
    auto view = MakeView(document);
    AddValid(document, "Office");
    document.UpdateAllViews();
    const fs::path package = output / "office.exe";
    const fs::path key = build.folder().path() / "keys" / "missing.pfx";
    const auto fill = [&](const QString& keyFile) {
        return [&, keyFile](QWidget* modal) {
            auto* fields = modal->findChild<PackageSigningFields*>();
            ASSERT_NE(fields, nullptr);
            fields->findChild<QLineEdit*>(PackageSigningFields::kKeyEditName)->setText(keyFile);
            test::ModalScript::ChooseFile(modal, QString::fromStdString(package.string()));
        };
    };

    // Signing is checked first; the dialog's settings are kept for the next package.
    test::ModalScript signing;
    signing.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName), fill(QString::fromStdString(key.string())));
    view->OnCommand(ID_FILE_CREATE_PACKAGE);
    EXPECT_TRUE(signing.done());
    EXPECT_EQ(messages.shown, std::vector<int>{6});
    ASSERT_EQ(messages.details.size(), 1u);
    EXPECT_EQ(messages.details[0].rfind("The package could not be signed:\n", 0), 0u) << messages.details[0];
    EXPECT_NE(messages.details[0].find(key.string()), std::string::npos) << messages.details[0];
    EXPECT_EQ(PackageSigningFields::Remembered().keyFile, key);
    EXPECT_FALSE(fs::exists(package));

    build.folder().writeFile("drivers/rx/x64/x|y", "x");
    test::ModalScript refused;
    refused.Then(test::ModalScript::Named(ProjectSaveDialog::kObjectName), [&](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>(PackageSigningFields::kKeyEditName);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text().toStdString(), key.string()) << "the last settings come back";
        fill(QString())(modal);
    });
    view->OnCommand(ID_FILE_CREATE_PACKAGE);
    EXPECT_TRUE(refused.done());
    EXPECT_EQ(messages.shown, (std::vector<int>{6, 6}));
    ASSERT_EQ(messages.details.size(), 2u);
    EXPECT_EQ(messages.details[1], "Name: x64/x|y\nIn the folder: " + build.driverFolder.string() +
                                       "\nThe name holds the character \"|\", which Windows file names cannot hold.");
    EXPECT_TRUE(PackageSigningFields::Remembered().keyFile.empty());
    EXPECT_FALSE(fs::exists(package));
}

TEST_F(Corvan2ViewTest, CloseAllClosesEveryProjectWindow)
{
    QMdiArea area;
    area.resize(800, 600);
    auto* first = area.addSubWindow(new CCorvan2View(document));
    auto* second = area.addSubWindow(new CCorvan2View(other));
    first->setAttribute(Qt::WA_DeleteOnClose, false);
    second->setAttribute(Qt::WA_DeleteOnClose, false);
    area.show();
    first->show();
    second->show();
    ASSERT_EQ(CCorvan2View::AllViews().size(), 2u);

    auto* view = static_cast<CCorvan2View*>(first->widget());
    ASSERT_TRUE(view->OnCommand(ID_WINDOW_CLOSE_ALL));
    // A request: the windows close once the command has ended.
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(test::WaitFor([&] { return !first->isVisible() && !second->isVisible(); }));
    EXPECT_TRUE(area.isVisible());
    delete first;
    delete second;
    EXPECT_TRUE(CCorvan2View::AllViews().empty());
}

TEST_F(Corvan2ViewTest, GripDragsTheBottomEdgeOfTheProjectWindow)
{
    QMdiArea area;
    area.resize(900, 900);
    auto* frame = area.addSubWindow(new CCorvan2View(document));
    area.show();
    frame->setGeometry(10, 10, 600, 500);
    frame->show();
    auto* view = static_cast<CCorvan2View*>(frame->widget());
    QWidget* grip = view->Grip();
    const QPoint start = grip->rect().center();
    QTest::mousePress(grip, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(0, 40)), grip->mapToGlobal(QPointF(start + QPoint(0, 40))),
                     Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(grip, &move);
    QTest::mouseRelease(grip, Qt::LeftButton, {}, start + QPoint(0, 40));
    EXPECT_EQ(frame->height(), 540);
    EXPECT_EQ(frame->width(), 600);
}

TEST_F(Corvan2ViewTest, SelectionRefreshesThePage)
{
    auto view = MakeView(document);
    view->show();
    AddValid(document, "Office");
    document.UpdateAllViews();
    auto* name = qobject_cast<QLineEdit*>(FindControl(view->Page(CCorvan2View::kPrinterPage), 1037));
    ASSERT_NE(name, nullptr);
    view->ListCtrl()->SelectItems({});
    EXPECT_TRUE(name->text().isEmpty());
    view->ListCtrl()->SelectItems({0});
    EXPECT_EQ(name->text(), "Office");

    // An edit on the page reaches the list.
    std::vector<CPrinterInfoEx*> selected;
    ASSERT_TRUE(view->SelectedPrinters(selected));
    selected[0]->printerName = "Renamed";
    view->PrintersEdited(selected);
    EXPECT_EQ(view->ListCtrl()->GetItemText(0, 0), "Renamed");
    EXPECT_EQ(view->HostList(), &document);
}

} // namespace
} // namespace pellora::ui
