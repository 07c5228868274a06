#pragma once

// Control identifiers of the shared-printer page of the left pane.

#include "ui/shared/CommandIds.h"

namespace pellora::ui::shared {

inline constexpr char kSection[] = "IDD_TAB_SHARED";

enum : int {
    IDD_TAB_SHARED = 136,

    IDC_TREE = 1003,
    IDC_GROUP = 1010,
    IDC_MODEL = 1038,
    IDC_MODEL_LABEL = 1058,
    IDC_SEARCH = 1064,
};

// IDC_ADD_BUTTON (1044) of CommandIds.h is the page's Add button.

// Items of the section for the tree's context menu and the print-server question.
enum : int {
    kItemAddServer = 2001,
    kItemRemoveServer = 2002,
    kItemServerPrompt = 2003,
    kItemServerTitle = 2004,
};

// Images of the tree's items.
enum TreeImage : int { kImageContainer = 0, kImageProvider = 1, kImageDomain = 2, kImageServer = 3, kImagePrinter = 4 };

} // namespace pellora::ui::shared
