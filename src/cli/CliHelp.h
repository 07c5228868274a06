#pragma once

// What pellora-cli says about itself: its commands, options and exit statuses, the one source of --help
// and of the manual page.

#include "cli/CliCommands.h"
#include "core/util/MessageNumbers.h"

#include <array>
#include <string>
#include <string_view>

namespace pellora::cli {

struct CommandHelp {
    std::string_view name;      // the command word
    std::string_view arguments; // what follows it, in the notation of the usage line
    std::string_view text;
};

struct OptionHelp {
    std::string_view names; // "-o, --output"
    std::string_view value; // the value's placeholder; empty for an option without value
    std::string_view text;
};

struct ExitStatusHelp {
    int first; // the status, or the first of a range
    int last;  // the last of the range; first for a single status
    std::string_view text;
};

inline constexpr std::string_view kCliProgram = "pellora-cli";
inline constexpr std::string_view kCliUsage = "[--lang HEX] COMMAND [ARGUMENTS]";

inline constexpr std::array<CommandHelp, 5> kCommandHelp{{
    {"validate", "PROJECT", "check every printer as a package build does"},
    {"build", "PROJECT -o OUT.exe [--sign KEY.pfx [--password-file FILE]]",
     "validate, then build a package; with --sign the package gets an Authenticode signature from the "
     "PKCS#12 key (osslsigncode), whose password is the first line of FILE"},
    {"script", "--model M --address A [--folder F] -o OUT.qsm",
     "write an install script for one printer named \"M(A)\"; F defaults to the program folder, M must "
     "be listed in Modelname.dat"},
    {"show", "FILE",
     "print the settings and the printers (number, name, model, address, driver folders; tab-separated)"},
    {"extract", "PACKAGE -o DIR", "unpack a package into a folder"},
}};

inline constexpr std::string_view kInputNote =
    "PROJECT and FILE may be a project (.qst), an install script (.qsm) or a package (.exe).";

inline constexpr std::array<OptionHelp, 8> kOptionHelp{{
    {"-o, --output", "PATH", "where build, script and extract write"},
    {"--model", "M", "the model of script; a leading \"VARDO \" is dropped"},
    {"--address", "A", "the address of script's printer"},
    {"--folder", "F", "the driver folder of script's printer"},
    {"--sign", "KEY.pfx", "sign the package of build with the key and certificate of this PKCS#12 file"},
    {"--password-file", "FILE", "the file whose first line is the password of the --sign key"},
    {"--lang", "HEX",
     "language of the messages, a hexadecimal language identifier (0 neutral, 407, 40A, 40C, 410, 411, "
     "413, 416); a value that is not hexadecimal is ignored"},
    {"-h, --help", "", "show this help"},
}};

inline constexpr std::string_view kOptionNote =
    "Options may stand before or after the command and take their value as the next argument or after "
    "\"=\" (--lang=407); \"--\" ends the options.";

inline constexpr std::array<ExitStatusHelp, 10> kExitStatusHelp{{
    {kExitSuccess, kExitSuccess, "success"},
    {kExitNoStringTable, kExitNoStringTable, "no string table beside the program"},
    {kMessageCannotOpenFile, kMessageCannotOpenFile, "a file cannot be opened as a project, script or package"},
    {kMessageCannotSave, kMessageCannotSave,
     "a project or script cannot be saved, a package cannot be built, signed or unpacked, or it would carry "
     "a file name that Windows cannot take"},
    {kMessageNoPrinter, kMessageSettingsFile, "the project fails the check before a build (the number of the message)"},
    {kMessageNoModelList, kMessageNoModelList, "Modelname.dat cannot be opened"},
    {kExitUsage, kExitUsage, "the command line does not fit this usage"},
    {kExitModelNotListed, kExitModelNotListed, "the model of \"script\" is not listed in Modelname.dat"},
    {kExitInternal, kExitInternal, "an unexpected internal failure"},
    {kExitInterrupted, kExitInterrupted, "the build was interrupted"},
}};

// "9 to 27", or the one number.
std::string ExitStatusText(const ExitStatusHelp& status);

// The text of --help.
std::string UsageText();

// The short usage of a command line that does not fit: the usage line with the command words.
std::string ShortUsage();

} // namespace pellora::cli
