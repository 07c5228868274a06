#pragma once

// The screens a string-table section belongs to, and how the string service flashes the control of an identifier.

#include <cstdint>
#include <string_view>

namespace pellora {

enum class ScreenKind : int {
    Menu = 0,
    MainFrame = 1,
    Toolbar = 2,
    AboutBox = 3,
    LeftPane = 4,
    NetworkPage = 5,
    SharedPage = 6,
    GroupPage = 7,
    ProjectView = 8,
    PrinterInfoPage = 9,
    DriverInfoPage = 10,
    ScriptInfoPage = 11,
    ConfigPage = 12,
    Utility2Page = 13,
    UtilityDialog = 14,
    CustomDialog = 15,
    HydroDialog = 16,
    SecurityDialog = 17,
    HeaderDialog = 18,
    Message = 19,
};

// The kind of a section name, compared without regard to case; a section not in the table is MainFrame.
ScreenKind ScreenKindOf(std::string_view section);

inline bool IsLeftPanePage(ScreenKind kind)
{
    return kind >= ScreenKind::NetworkPage && kind <= ScreenKind::GroupPage;
}
inline bool IsProjectViewPage(ScreenKind kind)
{
    return kind >= ScreenKind::PrinterInfoPage && kind <= ScreenKind::Utility2Page;
}
inline bool IsOptionDialog(ScreenKind kind)
{
    return kind >= ScreenKind::UtilityDialog && kind <= ScreenKind::HeaderDialog;
}

// How the control of an identifier is flashed on a screen.
enum class FlashMode {
    None,          // the screen has nothing to flash
    Caption,       // the caption bar of the screen's window
    HeaderItem,    // a column header of the list control, by the position of the text number
    TabItem,       // a tab, by the position of the text number; the tab is selected
    ComboItem,     // the combo box, after selecting the item at the position of the text number
    StatusPane,    // the first pane of the status bar
    ToolbarButton, // the toolbar button of the command
    Control,       // the whole control
};

// Identifiers with a flash mode of their own.
inline constexpr std::int32_t kFlashCaptionId = 0;
inline constexpr std::int32_t kFlashListId = 1000;
inline constexpr std::int32_t kFlashApplicationListId = 1126;
inline constexpr std::int32_t kFlashTabId = 1001;
inline constexpr std::int32_t kFlashComboIds[] = {1020, 1024, 1026};
inline constexpr std::int32_t kFlashStatusPaneId = 59396;

FlashMode FlashModeOf(ScreenKind kind, std::int32_t identifier);

} // namespace pellora
