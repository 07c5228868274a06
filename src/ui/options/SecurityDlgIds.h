#pragma once

// Control identifiers of the security dialog (secure-printing restrictions).

namespace pellora::ui::security {

inline constexpr char kSection[] = "IDD_DIALOG_SECURITY";

enum : int {
    IDD_DIALOG_SECURITY = 239,

    IDC_NOT_ALLOW_BLOCK = 1115,
    IDC_NOT_ALLOW_STAMP = 1116,
    IDC_NOT_ALLOW_HEADER = 1117,
    IDC_NOT_ALLOW_PASSWORD = 1118,
    IDC_HEADER_FOOTER = 1119,
    IDC_PASSWORD = 1120,
    IDC_BLOCK_PATTERN = 1160,
    IDC_STAMP_MARK = 1161,
    IDC_COLOUR_RED = 1157,
    IDC_COLOUR_BLUE = 1158,
    IDC_SWATCH_RED = 1162,
    IDC_SWATCH_BLUE = 1163,
    IDC_ARRANGE_BEHIND = 1164,
    IDC_ARRANGE_FRONT = 1159,
    IDC_HEADER_BUTTON = 1167,
    IDC_BLOCK_PATTERN_LABEL = 1185,
    IDC_STAMP_MARK_LABEL = 1186,
    IDC_COLOUR_LABEL = 1187,
    IDC_ARRANGE_LABEL = 1188,

    // The lock toggles, one beside each setting.
    IDC_LOCK_BLOCK = 1153,
    IDC_LOCK_STAMP = 1154,
    IDC_LOCK_HEADER = 1155,
    IDC_LOCK_PASSWORD = 1156,
    IDC_LOCK_BLOCK_PATTERN = 1168,
    IDC_LOCK_STAMP_MARK = 1169,
    IDC_LOCK_HEADER_FOOTER = 1170,
    IDC_LOCK_PASSWORD_PRINTING = 1171,
};

// The toggles in the order of their bits in the value "Lock": bit 0 first.
inline constexpr int kLockToggles[] = {
    IDC_LOCK_BLOCK,         IDC_LOCK_STAMP,      IDC_LOCK_HEADER,        IDC_LOCK_PASSWORD,
    IDC_LOCK_BLOCK_PATTERN, IDC_LOCK_STAMP_MARK, IDC_LOCK_HEADER_FOOTER, IDC_LOCK_PASSWORD_PRINTING,
};

// The swatches, in the platform's colour notation (red in the low byte).
inline constexpr unsigned kRedSwatchColour = 0x8080FF;
inline constexpr unsigned kBlueSwatchColour = 0xFF8080;
// A swatch acts as the radio button whose identifier is this much lower.
inline constexpr int kSwatchToRadio = 5;

} // namespace pellora::ui::security
