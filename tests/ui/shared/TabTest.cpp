// The property tab base: common values of a selection, the editing protocol, length limits,
// shortcuts, focus, and the texts of all three tabs in every delivered language.

#include "ui/shared/Tab.h"

#include "TabTestSupport.h"
#include "core/model/ViewMode.h"
#include "ui/project/Tab_DriverInfo.h"
#include "ui/project/Tab_PrinterInfo.h"
#include "ui/project/Tab_PrinterInfoIds.h"
#include "ui/project/Tab_ScriptInfo.h"
#include "ui/shared/CommandIds.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/ProgramFont.h"
#include "core/platform/UserSettings.h"
#include "core/util/Support.h"
#include "ui/frame/ChildFrame.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/frame/MainFrame.h"
#include "ui/project/Corvan2View.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <sstream>

namespace pellora::test {
namespace {

using ui::CTab;

// A tab with one name field of 8 bytes, to drive the protocol of the base.
class ProbeTab : public CTab {
public:
    static constexpr int kDialogId = 900;
    static constexpr int kNameId = 901;

    explicit ProbeTab(ui::TabHost& host, QWidget* parent = nullptr)
        : CTab(host, kDialogId, "IDD_TAB_PRINTERINFO", parent)
    {
        name = AddControl<QLineEdit>(kNameId);
        SetTextLimit(name, 8);
        LayoutRules().SetRule(kNameId, 10, 10, "50%-20", 22);
        QObject::connect(name, &QLineEdit::textEdited, this, [this] { onEdited(); });
        Initialise();
        SetMarksModified(true);
    }

    using CTab::SetMarksModified;

    QLineEdit* name = nullptr;
    std::string value;
    bool lastReadFits = true;
    int refused = 0;
    bool nestedRefused = false;

protected:
    bool ReadControls() override
    {
        lastReadFits = ReadText(name, value);
        return lastReadFits;
    }
    void WriteControls() override { ShowText(name, value); }
    void UpdateControls() override
    {
        Selection selection;
        CurrentSelection(selection);
        value = CommonText(selection, [](const CPrinterInfoEx& r) { return r.printerName; });
        WriteControls();
        name->setEnabled(!selection.empty());
    }

private:
    void onEdited()
    {
        if (!BeginEdit()) {
            ++refused;
            return;
        }
        nestedRefused = !BeginEdit();
        const std::string text = value;
        ApplyToSelection([&text](CPrinterInfoEx& record) { record.printerName = text; });
        WriteControls();
        EndEdit();
    }
};

void Fill(CPrinterInfoEx& record, const std::string& name, int testPrint, int connection)
{
    record.printerName = name;
    record.testPrint = testPrint;
    record.connection = connection;
}

std::string NameOf(const CPrinterInfoEx& r)
{
    return r.printerName;
}
int TestPrintOf(const CPrinterInfoEx& r)
{
    return r.testPrint;
}
int ConnectionOf(const CPrinterInfoEx& r)
{
    return r.connection;
}

TEST(TabCommonValues, AgreeingDifferingAndEmptySelections)
{
    CPrinterInfoEx a, b, c;
    Fill(a, "P1", 1, 1);
    Fill(b, "P1", 1, 1);
    Fill(c, "P2", 0, 0);
    const CTab::Selection none;
    const CTab::Selection same{&a, &b};
    const CTab::Selection mixed{&a, &b, &c};

    EXPECT_EQ(CTab::CommonText(none, NameOf), "");
    EXPECT_EQ(CTab::CommonText(same, NameOf), "P1");
    EXPECT_EQ(CTab::CommonText(mixed, NameOf), "");

    EXPECT_EQ(CTab::CommonCheckState(none, TestPrintOf), 0);
    EXPECT_EQ(CTab::CommonCheckState(same, TestPrintOf), 1);
    EXPECT_EQ(CTab::CommonCheckState(mixed, TestPrintOf), 2);

    EXPECT_EQ(CTab::CommonInteger(none, ConnectionOf), -1);
    EXPECT_EQ(CTab::CommonInteger(same, ConnectionOf), 1);
    EXPECT_EQ(CTab::CommonInteger(mixed, ConnectionOf), -1);

    EXPECT_FALSE(CTab::IsEditable(0, true));
    EXPECT_TRUE(CTab::IsEditable(1, false));
    EXPECT_FALSE(CTab::IsEditable(2, false));
    EXPECT_TRUE(CTab::IsEditable(2, true));
}

class TabProtocolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        first = host.Add("First");
        second = host.Add("Second");
        host.Select({first, second});
        tab = std::make_unique<ProbeTab>(host);
        tab->show();
        tab->OnSelectionChanged();
    }
    void TearDown() override
    {
        SetViewMode(false);
        EXPECT_EQ(watchdog.unexpected(), 0);
    }

