#pragma once

// Base of the property tabs of the project view: layout, texts, shortcuts and the editing protocol.

#include "core/i18n/LayoutValue.h"
#include "core/model/PrinterInfo.h"
#include "ui/shared/ControlId.h"

#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;

namespace pellora::ui {

class TabHost;

class CTab : public QWidget {
    Q_OBJECT

public:
    using Selection = std::vector<CPrinterInfoEx*>;
    using TextGetter = std::function<std::string(const CPrinterInfoEx&)>;
    using IntGetter = std::function<int(const CPrinterInfoEx&)>;
    // Receives the frame commands that the tab's shortcuts stand for.
    using CommandHandler = std::function<void(int command)>;

    // Item of a tab's text section that holds the length message ("%1" stands for the limit).
    static constexpr int kLengthMessageItem = 61716;
    // Refusals closer together than this belong to one burst of typing and share one hint.
    static constexpr int kHintBurstMilliseconds = 1500;

    CTab(TabHost& host, int dialogId, std::string_view section, QWidget* parent);

    int DialogId() const { return m_dialogId; }
    const std::string& Section() const { return m_section; }

    // Recomputes every control from the current selection: values, enabling, read-only state.
    void OnSelectionChanged();
    // Takes every text anew from the string table (initialisation and language switch).
    void Retext();
    // Gives the keyboard focus to the control (or to the control that stands for it on this tab);
    // false when the tab has no such visible control.
    bool FocusControl(int controlId);
    void SetCommandHandler(CommandHandler handler) { m_commandHandler = std::move(handler); }
    // Who shows a short hint beside a text field; by default a tooltip under the field, which leaves the
    // keyboard with it.
    using HintPresenter = std::function<void(QLineEdit* field, const QString& text)>;
    void SetHintPresenter(HintPresenter presenter) { m_hintPresenter = std::move(presenter); }

    bool IsUpdating() const { return m_updating; }
    const LayoutTable& Layout() const { return m_layout; }

    // The common values of a selection.
    // The text when every record has the same one, else empty; empty for no records.
    static std::string CommonText(const Selection& selection, const TextGetter& get);
    // 0 or 1 when every record agrees, 2 when they differ, 0 for no records.
    static int CommonCheckState(const Selection& selection, const IntGetter& get);
    // The value when every record agrees, else -1; -1 for no records.
    static int CommonInteger(const Selection& selection, const IntGetter& get);
    // Whether a control showing a common value takes input: one record, or several when allowed.
    static bool IsEditable(std::size_t count, bool allowSeveral) { return count == 1 || (count > 1 && allowSeveral); }

    // The length message for a limit, "%1" replaced by the limit.
    QString LengthMessage(std::size_t maxBytes) const;

protected:
    // Subclasses build their controls, fill the layout table and then call Initialise().
    void Initialise();
    // A control owned by the tab, carrying its control identifier.
    template <class Control, class... Args>
    Control* AddControl(int id, Args&&... args)
    {
        auto* control = new Control(std::forward<Args>(args)..., this);
        SetControlId(control, id);
        return control;
    }

    LayoutTable& LayoutRules() { return m_layout; }
    TabHost& Host() { return m_host; }
    // The records selected in the host's list; false when the host cannot deliver them.
    bool CurrentSelection(Selection& selection) const;
    const Selection& EditSelection() const { return m_selection; }

    // Whether an edit could begin now (the checks of BeginEdit, without starting it).
    bool EditAllowed(bool needsSelection = true) const;
    // Refused in view mode, while updating or without records; with needsSelection also when the
    // host cannot deliver the selection or nothing is selected. Otherwise collects the selection (when
    // needed), sets updating and reads the controls (length limits enforced).
    bool BeginEdit(bool needsSelection = true);
    // Tells the records they were edited (when marks modified is set; a project is then modified),
    // updates their other views, tells the host which records changed and clears updating; then
    // refreshes the controls.
    void EndEdit();
    void SetMarksModified(bool on) { m_marksModified = on; }
    bool MarksModified() const { return m_marksModified; }

    // Calls set on every record of the edit selection.
    void ApplyToSelection(const std::function<void(CPrinterInfoEx&)>& set);

    // A text field with a byte limit; ReadText enforces it.
    void SetTextLimit(QLineEdit* edit, std::size_t maxBytes);
    // The field's text. A text over the field's limit is shortened (never inside a UTF-8 sequence) after
    // the length message, written back and stored; the result is then false. Otherwise the field's
    // length limit is set and the result is true.
    bool ReadText(QLineEdit* edit, std::string& out);
    // Sets the text only when it differs, so that the caret of an edited field stays where it is.
    static void ShowText(QLineEdit* edit, const std::string& text);
    // A read-only field takes the background of the window around it, so that it does not look
    // editable; an editable one the background of text input.
    static void ShowReadOnly(QLineEdit* edit, bool readOnly);
    // State 2 turns the box into a three-state box in its mixed state; 0 and 1 make it two-state.
    static void ShowCheckState(QCheckBox* box, int state);
    // Changes the selection only when it differs from the one shown.
    static void ShowComboIndex(QComboBox* combo, int index);

    // The tab's part of the protocol: controls to values, values to controls, the command-state update.
    virtual bool ReadControls() = 0;
    virtual void WriteControls() = 0;
    virtual void UpdateControls() = 0;
    // Extra work after the dialog texts were applied (tooltips are done by the base).
    virtual void OnRetext() {}
    // The control that receives the focus asked for controlId; controlId itself by default.
    virtual int FocusTarget(int controlId) const { return controlId; }
    // The hint for a key that a full text field refuses; none by default.
    virtual QString FullFieldHint(const QLineEdit* /*field*/) const { return {}; }
    // The hint for a typed text that field refuses outright (the key never reaches it); none, so every
    // key is taken, by default.
    virtual QString RefusedKeyHint(const QLineEdit* /*field*/, const QString& /*keyText*/) const { return {}; }
    // Shows a hint beside field, once per burst of typing: refusals that follow each other within
    // kHintBurstMilliseconds share the hint of the first.
    void ShowFieldHint(QLineEdit* field, const QString& text);

    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int shortcutCommand(const QEvent* event) const;
    void showLengthMessage(std::size_t maxBytes);
    // Whether typing text into field (over its selection) would take it beyond its byte limit: characters
    // of several bytes reach that limit before the character count does.
    bool wouldPassByteLimit(const QLineEdit* field, const QString& typed) const;
    // The longest start of typed, in whole characters, that still fits into field's byte limit.
    QString fittingPrefix(const QLineEdit* field, const QString& typed) const;
    // Keeps the whole text and the own tooltip of every label, check box and radio button.
    void rememberTexts();
    // A text wider than what the page shows of its control is cut with an ellipsis, and the whole text
    // goes into the control's tooltip; with room again, the whole text and the own tooltip come back.
    void fitTexts();

    TabHost& m_host;
    const int m_dialogId;
    const std::string m_section;
    LayoutTable m_layout;
    CommandHandler m_commandHandler;
    Selection m_selection;
    std::map<const QLineEdit*, std::size_t> m_limits;
    HintPresenter m_hintPresenter;
    QElapsedTimer m_hintClock;
    bool m_updating = false;
    bool m_marksModified = false;
};

// The index of the page of tabs that belongs to a string-table section: a CTab of that section, or a page
// whose object name is the section (letter case ignored); -1 when there is none.
int PageIndexOfSection(const QTabWidget& tabs, std::string_view section);

} // namespace pellora::ui
