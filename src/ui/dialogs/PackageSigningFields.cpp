#include "ui/dialogs/PackageSigningFields.h"

#include "core/platform/UserSettings.h"
#include "ui/project/Corvan2ViewIds.h"
#include "ui/shared/DialogTexts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace pellora::ui {

using namespace corvan2;

namespace {

// The file type "all files" of section "ETC".
constexpr int kEtcAllFilesType = 7;

std::filesystem::path enteredPath(const QLineEdit* edit)
{
    return std::filesystem::path(edit->text().trimmed().toStdString());
}

} // namespace

PackageSigningFields::PackageSigningFields(const SigningSettings& settings, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QLatin1String(kObjectName));
    setToolTip(ItemText(kSaveDialogSection, kSaveSignTip));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    const auto addRow = [this, grid](int row, int labelItem, int titleItem, bool keyFile, const char* name,
                                     const std::filesystem::path& value) {
        auto* edit = new QLineEdit(QString::fromStdString(value.string()), this);
        edit->setObjectName(QLatin1String(name));
        auto* label = new QLabel(ItemText(kSaveDialogSection, labelItem), this);
        label->setBuddy(edit);
        auto* button = new QPushButton(ItemText(kSaveDialogSection, kSaveBrowse), this);
        connect(button, &QPushButton::clicked, this, [this, edit, titleItem, keyFile] { browse(edit, titleItem, keyFile); });
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(button, row, 2);
        return edit;
    };
    m_key = addRow(0, kSaveSignKey, kSaveKeyTitle, true, kKeyEditName, settings.keyFile);
    m_passwordFile = addRow(1, kSavePasswordFile, kSavePasswordTitle, false, kPasswordEditName, settings.passwordFile);
    grid->setColumnStretch(1, 1);
}

SigningSettings PackageSigningFields::Settings() const
{
    SigningSettings settings{enteredPath(m_key), enteredPath(m_passwordFile)};
    if (settings.keyFile.empty())
        settings.passwordFile.clear();
    return settings;
}

SigningSettings PackageSigningFields::Remembered()
{
    const UserSettings user;
    return {user.GetString(kSettingSignKey), user.GetString(kSettingSignPasswordFile)};
}

void PackageSigningFields::Remember(const SigningSettings& settings)
{
    UserSettings user;
    user.SetString(kSettingSignKey, settings.keyFile.string());
    user.SetString(kSettingSignPasswordFile, settings.passwordFile.string());
}

void PackageSigningFields::browse(QLineEdit* edit, int titleItem, bool keyFile)
{
    QFileDialog dialog(this, ItemText(kSaveDialogSection, titleItem));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (keyFile) {
        dialog.setNameFilters({ItemText(kSaveDialogSection, kSaveKeyFileType) + QStringLiteral(" (*.pfx *.p12)"),
                               ItemText("ETC", kEtcAllFilesType) + QStringLiteral(" (*)")});
    }
    const QString current = edit->text().trimmed();
    if (!current.isEmpty())
        dialog.selectFile(current);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        edit->setText(dialog.selectedFiles().front());
}

} // namespace pellora::ui
