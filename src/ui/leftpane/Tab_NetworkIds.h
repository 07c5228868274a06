#pragma once

// Control identifiers of the network page of the left pane.

#include "ui/shared/CommandIds.h"

namespace pellora::ui::network {

inline constexpr char kSection[] = "IDD_TAB_NETWORK";

enum : int {
    IDD_TAB_NETWORK = 133,

    IDC_RESULT_LIST = 1000,
    IDC_RANGE_GROUP = 1010,
    IDC_RANGE = 1020,
    IDC_ADDRESS_LABEL = 1059,
    IDC_MASK_LABEL = 1061,
    IDC_SEARCH = 1064,
    IDC_MASK = 1100,
    IDC_ADDRESS = 1101,
};

// IDC_ADD_BUTTON (1044) of CommandIds.h is the page's Add button.

// The entries of the range box.
enum RangeMode : int { kRangeLocalSegment = 0, kRangeNetwork = 1 };

} // namespace pellora::ui::network
