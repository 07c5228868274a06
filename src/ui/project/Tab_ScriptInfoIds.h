#pragma once

// Control identifiers of the script information tab.

namespace pellora::ui::scriptinfo {

enum : int {
    IDD_TAB_SCRIPTINFO = 132,

    IDC_LOG_FILE = 1041,
    IDC_DESCRIPTION = 1047,
    IDC_BROWSE_LOG_FILE = 1048,
    IDC_LOG_FILE_LABEL = 1062,
    IDC_DESCRIPTION_LABEL = 1063,
};

} // namespace pellora::ui::scriptinfo