    TabStrings strings;
    FakeTabHost host{strings.folder().path()};
    CPrinterInfoEx* first = nullptr;
    CPrinterInfoEx* second = nullptr;
    std::unique_ptr<ProbeTab> tab;
    ModalWatchdog watchdog;
};

TEST_F(TabProtocolTest, EditReachesEverySelectedRecordAndTellsTheOtherViews)
{
    tab->name->clear();
    QTest::keyClicks(tab->name, "Q");

    EXPECT_EQ(first->printerName, "Q");
    EXPECT_EQ(second->printerName, "Q");
    EXPECT_TRUE(host.doc.IsModified());
    EXPECT_EQ(host.otherViewUpdates, 1);
    EXPECT_EQ(host.ownUpdates, 0);
    ASSERT_EQ(host.edited.size(), 1u);
    EXPECT_EQ(host.edited.front(), (std::vector<CPrinterInfoEx*>{first, second}));
    EXPECT_TRUE(tab->nestedRefused) << "a second edit may not begin while one is running";
    EXPECT_FALSE(tab->IsUpdating());
}

TEST_F(TabProtocolTest, WithoutMarksModifiedTheDocumentStaysUnmodified)
{
    tab->SetMarksModified(false);
    QTest::keyClicks(tab->name, "x");
    EXPECT_EQ(first->printerName, "x");
    EXPECT_FALSE(host.doc.IsModified());
    EXPECT_EQ(host.otherViewUpdates, 1);
}

TEST_F(TabProtocolTest, EditsAreRefusedInViewModeWithoutSelectionOrDocument)
{
    host.Select({first});
    tab->OnSelectionChanged();

    const auto type = [this](const char* text) {
        tab->name->clear();
        tab->name->insert(QString::fromLatin1(text));
    };
    SetViewMode(true);
    type("1");
    SetViewMode(false);
    host.canDeliver = false;
    type("2");
    host.canDeliver = true;
    host.selection.clear();
    type("3");
    host.Select({first});
    host.hasDocument = false;
    type("4");

    EXPECT_EQ(tab->refused, 4);
    EXPECT_EQ(first->printerName, "First");
    EXPECT_FALSE(host.doc.IsModified());
    EXPECT_EQ(host.otherViewUpdates, 0);
    EXPECT_TRUE(host.edited.empty());
}

TEST_F(TabProtocolTest, TooLongTextIsCutAfterTheLengthMessage)
{
    host.Select({first});
    tab->OnSelectionChanged();
    QString message;
    ModalDriver driver([&message](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        message = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->accept();
    });
    // Nine bytes in five characters: the field's character limit lets them in, the byte limit does not.
    tab->name->setText(QString());
    tab->name->insert(QString::fromUtf8("a\xC3\xA4\xC3\xA4\xC3\xA4\xC3\xA4"));

    EXPECT_TRUE(driver.fired());
    EXPECT_EQ(message, QStringLiteral("Please enter no more than 8 characters."));
    EXPECT_FALSE(tab->lastReadFits);
    // Cut before the last whole character, never inside one.
    EXPECT_EQ(first->printerName, "a\xC3\xA4\xC3\xA4\xC3\xA4");
    EXPECT_EQ(tab->name->text().toStdString(), "a\xC3\xA4\xC3\xA4\xC3\xA4");
}

