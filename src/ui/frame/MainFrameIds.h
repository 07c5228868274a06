#pragma once

// Command, bar and control numbers of the main frame, its bars and its child frames.

#include "ui/shared/CommandIds.h"

#include <string_view>

namespace pellora::ui {

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

// Controls of the left-pane pages whose texts decide the docking bar's minimum width.
enum : int {
    IDC_NETWORK_SEARCH_TEXT = 1064,
    IDC_GROUP_TEXT = 1046,
};

// The buttons a question answers with.
inline constexpr int kButtonYes = 6;
inline constexpr int kButtonNo = 7;

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

// The notices of the status bar: a package built ("%1": its path), the button that shows its folder, and
// why no printer can be added.
inline constexpr std::string_view kSectionStatusNotice = "STATUS_NOTICE";
inline constexpr int kNoticePackageBuilt = 1;
inline constexpr int kNoticeShowInFolder = 2;
inline constexpr int kNoticeProjectFull = 3;

// Whether the status bar shows, kept across starts beside the state of the other bars.
inline constexpr std::string_view kSettingStatusBar = "StatusBar";

// The picture of the logo bar, in the program folder.
inline constexpr std::string_view kLogoPictureFile = "CVDATA2.DAT";

// The frame's size on creation and after a layout reset (smaller on a smaller desktop), and the
// docking bar's docked width. The frame is wide enough for both toolbars in one row in every language.
inline constexpr int kFrameDefaultWidth = 1024;
inline constexpr int kFrameDefaultHeight = 720;
inline constexpr int kDockingBarDefaultWidth = 260;

} // namespace pellora::ui
