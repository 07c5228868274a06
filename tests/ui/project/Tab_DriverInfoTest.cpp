// The driver information tab: the driver folder and the settings file, typed and browsed.

#include "ui/project/Tab_DriverInfo.h"

#include "TabTestSupport.h"
#include "core/model/ViewMode.h"
#include "ui/dialogs/FileDialogs.h"
#include "ui/project/Tab_DriverInfoIds.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace pellora::test {
namespace {

using namespace ui::driverinfo;
using Folders = std::vector<std::string>;

class DriverInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ui::SetRememberedFolder({});
        first = host.Add("Office");
        second = host.Add("Lab");
        host.Select({first});
        tab = std::make_unique<ui::CTab_DriverInfo>(host);
        tab->show();
        tab->resize(740, 145);
    }
    void TearDown() override
    {
        SetViewMode(false);
        ui::SetRememberedFolder({});
        EXPECT_EQ(watchdog.unexpected(), 0);
    }

    template <class Control>
    Control* control(int id)
    {
        auto* found = qobject_cast<Control*>(ui::FindControl(tab.get(), id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    QLineEdit* folder() { return control<QLineEdit>(IDC_DRIVER_FOLDER); }
    QLineEdit* bsfPath() { return control<QLineEdit>(IDC_BSF_PATH); }
    QToolButton* browseFolder() { return control<QToolButton>(IDC_BROWSE_DRIVER_FOLDER); }
    QToolButton* browseBsf() { return control<QToolButton>(IDC_BROWSE_BSF); }
    void select(std::initializer_list<CPrinterInfoEx*> records)
    {
        host.Select(records);
        tab->OnSelectionChanged();
    }
    QString makeFolder(const std::string& name) const
    {
        const auto path = strings.folder().path() / name;
        std::filesystem::create_directories(path);
        return QString::fromStdString(path.string());
    }

    TabStrings strings;
    FakeTabHost host{strings.folder().path()};
    CPrinterInfoEx* first = nullptr;
    CPrinterInfoEx* second = nullptr;
    std::unique_ptr<ui::CTab_DriverInfo> tab;
    ModalWatchdog watchdog;
};

TEST_F(DriverInfoTest, FolderIsShownOnlyForEqualFolderLists)
{
    first->driverFolders = {"/srv/drivers/RX", "/srv/extra"};
    second->driverFolders = {"/SRV/Drivers/rx", "/srv/EXTRA"};
    select({first, second});
    EXPECT_EQ(folder()->text(), QStringLiteral("/srv/drivers/RX"));
    EXPECT_TRUE(folder()->isEnabled());
    EXPECT_TRUE(browseFolder()->isEnabled());

    second->driverFolders = {"/srv/drivers/RX"};
    select({first, second});
    EXPECT_EQ(folder()->text(), QString());
    EXPECT_FALSE(folder()->isEnabled());
    EXPECT_FALSE(browseFolder()->isEnabled());
    EXPECT_TRUE(control<QLabel>(IDC_DRIVER_FOLDER_LABEL)->isEnabled());

    select({});
    EXPECT_FALSE(folder()->isEnabled());
    EXPECT_FALSE(control<QLabel>(IDC_DRIVER_FOLDER_LABEL)->isEnabled());
}

TEST_F(DriverInfoTest, TypingReplacesTheFirstFolderAndClearingRemovesIt)
{
    first->driverFolders = {"/a", "/b"};
    select({first});
    QTest::keyClicks(folder(), "2");
    EXPECT_EQ(first->driverFolders, (Folders{"/a2", "/b"})) << "the folders behind the first keep their place";
    QTest::keyClick(folder(), Qt::Key_Backspace);
    EXPECT_EQ(first->driverFolders, (Folders{"/a", "/b"}));
    EXPECT_TRUE(host.doc.IsModified());

    first->driverFolders = {"/a"};
    second->driverFolders = {"/a"};
    select({first, second});
    folder()->selectAll();
    QTest::keyClick(folder(), Qt::Key_Delete);
    EXPECT_TRUE(first->driverFolders.empty());
    EXPECT_TRUE(second->driverFolders.empty());

    QTest::keyClicks(folder(), "/n");
    EXPECT_EQ(first->driverFolders, Folders{"/n"});
    EXPECT_EQ(second->driverFolders, Folders{"/n"});
}

TEST_F(DriverInfoTest, BrowsedFolderIsAppliedAndRemembered)
{
    const QString start = makeFolder("start");
    const QString chosen = makeFolder("drivers");
    ui::SetRememberedFolder(start);
    second->driverFolders = first->driverFolders = {"/old"};
    select({first, second});

    QString title;
    QString openedAt;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        openedAt = dialog->directory().absolutePath();
        dialog->setDirectory(chosen);
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(browseFolder(), Qt::LeftButton);

    ASSERT_TRUE(driver.fired());
    EXPECT_EQ(title, QStringLiteral("Select the Driver Folder"));
    EXPECT_EQ(openedAt, start) << "without an initial folder the chooser opens on the last choice";
    EXPECT_EQ(first->driverFolders, Folders{chosen.toStdString()});
    EXPECT_EQ(second->driverFolders, Folders{chosen.toStdString()});
    EXPECT_EQ(folder()->text(), chosen);
    EXPECT_EQ(ui::RememberedFolder(), chosen);
    EXPECT_EQ(host.edited.size(), 1u);
}

TEST_F(DriverInfoTest, CancelledChooserChangesNothing)
{
    first->driverFolders = {"/old"};
    select({first});
    ModalDriver driver([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QTest::mouseClick(browseFolder(), Qt::LeftButton);
    ASSERT_TRUE(driver.fired());
    EXPECT_EQ(first->driverFolders, Folders{"/old"});
    EXPECT_FALSE(host.doc.IsModified());
    EXPECT_TRUE(host.edited.empty());
}

TEST_F(DriverInfoTest, SettingsFileNeedsExactlyOnePrinter)
{
    first->bsfPath = "/srv/a.BSF";
    second->bsfPath = "/srv/a.BSF";
    select({first, second});
    EXPECT_EQ(bsfPath()->text(), QStringLiteral("/srv/a.BSF"));
    EXPECT_FALSE(bsfPath()->isEnabled());
    EXPECT_FALSE(browseBsf()->isEnabled());
    EXPECT_TRUE(control<QLabel>(IDC_BSF_PATH_LABEL)->isEnabled());

    select({first});
    EXPECT_TRUE(bsfPath()->isEnabled());
    QTest::keyClicks(bsfPath(), "x");
    EXPECT_EQ(first->bsfPath, "/srv/a.BSFx");
    EXPECT_EQ(second->bsfPath, "/srv/a.BSF");
}

TEST_F(DriverInfoTest, BrowsedSettingsFileStartsFromTheCurrentName)
{
    const QString folderPath = makeFolder("settings");
    const auto file = strings.folder().writeFile("settings/RX-C3400.BSF", "[BSF]\r\n");
    first->bsfPath = "C:\\Settings\\old.BSF";
    select({first});

    QString offeredName;
    QStringList filters;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        offeredName = nameField->text();
        filters = dialog->nameFilters();
        // The user opens the folder and types the name.
        dialog->setDirectory(folderPath);
        nameField->setText(QStringLiteral("RX-C3400.BSF"));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(browseBsf(), Qt::LeftButton);

    ASSERT_TRUE(driver.fired());
    EXPECT_EQ(offeredName, QStringLiteral("old.BSF"));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Driver Extension Settings (*.BSF)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(first->bsfPath, file.string());
    EXPECT_EQ(bsfPath()->text().toStdString(), file.string());
    EXPECT_TRUE(host.doc.IsModified());
}

TEST_F(DriverInfoTest, ViewModeDisablesAndOpensNoDialog)
{
    SetViewMode(true);
    select({first});
    EXPECT_FALSE(folder()->isEnabled());
    EXPECT_FALSE(bsfPath()->isEnabled());
    EXPECT_FALSE(browseFolder()->isEnabled());
    // Even when the button takes the click, the edit is refused before any dialog opens.
    browseFolder()->setEnabled(true);
    browseFolder()->click();
    folder()->insert(QStringLiteral("/x"));
    EXPECT_TRUE(first->driverFolders.empty());
    EXPECT_FALSE(host.doc.IsModified());
}

TEST_F(DriverInfoTest, LayoutAtTwoSizes)
{
    tab->resize(600, 150);
    EXPECT_EQ(control<QWidget>(IDC_DRIVER_FOLDER_LABEL)->geometry(), QRect(12, 12, 300, 22));
    EXPECT_EQ(folder()->geometry(), QRect(12, 36, 300, 22));
    EXPECT_EQ(browseFolder()->geometry(), QRect(316, 34, 76, 22));
    EXPECT_EQ(control<QWidget>(IDC_BSF_PATH_LABEL)->geometry(), QRect(12, 70, 300, 22));
    EXPECT_EQ(bsfPath()->geometry(), QRect(12, 94, 300, 22));
    EXPECT_EQ(browseBsf()->geometry(), QRect(316, 92, 76, 22));

    tab->resize(900, 150);
    EXPECT_EQ(folder()->geometry(), QRect(12, 36, 450, 22));
    EXPECT_EQ(browseBsf()->geometry(), QRect(466, 92, 76, 22));
}

TEST(DriverInfoFolders, EqualityIgnoresCaseButNotOrderOrCount)
{
    CPrinterInfoEx a, b;
    a.driverFolders = {"/X", "/y"};
    b.driverFolders = {"/x", "/Y"};
    EXPECT_TRUE(ui::CTab_DriverInfo::FolderListsEqual({&a, &b}));
    b.driverFolders = {"/Y", "/x"};
    EXPECT_FALSE(ui::CTab_DriverInfo::FolderListsEqual({&a, &b}));
    b.driverFolders = {"/x"};
    EXPECT_FALSE(ui::CTab_DriverInfo::FolderListsEqual({&a, &b}));
    EXPECT_FALSE(ui::CTab_DriverInfo::FolderListsEqual({}));
    a.driverFolders.clear();
    b.driverFolders.clear();
    EXPECT_TRUE(ui::CTab_DriverInfo::FolderListsEqual({&a, &b}));
}

} // namespace
} // namespace pellora::test