TEST_F(TabProtocolTest, FieldLimitKeepsPlainTextWithinTheLimit)
{
    host.Select({first});
    tab->OnSelectionChanged();
    tab->name->clear();
    QTest::keyClicks(tab->name, "ABCDEFGHIJ");
    EXPECT_EQ(first->printerName, "ABCDEFGH");
    EXPECT_TRUE(tab->lastReadFits);
}

TEST_F(TabProtocolTest, LengthMessageComesFromTheTableOfTheLanguage)
{
    EXPECT_EQ(tab->LengthMessage(255), QStringLiteral("Please enter no more than 255 characters."));
    ASSERT_TRUE(strings.Load(0x0407));
    EXPECT_EQ(tab->LengthMessage(31), QStringLiteral("Bitte geben Sie nicht mehr als 31 Zeichen ein."));
    ASSERT_TRUE(strings.Load(0x0411));
    EXPECT_TRUE(tab->LengthMessage(31).startsWith(QStringLiteral("31 ")));
}

TEST_F(TabProtocolTest, CtrlKeysSendTheFrameCommandsInsteadOfWindowShortcuts)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    tab->setParent(&window);
    layout->addWidget(tab.get());
    QAction save(&window);
    save.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    window.addAction(&save);
    int windowSaves = 0;
    QObject::connect(&save, &QAction::triggered, [&windowSaves] { ++windowSaves; });
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    tab->name->setFocus();

    // Without a receiver the keys stay with the window.
    QTest::keyClick(tab->name, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(windowSaves, 1);

    std::vector<int> commands;
    tab->SetCommandHandler([&commands](int command) { commands.push_back(command); });
    QTest::keyClick(tab->name, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(tab->name, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(tab->name, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(tab->name, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(commands, (std::vector<int>{ui::ID_FILE_SAVE, ui::ID_FILE_NEW, ui::ID_FILE_OPEN}));
    EXPECT_EQ(windowSaves, 1);
    EXPECT_EQ(first->printerName, "First") << "the keys are consumed, not typed";
    tab->setParent(nullptr);
}

TEST_F(TabProtocolTest, LayoutFollowsTheSize)
{
    tab->resize(400, 100);
    EXPECT_EQ(tab->name->geometry(), QRect(10, 10, 180, 22));
    tab->resize(700, 100);
    EXPECT_EQ(tab->name->geometry(), QRect(10, 10, 330, 22));
}

TEST_F(TabProtocolTest, FocusGoesOnlyToVisibleControls)
{
    QWidget window;
    tab->setParent(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(tab->FocusControl(ProbeTab::kNameId));
    EXPECT_TRUE(tab->name->hasFocus());
    EXPECT_FALSE(tab->FocusControl(4711));
    tab->name->hide();
    EXPECT_FALSE(tab->FocusControl(ProbeTab::kNameId));
    tab->setParent(nullptr);
}

// The texts of the three tabs.

std::set<int> TextNumbers(const std::string& fragment)
{
    std::set<int> numbers;
    bool inTable = false;
    std::istringstream lines(fragment);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.front() == '[') {
            inTable = line.rfind("[String Table]", 0) == 0;
            continue;
        }
        const auto equals = line.find('=');
        if (inTable && equals != std::string::npos)
            numbers.insert(std::stoi(line.substr(0, equals)));
    }
    return numbers;
}

TEST(TabTexts, FragmentsUseTheirOwnRangeAndHoldTheSameTexts)
{
    const std::set<int> english = TextNumbers(TabFragment("0000"));
    ASSERT_FALSE(english.empty());
    EXPECT_GE(*english.begin(), 30000);
    EXPECT_LE(*english.rbegin(), 39999);
    for (const LanguageInfo& language : kLanguages)
        EXPECT_EQ(TextNumbers(TabFragment(LanguageCode(language.id))), english) << LanguageCode(language.id);
}

class TabTextsTest : public ::testing::TestWithParam<std::uint16_t> {
protected:
    TabStrings strings;
    FakeTabHost host{strings.folder().path()};
};

// Every label, button and check box has its text, every control with a tooltip entry its tooltip, and
// the length message is there, in every language delivered.
TEST_P(TabTextsTest, EveryControlHasItsText)
{
    ASSERT_TRUE(strings.Load(GetParam()));
    ui::CTab_PrinterInfo printerInfo(host);
    ui::CTab_DriverInfo driverInfo(host);
    ui::CTab_ScriptInfo scriptInfo(host);
    for (CTab* tab : std::initializer_list<CTab*>{&printerInfo, &driverInfo, &scriptInfo}) {
        SCOPED_TRACE(tab->Section());
        EXPECT_TRUE(tab->LengthMessage(31).contains(QStringLiteral("31")));
        for (QWidget* control : tab->findChildren<QWidget*>()) {
            const int id = ui::ControlId(control);
            if (id <= 0)
                continue;
            SCOPED_TRACE(id);
            if (auto* label = qobject_cast<QLabel*>(control)) {
                EXPECT_FALSE(label->text().isEmpty());
            }
            if (auto* button = qobject_cast<QAbstractButton*>(control)) {
                EXPECT_FALSE(button->text().isEmpty());
                EXPECT_FALSE(button->toolTip().isEmpty());
            }
            if (qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control)) {
                EXPECT_FALSE(control->toolTip().isEmpty());
            }
        }
    }
}

// The pages as the program shows them: in the project window of a main window of the default size,
// with the docking bar docked beside it, in the program's font and with the tables delivered beside it.
class DeliveredPageTextsTest : public ::testing::TestWithParam<std::uint16_t> {
protected:
    void SetUp() override
    {
        m_desktopFont = QApplication::font();
        QApplication::setFont(ui::ProgramFont(m_desktopFont));
    }
    void TearDown() override
    {
        QApplication::setFont(m_desktopFont);
        TheStringTable().Load(PELLORA_BIN_DIR, 0, kStringTableGroup);
    }

private:
    QFont m_desktopFont;
};

// Every label, check box and radio button shows its whole text from the table, within the page and
// beside (never under) its neighbours.
TEST_P(DeliveredPageTextsTest, TextsFitTheirControlsAtTheDefaultWindowSize)
{
    ASSERT_FALSE(QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        << "no Japanese font to measure with (Debian package fonts-ipafont-gothic)";
    ASSERT_TRUE(TheStringTable().Load(PELLORA_BIN_DIR, GetParam(), kStringTableGroup));
    const ScopedTempFolder config;
    ui::CMainFrame frame(BuildEnvironment::ForProgramFolder(PELLORA_BIN_DIR), UserSettings(config.path() / "Pellora.ini"));
    ASSERT_TRUE(frame.Create(GetParam()));
    ASSERT_TRUE(frame.NewDocument());
    const QSize size = ui::CMainFrame::DefaultFrameSize(QRect(0, 0, 1920, 1080));
    frame.resize(size);
    ASSERT_TRUE(frame.DockingBar()->IsDocked());
    frame.show();
    ui::CChildFrame* child = frame.ActiveChild();
    ASSERT_NE(child, nullptr);
    child->PlaceDefault({});
    QApplication::processEvents();

    ui::CCorvan2View* view = child->View();
    for (int page = 0; page < ui::CCorvan2View::kPageCount; ++page) {
        view->Tabs()->setCurrentIndex(page);
        QApplication::processEvents();
        CTab* tab = view->Page(page);
        SCOPED_TRACE(tab->Section());
        std::vector<QWidget*> shown;
        for (QWidget* control : tab->findChildren<QWidget*>()) {
            if (ui::ControlId(control) > 0 && !control->isHidden())
                shown.push_back(control);
        }
        for (QWidget* control : shown) {
            const int id = ui::ControlId(control);
            SCOPED_TRACE(id);
            // What the page shows of the control.
            const QRect visible = control->geometry().intersected(tab->rect());
            EXPECT_EQ(visible.height(), control->height()) << "cut off at the bottom";
            for (QWidget* other : shown) {
                if (other != control && id < ui::ControlId(other)) {
                    EXPECT_FALSE(control->geometry().intersects(other->geometry())) << "under " << ui::ControlId(other);
                }
            }
            const QString full = ui::ItemText(tab->Section(), id);
            if (auto* label = qobject_cast<QLabel*>(control)) {
                EXPECT_EQ(label->text(), full);
                EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), visible.width()) << full.toStdString();
            } else if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control)) {
                EXPECT_EQ(static_cast<QAbstractButton*>(control)->text(), full);
                EXPECT_LE(control->sizeHint().width(), visible.width()) << full.toStdString();
            }
        }
    }
}

