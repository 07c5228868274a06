#include "ui/dialogs/FileDialogs.h"

#include "core/util/Support.h"
#include "ui/shared/DialogTexts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include <string>

namespace pellora::ui {

namespace {

constexpr int kEtcAllFilesType = 7;

QString& remembered()
{
    static QString folder;
    return folder;
}

// An open-file dialog that takes a new file name only inside a folder that exists.
class OpenFileDialog final : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (fileMode() == AnyFile && !files.isEmpty()) {
            const QFileInfo file(files.front());
            if (!file.exists() && !file.absoluteDir().exists()) {
                if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->selectAll();
                return;
            }
        }
        QFileDialog::accept();
    }
};

} // namespace

QString RememberedFolder()
{
    return remembered();
}

void SetRememberedFolder(const QString& folder)
{
    remembered() = folder;
}

QString ChooseFolder(QWidget* owner, const QString& title, const QString& programFolder, const QString& initialFolder)
{
    QString start = initialFolder.isEmpty() ? remembered() : initialFolder;
    if (start.isEmpty())
        start = programFolder;

    QFileDialog dialog(owner, title, start);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QString chosen;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        chosen = QDir::cleanPath(dialog.selectedFiles().front());
    remembered() = chosen;
    return chosen;
}

QString ChooseOpenFile(QWidget* owner, const QString& title, const QString& initialFile,
                       const QStringList& filters, bool existingFile)
{
    OpenFileDialog dialog(owner, title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(existingFile ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    const std::string initial = initialFile.toStdString();
    const QString name = QString::fromStdString(std::string(LastPathComponent(initial)));
    const QString folder = initialFile.left(initialFile.size() - name.size());
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
    if (!name.isEmpty())
        dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QString AllFilesFilter()
{
    // Every file: "*" also takes the names without a dot that "*.*" would leave out.
    return ItemText("ETC", kEtcAllFilesType) + QStringLiteral(" (*)");
}

} // namespace pellora::ui
