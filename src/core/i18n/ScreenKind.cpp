#include "core/i18n/ScreenKind.h"

#include "core/platform/Profile.h"

#include <algorithm>

namespace pellora {

namespace {

struct SectionKind {
    std::string_view section;
    ScreenKind kind;
};

constexpr SectionKind kSectionKinds[] = {
    {"MESSAGE", ScreenKind::Message},
    {"MENU_STRING", ScreenKind::Menu},
    {"TOOLBAR", ScreenKind::Toolbar},
    {"IDD_ABOUTBOX", ScreenKind::AboutBox},
    {"IDD_DIALOG_LEFT", ScreenKind::LeftPane},
    {"IDD_TAB_NETWORK", ScreenKind::NetworkPage},
    {"IDD_TAB_SHARED", ScreenKind::SharedPage},
    {"IDD_TAB_GROUP", ScreenKind::GroupPage},
    {"IDD_CORVAN2_FORM", ScreenKind::ProjectView},
    {"IDD_TAB_PRINTERINFO", ScreenKind::PrinterInfoPage},
    {"IDD_TAB_DRIVERINFO", ScreenKind::DriverInfoPage},
    {"IDD_TAB_SCRIPTINFO", ScreenKind::ScriptInfoPage},
    {"IDD_TAB_CONFIG", ScreenKind::ConfigPage},
    {"IDD_TAB_UTILITY2", ScreenKind::Utility2Page},
    {"IDD_DIALOG_UTILITY", ScreenKind::UtilityDialog},
    {"IDD_DIALOG_CUSTOM", ScreenKind::CustomDialog},
    {"IDD_DIALOG_HYDRO", ScreenKind::HydroDialog},
    {"IDD_DIALOG_SECURITY", ScreenKind::SecurityDialog},
    {"IDD_DIALOG_HEADER", ScreenKind::HeaderDialog},
};

} // namespace

ScreenKind ScreenKindOf(std::string_view section)
{
    for (const SectionKind& row : kSectionKinds) {
        if (platform::EqualsNoCase(row.section, section))
            return row.kind;
    }
    return ScreenKind::MainFrame;
}

FlashMode FlashModeOf(ScreenKind kind, std::int32_t identifier)
{
    if (kind == ScreenKind::Menu || kind == ScreenKind::Message)
        return FlashMode::None;
    if (identifier == kFlashCaptionId)
        return FlashMode::Caption;
    if (identifier == kFlashListId || identifier == kFlashApplicationListId)
        return FlashMode::HeaderItem;
    if (identifier == kFlashTabId)
        return FlashMode::TabItem;
    if (std::find(std::begin(kFlashComboIds), std::end(kFlashComboIds), identifier) != std::end(kFlashComboIds))
        return FlashMode::ComboItem;
    if (identifier == kFlashStatusPaneId)
        return FlashMode::StatusPane;
    if (kind == ScreenKind::Toolbar)
        return FlashMode::ToolbarButton;
    return FlashMode::Control;
}

} // namespace pellora
