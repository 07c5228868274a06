#include "ui/options/CustomDlg.h"

#include "ui/dialogs/FileDialogs.h"
#include "ui/frame/CoolDialogBar.h"
#include "ui/options/CustomDlgIds.h"
#include "ui/options/OptionControls.h"
#include "ui/shared/DialogTexts.h"

#include <QAbstractButton>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

#include <utility>

namespace pellora::ui {

using namespace custom;

namespace {

constexpr int kEtcFolderChooserTitle = 106;
// The monitoring box stands in the frame of its group, as wide as its caption and the box.
constexpr int kMonitoringBoxExtra = 32;
constexpr int kMonitoringBoxHeight = 16;

struct CheckValue {
    int id;
    std::int32_t MonitorBlock::*value;
};

constexpr CheckValue kChecks[] = {
    {IDC_LOCK_CUSTOM_VALUE, &MonitorBlock::LockCustomValue}, {IDC_ENABLE_MONITORING, &MonitorBlock::EnableMonitoring},
    {IDC_ERROR_ICON, &MonitorBlock::EnableErrorIcon},        {IDC_WARNING_ICON, &MonitorBlock::EnableWarningIcon},
    {IDC_POPUP_ERROR, &MonitorBlock::PopupError},            {IDC_POPUP_WARNING, &MonitorBlock::PopupWarning},
    {IDC_SOUND_NOTIFY, &MonitorBlock::SoundNotifyEnable},    {IDC_NOTIFY_PRINTED, &MonitorBlock::Notify_Printed},
};

void clearText(QWidget* control)
{
    if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText({});
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->clear();
    else if (auto* group = qobject_cast<QGroupBox*>(control))
        group->setTitle({});
    else if (auto* field = qobject_cast<QLineEdit*>(control))
        field->clear();
}

} // namespace

DialogTemplate CCustomDlg::Template()
{
    using K = ControlKind;
    return {IDD_DIALOG_CUSTOM,
            {460, 460},
            {
                {IDC_EXPLANATION, K::Text, {12, 8, 436, 40}},
                {IDC_MONITORING_GROUP, K::GroupBox, {12, 52, 436, 168}},
                {IDC_ENABLE_MONITORING, K::CheckBox, {20, 50, 200, 16}},
                {IDC_ICON_GROUP, K::GroupBox, {24, 72, 412, 48}},
                {IDC_ERROR_ICON, K::CheckBox, {36, 94, 190, 18}},
                {IDC_WARNING_ICON, K::CheckBox, {232, 94, 196, 18}},
                {IDC_POPUP_GROUP, K::GroupBox, {24, 126, 412, 86}},
                {IDC_POPUP_ERROR, K::CheckBox, {36, 144, 190, 18}},
                {IDC_POPUP_WARNING, K::CheckBox, {232, 144, 196, 18}},
                {IDC_SOUND_NOTIFY, K::CheckBox, {36, 166, 394, 18}},
                {IDC_NOTIFY_PRINTED, K::CheckBox, {36, 188, 394, 18}},
                {IDC_INTERVAL_GROUP, K::GroupBox, {12, 228, 436, 70}},
                {IDC_INTERVAL_LOCAL_LABEL, K::Static, {24, 248, 200, 20}},
                {IDC_INTERVAL_LOCAL, K::Edit, {228, 247, 44, 22}},
                {IDC_INTERVAL_LOCAL_SPIN, K::UpDown, {272, 247, 16, 22}},
                {IDC_INTERVAL_LOCAL_UNIT, K::Static, {294, 248, 148, 20}},
                {IDC_INTERVAL_NET_LABEL, K::Static, {24, 272, 200, 20}},
                {IDC_INTERVAL_NET, K::Edit, {228, 271, 44, 22}},
                {IDC_INTERVAL_NET_SPIN, K::UpDown, {272, 271, 16, 22}},
                {IDC_INTERVAL_NET_UNIT, K::Static, {294, 272, 148, 20}},
                {IDC_FOLDER_GROUP, K::GroupBox, {12, 306, 436, 54}},
                {IDC_FOLDER, K::Edit, {24, 326, 310, 22}},
                {IDC_BROWSE_FOLDER, K::PushButton, {340, 325, 96, 24}},
                {IDC_CLIENT_GROUP, K::GroupBox, {12, 368, 436, 44}},
                {IDC_LOCK_CUSTOM_VALUE, K::CheckBox, {24, 388, 412, 18}},
                {IDC_OK, K::DefaultButton, {280, 424, 80, 24}},
                {IDC_CANCEL, K::PushButton, {368, 424, 80, 24}},
            }};
}

CCustomDlg::CCustomDlg(std::filesystem::path programFolder, QWidget* parent)
    : CCustomDlg(Template(), std::move(programFolder), parent)
{
}

CCustomDlg::CCustomDlg(const DialogTemplate& dialogTemplate, std::filesystem::path programFolder, QWidget* parent)
    : COptionDialog(dialogTemplate, kSection, parent)
    , m_programFolder(std::move(programFolder))
{
    if (auto* box = Item<QAbstractButton>(IDC_ENABLE_MONITORING))
        box->setAutoFillBackground(true); // it covers the frame line of its group
    for (const auto& [spin, field] : {std::pair {IDC_INTERVAL_LOCAL_SPIN, IDC_INTERVAL_LOCAL},
                                      std::pair {IDC_INTERVAL_NET_SPIN, IDC_INTERVAL_NET}}) {
        if (auto* upDown = Item<CUpDownControl>(spin))
            upDown->SetBuddy(Item<QLineEdit>(field));
    }
    for (const int id : {IDC_POPUP_ERROR, IDC_POPUP_WARNING, IDC_SOUND_NOTIFY, IDC_ENABLE_MONITORING})
        OnClicked(id, [this] { applyEnablingRule(); });
    OnCommand(IDC_BROWSE_FOLDER, [this] { browseFolder(); });
}

void CCustomDlg::OnInitDialog()
{
    sizeMonitoringBox();
    if (auto* upDown = Item<CUpDownControl>(IDC_INTERVAL_LOCAL_SPIN))
        upDown->SetRange(kLocalIntervalMin, kLocalIntervalMax);
    if (auto* upDown = Item<CUpDownControl>(IDC_INTERVAL_NET_SPIN))
        upDown->SetRange(kNetIntervalMin, kNetIntervalMax);
    writeControls();
    applyEnablingRule();
    // The bands go once: a re-initialised dialog keeps the height it has.
    if (!m_bandsRemoved) {
        removeOptionalBands();
        m_bandsRemoved = true;
    }
}

void CCustomDlg::sizeMonitoringBox()
{
    auto* box = Item<QAbstractButton>(IDC_ENABLE_MONITORING);
    if (box == nullptr)
        return;
    const QString caption = ItemText(kSection, IDC_MONITORING_GROUP);
    box->setText(caption);
    const int width = box->fontMetrics().horizontalAdvance(CCoolDialogBar::StripMnemonics(caption));
    box->resize(width + kMonitoringBoxExtra, kMonitoringBoxHeight);
    if (auto* group = Item<QGroupBox>(IDC_MONITORING_GROUP))
        group->setTitle({});
}

void CCustomDlg::writeControls()
{
    for (const CheckValue& check : kChecks)
        SetChecked(check.id, m_block.*check.value == 1);
    SetFieldText(IDC_INTERVAL_LOCAL, QString::number(m_block.MonitoringIntervalLocal));
    SetFieldText(IDC_INTERVAL_NET, QString::number(m_block.MonitoringIntervalNet));
    SetFieldText(IDC_FOLDER, QString::fromStdString(m_folder));
}

bool CCustomDlg::readControls(bool withIntervals)
{
    MonitorBlock block = m_block;
    for (const CheckValue& check : kChecks)
        block.*check.value = IsChecked(check.id) ? 1 : 0;
    if (withIntervals
        && (!ReadNumber(IDC_INTERVAL_LOCAL, kLocalIntervalMin, kLocalIntervalMax, block.MonitoringIntervalLocal)
            || !ReadNumber(IDC_INTERVAL_NET, kNetIntervalMin, kNetIntervalMax, block.MonitoringIntervalNet)))
        return false;
    m_block = block;
    m_folder = FieldText(IDC_FOLDER).toStdString();
    return true;
}

void CCustomDlg::applyEnablingRule()
{
    readControls(false);
    const bool monitoring = m_block.EnableMonitoring == 1;
    for (const int id : {IDC_ICON_GROUP, IDC_ERROR_ICON, IDC_WARNING_ICON, IDC_POPUP_GROUP, IDC_POPUP_ERROR,
                         IDC_POPUP_WARNING, IDC_NOTIFY_PRINTED})
        EnableControl(id, monitoring);
    EnableControl(IDC_SOUND_NOTIFY, monitoring && (m_block.PopupError == 1 || m_block.PopupWarning == 1));
}

void CCustomDlg::removeOptionalBands()
{
    const QWidget* sound = FindControl(this, IDC_SOUND_NOTIFY);
    if (sound != nullptr && sound->isHidden())
        removeBand(IDC_SOUND_NOTIFY, IDC_NOTIFY_PRINTED);
    const QWidget* folder = FindControl(this, IDC_FOLDER_GROUP);
    if (folder != nullptr && folder->isHidden())
        removeBand(IDC_FOLDER_GROUP, IDC_CLIENT_GROUP);
}

void CCustomDlg::removeBand(int first, int second)
{
    const QWidget* firstControl = FindControl(this, first);
    const QWidget* secondControl = FindControl(this, second);
    if (firstControl == nullptr || secondControl == nullptr)
        return;
    const QRect band = firstControl->geometry();
    const int height = secondControl->geometry().top() - band.top();
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (ControlId(control) <= 0)
            continue;
        const QRect place = control->geometry();
        if (band.contains(place)) {
            control->hide();
            clearText(control);
        } else if (place.top() < band.top() && place.bottom() >= band.top() + height) {
            control->resize(place.width(), place.height() - height);
        } else if (place.top() >= band.top() + band.height()) {
            control->move(place.left(), place.top() - height);
        }
    }
    resize(width(), this->height() - height);
}

void CCustomDlg::browseFolder()
{
    const QString chosen = ChooseFolder(this, ItemText("ETC", kEtcFolderChooserTitle),
                                        QFile::decodeName(QByteArray::fromStdString(m_programFolder.string())),
                                        FieldText(IDC_FOLDER));
    if (!chosen.isEmpty())
        SetFieldText(IDC_FOLDER, chosen);
}

bool CCustomDlg::OnOK()
{
    return readControls(true);
}

void CCustomDlg::OnCancel()
{
    m_block = MonitorBlock {};
    writeControls();
}

} // namespace pellora::ui
