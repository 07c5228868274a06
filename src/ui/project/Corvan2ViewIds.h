#pragma once

// Control numbers and string-table items of the project view and its printer list; the commands
// are in ui/shared/CommandIds.h.

#include "ui/shared/CommandIds.h"

namespace pellora::ui::corvan2 {

enum : int {
    // Controls of the form "IDD_CORVAN2_FORM".
    IDC_PRINTER_LIST = 1000,
    IDC_PROPERTY_TABS = 1001,
    IDC_RESIZE_GRIP = 1111,
};

// Items of the string-table sections that the view reads.
inline constexpr char kFormSection[] = "IDD_CORVAN2_FORM";
inline constexpr char kMenuSection[] = "MENU_STRING";
inline constexpr int kMenuViewCaption = 2; // the "View" pop-up of the context menu
// What every printer list shows in place of a missing name, address, model or MAC address.
inline constexpr int kFormNoneText = 1002;

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
    kSaveSignKey = 10,
    kSavePasswordFile = 11,
    kSaveBrowse = 12,
    kSaveKeyFileType = 13,
    kSaveKeyTitle = 14,
    kSavePasswordTitle = 15,
    kSaveSignTip = 16,
};

// The progress dialog of a package build.
inline constexpr char kBuildSection[] = "IDD_CORVAN2_BUILD";
enum : int {
    kBuildTitle = 0,
    kBuildPreparing = 1,
    kBuildProgress = 2, // "%1" of "%2" files, "%3" of "%4" MB
    kBuildCancel = 3,
    kBuildCancelling = 4,
    kBuildNoInstaller = 5,      // the status bar after a build without CVSetUp.exe
    kBuildNameInFolder = 6,     // "%1": the name with its folders, "%2": the folder it lies in
    kBuildNameAtTop = 7,        // "%1": the name
    kBuildForbiddenCharacter = 8, // "%1": the character
    kBuildControlCharacter = 9,
    kBuildTrailingDotOrBlank = 10,
    kBuildDeviceName = 11,
    kBuildNotUtf8 = 12,
    kBuildNameTwin = 13, // "%1": the other name
    kBuildSigningFailed = 14,
};

} // namespace pellora::ui::corvan2
