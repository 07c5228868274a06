#pragma once

// The driver install information files of a package: one "QIF1_nnn.QIF" per printer and its settings file copy.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

class CPrinterInfoEx;

inline constexpr std::string_view kSettingFolderName = "SETTING";
inline constexpr std::string_view kSettingsCopyName = "BSF_COPY.BSF";

// The filled template text for one printer; bsfFileName is empty for a printer without a settings file.
std::string DriverInfoText(const CPrinterInfoEx& printer, std::string_view bsfFileName);

// "QIF1_%03d.QIF" for the printer index.
std::string DriverInfoFileName(int index);

// Writes one information file per printer into folder, in list order, and copies each printer's settings
// file beside them. The first settings file is copied as "BSF_COPY.BSF"; a later one with the same content
// shares it, a later one with other content is copied as "BSF_COPY_%03d.BSF" (the printer index) so that
// every printer installs its own settings. count is the number of information files written, also when
// the result is false (the first failure stops the run).
bool WriteDriverInfoFiles(const std::vector<std::unique_ptr<CPrinterInfoEx>>& printers,
                          const std::filesystem::path& folder, int& count);

} // namespace pellora
