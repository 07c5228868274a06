#pragma once

// Control identifiers of the driver information tab.

namespace pellora::ui::driverinfo {

enum : int {
    IDD_TAB_DRIVERINFO = 134,

    IDC_BROWSE_DRIVER_FOLDER = 1046,
    IDC_DRIVER_NAME = 1051, // in the template only
    IDC_DRIVER_FOLDER = 1055,
    IDC_DRIVER_FOLDER_LABEL = 1130,
    IDC_BSF_PATH_LABEL = 1193,
    IDC_BSF_PATH = 1194,
    IDC_BROWSE_BSF = 1195,
};

} // namespace pellora::ui::driverinfo