// The Tab key walks each page row by row, from left to right within a row.
TEST_P(DeliveredPageTextsTest, TheTabKeyFollowsTheRowsOfEveryPage)
{
    ASSERT_TRUE(TheStringTable().Load(PELLORA_BIN_DIR, GetParam(), kStringTableGroup));
    const ScopedTempFolder config;
    ui::CMainFrame frame(BuildEnvironment::ForProgramFolder(PELLORA_BIN_DIR), UserSettings(config.path() / "Pellora.ini"));
    ASSERT_TRUE(frame.Create(GetParam()));
    ASSERT_TRUE(frame.NewDocument());
    frame.show();
    ui::CCorvan2View* view = frame.ActiveChild()->View();
    // One printer makes every control of the printer page take input.
    view->OnCommand(ui::ID_PRINTER_ADD);
    QApplication::processEvents();
    for (int page = 0; page < ui::CCorvan2View::kPageCount; ++page) {
        view->Tabs()->setCurrentIndex(page);
        QApplication::processEvents();
        CTab* tab = view->Page(page);
        SCOPED_TRACE(tab->Section());
        std::vector<QWidget*> order;
        for (QWidget* widget = tab->nextInFocusChain(); widget != tab; widget = widget->nextInFocusChain()) {
            if (tab->isAncestorOf(widget) && widget->isVisibleTo(tab) && (widget->focusPolicy() & Qt::TabFocus))
                order.push_back(widget);
        }
        ASSERT_GE(order.size(), 2u);
        for (std::size_t i = 1; i < order.size(); ++i) {
            const QRect before = order[i - 1]->geometry();
            const QRect after = order[i]->geometry();
            const bool rowBelow = after.top() >= before.center().y() && after.center().y() > before.bottom();
            const bool sameRowRight = after.center().y() >= before.top() && after.center().y() <= before.bottom()
                && after.left() > before.left();
            EXPECT_TRUE(rowBelow || sameRowRight)
                << ui::ControlId(order[i - 1]) << " comes before " << ui::ControlId(order[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, DeliveredPageTextsTest,
                         ::testing::Values(0x0000, 0x0407, 0x040A, 0x040C, 0x0410, 0x0411, 0x0413, 0x0416));

TEST_P(TabTextsTest, RetextFollowsALanguageSwitch)
{
    ui::CTab_PrinterInfo tab(host);
    auto* nameLabel = qobject_cast<QLabel*>(ui::FindControl(&tab, ui::printerinfo::IDC_PRINTER_NAME_LABEL));
    ASSERT_NE(nameLabel, nullptr);
    const QString english = nameLabel->text();
    ASSERT_TRUE(strings.Load(GetParam()));
    tab.Retext();
    EXPECT_EQ(nameLabel->text(), ui::ItemText("IDD_TAB_PRINTERINFO", ui::printerinfo::IDC_PRINTER_NAME_LABEL));
    if (GetParam() != 0) {
        EXPECT_NE(nameLabel->text(), english);
    }
    // The model list survives the re-texting.
    auto* model = qobject_cast<QComboBox*>(ui::FindControl(&tab, ui::printerinfo::IDC_MODEL));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->count(), 3);
}

INSTANTIATE_TEST_SUITE_P(Languages, TabTextsTest,
                         ::testing::Values(0x0000, 0x0407, 0x040A, 0x040C, 0x0410, 0x0411, 0x0413, 0x0416));

} // namespace
} // namespace pellora::test
