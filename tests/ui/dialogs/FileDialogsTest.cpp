// The folder chooser's start folder and memory, and the open-file dialog's start.

#include "ui/dialogs/FileDialogs.h"

#include "TabTestSupport.h"

#include <QFileDialog>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <filesystem>

namespace pellora::test {
namespace {

class FileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { ui::SetRememberedFolder({}); }
    void TearDown() override
    {
        ui::SetRememberedFolder({});
        EXPECT_EQ(watchdog.unexpected(), 0);
    }
    QString makeFolder(const std::string& name) const
    {
        const auto path = strings.folder().path() / name;
        std::filesystem::create_directories(path);
        return QString::fromStdString(path.string());
    }
    // Opens the chooser, notes where it opened and answers with folder (cancels when empty).
    QString choose(const QString& initial, const QString& answer, QString& openedAt)
    {
        ModalDriver driver([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            openedAt = dialog->directory().absolutePath();
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            if (answer.isEmpty()) {
                dialog->reject();
            } else {
                // The user opens the folder and chooses it.
                dialog->setDirectory(answer);
                static_cast<QDialog*>(dialog)->accept();
            }
        });
        const QString result = ui::ChooseFolder(nullptr, QStringLiteral("Folder"),
                                               QString::fromStdString(strings.folder().path().string()), initial);
        EXPECT_TRUE(driver.fired());
        return result;
    }

    TabStrings strings;
    ModalWatchdog watchdog;
};

TEST_F(FileDialogsTest, ChooserStartsAtInitialThenLastChoiceThenProgramFolder)
{
    const QString program = QString::fromStdString(strings.folder().path().string());
    const QString a = makeFolder("a");
    const QString b = makeFolder("b");
    QString openedAt;

    EXPECT_EQ(choose({}, a, openedAt), a);
    EXPECT_EQ(openedAt, program);
    EXPECT_EQ(ui::RememberedFolder(), a);

    EXPECT_EQ(choose({}, b, openedAt), b);
    EXPECT_EQ(openedAt, a);

    EXPECT_EQ(choose(a, {}, openedAt), QString());
    EXPECT_EQ(openedAt, a) << "an initial folder wins over the remembered one";
    EXPECT_EQ(ui::RememberedFolder(), QString()) << "a cancelled chooser is remembered too";

    choose({}, {}, openedAt);
    EXPECT_EQ(openedAt, program);
}

TEST_F(FileDialogsTest, OpenFileStartsInTheFolderOfTheCurrentFile)
{
    const QString folder = makeFolder("settings");
    QString openedAt;
    QString offeredName;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        openedAt = dialog->directory().absolutePath();
        mode = dialog->fileMode();
        if (auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            offeredName = nameField->text();
        dialog->reject();
    });
    const QString result = ui::ChooseOpenFile(nullptr, QStringLiteral("Open"), folder + QStringLiteral("/model.BSF"),
                                              {ui::AllFilesFilter()}, true);
    ASSERT_TRUE(driver.fired());
    EXPECT_EQ(result, QString());
    EXPECT_EQ(openedAt, folder);
    EXPECT_EQ(offeredName, QStringLiteral("model.BSF"));
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
    EXPECT_EQ(ui::AllFilesFilter(), QStringLiteral("All Files (*)"));
}

TEST_F(FileDialogsTest, NewFileNameNeedsAnExistingFolder)
{
    const QString folder = makeFolder("logs");
    bool stayedOpen = false;
    ModalDriver driver([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameField, nullptr);
        nameField->setText(folder + QStringLiteral("/missing/install.log"));
        static_cast<QDialog*>(dialog)->accept();
        stayedOpen = dialog->isVisible();
        nameField->setText(folder + QStringLiteral("/install.log"));
        static_cast<QDialog*>(dialog)->accept();
    });
    const QString result = ui::ChooseOpenFile(nullptr, QStringLiteral("Log"), QStringLiteral("log.txt"),
                                              {ui::AllFilesFilter()}, false);
    ASSERT_TRUE(driver.fired());
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(result, folder + QStringLiteral("/install.log")) << "a file that does not exist yet is taken";
}

} // namespace
} // namespace pellora::test
