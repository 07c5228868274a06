#pragma once

// Control identifiers of the Roviv dialog (the port settings of authenticated printing).

namespace pellora::ui::roviv {

inline constexpr char kSection[] = "IDD_DIALOG_HYDRO";

enum : int {
    IDD_DIALOG_HYDRO = 242,

    IDC_AUTO_PORT = 1115,
    IDC_USE_HYDRO = 1171,
    IDC_HYDRO_GROUP = 1176,
    IDC_USER_GROUP = 1180,
    IDC_USER_LOGON = 1159,
    IDC_USER_ENTERED = 1160,
    IDC_CHECK_PORT_LABEL = 1182,
    IDC_CHECK_PORT = 1175,
    IDC_PROTOCOL_GROUP = 1181,
    IDC_PROTOCOL_LPR = 1157,
    IDC_QUEUE_LABEL = 1177,
    IDC_QUEUE_NAME = 1173,
    IDC_QUEUE_HINT = 1183,
    IDC_PROTOCOL_RAW = 1158,
    IDC_PORT_LABEL = 1178,
    IDC_RAW_PORT = 1174,
    IDC_PORT_HINT = 1184,
    // Enabled with authenticated printing; the template has no such control.
    IDC_PROTOCOL_FRAME = 1179,
};

// The controls of the authenticated-printing part, hidden when the machine setting leaves it out.
inline constexpr int kHydroControls[] = {
    IDC_USE_HYDRO,   IDC_HYDRO_GROUP, IDC_PROTOCOL_LPR, IDC_PROTOCOL_GROUP, IDC_QUEUE_LABEL, IDC_QUEUE_NAME,
    IDC_PROTOCOL_RAW, IDC_QUEUE_HINT, IDC_PORT_LABEL,   IDC_RAW_PORT,       IDC_PORT_HINT,   IDC_USER_GROUP,
    IDC_USER_LOGON,  IDC_USER_ENTERED, IDC_CHECK_PORT_LABEL, IDC_CHECK_PORT,
};

inline constexpr int kQueueNameMaxCharacters = 32;
inline constexpr int kPortNumberMaxDigits = 5;
inline constexpr int kPortNumberMax = 65535;

} // namespace pellora::ui::roviv
