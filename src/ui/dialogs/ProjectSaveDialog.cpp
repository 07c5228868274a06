#include "ui/dialogs/ProjectSaveDialog.h"

#include "ui/project/Corvan2ViewIds.h"
#include "ui/shared/DialogTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

namespace pellora::ui {

using namespace corvan2;

namespace {

// A text of the dialog's section; Qt's own text while the table has none.
void setLabel(QFileDialog& dialog, QFileDialog::DialogLabel label, int item)
{
    const QString text = ItemText(kSaveDialogSection, item);
    if (!text.isEmpty())
        dialog.setLabelText(label, text);
}

} // namespace

ProjectSaveDialog::ProjectSaveDialog(QWidget* owner, const QString& title, const QString& typeName,
                                     const QString& extension, const QString& defaultName, const QString& folder)
    : QFileDialog(owner)
{
    setObjectName(QLatin1String(kObjectName));
    setWindowTitle(title);
    setOption(QFileDialog::DontUseNativeDialog);
    // The question before replacing a file is the dialog's own, with the program's texts.
    setOption(QFileDialog::DontConfirmOverwrite);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setSizeGripEnabled(true);
    setNameFilter(QStringLiteral("%1 (*%2)").arg(typeName, extension));
    QString suffix = extension;
    if (suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    setDefaultSuffix(suffix);
    if (!folder.isEmpty() && QDir(folder).exists())
        setDirectory(folder);
    selectFile(defaultName);
    setLabel(*this, QFileDialog::LookIn, kSaveLookIn);
    setLabel(*this, QFileDialog::FileName, kSaveFileName);
    setLabel(*this, QFileDialog::FileType, kSaveFileType);
    setLabel(*this, QFileDialog::Accept, kSaveAccept);
    setLabel(*this, QFileDialog::Reject, kSaveReject);
}

QString ProjectSaveDialog::Prompt()
{
    if (exec() != QDialog::Accepted || selectedFiles().isEmpty())
        return {};
    return selectedFiles().front();
}

void ProjectSaveDialog::AddFields(QWidget* fields)
{
    fields->setParent(this);
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(fields, grid->rowCount(), 0, 1, grid->columnCount());
    else if (layout() != nullptr)
        layout()->addWidget(fields);
}

QString ProjectSaveDialog::ReplaceQuestion(const QString& path)
{
    return ItemText(kSaveDialogSection, kSaveReplaceQuestion).arg(QDir::toNativeSeparators(path));
}

QString ProjectSaveDialog::MissingFolderNotice(const QString& folder)
{
    return ItemText(kSaveDialogSection, kSaveMissingFolder).arg(QDir::toNativeSeparators(folder));
}

void ProjectSaveDialog::accept()
{
    const QStringList files = selectedFiles();
    if (files.isEmpty())
        return;
    const QFileInfo chosen(files.front());
    if (chosen.isDir()) {
        // A folder name typed into the name field opens that folder, as the base dialog does.
        QFileDialog::accept();
        return;
    }
    if (!chosen.absoluteDir().exists()) {
        QMessageBox notice(QMessageBox::Warning, windowTitle(), MissingFolderNotice(chosen.absolutePath()),
                           QMessageBox::Ok, this);
        notice.exec();
        return;
    }
    if (chosen.exists()) {
        QMessageBox question(QMessageBox::Warning, windowTitle(), ReplaceQuestion(chosen.absoluteFilePath()),
                             QMessageBox::Yes | QMessageBox::No, this);
        question.setDefaultButton(QMessageBox::No);
        const QString yes = ItemText(kSaveDialogSection, kSaveYes);
        const QString no = ItemText(kSaveDialogSection, kSaveNo);
        if (!yes.isEmpty())
            question.button(QMessageBox::Yes)->setText(yes);
        if (!no.isEmpty())
            question.button(QMessageBox::No)->setText(no);
        if (question.exec() != QMessageBox::Yes)
            return;
    }
    QFileDialog::accept();
}

} // namespace pellora::ui
