// The printer information tab over one and several selected printers.

#include "ui/project/Tab_PrinterInfo.h"

#include "TabTestSupport.h"
#include "core/model/ViewMode.h"
#include "core/util/MessageNumbers.h"
#include "ui/project/Tab_PrinterInfoIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>

#include <gtest/gtest.h>

#include <memory>

namespace pellora::test {
namespace {

using namespace ui::printerinfo;

// One section per model, as the model box lists them.
constexpr std::string_view kModels = "[RX-C3400]\r\nVARDO RX-C3400\r\n[VDL-N4000+]\r\nVARDO VDL-N4000+\r\n"
                                     "[VMF-XC5600]\r\nVARDO VMF-XC5600\r\n";

class PrinterInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        first = host.Add("Office", "10.0.0.1");
        second = host.Add("Lab", "10.0.0.2");
        host.Select({first});
        tab = std::make_unique<ui::CTab_PrinterInfo>(host);
        tab->show();
        tab->resize(740, 145);
    }
    void TearDown() override
    {
        SetViewMode(false);
        EXPECT_EQ(watchdog.unexpected(), 0);
    }

    template <class Control>
    Control* control(int id)
    {
        auto* found = qobject_cast<Control*>(ui::FindControl(tab.get(), id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    QLineEdit* name() { return control<QLineEdit>(IDC_PRINTER_NAME); }
    QLineEdit* address() { return control<QLineEdit>(IDC_ADDRESS); }
    QComboBox* model() { return control<QComboBox>(IDC_MODEL); }
    QCheckBox* testPrint() { return control<QCheckBox>(IDC_TEST_PRINT); }
    QRadioButton* radio(int id) { return control<QRadioButton>(id); }
    // A click on the indicator, as the user makes it.
    static void click(QAbstractButton* button)
    {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void select(std::initializer_list<CPrinterInfoEx*> records)
    {
        host.Select(records);
        tab->OnSelectionChanged();
    }

    TabStrings strings{kModels};
    MessageRecorder messages;
    FakeTabHost host{strings.folder().path()};
    CPrinterInfoEx* first = nullptr;
    CPrinterInfoEx* second = nullptr;
    std::unique_ptr<ui::CTab_PrinterInfo> tab;
    ModalWatchdog watchdog;
};

TEST_F(PrinterInfoTest, OnePrinterIsShownAndEditable)
{
    first->modelName = "vdl-n4000+";
    select({first});
    EXPECT_EQ(name()->text(), QStringLiteral("Office"));
    EXPECT_FALSE(name()->isReadOnly());
    EXPECT_TRUE(name()->isEnabled());
    EXPECT_EQ(address()->text(), QStringLiteral("10.0.0.1"));
    EXPECT_FALSE(address()->isReadOnly());
    EXPECT_EQ(model()->currentText(), QStringLiteral("VDL-N4000+")) << "found without regard to case";
    EXPECT_EQ(first->modelIndex, 1);
    EXPECT_TRUE(radio(IDC_CONNECTION_NETWORK)->isChecked());
    EXPECT_TRUE(radio(IDC_INSTMODE_NEW)->isChecked());
    EXPECT_TRUE(radio(IDC_CONNECTION_USB)->isEnabled());
}

TEST_F(PrinterInfoTest, SeveralPrintersShowCommonValuesReadOnly)
{
    select({first, second});
    EXPECT_EQ(name()->text(), QString());
    EXPECT_TRUE(name()->isReadOnly());
    EXPECT_EQ(address()->text(), QString());
    EXPECT_TRUE(address()->isReadOnly());
    EXPECT_FALSE(radio(IDC_CONNECTION_NETWORK)->isEnabled());
    EXPECT_FALSE(radio(IDC_INSTMODE_UPDATE)->isEnabled());
    EXPECT_FALSE(control<QLabel>(IDC_CONNECTION_LABEL)->isEnabled());
    EXPECT_TRUE(model()->isEnabled());

    second->printerName = "Office";
    second->instModeOff = 1;
    select({first, second});
    EXPECT_EQ(name()->text(), QStringLiteral("Office"));
    EXPECT_TRUE(name()->isReadOnly());
    EXPECT_FALSE(radio(IDC_INSTMODE_NEW)->isChecked()) << "differing install modes check neither button";
    EXPECT_FALSE(radio(IDC_INSTMODE_UPDATE)->isChecked());

    // The read-only fields look so: the background of the page, not of text input; one printer again
    // makes them editable and look editable.
    const QPalette standard = QApplication::palette(name());
    EXPECT_EQ(name()->palette().color(QPalette::Base), standard.color(QPalette::Window));
    EXPECT_EQ(address()->palette().color(QPalette::Base), standard.color(QPalette::Window));
    select({first});
    EXPECT_FALSE(name()->isReadOnly());
    EXPECT_EQ(name()->palette().color(QPalette::Base), standard.color(QPalette::Base));
    EXPECT_NE(standard.color(QPalette::Base), standard.color(QPalette::Window));
}

TEST_F(PrinterInfoTest, PlaceholderAddressesShowEmpty)
{
    first->address = kPlaceholderAddressNone;
    select({first});
    EXPECT_EQ(address()->text(), QString());
    first->address = kPlaceholderAddressManual;
    select({first});
    EXPECT_EQ(address()->text(), QString());
}

// A forbidden character is dropped where it was typed, with one hint beside the name per burst of
// typing and no message box that would take the following keys; a full name (in characters or in bytes)
// refuses the next character with a hint of its own.
TEST_F(PrinterInfoTest, RefusedCharactersGiveOneHintBesideTheNamePerBurst)
{
    std::vector<QString> hints;
    tab->SetHintPresenter([&](QLineEdit* field, const QString& text) {
        EXPECT_EQ(field, name());
        hints.push_back(text);
    });
    select({first});
    name()->clear();
    name()->insert(QStringLiteral("A!B,C\\D"));

    EXPECT_EQ(first->printerName, "ABCD");
    EXPECT_EQ(name()->text(), QStringLiteral("ABCD"));
    EXPECT_EQ(hints, std::vector<QString>{"A printer name cannot contain !, a comma or \\."});
    EXPECT_TRUE(host.doc.IsModified());
    EXPECT_EQ(host.otherViewUpdates, 1);
    ASSERT_EQ(host.edited.size(), 1u);
    EXPECT_EQ(host.edited.front(), std::vector<CPrinterInfoEx*>{first});

    // Within the same burst: no second hint, and the next key lands where the refused one was typed.
    name()->setCursorPosition(2);
    QTest::keyClicks(name(), "!x");
    EXPECT_EQ(first->printerName, "ABxCD");
    EXPECT_EQ(hints.size(), 1u);

    // After a pause the next refusal is told again.
    QTest::qWait(ui::CTab::kHintBurstMilliseconds + 100);
    QTest::keyClicks(name(), ",");
    EXPECT_EQ(first->printerName, "ABxCD");
    ASSERT_EQ(hints.size(), 2u);

    QTest::qWait(ui::CTab::kHintBurstMilliseconds + 100);
    name()->selectAll();
    name()->insert(QString(31, QLatin1Char('N')));
    name()->end(false);
    QTest::keyClicks(name(), "O");
    EXPECT_EQ(first->printerName, std::string(31, 'N'));
    ASSERT_EQ(hints.size(), 3u);
    EXPECT_EQ(hints.back(), "The printer name cannot be longer.");

    // Characters of two bytes reach the byte limit at 15 characters: the 16th is refused with the same
    // hint, not cut later with a message box.
    QTest::qWait(ui::CTab::kHintBurstMilliseconds + 100);
    name()->clear();
    for (int i = 0; i < 16; ++i)
        QTest::sendKeyEvent(QTest::Click, name(), Qt::Key_Udiaeresis, QString(QChar(0x00FC)), Qt::NoModifier);
    EXPECT_EQ(name()->text(), QString(15, QChar(0x00FC)));
    EXPECT_EQ(first->printerName, QString(15, QChar(0x00FC)).toStdString());
    ASSERT_EQ(hints.size(), 4u);
    EXPECT_EQ(hints.back(), "The printer name cannot be longer.");

    // An input method's commit takes what fits, in whole characters.
    QTest::qWait(ui::CTab::kHintBurstMilliseconds + 100);
    name()->setText(QString(14, QLatin1Char('N')));
    QInputMethodEvent commit;
    commit.setCommitString(QString(10, QChar(0x30D7)));
    QCoreApplication::sendEvent(name(), &commit);
    EXPECT_EQ(name()->text(), QString(14, QLatin1Char('N')) + QString(5, QChar(0x30D7)));
    ASSERT_EQ(hints.size(), 5u);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(PrinterInfoTest, LongNameIsCutToWholeCharactersAfterTheLengthMessage)
{
    select({first});
    QString message;
    ModalDriver driver([&message](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        message = box->text();
        box->accept();
    });
    // Eleven characters of three bytes each: 33 bytes.
    name()->clear();
    name()->insert(QString::fromUtf8("\xE3\x83\x97\xE3\x83\x97\xE3\x83\x97\xE3\x83\x97\xE3\x83\x97\xE3\x83\x97"
                                     "\xE3\x83\x97\xE3\x83\x97\xE3\x83\x97\xE3\x83\x97\xE3\x83\x97"));
    EXPECT_TRUE(driver.fired());
    EXPECT_EQ(message, QStringLiteral("Please enter no more than 31 characters."));
    EXPECT_EQ(first->printerName.size(), 30u);
    EXPECT_EQ(name()->text().size(), 10);
}

TEST_F(PrinterInfoTest, AddressEditKeepsTheDerivedNetworkAddress)
{
    first->subnetMask = "255.255.255.0";
    select({first});
    address()->clear();
    address()->insert(QStringLiteral("192.168.5.77"));
    EXPECT_EQ(first->address, "192.168.5.77");
    EXPECT_EQ(first->networkAddress, "192.168.5.0");
    EXPECT_EQ(second->address, "10.0.0.2");
}

TEST_F(PrinterInfoTest, MixedTestPrintIsThreeStateUntilClicked)
{
    first->testPrint = 1;
    select({first, second});
    EXPECT_TRUE(testPrint()->isTristate());
    EXPECT_EQ(testPrint()->checkState(), Qt::PartiallyChecked);
    EXPECT_TRUE(testPrint()->isEnabled());

    click(testPrint());
    EXPECT_EQ(first->testPrint, second->testPrint);
    EXPECT_NE(first->testPrint, 2);
    EXPECT_FALSE(testPrint()->isTristate());
    EXPECT_TRUE(host.doc.IsModified());
}

TEST_F(PrinterInfoTest, ModelBoxFollowsTheCommonModelName)
{
    first->modelName = "VMF-XC5600";
    second->modelName = "RX-C3400";
    first->modelIndex = -1;
    select({first, second});
    EXPECT_EQ(model()->currentIndex(), -1);
    EXPECT_EQ(first->modelIndex, -1) << "differing names leave the records alone";

    model()->setCurrentIndex(1);
    emit model()->activated(1);
    EXPECT_EQ(first->modelName, "VDL-N4000+");
    EXPECT_EQ(second->modelName, "VDL-N4000+");
    EXPECT_EQ(first->modelIndex, 1);
    EXPECT_EQ(second->modelIndex, 1);
    EXPECT_EQ(host.edited.size(), 1u);

    second->modelName = "VMF-XC5600";
    select({second});
    EXPECT_EQ(model()->currentIndex(), 2);
    EXPECT_EQ(second->modelIndex, 2);
}

TEST_F(PrinterInfoTest, ConnectionAndInstallModeRules)
{
    select({first});
    click(radio(IDC_CONNECTION_USB));
    EXPECT_EQ(first->connection, 1);
    EXPECT_FALSE(name()->isEnabled()) << "USB: the name needs the update mode";
    EXPECT_FALSE(address()->isEnabled());
    EXPECT_FALSE(testPrint()->isEnabled());

    click(radio(IDC_INSTMODE_UPDATE));
    EXPECT_EQ(first->instModeOff, 1);
    EXPECT_TRUE(name()->isEnabled());
    EXPECT_TRUE(control<QLabel>(IDC_PRINTER_NAME_LABEL)->isEnabled());
    EXPECT_FALSE(address()->isEnabled());

    click(radio(IDC_CONNECTION_NETWORK));
    EXPECT_EQ(first->connection, 0);
    EXPECT_TRUE(address()->isEnabled());
    EXPECT_TRUE(testPrint()->isEnabled());

    first->macAddress = "0011223344AA";
    select({first});
    EXPECT_FALSE(address()->isEnabled()) << "a found printer keeps its address";
    EXPECT_FALSE(model()->isEnabled());
    EXPECT_TRUE(name()->isEnabled());

    first->macAddress.clear();
    first->connection = 1;
    select({first, second});
    EXPECT_FALSE(name()->isEnabled()) << "differing connections";
    EXPECT_FALSE(address()->isEnabled());
    EXPECT_TRUE(testPrint()->isEnabled());

    second->sharedPrinter = 1;
    select({second});
    EXPECT_FALSE(model()->isEnabled()) << "a shared printer's model comes from its server";
    select({});
    EXPECT_FALSE(model()->isEnabled());
    EXPECT_FALSE(testPrint()->isEnabled());
}

TEST_F(PrinterInfoTest, ViewModeDisablesEverythingAndRefusesEdits)
{
    SetViewMode(true);
    select({first});
    for (QWidget* child : tab->findChildren<QWidget*>()) {
        if (ui::ControlId(child) > 0) {
            EXPECT_FALSE(child->isEnabled()) << ui::ControlId(child);
        }
    }
    // Even a control that takes input is refused by the protocol.
    name()->insert(QStringLiteral("X"));
    radio(IDC_CONNECTION_USB)->setEnabled(true);
    radio(IDC_CONNECTION_USB)->click();
    EXPECT_EQ(first->printerName, "Office");
    EXPECT_EQ(first->connection, 0);
    EXPECT_FALSE(host.doc.IsModified());
}

TEST_F(PrinterInfoTest, LayoutAtTwoSizes)
{
    tab->resize(600, 150);
    EXPECT_EQ(control<QWidget>(IDC_CONNECTION_LABEL)->geometry(), QRect(12, 12, 198, 22));
    EXPECT_EQ(radio(IDC_CONNECTION_NETWORK)->geometry(), QRect(210, 12, 120, 22));
    EXPECT_EQ(radio(IDC_CONNECTION_USB)->geometry(), QRect(338, 12, 250, 22));
    EXPECT_EQ(name()->geometry(), QRect(210, 38, 198, 22));
    EXPECT_EQ(address()->geometry(), QRect(210, 64, 198, 22));
    EXPECT_EQ(model()->geometry(), QRect(210, 90, 198, 22));
    EXPECT_EQ(testPrint()->geometry(), QRect(420, 38, 168, 22));
    EXPECT_EQ(control<QWidget>(IDC_INSTMODE_LABEL)->geometry(), QRect(12, 116, 198, 22));
    EXPECT_EQ(radio(IDC_INSTMODE_UPDATE)->geometry(), QRect(338, 116, 250, 22));

    tab->resize(900, 150);
    EXPECT_EQ(name()->geometry(), QRect(315, 38, 303, 22));
    EXPECT_EQ(radio(IDC_CONNECTION_USB)->geometry(), QRect(443, 12, 445, 22));
    EXPECT_EQ(testPrint()->geometry(), QRect(630, 38, 258, 22));

    // However wide the page, the test-print box keeps its distance from the name field and stays on it.
    for (const int width : {480, 1199, 1200, 1201, 1600, 2560}) {
        tab->resize(width, 150);
        EXPECT_GE(testPrint()->geometry().left() - name()->geometry().right(), 12) << width;
        EXPECT_LE(testPrint()->geometry().right(), width - 12) << width;
    }
}

// A text the page has no room for is cut with an ellipsis and the tooltip holds all of it; with room
// again, the whole text and the control's own tooltip come back.
TEST_F(PrinterInfoTest, TextsWithoutRoomAreElidedWithTheWholeTextInTheTooltip)
{
    const QString whole = testPrint()->text();
    const QString ownTip = testPrint()->toolTip();
    ASSERT_EQ(whole, "Print a test page");
    ASSERT_FALSE(ownTip.isEmpty());

    tab->resize(330, 150);
    EXPECT_NE(testPrint()->text(), whole);
    EXPECT_TRUE(testPrint()->text().endsWith(QChar(0x2026)));
    EXPECT_LE(testPrint()->sizeHint().width(), testPrint()->width());
    EXPECT_EQ(testPrint()->toolTip(), whole + "\n" + ownTip);

    tab->resize(740, 150);
    EXPECT_EQ(testPrint()->text(), whole);
    EXPECT_EQ(testPrint()->toolTip(), ownTip);
}

TEST_F(PrinterInfoTest, FocusOnTheModelGoesToTheModelBox)
{
    EXPECT_TRUE(tab->FocusControl(IDC_MODEL_NAME_EDIT));
    EXPECT_TRUE(tab->FocusControl(IDC_PRINTER_NAME));
    EXPECT_FALSE(tab->FocusControl(IDC_SHARE_NAME));
}

TEST(PrinterInfoModels, MissingModelListLeavesTheBoxEmptyButEditsStillCount)
{
    TabStrings strings;
    strings.folder().removeModelList();
    FakeTabHost host{strings.folder().path()};
    CPrinterInfoEx* printer = host.Add("Office");
    host.Select({printer});
    ui::CTab_PrinterInfo tab(host);
    tab.show();
    auto* model = qobject_cast<QComboBox*>(ui::FindControl(&tab, IDC_MODEL));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->count(), 0);

    auto* name = qobject_cast<QLineEdit*>(ui::FindControl(&tab, IDC_PRINTER_NAME));
    ASSERT_NE(name, nullptr);
    QTest::keyClicks(name, "2");
    EXPECT_EQ(printer->printerName, "Office2");
    EXPECT_TRUE(host.doc.IsModified());
}

} // namespace
} // namespace pellora::test
