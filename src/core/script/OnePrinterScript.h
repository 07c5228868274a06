#pragma once

// The install script of one printer given by model and address, as the command lines write it.

#include <filesystem>
#include <string_view>

namespace pellora {

inline constexpr std::string_view kOnePrinterScriptLogFile = "KOVAINST.LOG";
inline constexpr std::string_view kOnePrinterSubnetMask = "255.255.255.0";

// Writes a script with the printer "MODEL(ADDRESS)" at the address, its driver folder (the program
// folder when folder is empty) and the log file kOnePrinterScriptLogFile. False when the script could
// not be written; a file at output then stays as it was.
bool WriteOnePrinterScript(std::string_view model, std::string_view address, std::string_view folder,
                           const std::filesystem::path& programFolder, const std::filesystem::path& output);

} // namespace pellora
