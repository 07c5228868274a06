#include "ui/options/UtilityDlg.h"

#include "OptionDialogTestSupport.h"
#include "WaitFor.h"
#include "core/model/ViewMode.h"
#include "ui/options/UtilityDlgIds.h"

#include <QListWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>

namespace pellora::ui {
namespace {

using namespace utility;

// The option dialogs' tables and the application-list plugin in one program folder, with four utilities:
// a driver (a component, never listed), one for every model, one for two models and one for another model.
class UtilityDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const test::TestProgramFolder& folder = m_strings.folder();
        std::filesystem::copy_file(PELLORA_TSAPPINST_PATH, folder.file("TsAppInst.so"));
        folder.writeFile("Utilities/Driver/Utility.ini", "[Utility]\nName=Printer Driver\nSetup=setup.exe\nKind=1\n");
        folder.writeFile("Utilities/Manager/Utility.ini",
                         "[Utility]\nName=Print Manager\nSetup=setup.exe\nVersion=1.0\nOS=0x4000\nPlatform=1\n");
        folder.writeFile("Utilities/Other/Utility.ini",
                         "[Utility]\nName=Scan Tool\nSetup=setup.exe\nModels=VDL-X9\n");
        folder.writeFile("Utilities/StatusViewer/Utility.ini",
                         "[Utility]\nName=Status Viewer\nSetup=bin/setup.exe\nVersion=2.1.0\nOS=0x9300\nPlatform=3\n"
                         "Models=VARDO RX-C3400;VDL-N2200\n");
    }

    std::string setupOf(const std::string& folder, const std::string& file = "setup.exe") const
    {
        return (m_strings.folder().path() / "Utilities" / folder / file).string();
    }

    static QStringList column(const QTreeWidget& list, int column)
    {
        QStringList texts;
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            texts << list.topLevelItem(i)->text(column);
        return texts;
    }

    static QStringList entries(const QListWidget& list)
    {
        QStringList texts;
        for (int i = 0; i < list.count(); ++i)
            texts << list.item(i)->text();
        return texts;
    }

    test::OptionStrings m_strings;
};

TEST_F(UtilityDlgTest, TheListShowsTheModelsUtilitiesWithSystemsAndModelsAsTags)
{
    CUtilityDlg dialog(m_strings.folder().path());
    dialog.SetModelFilter({"RX-C3400"});
    dialog.Initialise();
    const QTreeWidget& list = *dialog.ApplicationList();
    EXPECT_EQ(list.headerItem()->text(kSystemsColumn), "Operating systems");
    EXPECT_EQ(column(list, kNameColumn), QStringList({"Print Manager", "Status Viewer"}));
    EXPECT_EQ(column(list, kVersionColumn), QStringList({"1.0", "2.1.0"}));
    EXPECT_EQ(column(list, kSystemsColumn),
              QStringList({"Windows7", "2000,XP,XP(x64),VISTA,VISTA(x64),2008R2,2008R2(x64)"}));
    EXPECT_EQ(column(list, kIdentifierColumn),
              QStringList({QString::fromStdString(setupOf("Manager")), QString::fromStdString(setupOf("StatusViewer", "bin/setup.exe"))}));
    EXPECT_EQ(column(list, kModelsColumn), QStringList({"", "RX-C3400,VDL-N2200"}));

    // Without a filter every utility but the driver is listed; without the plugin none.
    dialog.SetModelFilter({});
    dialog.Initialise();
    EXPECT_EQ(column(list, kNameColumn), QStringList({"Print Manager", "Scan Tool", "Status Viewer"}));
    const test::TestProgramFolder withoutPlugin;
    CUtilityDlg empty(withoutPlugin.path());
    empty.Initialise();
    EXPECT_EQ(empty.ApplicationList()->topLevelItemCount(), 0);
}

TEST_F(UtilityDlgTest, AddingSkipsChosenOnesInAnyCaseAndRemovingRecordsOnlyEarlierChoices)
{
    CUtilityDlg dialog(m_strings.folder().path());
    QString chosenBefore = QString::fromStdString(setupOf("Manager")).toUpper();
    dialog.SetChosen({chosenBefore.toStdString()}, {"Print Manager"});
    dialog.Initialise();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTreeWidget& list = *dialog.ApplicationList();
    QListWidget& chosen = *dialog.ChosenList();
    ASSERT_EQ(entries(chosen), QStringList({"Print Manager"}));
    auto* add = dialog.Item<QAbstractButton>(IDC_ADD);
    auto* remove = dialog.Item<QAbstractButton>(IDC_REMOVE);
    EXPECT_FALSE(add->isEnabled());
    EXPECT_FALSE(remove->isEnabled());

    list.selectAll();
    EXPECT_TRUE(add->isEnabled());
    add->click();
    EXPECT_EQ(entries(chosen), QStringList({"Print Manager", "Scan Tool", "Status Viewer"}));
    EXPECT_EQ(dialog.ChosenNames(), (std::vector<std::string> {"Print Manager", "Scan Tool", "Status Viewer"}));
    EXPECT_EQ(dialog.ChosenIdentifiers()[2], setupOf("StatusViewer", "bin/setup.exe"));
    EXPECT_TRUE(chosen.hasFocus());
    add->click();
    EXPECT_EQ(chosen.count(), 3); // everything selected is chosen already

    chosen.setCurrentRow(2);
    EXPECT_TRUE(remove->isEnabled());
    remove->click();
    EXPECT_TRUE(dialog.Removed().empty()); // added in this dialog
    chosen.setCurrentRow(0);
    remove->click();
    EXPECT_EQ(dialog.Removed(), (std::vector<std::string> {"Print Manager"}));
    EXPECT_EQ(dialog.ChosenNames(), (std::vector<std::string> {"Scan Tool"}));
    EXPECT_EQ(dialog.ChosenIdentifiers(), (std::vector<std::string> {setupOf("Other")}));

    // A double click on a row adds it, by way of the add button.
    list.clearSelection();
    list.topLevelItem(2)->setSelected(true);
    emit list.itemDoubleClicked(list.topLevelItem(2), 0);
    EXPECT_TRUE(test::WaitFor([&] { return chosen.count() == 2; }));

    // In view mode the buttons do nothing.
    const ScopedViewMode viewMode;
    list.selectAll();
    add->click();
    chosen.setCurrentRow(0);
    remove->click();
    EXPECT_EQ(chosen.count(), 2);
}

TEST_F(UtilityDlgTest, TheControlsFollowTheLayoutDownToTheMinimumSize)
{
    CUtilityDlg dialog(m_strings.folder().path());
    dialog.Initialise();
    dialog.show();
    dialog.resize(800, 400);
    QApplication::processEvents();
    EXPECT_EQ(FindControl(&dialog, IDC_APPLICATION_LIST)->geometry(), QRect(320, 4, 476, 366));
    EXPECT_EQ(FindControl(&dialog, IDC_CHOSEN_LIST)->geometry(), QRect(4, 26, 232, 344));
    EXPECT_EQ(FindControl(&dialog, IDC_REMOVE)->geometry(), QRect(240, 248, 76, 22));
    EXPECT_EQ(FindControl(&dialog, IDC_CANCEL)->geometry(), QRect(708, 374, 88, 22));
    dialog.resize(100, 50);
    EXPECT_EQ(dialog.size(), QSize(256, 128));
}

} // namespace
} // namespace pellora::ui
