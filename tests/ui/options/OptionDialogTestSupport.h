#pragma once

// Shared pieces of the option-dialog tests: the dialogs' string tables and the answer to their field messages.

#include "TabTestSupport.h"
#include "ui/options/OptionDialog.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMessageBox>

#include <string>

namespace pellora::test {

// A program folder with the option dialogs' tables of every language, the neutral one loaded.
class OptionStrings : public TabStrings {
public:
    OptionStrings()
        : TabStrings(TestProgramFolder::kDefaultModelList, "OptionDialogs.txt")
    {
    }
};

// Presses OK or Cancel of a dialog as the user does.
inline void Press(ui::COptionDialog& dialog, int button)
{
    if (auto* control = dialog.Item<QAbstractButton>(button))
        control->click();
}

inline void Type(ui::COptionDialog& dialog, int field, const QString& text)
{
    if (auto* edit = dialog.Item<QLineEdit>(field))
        edit->setText(text);
}

// Presses a button of the dialog and answers the message box it may show; returns that box's text
// (empty when none came).
inline QString PressAndAnswer(ui::COptionDialog& dialog, int button)
{
    QString shown;
    const ModalDriver driver([&shown](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            shown = box->text();
            box->accept();
        }
    });
    Press(dialog, button);
    return shown;
}

} // namespace pellora::test
