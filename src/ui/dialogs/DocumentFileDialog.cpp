#include "ui/dialogs/DocumentFileDialog.h"

#include "core/script/ScriptFile.h"
#include "ui/frame/MainFrameIds.h"
#include "ui/shared/DialogTexts.h"

#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <string>

namespace pellora::ui {

namespace {

QString typeFilter(int item, const char* extension)
{
    return QStringLiteral("%1 (*%2)").arg(ItemText(kSectionEtc, item), QLatin1String(extension));
}

void prepare(QFileDialog& dialog, int titleItem)
{
    dialog.setObjectName(QLatin1String(kDocumentDialogName));
    dialog.setWindowTitle(ItemText(kSectionMainFrame, titleItem));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
}

bool endsWithExe(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
    return tail == ".exe";
}

} // namespace

QStringList DocumentOpenFilters()
{
    return {typeFilter(kEtcScriptFileType, ".qst"), QStringLiteral("%1 (*.*)").arg(ItemText(kSectionEtc, kEtcAllFilesType))};
}

QStringList DocumentSaveFilters()
{
    return {typeFilter(kEtcScriptFileType, ".qst"), typeFilter(kEtcPackageFileType, ".exe")};
}

QStringList PromptOpenDocuments(QWidget* owner, const QString& folder)
{
    QFileDialog dialog(owner);
    prepare(dialog, ID_FILE_OPEN);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(DocumentOpenFilters());
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString PromptSaveDocument(QWidget* owner, const QString& initialPath)
{
    QFileDialog dialog(owner);
    prepare(dialog, ID_FILE_SAVE_AS);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QStringList filters = DocumentSaveFilters();
    dialog.setNameFilters(filters);
    const bool package = endsWithExe(initialPath.toStdString());
    dialog.selectNameFilter(filters[package ? 1 : 0]);
    dialog.setDefaultSuffix(package ? QStringLiteral("exe") : QStringLiteral("qst"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& filter) {
        dialog.setDefaultSuffix(filter == filters[1] ? QStringLiteral("exe") : QStringLiteral("qst"));
    });
    if (!initialPath.isEmpty()) {
        const QFileInfo info(initialPath);
        if (info.isAbsolute() && info.dir().exists())
            dialog.setDirectory(info.dir());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

bool IsOpenableDocument(const std::filesystem::path& path)
{
    return CScriptFile::IsScript(path) || endsWithExe(path.filename().string());
}

} // namespace pellora::ui
