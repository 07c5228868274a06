#pragma once

// The signing rows of the "create package" dialog: the key file a package is signed with and the file
// that holds the key's password, each with a button that browses for it.

#include "core/package/PackageSigner.h"

#include <QWidget>

class QLineEdit;
class QPushButton;

namespace pellora::ui {

class PackageSigningFields : public QWidget {
    Q_OBJECT

public:
    static constexpr char kObjectName[] = "PackageSigningFields";
    static constexpr char kKeyEditName[] = "SignKeyEdit";
    static constexpr char kPasswordEditName[] = "SignPasswordFileEdit";

    PackageSigningFields(const SigningSettings& settings, QWidget* parent = nullptr);

    // The settings as entered; no key file when the key field is empty (blanks around names dropped).
    SigningSettings Settings() const;

    // The settings the user chose last (per-user settings "SignKey" and "SignPasswordFile").
    static SigningSettings Remembered();
    static void Remember(const SigningSettings& settings);

private:
    void browse(QLineEdit* edit, int titleItem, bool keyFile);

    QLineEdit* m_key = nullptr;
    QLineEdit* m_passwordFile = nullptr;
};

} // namespace pellora::ui
