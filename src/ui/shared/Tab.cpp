#include "ui/shared/Tab.h"

#include "core/model/ViewMode.h"
#include "core/platform/Profile.h"
#include "ui/shared/CommandIds.h"
#include "ui/shared/ControlId.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/InputMessage.h"
#include "ui/shared/LayoutApply.h"
#include "ui/shared/TabHost.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolTip>

#include <algorithm>

namespace pellora::ui {

namespace {

// Where a label or button keeps its whole text and the tooltip of its own while a cut text shows.
constexpr char kWholeTextProperty[] = "pelloraWholeText";
constexpr char kOwnToolTipProperty[] = "pelloraOwnToolTip";
constexpr char kShownTextProperty[] = "pelloraShownText";

// The wait cursor for the length of an edit.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace

CTab::CTab(TabHost& host, int dialogId, std::string_view section, QWidget* parent)
    : QWidget(parent)
    , m_host(host)
    , m_dialogId(dialogId)
    , m_section(section)
{
    SetControlId(this, dialogId);
}

void CTab::Initialise()
{
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    ApplyLayout(m_layout, this);
    Retext();
    // The host may still be under construction: the first refresh happens when the page is shown or the
    // host asks for it. Until then nothing is selected.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (ControlId(child) > 0)
            child->setEnabled(false);
    }
}

void CTab::OnSelectionChanged()
{
    UpdateControls();
}

void CTab::Retext()
{
    ApplyDialogTexts(this, m_section);
    ApplyTooltips(this, m_section);
    OnRetext();
    rememberTexts();
    fitTexts();
}

void CTab::rememberTexts()
{
    for (QWidget* child : findChildren<QWidget*>()) {
        if (ControlId(child) <= 0)
            continue;
        QString text;
        if (auto* label = qobject_cast<QLabel*>(child); label && label->pixmap().isNull())
            text = label->text();
        else if (qobject_cast<QCheckBox*>(child) || qobject_cast<QRadioButton*>(child))
            text = static_cast<QAbstractButton*>(child)->text();
        else
            continue;
        child->setProperty(kWholeTextProperty, text);
        child->setProperty(kOwnToolTipProperty, child->toolTip());
    }
}

void CTab::fitTexts()
{
    for (QWidget* child : findChildren<QWidget*>()) {
        const QVariant whole = child->property(kWholeTextProperty);
        if (!whole.isValid())
            continue;
        auto* label = qobject_cast<QLabel*>(child);
        auto* button = qobject_cast<QAbstractButton*>(child);
        const QString current = label ? label->text() : button->text();
        if (current != whole.toString() && current != child->property(kShownTextProperty).toString()) {
            // Someone else gave the control a new text: that is its whole text now.
            child->setProperty(kWholeTextProperty, current);
            child->setProperty(kOwnToolTipProperty, child->toolTip());
        }
        const QString text = child->property(kWholeTextProperty).toString();
        const QFontMetrics metrics = child->fontMetrics();
        // The box or circle of a button and its spacing.
        const int chrome = button ? button->sizeHint().width() - metrics.horizontalAdvance(button->text()) : 0;
        const int room = std::min(child->width(), width() - child->x()) - chrome;
        const QString shown = metrics.horizontalAdvance(text) <= room ? text : metrics.elidedText(text, Qt::ElideRight, room);
        const QString ownTip = child->property(kOwnToolTipProperty).toString();
        const QString tip = shown == text ? ownTip : ownTip.isEmpty() ? text : text + QLatin1Char('\n') + ownTip;
        child->setProperty(kShownTextProperty, shown);
        if (label && label->text() != shown)
            label->setText(shown);
        else if (button && button->text() != shown)
            button->setText(shown);
        if (child->toolTip() != tip)
            child->setToolTip(tip);
    }
}

bool CTab::FocusControl(int controlId)
{
    QWidget* control = FindControl(this, FocusTarget(controlId));
    if (!control || control->isHidden())
        return false;
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
    return true;
}

std::string CTab::CommonText(const Selection& selection, const TextGetter& get)
{
    if (selection.empty())
        return {};
    std::string first = get(*selection.front());
    for (std::size_t i = 1; i < selection.size(); ++i) {
        if (get(*selection[i]) != first)
            return {};
    }
    return first;
}

int CTab::CommonCheckState(const Selection& selection, const IntGetter& get)
{
    if (selection.empty())
        return 0;
    const int first = get(*selection.front());
    for (std::size_t i = 1; i < selection.size(); ++i) {
        if (get(*selection[i]) != first)
            return 2;
    }
    return first;
}

int CTab::CommonInteger(const Selection& selection, const IntGetter& get)
{
    if (selection.empty())
        return -1;
    const int first = get(*selection.front());
    for (std::size_t i = 1; i < selection.size(); ++i) {
        if (get(*selection[i]) != first)
            return -1;
    }
    return first;
}

QString CTab::LengthMessage(std::size_t maxBytes) const
{
    return ItemText(m_section, kLengthMessageItem).replace(QStringLiteral("%1"), QString::number(maxBytes));
}

bool CTab::CurrentSelection(Selection& selection) const
{
    selection.clear();
    return m_host.SelectedPrinters(selection);
}

bool CTab::EditAllowed(bool needsSelection) const
{
    if (IsViewMode() || m_updating || !m_host.HostList())
        return false;
    if (!needsSelection)
        return true;
    Selection selection;
    return CurrentSelection(selection) && !selection.empty();
}

bool CTab::BeginEdit(bool needsSelection)
{
    if (IsViewMode() || m_updating || !m_host.HostList())
        return false;
    Selection selection;
    if (needsSelection && (!CurrentSelection(selection) || selection.empty()))
        return false;
    m_selection = std::move(selection);
    m_updating = true;
    ReadControls();
    return true;
}

void CTab::EndEdit()
{
    if (PrinterList* records = m_host.HostList()) {
        if (m_marksModified)
            records->RecordsEdited();
        records->UpdateAllViews(m_host.HostObserverId());
    }
    if (!m_selection.empty())
        m_host.PrintersEdited(m_selection);
    m_selection.clear();
    m_updating = false;
    UpdateControls();
}

void CTab::ApplyToSelection(const std::function<void(CPrinterInfoEx&)>& set)
{
    const WaitCursor wait;
    for (CPrinterInfoEx* record : m_selection)
        set(*record);
}

void CTab::SetTextLimit(QLineEdit* edit, std::size_t maxBytes)
{
    m_limits[edit] = maxBytes;
    edit->setMaxLength(static_cast<int>(maxBytes));
}

bool CTab::wouldPassByteLimit(const QLineEdit* field, const QString& typed) const
{
    return fittingPrefix(field, typed) != typed;
}

QString CTab::fittingPrefix(const QLineEdit* field, const QString& typed) const
{
    const auto limit = m_limits.find(field);
    if (limit == m_limits.end())
        return typed;
    QString after = field->text();
    if (field->hasSelectedText())
        after.remove(field->selectionStart(), field->selectedText().size());
    const auto used = static_cast<std::size_t>(after.toUtf8().size());
    std::size_t room = used >= limit->second ? 0 : limit->second - used;
    QString prefix;
    for (const char32_t character : typed.toUcs4()) {
        const QString one = QString::fromUcs4(&character, 1);
        const auto bytes = static_cast<std::size_t>(one.toUtf8().size());
        if (bytes > room)
            break;
        prefix += one;
        room -= bytes;
    }
    return prefix;
}

bool CTab::ReadText(QLineEdit* edit, std::string& out)
{
    out = edit->text().toStdString();
    const auto limit = m_limits.find(edit);
    if (limit == m_limits.end())
        return true;
    const std::size_t maxBytes = limit->second;
    if (out.size() > maxBytes) {
        showLengthMessage(maxBytes);
        out = std::string(platform::CutUtf8(out, maxBytes));
        edit->setText(QString::fromStdString(out));
        return false;
    }
    // The field never takes more characters than the limit has bytes; only characters of several
    // bytes can then go over it.
    edit->setMaxLength(static_cast<int>(maxBytes));
    return true;
}

void CTab::ShowText(QLineEdit* edit, const std::string& text)
{
    const QString shown = QString::fromStdString(text);
    if (edit->text() != shown)
        edit->setText(shown);
}

void CTab::ShowReadOnly(QLineEdit* edit, bool readOnly)
{
    edit->setReadOnly(readOnly);
    const QPalette standard = QApplication::palette(edit);
    QPalette colours = edit->palette();
    colours.setBrush(QPalette::Base, standard.brush(readOnly ? QPalette::Window : QPalette::Base));
    edit->setPalette(colours);
}

void CTab::ShowCheckState(QCheckBox* box, int state)
{
    const QSignalBlocker blocker(box);
    box->setTristate(state == 2);
    box->setCheckState(state == 2 ? Qt::PartiallyChecked : state ? Qt::Checked : Qt::Unchecked);
}

void CTab::ShowComboIndex(QComboBox* combo, int index)
{
    if (combo->currentIndex() == index)
        return;
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(index < combo->count() ? index : -1);
}

void CTab::showLengthMessage(std::size_t maxBytes)
{
    ShowInputMessage(this, LengthMessage(maxBytes));
}

void CTab::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ApplyLayout(m_layout, this);
    fitTexts();
}

