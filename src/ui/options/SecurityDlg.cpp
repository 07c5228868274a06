#include "ui/options/SecurityDlg.h"

#include "core/model/ViewMode.h"
#include "ui/options/HeaderDlg.h"
#include "ui/options/OptionControls.h"
#include "ui/options/SecurityDlgIds.h"

#include <QAbstractButton>
#include <QComboBox>

namespace pellora::ui {

using namespace security;

namespace {

struct CheckValue {
    int id;
    std::int32_t SecurityBlock::*value;
};

constexpr CheckValue kChecks[] = {
    {IDC_NOT_ALLOW_BLOCK, &SecurityBlock::NotAllowBlock},       {IDC_NOT_ALLOW_STAMP, &SecurityBlock::NotAllowStamp},
    {IDC_NOT_ALLOW_HEADER, &SecurityBlock::NotAllowHeader},     {IDC_NOT_ALLOW_PASSWORD, &SecurityBlock::NotAllowPassword},
    {IDC_HEADER_FOOTER, &SecurityBlock::HeaderFooter},          {IDC_PASSWORD, &SecurityBlock::Password},
};

constexpr std::int32_t SecurityBlock::*kHeaderValues[] = {
    &SecurityBlock::HeaderLeft, &SecurityBlock::HeaderCenter, &SecurityBlock::HeaderRight,
    &SecurityBlock::FooterLeft, &SecurityBlock::FooterCenter, &SecurityBlock::FooterRight,
};

} // namespace

DialogTemplate CSecurityDlg::Template()
{
    using K = ControlKind;
    return {IDD_DIALOG_SECURITY,
            {440, 330},
            {
                {IDC_LOCK_BLOCK, K::LockToggle, {12, 12, 20, 20}},
                {IDC_NOT_ALLOW_BLOCK, K::CheckBox, {40, 13, 388, 18}},
                {IDC_LOCK_STAMP, K::LockToggle, {12, 36, 20, 20}},
                {IDC_NOT_ALLOW_STAMP, K::CheckBox, {40, 37, 388, 18}},
                {IDC_LOCK_HEADER, K::LockToggle, {12, 60, 20, 20}},
                {IDC_NOT_ALLOW_HEADER, K::CheckBox, {40, 61, 388, 18}},
                {IDC_LOCK_PASSWORD, K::LockToggle, {12, 84, 20, 20}},
                {IDC_NOT_ALLOW_PASSWORD, K::CheckBox, {40, 85, 388, 18}},
                {IDC_LOCK_BLOCK_PATTERN, K::LockToggle, {12, 118, 20, 20}},
                {IDC_BLOCK_PATTERN_LABEL, K::Static, {40, 118, 110, 20}},
                {IDC_BLOCK_PATTERN, K::ComboBox, {154, 116, 200, 24}},
                {IDC_COLOUR_LABEL, K::Static, {56, 148, 94, 20}},
                {IDC_COLOUR_RED, K::RadioButton, {154, 148, 74, 20}, 1},
                {IDC_SWATCH_RED, K::ColourSwatch, {230, 150, 16, 16}},
                {IDC_COLOUR_BLUE, K::RadioButton, {262, 148, 74, 20}, 1},
                {IDC_SWATCH_BLUE, K::ColourSwatch, {338, 150, 16, 16}},
                {IDC_ARRANGE_LABEL, K::Static, {56, 174, 94, 20}},
                {IDC_ARRANGE_BEHIND, K::RadioButton, {154, 174, 130, 20}, 2},
                {IDC_ARRANGE_FRONT, K::RadioButton, {288, 174, 140, 20}, 2},
                {IDC_LOCK_STAMP_MARK, K::LockToggle, {12, 206, 20, 20}},
                {IDC_STAMP_MARK_LABEL, K::Static, {40, 206, 110, 20}},
                {IDC_STAMP_MARK, K::ComboBox, {154, 204, 200, 24}},
                {IDC_LOCK_HEADER_FOOTER, K::LockToggle, {12, 240, 20, 20}},
                {IDC_HEADER_FOOTER, K::CheckBox, {40, 241, 240, 18}},
                {IDC_HEADER_BUTTON, K::PushButton, {284, 237, 144, 24}},
                {IDC_LOCK_PASSWORD_PRINTING, K::LockToggle, {12, 268, 20, 20}},
                {IDC_PASSWORD, K::CheckBox, {40, 269, 388, 18}},
                {IDC_OK, K::DefaultButton, {260, 298, 80, 24}},
                {IDC_CANCEL, K::PushButton, {348, 298, 80, 24}},
            }};
}

CSecurityDlg::CSecurityDlg(QWidget* parent)
    : COptionDialog(Template(), kSection, parent)
{
    for (const int id : kLockToggles)
        OnCommand(id, [this, id] { invertToggle(id); });
    for (const int swatch : {IDC_SWATCH_RED, IDC_SWATCH_BLUE}) {
        if (auto* colour = Item<CColourSwatch>(swatch)) {
            connect(colour, &CColourSwatch::clicked, this, [this, swatch] {
                if (auto* radio = Item<QAbstractButton>(swatch - kSwatchToRadio); radio != nullptr && !IsViewMode())
                    radio->click();
            });
        }
    }
    OnClicked(IDC_HEADER_FOOTER, [this] { applyHeaderRule(); });
    if (auto* pattern = Item<QComboBox>(IDC_BLOCK_PATTERN))
        connect(pattern, &QComboBox::currentIndexChanged, this, [this] { applyPatternRule(); });
    OnCommand(IDC_HEADER_BUTTON, [this] { runHeaderDialog(); });
}

void CSecurityDlg::OnInitDialog()
{
    for (std::size_t bit = 0; bit < std::size(kLockToggles); ++bit) {
        if (auto* toggle = Item<CLockToggle>(kLockToggles[bit]))
            toggle->SetOn((m_block.Lock >> bit) & 1);
    }
    if (auto* red = Item<CColourSwatch>(IDC_SWATCH_RED))
        red->SetColour(kRedSwatchColour);
    if (auto* blue = Item<CColourSwatch>(IDC_SWATCH_BLUE))
        blue->SetColour(kBlueSwatchColour);
    writeControls();
    applyHeaderRule();
    applyPatternRule();
}

void CSecurityDlg::writeControls()
{
    for (const CheckValue& check : kChecks)
        SetChecked(check.id, m_block.*check.value == 1);
    SetComboIndex(IDC_BLOCK_PATTERN, m_block.BlockPattern);
    SetRadioIndex({IDC_COLOUR_RED, IDC_COLOUR_BLUE}, m_block.BlockPatternColor);
    SetRadioIndex({IDC_ARRANGE_BEHIND, IDC_ARRANGE_FRONT}, m_block.BlockPatternArrange);
    SetComboIndex(IDC_STAMP_MARK, m_block.StampMark);
}

std::int32_t CSecurityDlg::LockFromToggles() const
{
    std::int32_t lock = 0;
    for (std::size_t bit = 0; bit < std::size(kLockToggles); ++bit) {
        if (const auto* toggle = Item<CLockToggle>(kLockToggles[bit]); toggle != nullptr && toggle->IsOn())
            lock |= std::int32_t {1} << bit;
    }
    return lock;
}

void CSecurityDlg::invertToggle(int id)
{
    if (auto* toggle = Item<CLockToggle>(id))
        toggle->SetOn(!toggle->IsOn());
}

void CSecurityDlg::applyHeaderRule()
{
    EnableControl(IDC_HEADER_BUTTON, IsChecked(IDC_HEADER_FOOTER));
}

void CSecurityDlg::applyPatternRule()
{
    const bool pattern = ComboIndex(IDC_BLOCK_PATTERN) > 0;
    for (const int id : {IDC_COLOUR_LABEL, IDC_COLOUR_RED, IDC_COLOUR_BLUE, IDC_SWATCH_RED, IDC_SWATCH_BLUE,
                         IDC_ARRANGE_LABEL, IDC_ARRANGE_FRONT, IDC_ARRANGE_BEHIND})
        EnableControl(id, pattern);
}

void CSecurityDlg::runHeaderDialog()
{
    CHeaderDlg header(this);
    CHeaderDlg::Positions positions {};
    for (std::size_t i = 0; i < positions.size(); ++i)
        positions[i] = m_block.*kHeaderValues[i];
    header.SetValues(positions);
    header.Initialise();
    if (header.RunModal() != QDialog::Accepted)
        return;
    for (std::size_t i = 0; i < positions.size(); ++i)
        m_block.*kHeaderValues[i] = header.Values()[i];
}

bool CSecurityDlg::OnOK()
{
    SecurityBlock block = m_block;
    for (const CheckValue& check : kChecks)
        block.*check.value = IsChecked(check.id) ? 1 : 0;
    block.BlockPattern = ComboIndex(IDC_BLOCK_PATTERN);
    block.BlockPatternColor = RadioIndex({IDC_COLOUR_RED, IDC_COLOUR_BLUE});
    block.BlockPatternArrange = RadioIndex({IDC_ARRANGE_BEHIND, IDC_ARRANGE_FRONT});
    block.StampMark = ComboIndex(IDC_STAMP_MARK);
    block.Lock = LockFromToggles();
    m_block = block;
    return true;
}

} // namespace pellora::ui
