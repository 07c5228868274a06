#pragma once

// Base of the option dialogs: controls from a template, texts from the dialog's section, OK and Cancel that
// do nothing in view mode, and the field reads of OK with their range and length messages.

#include "ui/options/DialogTemplate.h"
#include "ui/shared/ControlId.h"

#include <QDialog>

#include <functional>
#include <string>
#include <string_view>

class QAbstractButton;

namespace pellora::ui {

// The OK and Cancel buttons of every option dialog.
enum : int {
    IDC_OK = 1,
    IDC_CANCEL = 2,
};

class COptionDialog : public QDialog {
    Q_OBJECT
public:
    // Items of every option dialog's section: the range message ("%1" to "%2") and the length message ("%1").
    static constexpr int kRangeMessageItem = 61713;
    static constexpr int kLengthMessageItem = 61716;

    COptionDialog(const DialogTemplate& dialogTemplate, std::string_view section, QWidget* parent);

    int DialogId() const { return m_dialogId; }
    const std::string& Section() const { return m_section; }

    // Font, texts and caption, then the dialog's own initialisation. Run again, it re-initialises the
    // dialog: texts and values anew.
    void Initialise();
    // Runs the dialog modally in the application's dialog font, 9 points as at 96 dots per inch; the
    // button that ended it, QDialog::Accepted or QDialog::Rejected.
    int RunModal();

    // OK and Cancel, which do nothing in view mode.
    void accept() override;
    void reject() override;

    // The first control with the identifier that is a Control; null when there is none.
    template <class Control>
    Control* Item(int id) const
    {
        return qobject_cast<Control*>(FindControl(this, id));
    }

protected:
    // Values to controls and the enabling rules; each initialisation ends with it.
    virtual void OnInitDialog() = 0;
    // Reads the controls for OK; false keeps the dialog open.
    virtual bool OnOK() { return true; }
    virtual void OnCancel() {}

    // Runs handler when the button with the identifier is clicked, unless in view mode.
    void OnCommand(int id, std::function<void()> handler);
    // Runs rule when the button with the identifier is clicked, in view mode too.
    void OnClicked(int id, const std::function<void()>& rule);
    void EnableControl(int id, bool enabled) const;

    bool IsChecked(int id) const;
    void SetChecked(int id, bool checked) const;
    // The index of the checked button among ids (in that order); -1 when none is checked.
    int RadioIndex(std::initializer_list<int> ids) const;
    // Checks the button at index among ids and clears the others; any other index clears all.
    void SetRadioIndex(std::initializer_list<int> ids, int index) const;
    int ComboIndex(int id) const;
    void SetComboIndex(int id, int index) const;
    void SetFieldText(int id, const QString& text) const;
    QString FieldText(int id) const;

    // The number of a field for OK: a number from minimum to maximum, else the range message, the field
    // gets the focus and false.
    bool ReadNumber(int id, int minimum, int maximum, int& value);
    // The text of a field: at most maxCharacters characters, else the length message, the field gets the
    // focus and false.
    bool ReadText(int id, int maxCharacters, std::string& value);

private:
    void refuseField(int id, const QString& message);

    const int m_dialogId;
    const std::string m_section;
};

} // namespace pellora::ui