void CTab::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_updating)
        UpdateControls();
}

int CTab::shortcutCommand(const QEvent* event) const
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return 0;
    const auto* key = static_cast<const QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if (!(modifiers & Qt::ControlModifier) || (modifiers & (Qt::AltModifier | Qt::MetaModifier)))
        return 0;
    switch (key->key()) {
    case Qt::Key_S:
        return ID_FILE_SAVE;
    case Qt::Key_N:
        return ID_FILE_NEW;
    case Qt::Key_O:
        return ID_FILE_OPEN;
    default:
        return 0;
    }
}

void CTab::ShowFieldHint(QLineEdit* field, const QString& text)
{
    const bool sameBurst = m_hintClock.isValid() && m_hintClock.elapsed() < kHintBurstMilliseconds;
    m_hintClock.restart();
    if (sameBurst || text.isEmpty())
        return;
    if (m_hintPresenter)
        m_hintPresenter(field, text);
    else
        QToolTip::showText(field->mapToGlobal(QPoint(0, field->height())), text, field);
}

bool CTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // A key that a field refuses, or that would add a character to a full one, is refused there with
        // a hint, not silently.
        auto* field = qobject_cast<QLineEdit*>(watched);
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool typing = field && !field->isReadOnly() && !key->text().isEmpty() && key->text().front().isPrint()
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typing) {
            if (const QString refused = RefusedKeyHint(field, key->text()); !refused.isEmpty()) {
                ShowFieldHint(field, refused);
                return true;
            }
            if (!field->hasSelectedText() && field->text().size() >= field->maxLength())
                ShowFieldHint(field, FullFieldHint(field));
            else if (wouldPassByteLimit(field, key->text())) {
                if (const QString full = FullFieldHint(field); !full.isEmpty()) {
                    ShowFieldHint(field, full);
                    return true;
                }
            }
        }
    }
    if (event->type() == QEvent::InputMethod) {
        // What an input method commits is held to the byte limit too: the field takes what fits, with the
        // hint, instead of meeting the length message later.
        auto* field = qobject_cast<QLineEdit*>(watched);
        const auto* input = static_cast<const QInputMethodEvent*>(event);
        if (field && !field->isReadOnly() && wouldPassByteLimit(field, input->commitString())) {
            if (const QString full = FullFieldHint(field); !full.isEmpty()) {
                QInputMethodEvent fitted(input->preeditString(), input->attributes());
                fitted.setCommitString(fittingPrefix(field, input->commitString()), input->replacementStart(),
                                       input->replacementLength());
                QCoreApplication::sendEvent(field, &fitted);
                ShowFieldHint(field, full);
                return true;
            }
        }
    }
    if (m_commandHandler) {
        if (const int command = shortcutCommand(event)) {
            // Claiming the shortcut makes the key arrive here as a key press instead of firing a
            // window shortcut of the same keys; the key press then carries the command to the frame.
            event->accept();
            if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat())
                m_commandHandler(command);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

int PageIndexOfSection(const QTabWidget& tabs, std::string_view section)
{
    const QString wanted = QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size()));
    for (int i = 0; i < tabs.count(); ++i) {
        const QWidget* page = tabs.widget(i);
        const auto* tab = qobject_cast<const CTab*>(page);
        const QString name = tab != nullptr ? QString::fromStdString(tab->Section()) : page->objectName();
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace pellora::ui
