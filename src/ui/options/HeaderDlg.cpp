#include "ui/options/HeaderDlg.h"

#include "ui/options/HeaderDlgIds.h"

namespace pellora::ui {

using namespace header;

DialogTemplate CHeaderDlg::Template()
{
    using K = ControlKind;
    return {IDD_DIALOG_HEADER,
            {420, 192},
            {
                {IDC_HEADER_GROUP, K::GroupBox, {12, 8, 396, 68}},
                {IDC_HEADER_LEFT_LABEL, K::Static, {24, 26, 120, 18}},
                {IDC_HEADER_CENTER_LABEL, K::Static, {150, 26, 120, 18}},
                {IDC_HEADER_RIGHT_LABEL, K::Static, {276, 26, 120, 18}},
                {IDC_HEADER_LEFT, K::ComboBox, {24, 44, 120, 24}},
                {IDC_HEADER_CENTER, K::ComboBox, {150, 44, 120, 24}},
                {IDC_HEADER_RIGHT, K::ComboBox, {276, 44, 120, 24}},
                {IDC_FOOTER_GROUP, K::GroupBox, {12, 82, 396, 68}},
                {IDC_FOOTER_LEFT_LABEL, K::Static, {24, 100, 120, 18}},
                {IDC_FOOTER_CENTER_LABEL, K::Static, {150, 100, 120, 18}},
                {IDC_FOOTER_RIGHT_LABEL, K::Static, {276, 100, 120, 18}},
                {IDC_FOOTER_LEFT, K::ComboBox, {24, 118, 120, 24}},
                {IDC_FOOTER_CENTER, K::ComboBox, {150, 118, 120, 24}},
                {IDC_FOOTER_RIGHT, K::ComboBox, {276, 118, 120, 24}},
                {IDC_OK, K::DefaultButton, {240, 158, 80, 24}},
                {IDC_CANCEL, K::PushButton, {328, 158, 80, 24}},
            }};
}

CHeaderDlg::CHeaderDlg(QWidget* parent)
    : COptionDialog(Template(), kSection, parent)
{
}

void CHeaderDlg::OnInitDialog()
{
    for (std::size_t i = 0; i < m_values.size(); ++i)
        SetComboIndex(kPositionCombos[i], m_values[i]);
}

bool CHeaderDlg::OnOK()
{
    for (std::size_t i = 0; i < m_values.size(); ++i)
        m_values[i] = ComboIndex(kPositionCombos[i]);
    return true;
}

} // namespace pellora::ui
