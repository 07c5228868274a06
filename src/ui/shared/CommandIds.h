#pragma once

// The command numbers that several windows share and the private messages that pass between windows.

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
    // Image size of the printer list's details mode.
    ID_VIEW_BIG_ICONS = 32780,
    ID_VIEW_NORMAL_ICONS = 32781,
    ID_LANGUAGE_NEXT = 32782,
    ID_VIEW_WATERMARK = 32783,
    ID_VIEW_DOCKING = 32784,
    ID_LOGO = 32785,
    ID_VIEW_RESET_LAYOUT = 32786,
};

// Private messages between the windows (the user message base 0x400 plus 0x100 to 0x103).
enum : int {
    // Hands a record to a printer list; the list answers -1 when it refuses it.
    WM_PRINTER_ADD = 0x500,
    // Drops data on a printer list.
    WM_PRINTER_DROP = 0x501,
    // Refreshes a printer list from its records.
    WM_PRINTER_REFRESH = 0x502,
    // Tells the left pane's current page that the project's printer list changed; the first value
    // is the page's add button.
    WM_LEFT_PANE_NOTIFY = 0x503,
};

// The add button of the left pane's pages.
inline constexpr int IDC_ADD_BUTTON = 1044;

} // namespace pellora::ui
