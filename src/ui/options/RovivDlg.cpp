#include "ui/options/RovivDlg.h"

#include "core/script/MachineSettings.h"
#include "ui/options/RovivDlgIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScreen>

#include <algorithm>
#include <cstring>

namespace pellora::ui {

using namespace roviv;

DialogTemplate CRovivDlg::Template()
{
    using K = ControlKind;
    return {IDD_DIALOG_HYDRO,
            {440, 360},
            {
                {IDC_AUTO_PORT, K::CheckBox, {12, 12, 416, 18}},
                {IDC_HYDRO_GROUP, K::GroupBox, {12, 40, 416, 272}},
                {IDC_USE_HYDRO, K::CheckBox, {24, 60, 392, 18}},
                {IDC_USER_GROUP, K::GroupBox, {24, 84, 392, 66}},
                {IDC_USER_LOGON, K::RadioButton, {36, 102, 370, 18}, 1},
                {IDC_USER_ENTERED, K::RadioButton, {36, 124, 370, 18}, 1},
                {IDC_CHECK_PORT_LABEL, K::Static, {24, 160, 234, 20}},
                {IDC_CHECK_PORT, K::Edit, {262, 159, 70, 22}},
                {IDC_PROTOCOL_GROUP, K::GroupBox, {24, 188, 392, 116}},
                {IDC_PROTOCOL_LPR, K::RadioButton, {36, 206, 370, 18}, 2},
                {IDC_QUEUE_LABEL, K::Static, {56, 230, 140, 20}},
                {IDC_QUEUE_NAME, K::Edit, {200, 229, 120, 22}},
                {IDC_QUEUE_HINT, K::Static, {326, 230, 84, 20}},
                {IDC_PROTOCOL_RAW, K::RadioButton, {36, 256, 370, 18}, 2},
                {IDC_PORT_LABEL, K::Static, {56, 280, 140, 20}},
                {IDC_RAW_PORT, K::Edit, {200, 279, 70, 22}},
                {IDC_PORT_HINT, K::Static, {276, 280, 134, 20}},
                {IDC_OK, K::DefaultButton, {256, 324, 80, 24}},
                {IDC_CANCEL, K::PushButton, {344, 324, 80, 24}},
            }};
}

CRovivDlg::CRovivDlg(std::uint32_t showItem, QWidget* parent)
    : COptionDialog(Template(), kSection, parent)
    , m_showItem(showItem)
{
    for (const int id : {IDC_USE_HYDRO, IDC_PROTOCOL_LPR, IDC_PROTOCOL_RAW, IDC_USER_LOGON, IDC_USER_ENTERED})
        OnClicked(id, [this] { applyEnablingRule(); });
}

std::uint32_t CRovivDlg::MachineShowItem()
{
    return ReadMachineSetting("ShowItem").value_or(0);
}

void CRovivDlg::SetValues(std::int32_t autoPort, std::int32_t useHydro, const PortBlock& block)
{
    m_autoPort = autoPort;
    m_useHydro = useHydro;
    m_block = block;
}

void CRovivDlg::OnInitDialog()
{
    EnableControl(IDC_AUTO_PORT, m_autoPortEnabled);
    if (!m_partSettled) {
        if (ShowsPortSettings())
            limitFields();
        else
            hidePortSettings();
        m_partSettled = true;
    }
    writeControls();
    applyEnablingRule();
}

void CRovivDlg::limitFields()
{
    const auto digits = QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kPortNumberMaxDigits));
    for (const int id : {IDC_CHECK_PORT, IDC_RAW_PORT}) {
        if (auto* field = Item<QLineEdit>(id)) {
            field->setMaxLength(kPortNumberMaxDigits);
            field->setValidator(new QRegularExpressionValidator(digits, field));
        }
    }
    if (auto* queue = Item<QLineEdit>(IDC_QUEUE_NAME)) {
        queue->setMaxLength(kQueueNameMaxCharacters);
        queue->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x21-\\x7E]*")), queue));
        queue->setAttribute(Qt::WA_InputMethodEnabled, false);
    }
}

