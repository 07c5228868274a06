#pragma once

// Walks the utility folders below one folder and reads the manifest of each.

#include "ApplicationBlock.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace pellora::tsappinst {

enum class ScanResult { Ok, FolderUnreadable, Cancelled };

// Told after each utility folder how many of how many have been looked at; false stops the scan.
using ScanProgress = std::function<bool(std::uint32_t examined, std::uint32_t total)>;

// Appends to found, in byte order of the folder names, every utility below folder whose manifest is
// well formed and whose texts fit a record. Subfolders whose names begin with "." are passed over.
// A folder that does not exist holds no utilities.
ScanResult ScanUtilities(const std::filesystem::path& folder, const ScanProgress& progress,
                         std::vector<FoundUtility>& found);

} // namespace pellora::tsappinst
