// The driver package check: the exported entry point and the folder and settings-file checks behind it.

#include "DavorUdi.h"

#include "InfFile.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace pellora::davorudi {

namespace {

// Larger files are no INF files worth reading.
constexpr std::uintmax_t kLargestInfFile = std::uintmax_t{64} << 20;

bool HasInfExtension(const fs::path& path)
{
    std::string extension = path.extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return extension == ".inf";
}

std::optional<std::string> ReadSmallFile(const fs::path& path)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kLargestInfFile)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool InfNamesModel(const fs::path& path, const std::string& wanted)
{
    const std::optional<std::string> bytes = ReadSmallFile(path);
    if (!bytes)
        return false;
    for (const std::string& name : InfFile(*bytes).ModelNames()) {
        if (ComparableModelName(name) == wanted)
            return true;
    }
    return false;
}

int CheckFolder(const std::string& model, const std::string& folder)
{
    if (folder.empty())
        return DAVORUDI_FOLDER_UNREADABLE;
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return DAVORUDI_FOLDER_UNREADABLE;
    fs::directory_iterator entries(folder, error);
    if (error)
        return DAVORUDI_FOLDER_UNREADABLE;
    const std::string wanted = ComparableModelName(model);
    bool sawInf = false;
    for (; entries != fs::directory_iterator(); entries.increment(error)) {
        if (error)
            return DAVORUDI_FOLDER_UNREADABLE;
        std::error_code typeError;
        if (!HasInfExtension(entries->path()) || !entries->is_regular_file(typeError))
            continue;
        sawInf = true;
        if (!wanted.empty() && InfNamesModel(entries->path(), wanted))
            return DAVORUDI_OK;
    }
    if (error)
        return DAVORUDI_FOLDER_UNREADABLE;
    return sawInf ? DAVORUDI_MODEL_NOT_LISTED : DAVORUDI_NO_INF_FILE;
}

int CheckSettingsFile(const std::string& bsfPath)
{
    if (bsfPath.empty())
        return DAVORUDI_OK;
    std::error_code error;
    const fs::file_status status = fs::status(bsfPath, error);
    if (status.type() == fs::file_type::not_found)
        return DAVORUDI_SETTINGS_MISSING;
    if (error || status.type() != fs::file_type::regular)
        return DAVORUDI_SETTINGS_UNREADABLE;
    std::ifstream in(bsfPath, std::ios::binary);
    char first = 0;
    if (!in || !in.get(first))
        return DAVORUDI_SETTINGS_UNREADABLE;
    return DAVORUDI_OK;
}

} // namespace

} // namespace pellora::davorudi

extern "C" __attribute__((visibility("default"))) int DavorUdi(const char* model, const char* folder, const char* bsfPath)
{
    using namespace pellora::davorudi;
    try {
        const int folderResult = CheckFolder(model != nullptr ? model : "", folder != nullptr ? folder : "");
        if (folderResult != DAVORUDI_OK)
            return folderResult;
        return CheckSettingsFile(bsfPath != nullptr ? bsfPath : "");
    } catch (...) {
        return DAVORUDI_INTERNAL_ERROR;
    }
}
