#pragma once

// Control identifiers of the printer information tab.

namespace pellora::ui::printerinfo {

enum : int {
    IDD_TAB_PRINTERINFO = 130,

    IDC_PRINTER_NAME = 1037,
    IDC_MODEL_NAME_EDIT = 1038, // in the template only; the model combo box stands for it
    IDC_ADDRESS = 1039,
    IDC_SHARE_NAME = 1041,      // in the template only
    IDC_TEST_PRINT = 1043,
    IDC_PRINTER_NAME_LABEL = 1057,
    IDC_MODEL_LABEL = 1058,
    IDC_ADDRESS_LABEL = 1059,
    IDC_INSTMODE_LABEL = 1116,
    IDC_INSTMODE_UPDATE = 1117,
    IDC_INSTMODE_NEW = 1118,
    IDC_CONNECTION_NETWORK = 1190,
    IDC_CONNECTION_USB = 1191,
    IDC_CONNECTION_LABEL = 1192,
    IDC_MODEL = 1200,
};

// Items of the tab's text section: the hints beside the printer name for a refused character and for
// a name that cannot grow.
enum : int {
    kHintNameCharacters = 200001,
    kHintNameFull = 200002,
};

} // namespace pellora::ui::printerinfo
