#pragma once

// Control identifiers of the utility dialog (utilities to install with a printer).

namespace pellora::ui::utility {

inline constexpr char kSection[] = "IDD_DIALOG_UTILITY";

enum : int {
    IDD_DIALOG_UTILITY = 236,

    IDC_CHOSEN_LIST = 1040,
    IDC_ADD = 1044,
    IDC_REMOVE = 1045,
    IDC_APPLICATION_LIST = 1126,
    IDC_CHOSEN_LABEL = 1138,
};

// The columns of the application list.
enum : int {
    kNameColumn = 0,
    kVersionColumn = 1,
    kSystemsColumn = 2,
    kIdentifierColumn = 3,
    kModelsColumn = 4,
    kColumnCount = 5,
};

} // namespace pellora::ui::utility
