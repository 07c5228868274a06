#include "ui/options/OptionDialog.h"

#include "core/model/ViewMode.h"
#include "ui/shared/DialogTexts.h"
#include "ui/shared/InputMessage.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>

namespace pellora::ui {

namespace {

constexpr int kDialogPointSize = 9;
constexpr int kReferenceDpi = 96;

} // namespace

COptionDialog::COptionDialog(const DialogTemplate& dialogTemplate, std::string_view section, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)
    , m_dialogId(dialogTemplate.id)
    , m_section(section)
{
    setObjectName(QString::fromStdString(m_section));
    BuildControls(*this, dialogTemplate);
    if (auto* ok = Item<QAbstractButton>(IDC_OK))
        connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    if (auto* cancel = Item<QAbstractButton>(IDC_CANCEL))
        connect(cancel, &QAbstractButton::clicked, this, &QDialog::reject);
}

void COptionDialog::Initialise()
{
    setFont(QApplication::font());
    ApplyDialogTexts(this, m_section);
    ApplyTooltips(this, m_section);
    setWindowTitle(KeyText(m_section, "TITLE"));
    OnInitDialog();
}

int COptionDialog::RunModal()
{
    QFont font = QApplication::font();
    const int dpi = screen() != nullptr ? static_cast<int>(screen()->logicalDotsPerInchY()) : kReferenceDpi;
    if (dpi != kReferenceDpi && dpi > 0)
        font.setPointSize((kDialogPointSize * kReferenceDpi + dpi / 2) / dpi);
    else
        font.setPointSize(kDialogPointSize);
    setFont(font);
    setModal(true);
    return exec();
}

void COptionDialog::accept()
{
    if (IsViewMode() || !OnOK())
        return;
    QDialog::accept();
}

void COptionDialog::reject()
{
    if (IsViewMode())
        return;
    OnCancel();
    QDialog::reject();
}

void COptionDialog::OnCommand(int id, std::function<void()> handler)
{
    if (auto* button = Item<QAbstractButton>(id)) {
        connect(button, &QAbstractButton::clicked, this, [handler = std::move(handler)] {
            if (!IsViewMode())
                handler();
        });
    }
}

void COptionDialog::OnClicked(int id, const std::function<void()>& rule)
{
    if (auto* button = Item<QAbstractButton>(id))
        connect(button, &QAbstractButton::clicked, this, rule);
}

void COptionDialog::EnableControl(int id, bool enabled) const
{
    if (QWidget* control = FindControl(this, id))
        control->setEnabled(enabled);
}

bool COptionDialog::IsChecked(int id) const
{
    const auto* button = Item<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

void COptionDialog::SetChecked(int id, bool checked) const
{
    if (auto* button = Item<QAbstractButton>(id))
        button->setChecked(checked);
}

int COptionDialog::RadioIndex(std::initializer_list<int> ids) const
{
    int index = 0;
    for (const int id : ids) {
        if (IsChecked(id))
            return index;
        ++index;
    }
    return -1;
}

void COptionDialog::SetRadioIndex(std::initializer_list<int> ids, int index) const
{
    int position = 0;
    for (const int id : ids) {
        if (auto* button = Item<QAbstractButton>(id)) {
            // An exclusive group keeps one button checked: it lets go while the buttons are set.
            QButtonGroup* group = button->group();
            const bool exclusive = group != nullptr && group->exclusive();
            if (exclusive)
                group->setExclusive(false);
            button->setChecked(position == index);
            if (exclusive)
                group->setExclusive(true);
        }
        ++position;
    }
}

int COptionDialog::ComboIndex(int id) const
{
    const auto* combo = Item<QComboBox>(id);
    return combo != nullptr ? combo->currentIndex() : -1;
}

void COptionDialog::SetComboIndex(int id, int index) const
{
    if (auto* combo = Item<QComboBox>(id))
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

void COptionDialog::SetFieldText(int id, const QString& text) const
{
    if (auto* field = Item<QLineEdit>(id))
        field->setText(text);
}

QString COptionDialog::FieldText(int id) const
{
    const auto* field = Item<QLineEdit>(id);
    return field != nullptr ? field->text() : QString();
}

bool COptionDialog::ReadNumber(int id, int minimum, int maximum, int& value)
{
    bool isNumber = false;
    const qlonglong number = FieldText(id).trimmed().toLongLong(&isNumber);
    if (!isNumber || number < minimum || number > maximum) {
        refuseField(id, ItemText(m_section, kRangeMessageItem)
                            .replace(QStringLiteral("%1"), QString::number(minimum))
                            .replace(QStringLiteral("%2"), QString::number(maximum)));
        return false;
    }
    value = static_cast<int>(number);
    return true;
}

bool COptionDialog::ReadText(int id, int maxCharacters, std::string& value)
{
    const QString text = FieldText(id);
    if (text.size() > maxCharacters) {
        refuseField(id, ItemText(m_section, kLengthMessageItem).replace(QStringLiteral("%1"),
                                                                         QString::number(maxCharacters)));
        return false;
    }
    value = text.toStdString();
    return true;
}

void COptionDialog::refuseField(int id, const QString& message)
{
    ShowInputMessage(this, message);
    if (auto* field = Item<QLineEdit>(id)) {
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
    }
}

} // namespace pellora::ui
