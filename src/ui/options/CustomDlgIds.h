#pragma once

// Control identifiers of the custom dialog (status-monitor settings).

namespace pellora::ui::custom {

inline constexpr char kSection[] = "IDD_DIALOG_CUSTOM";

enum : int {
    IDD_DIALOG_CUSTOM = 129,

    IDC_LOCK_CUSTOM_VALUE = 1018,
    IDC_ENABLE_MONITORING = 1115,
    IDC_MONITORING_GROUP = 1022, // its text is the caption of IDC_ENABLE_MONITORING
    IDC_ERROR_ICON = 1009,
    IDC_WARNING_ICON = 1010,
    IDC_POPUP_ERROR = 1011,
    IDC_POPUP_WARNING = 1012,
    IDC_SOUND_NOTIFY = 1013,
    IDC_NOTIFY_PRINTED = 1014,
    IDC_INTERVAL_LOCAL = 1019,
    IDC_INTERVAL_NET = 1020,
    IDC_INTERVAL_LOCAL_SPIN = 1024,
    IDC_INTERVAL_NET_SPIN = 1025,
    IDC_INTERVAL_LOCAL_LABEL = 1030,
    IDC_INTERVAL_NET_LABEL = 1031,
    IDC_INTERVAL_LOCAL_UNIT = 1032,
    IDC_INTERVAL_NET_UNIT = 1033,
    IDC_INTERVAL_GROUP = 1035,
    IDC_ICON_GROUP = 1036,
    IDC_POPUP_GROUP = 1037,
    IDC_FOLDER_GROUP = 1015,
    IDC_FOLDER = 1016,
    IDC_BROWSE_FOLDER = 1046,
    IDC_CLIENT_GROUP = 1150,
    IDC_EXPLANATION = 1152,
};

// The ranges of the two intervals, in seconds.
inline constexpr int kLocalIntervalMin = 6;
inline constexpr int kLocalIntervalMax = 60;
inline constexpr int kNetIntervalMin = 15;
inline constexpr int kNetIntervalMax = 60;

} // namespace pellora::ui::custom
