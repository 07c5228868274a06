#include "ui/dialogs/DocumentFileDialog.h"

#include "MainFrameTestSupport.h"

#include <QFile>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

using frametest::FrameEnvironment;
using frametest::WhenDocumentDialogOpens;

QString text(const std::filesystem::path& path)
{
    return QFile::decodeName(path.c_str());
}

TEST(DocumentFileDialogTest, FiltersNameTheFileTypesOfTheStringTable)
{
    const FrameEnvironment environment;
    EXPECT_EQ(DocumentOpenFilters(), QStringList({"Install Script (*.qst)", "All Files (*.*)"}));
    EXPECT_EQ(DocumentSaveFilters(), QStringList({"Install Script (*.qst)", "Printer Package (*.exe)"}));
}

TEST(DocumentFileDialogTest, ScriptsAndPackagesAreOpenedOtherFilesAreNot)
{
    const FrameEnvironment environment;
    EXPECT_TRUE(IsOpenableDocument(environment.writeScript("office.txt")));
    EXPECT_TRUE(IsOpenableDocument(environment.writeText("setup.EXE", "not even a package")));
    EXPECT_FALSE(IsOpenableDocument(environment.writeText("notes.qst", "[SOFTWARE]\r\nFILE=Other\r\n")));
    EXPECT_FALSE(IsOpenableDocument(environment.folder() / "missing.qst"));
}

TEST(DocumentFileDialogTest, TheOpenDialogTakesSeveralFiles)
{
    const FrameEnvironment environment;
    const auto first = environment.writeScript("a.qst");
    const auto second = environment.writeText("b.txt", "text");
    QStringList filters;
    QString title;
    const auto openWatch = WhenDocumentDialogOpens([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        title = dialog.windowTitle();
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFiles);
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        dialog.setDirectory(text(environment.folder()));
        dialog.selectNameFilter(dialog.nameFilters().back());
        frametest::TypeFileNames(dialog, QStringLiteral("\"a.qst\" \"b.txt\""), 2);
        frametest::Accept(dialog);
    });
    const QStringList chosen = PromptOpenDocuments(nullptr);
    EXPECT_EQ(title, "Open");
    EXPECT_EQ(filters, DocumentOpenFilters());
    EXPECT_EQ(chosen, QStringList({text(first), text(second)}));

    // The dialog starts in the folder it is given; cancelling chooses nothing.
    QString shown;
    const auto cancelWatch = WhenDocumentDialogOpens([&shown](QFileDialog& dialog) {
        shown = dialog.directory().path();
        dialog.reject();
    });
    EXPECT_TRUE(PromptOpenDocuments(nullptr, text(environment.folder())).isEmpty());
    EXPECT_EQ(shown, text(environment.folder()));
}

TEST(DocumentFileDialogTest, TheSaveDialogAddsTheExtensionOfTheChosenFilter)
{
    const FrameEnvironment environment;
    const auto scriptWatch = WhenDocumentDialogOpens([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Save As");
        EXPECT_EQ(dialog.selectedNameFilter(), "Install Script (*.qst)");
        frametest::TypeFileNames(dialog, QStringLiteral("office"));
        frametest::Accept(dialog);
    });
    const QString script = PromptSaveDocument(nullptr, text(environment.folder() / "Script 00001"));
    EXPECT_EQ(script, text(environment.folder() / "office.qst"));

    const auto packageWatch = WhenDocumentDialogOpens([](QFileDialog& dialog) {
        dialog.selectNameFilter("Printer Package (*.exe)");
        emit dialog.filterSelected("Printer Package (*.exe)");
        frametest::TypeFileNames(dialog, QStringLiteral("setup"));
        frametest::Accept(dialog);
    });
    EXPECT_EQ(PromptSaveDocument(nullptr, text(environment.folder() / "office.qst")),
              text(environment.folder() / "setup.exe"));

    const auto cancelWatch = WhenDocumentDialogOpens([](QFileDialog& dialog) {
        EXPECT_EQ(dialog.selectedNameFilter(), "Printer Package (*.exe)");
        dialog.reject();
    });
    EXPECT_TRUE(PromptSaveDocument(nullptr, text(environment.folder() / "old.EXE")).isEmpty());
}

} // namespace
} // namespace pellora::ui
