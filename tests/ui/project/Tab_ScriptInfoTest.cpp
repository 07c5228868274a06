// The script information tab: description and log file of the project's install script.

#include "ui/project/Tab_ScriptInfo.h"

#include "TabTestSupport.h"
#include "core/model/ViewMode.h"
#include "ui/project/Tab_ScriptInfoIds.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace pellora::test {
namespace {

using namespace ui::scriptinfo;

class ScriptInfoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.doc.GetScript().scriptNote = "Third floor";
        host.doc.GetScript().logFile = "C:\\Temp\\install.log";
        tab = std::make_unique<ui::CTab_ScriptInfo>(host);
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
    QLineEdit* description() { return control<QLineEdit>(IDC_DESCRIPTION); }
    QLineEdit* logFile() { return control<QLineEdit>(IDC_LOG_FILE); }
    QToolButton* browse() { return control<QToolButton>(IDC_BROWSE_LOG_FILE); }

    TabStrings strings;
    FakeTabHost host{strings.folder().path()};
    std::unique_ptr<ui::CTab_ScriptInfo> tab;
    ModalWatchdog watchdog;
};

TEST_F(ScriptInfoTest, ShowsAndEditsTheScriptWithoutAnySelection)
{
    host.canDeliver = false;
    tab->OnSelectionChanged();
    EXPECT_EQ(description()->text(), QStringLiteral("Third floor"));
    EXPECT_EQ(logFile()->text(), QStringLiteral("C:\\Temp\\install.log"));
    EXPECT_TRUE(description()->isEnabled());
    EXPECT_TRUE(browse()->isEnabled());

    QTest::keyClicks(description(), "!");
    EXPECT_EQ(host.doc.GetScript().scriptNote, "Third floor!");
    EXPECT_TRUE(host.doc.IsModified());
    EXPECT_EQ(host.otherViewUpdates, 1);
    EXPECT_EQ(host.ownUpdates, 0);
    EXPECT_TRUE(host.edited.empty()) << "no printer was edited";

    logFile()->selectAll();
    QTest::keyClick(logFile(), Qt::Key_Delete);
    EXPECT_EQ(host.doc.GetScript().logFile, "");
}

TEST_F(ScriptInfoTest, AnotherViewsChangeIsShownAtTheNextRefresh)
{
    host.doc.GetScript().scriptNote = "Changed elsewhere";
    tab->OnSelectionChanged();
    EXPECT_EQ(description()->text(), QStringLiteral("Changed elsewhere"));
}

TEST_F(ScriptInfoTest, BrowseOffersLogTxtWhenNoLogFileIsSet)
{
    host.doc.GetScript().logFile.clear();
    tab->OnSelectionChanged();
    const auto target = strings.folder().path() / "logs" / "pellora.log";
    std::filesystem::create_directories(target.parent_path());

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
        dialog->setDirectory(QString::fromStdString(target.parent_path().string()));
        nameField->setText(QStringLiteral("pellora.log"));
        static_cast<QDialog*>(dialog)->accept();
    });
    QTest::mouseClick(browse(), Qt::LeftButton);

    ASSERT_TRUE(driver.fired());
    EXPECT_EQ(offeredName, QStringLiteral("log.txt"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("All Files (*)")});
    EXPECT_EQ(host.doc.GetScript().logFile, target.string()) << "a log file that does not exist yet is taken";
    EXPECT_EQ(logFile()->text().toStdString(), target.string());
    EXPECT_TRUE(host.doc.IsModified());
}

TEST_F(ScriptInfoTest, CancelledBrowseChangesNothing)
{
    ModalDriver driver([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    QTest::mouseClick(browse(), Qt::LeftButton);
    ASSERT_TRUE(driver.fired());
    EXPECT_EQ(host.doc.GetScript().logFile, "C:\\Temp\\install.log");
    EXPECT_FALSE(host.doc.IsModified());
}

TEST_F(ScriptInfoTest, ViewModeAndMissingDocumentRefuseEdits)
{
    SetViewMode(true);
    tab->OnSelectionChanged();
    EXPECT_FALSE(description()->isEnabled());
    EXPECT_FALSE(browse()->isEnabled());
    description()->insert(QStringLiteral("x"));
    EXPECT_EQ(host.doc.GetScript().scriptNote, "Third floor");
    SetViewMode(false);

    host.hasDocument = false;
    tab->OnSelectionChanged();
    EXPECT_EQ(description()->text(), QString());
    EXPECT_FALSE(description()->isEnabled());
    description()->insert(QStringLiteral("y"));
    EXPECT_EQ(host.doc.GetScript().scriptNote, "Third floor");
    EXPECT_FALSE(host.doc.IsModified());
}

TEST_F(ScriptInfoTest, LayoutAtTwoSizes)
{
    tab->resize(600, 150);
    EXPECT_EQ(control<QWidget>(IDC_DESCRIPTION_LABEL)->geometry(), QRect(12, 12, 120, 22));
    EXPECT_EQ(description()->geometry(), QRect(132, 12, 434, 22));
    EXPECT_EQ(control<QWidget>(IDC_LOG_FILE_LABEL)->geometry(), QRect(12, 38, 120, 22));
    EXPECT_EQ(logFile()->geometry(), QRect(132, 38, 434, 22));
    EXPECT_EQ(browse()->geometry(), QRect(566, 36, 22, 22));

    tab->resize(900, 150);
    EXPECT_EQ(description()->geometry(), QRect(192, 12, 674, 22));
    EXPECT_EQ(browse()->geometry(), QRect(866, 36, 22, 22));
}

} // namespace
} // namespace pellora::test