void CRovivDlg::hidePortSettings()
{
    for (const int id : kHydroControls) {
        if (QWidget* control = FindControl(this, id))
            control->hide();
    }
    const QWidget* ok = FindControl(this, IDC_OK);
    const QWidget* first = FindControl(this, IDC_USE_HYDRO);
    if (ok == nullptr || first == nullptr)
        return;
    const int gap = ok->y() - first->y();
    for (const int id : {IDC_OK, IDC_CANCEL}) {
        if (QWidget* button = FindControl(this, id))
            button->move(button->x(), button->y() - gap);
    }
    // Half the height goes at the top and half at the bottom; then the dialog is centred on its owner.
    const QRect before = geometry();
    setGeometry(before.x(), before.y() + gap / 2, before.width(), before.height() - gap);
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    QRect centred(QPoint(0, 0), size());
    if (owner != nullptr)
        centred.moveCenter(owner->geometry().center());
    else if (const QScreen* screen = QApplication::primaryScreen())
        centred.moveCenter(screen->availableGeometry().center());
    move(centred.topLeft());
}

void CRovivDlg::writeControls()
{
    SetChecked(IDC_AUTO_PORT, m_autoPort != 0);
    SetChecked(IDC_USE_HYDRO, m_useHydro != 0);
    SetRadioIndex({IDC_USER_LOGON, IDC_USER_ENTERED}, m_block.SecureUserMode);
    SetFieldText(IDC_CHECK_PORT, QString::number(m_block.CheckPortNo));
    SetRadioIndex({IDC_PROTOCOL_LPR, IDC_PROTOCOL_RAW}, m_block.ProtocolID);
    SetFieldText(IDC_QUEUE_NAME,
                 QString::fromUtf8(m_block.QueueName, static_cast<qsizetype>(strnlen(m_block.QueueName, sizeof m_block.QueueName))));
    SetFieldText(IDC_RAW_PORT, QString::number(m_block.SecureRawPortNo));
}

bool CRovivDlg::readControls()
{
    PortBlock block = m_block;
    std::string queue;
    if (!ReadText(IDC_QUEUE_NAME, kQueueNameMaxCharacters, queue))
        return false;
    if (!ReadNumber(IDC_CHECK_PORT, 0, kPortNumberMax, block.CheckPortNo)
        || !ReadNumber(IDC_RAW_PORT, 0, kPortNumberMax, block.SecureRawPortNo))
        return false;
    std::memset(block.QueueName, 0, sizeof block.QueueName);
    std::memcpy(block.QueueName, queue.data(), std::min(queue.size(), sizeof block.QueueName - 1));
    block.SecureUserMode = RadioIndex({IDC_USER_LOGON, IDC_USER_ENTERED});
    block.ProtocolID = RadioIndex({IDC_PROTOCOL_LPR, IDC_PROTOCOL_RAW});
    m_autoPort = IsChecked(IDC_AUTO_PORT) ? 1 : 0;
    m_useHydro = IsChecked(IDC_USE_HYDRO) ? 1 : 0;
    m_block = block;
    return true;
}

void CRovivDlg::applyEnablingRule()
{
    const bool on = IsChecked(IDC_USE_HYDRO);
    const int protocol = RadioIndex({IDC_PROTOCOL_LPR, IDC_PROTOCOL_RAW});
    for (const int id : {IDC_PROTOCOL_LPR, IDC_PROTOCOL_RAW, IDC_PROTOCOL_FRAME, IDC_USER_GROUP, IDC_USER_LOGON,
                         IDC_USER_ENTERED, IDC_CHECK_PORT_LABEL, IDC_CHECK_PORT})
        EnableControl(id, on);
    EnableControl(IDC_QUEUE_LABEL, on && protocol == 0);
    EnableControl(IDC_QUEUE_NAME, on && protocol == 0);
    EnableControl(IDC_PORT_LABEL, on && protocol == 1);
    EnableControl(IDC_RAW_PORT, on && protocol == 1);
}

bool CRovivDlg::OnOK()
{
    return readControls();
}

} // namespace pellora::ui
