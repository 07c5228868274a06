#pragma once

// Control identifiers of the header dialog (header and footer of secure printing).

namespace pellora::ui::header {

inline constexpr char kSection[] = "IDD_DIALOG_HEADER";

enum : int {
    IDD_DIALOG_HEADER = 240,

    IDC_HEADER_LEFT = 1167,
    IDC_HEADER_CENTER = 1168,
    IDC_HEADER_RIGHT = 1162,
    IDC_FOOTER_LEFT = 1163,
    IDC_FOOTER_CENTER = 1164,
    IDC_FOOTER_RIGHT = 1165,
    IDC_HEADER_GROUP = 1172,
    IDC_FOOTER_GROUP = 1173,
    IDC_HEADER_LEFT_LABEL = 1174,
    IDC_HEADER_CENTER_LABEL = 1175,
    IDC_HEADER_RIGHT_LABEL = 1176,
    IDC_FOOTER_LEFT_LABEL = 1177,
    IDC_FOOTER_CENTER_LABEL = 1178,
    IDC_FOOTER_RIGHT_LABEL = 1179,
};

// The combo boxes in the order of the positions: header left, centre, right, footer left, centre, right.
inline constexpr int kPositionCombos[] = {IDC_HEADER_LEFT, IDC_HEADER_CENTER, IDC_HEADER_RIGHT,
                                          IDC_FOOTER_LEFT, IDC_FOOTER_CENTER, IDC_FOOTER_RIGHT};

} // namespace pellora::ui::header
