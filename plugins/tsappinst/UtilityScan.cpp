#include "UtilityScan.h"

#include "TsAppInst.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace pellora::tsappinst {

namespace {

// The bytes of a regular file of at most kMaxManifestBytes; nothing for anything else.
std::optional<std::string> ReadManifestFile(const fs::path& file)
{
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes(kMaxManifestBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad() || static_cast<std::size_t>(in.gcount()) > kMaxManifestBytes)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::optional<FoundUtility> ReadUtility(const fs::path& utilityFolder)
{
    const std::optional<std::string> text = ReadManifestFile(utilityFolder / TSAPP_MANIFEST_FILE);
    if (!text)
        return std::nullopt;
    std::optional<AppManifest> manifest = ParseAppManifest(*text);
    if (!manifest)
        return std::nullopt;
    FoundUtility utility { std::move(*manifest), {} };
    utility.setupPath = (utilityFolder / utility.manifest.setup).string();
    if (!FitsRecord(utility))
        return std::nullopt;
    return utility;
}

} // namespace

ScanResult ScanUtilities(const fs::path& folder, const ScanProgress& progress, std::vector<FoundUtility>& found)
{
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (status.type() == fs::file_type::not_found)
        return ScanResult::Ok;
    if (error || status.type() != fs::file_type::directory)
        return ScanResult::FolderUnreadable;

    std::vector<std::string> names;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        std::error_code typeError;
        if (!name.starts_with('.') && entries->is_directory(typeError))
            names.push_back(name);
    }
    if (error)
        return ScanResult::FolderUnreadable;
    std::sort(names.begin(), names.end());

    const auto total = static_cast<std::uint32_t>(std::min<std::size_t>(names.size(), UINT32_MAX));
    for (std::uint32_t examined = 0; examined < total;) {
        if (std::optional<FoundUtility> utility = ReadUtility(folder / names[examined]))
            found.push_back(std::move(*utility));
        ++examined;
        if (progress && !progress(examined, total))
            return ScanResult::Cancelled;
    }
    return ScanResult::Ok;
}

} // namespace pellora::tsappinst
