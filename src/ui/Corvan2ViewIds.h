#pragma once

// Control, command and message numbers of the project view and its printer list.

namespace pellora::ui::corvan2 {

enum : int {
    // Controls of the form "IDD_CORVAN2_FORM".
    IDC_PRINTER_LIST = 1000,
    IDC_PROPERTY_TABS = 1001,
    IDC_RESIZE_GRIP = 1111,
    // The add button of the left pane's pages, told to re-check its state after a count change.
    IDC_LEFT_PANE_ADD = 1044,

    // Project commands of the view.
    ID_ADD_PRINTER = 32772,
    ID_SAVE_SCRIPT = 32773,
    ID_CREATE_PACKAGE = 32774,
    ID_CLOSE_ALL = 32777,
    // Image size of the details mode.
    ID_BIG_ICONS = 32780,
    ID_SMALL_ICONS_DETAILS = 32781,

    // Editing commands, carried out by the printer list.
    ID_EDIT_CLEAR = 57632,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_SELECT_ALL = 57642,

    // List modes.
    ID_VIEW_SMALLICON = 59408,
    ID_VIEW_LARGEICON = 59409,
    ID_VIEW_LIST = 59410,
    ID_VIEW_DETAILS = 59411,

    // Private messages of the printer list (user message base 0x400 plus 0x100, 0x101, 0x102) and
    // of the left pane.
    WM_LIST_ADD_RECORD = 0x500,
    WM_LIST_DROP = 0x501,
    WM_LIST_REFRESH = 0x502,
    WM_LEFT_PANE_UPDATE = 0x503,
};

// Items of the string-table sections that the view reads.
inline constexpr char kFormSection[] = "IDD_CORVAN2_FORM";
inline constexpr char kMenuSection[] = "MENU_STRING";
inline constexpr int kMenuViewCaption = 2; // the "View" pop-up of the context menu

// The save dialogs of "save project as" and "create package".
inline constexpr char kSaveDialogSection[] = "IDD_CORVAN2_SAVE";
enum : int {
    kSaveLookIn = 1,
    kSaveFileName = 2,
    kSaveFileType = 3,
    kSaveAccept = 4,
    kSaveReject = 5,
    kSaveReplaceQuestion = 6, // "%1": the file
    kSaveMissingFolder = 7,   // "%1": the folder
    kSaveYes = 8,
    kSaveNo = 9,
};

// The progress dialog of a package build.
inline constexpr char kBuildSection[] = "IDD_CORVAN2_BUILD";
enum : int {
    kBuildTitle = 0,
    kBuildPreparing = 1,
    kBuildProgress = 2, // "%1" of "%2" files, "%3" of "%4" MB
    kBuildCancel = 3,
    kBuildCancelling = 4,
};

} // namespace pellora::ui::corvan2
