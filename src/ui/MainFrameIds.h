#pragma once

// Command, bar and control numbers of the main frame, its bars and its child frames.

#include <string_view>

namespace pellora::ui {

// Commands of the application framework.
enum : int {
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_CLOSE = 57602,
    ID_FILE_SAVE = 57603,
    ID_FILE_SAVE_AS = 57604,
    ID_FILE_MRU_FILE1 = 57616,
    ID_FILE_MRU_FILE16 = 57631,
    ID_EDIT_CLEAR = 57632,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_SELECT_ALL = 57642,
    ID_WINDOW_ARRANGE = 57649,
    ID_WINDOW_CASCADE = 57650,
    ID_WINDOW_TILE_HORZ = 57651,
    ID_WINDOW_TILE_VERT = 57652,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59396,
    ID_VIEW_SMALLICON = 59408,
    ID_VIEW_LARGEICON = 59409,
    ID_VIEW_LIST = 59410,
    ID_VIEW_DETAILS = 59411,
    // Window-list entries of the Window menu; menu re-texting leaves numbers from here on alone.
    AFX_IDM_FIRST_MDICHILD = 0xFF00,
};

// Commands of the program.
enum : int {
    ID_VIEW_PRINTER_SELECTION = 32771,
    ID_PRINTER_ADD = 32772,
    ID_FILE_SAVE_SCRIPT = 32773,
    ID_FILE_CREATE_PACKAGE = 32774,
    ID_WINDOW_CLOSE_ALL = 32777,
    ID_LANGUAGE_NEUTRAL = 32778,
    ID_LANGUAGE_JAPANESE = 32779,
    ID_VIEW_BIG_ICONS = 32780,
    ID_VIEW_NORMAL_ICONS = 32781,
    ID_LANGUAGE_NEXT = 32782,
    ID_VIEW_WATERMARK = 32783,
    ID_VIEW_DOCKING = 32784,
    ID_LOGO = 32785,
    ID_VIEW_RESET_LAYOUT = 32786,
};

// The frame's bars and the controls it owns.
enum : int {
    AFX_IDW_TOOLBAR = 59392,
    AFX_IDW_STATUS_BAR = 59396,
    AFX_IDW_DOCKBAR_TOP = 59419,
    AFX_IDW_DOCKBAR_LEFT = 59420,
    AFX_IDW_DOCKBAR_RIGHT = 59421,
    AFX_IDW_DOCKBAR_BOTTOM = 59422,
    IDW_PROJECT_TOOLBAR = 59424,
    IDW_LOGO_BAR = 59425,
    IDW_DOCKING_BAR = 59426,
    IDC_DOCUMENT_TABS = 1000,
    IDR_MAINFRAME = 128,
    IDD_DIALOG_LEFT = 135,
    IDC_LEFT_TABS = 1001,
    IDD_CAPTION_STRIP = 185,
    IDC_CAPTION_CLOSE = 1008,
};

// Window messages that pass between the windows.
enum : int {
    WM_PRINTER_ADD = 0x500,
    WM_PRINTER_DROP = 0x501,
    WM_PRINTER_REFRESH = 0x502,
    WM_LEFT_PANE_NOTIFY = 0x503,
    IDC_ADD_BUTTON = 1044,
};

// Controls of the left-pane pages whose texts decide the docking bar's minimum width.
enum : int {
    IDC_NETWORK_SEARCH_TEXT = 1064,
    IDC_NETWORK_ADD_TEXT = 1044,
    IDC_GROUP_TEXT = 1046,
};

// The buttons a question answers with.
inline constexpr int kButtonYes = 6;
inline constexpr int kButtonNo = 7;

// Message numbers the frame shows.
inline constexpr int kMessageConfirm = 2;
inline constexpr int kMessageNotAProject = 5;

// String-table sections and items of the frame.
inline constexpr std::string_view kSectionMenu = "MENU_STRING";
inline constexpr std::string_view kSectionToolbar = "TOOLBAR";
inline constexpr std::string_view kSectionMainFrame = "IDR_MAINFRAME";
inline constexpr std::string_view kSectionLeftPane = "IDD_DIALOG_LEFT";
inline constexpr std::string_view kSectionNetworkPage = "IDD_TAB_NETWORK";
inline constexpr std::string_view kSectionGroupPage = "IDD_TAB_GROUP";
inline constexpr std::string_view kSectionEtc = "ETC";
inline constexpr int kEtcScriptFileType = 3;
inline constexpr int kEtcPackageFileType = 6;
inline constexpr int kEtcAllFilesType = 7;
inline constexpr int kEtcLogoLink = 11;
inline constexpr int kEtcProductTitle = 12;

// The picture of the logo bar, in the program folder.
inline constexpr std::string_view kLogoPictureFile = "CVDATA2.DAT";

// The frame's size on creation and the docking bar's docked width.
inline constexpr int kFrameDefaultWidth = 764;
inline constexpr int kFrameDefaultHeight = 564;
inline constexpr int kDockingBarDefaultWidth = 260;

} // namespace pellora::ui
