#pragma once

// What the switches of pellora's command line do: the source of its manual page, held beside the parser
// and checked against it.

#include <array>
#include <string_view>

namespace pellora {

struct SwitchHelp {
    std::string_view name;  // "/A"; the whole argument for a switch of one word ("/dde")
    std::string_view value; // the value's placeholder, written right after the name; empty for none
    std::string_view text;
};

inline constexpr std::string_view kSwitchRules =
    "A switch begins with \"/\" or \"-\"; the letter after it counts in either case, and its value follows "
    "at once, with no blank or \"=\" between (/A10.0.0.5). An absolute path that names an existing file "
    "is a file to open, not a switch. Switches with other letters are ignored.";

inline constexpr std::array<SwitchHelp, 7> kSwitchHelp{{
    {"/A", "ADDRESS", "the printer's address for the command-line script mode"},
    {"/dde", "", "the request comes through the desktop's document exchange; the rest of the command "
                 "line is not taken"},
    {"/F", "PATH", "opens the file: a project (.qst), an install script (.qsm) or a package (.exe), the "
                   "same as naming the file without a switch"},
    {"/I", "FOLDER", "the driver folder for the command-line script mode; the program folder when not given"},
    {"/L", "HEX", "the language of the texts, a hexadecimal language identifier: 0 neutral (English), "
                  "407 German, 40A Spanish, 40C French, 410 Italian, 411 Japanese, 413 Dutch, 416 "
                  "Brazilian Portuguese; only the primary language counts (10411 and 811 select 411), "
                  "a value that is not hexadecimal is ignored. Without it the language follows the "
                  "locale (LC_ALL, LC_MESSAGES, LANG)"},
    {"/M", "MODEL", "the printer model for the command-line script mode; a leading \"VARDO \" is dropped"},
    {"/V", "", "view mode: a preview for the string-editing tool; documents are neither opened nor "
               "saved, and there is no splash screen, no script mode and no hand-over to a running window"},
}};

inline constexpr std::string_view kFileArgumentText =
    "a project, install script or package to open; any number may be given. A second start hands its "
    "files over to the window of the first and ends.";

inline constexpr std::string_view kScriptModeText =
    "Given /M and /A, and a model that Modelname.dat lists, pellora writes an install script for that "
    "one printer, named \"MODEL(ADDRESS)\", to CVSCRIPT.QSM in the program folder and ends without a "
    "window. With a model the list does not name it opens its window as usual.";

} // namespace pellora
