// The exported entry points: argument checks, then scan, selection and the record block.

#include "TsAppInst.h"

#include "ApplicationBlock.h"
#include "OwnFolder.h"
#include "UtilityScan.h"
#include "UtilitySelection.h"

#include <filesystem>
#include <system_error>
#include <vector>

#define TSAPP_EXPORT __attribute__((visibility("default")))

namespace fs = std::filesystem;

namespace pellora::tsappinst {

namespace {

fs::path UtilitiesFolder(const char* folder)
{
    if (folder && *folder) {
        std::error_code error;
        const fs::path absolute = fs::absolute(folder, error);
        return error ? fs::path() : absolute;
    }
    const fs::path programFolder = OwnFolder();
    return programFolder.empty() ? fs::path() : programFolder / TSAPP_UTILITIES_FOLDER;
}

int Enumerate(const char* folder, UtilitySelection& selection, uint32_t option, APP_INFO** records,
              uint32_t* recordCount, TsAppProgress progress, void* context)
{
    if (option & TSAPP_OPTION_PRESENT_ONLY)
        selection.RequirePresentSetup();
    const fs::path utilities = UtilitiesFolder(folder);
    if (utilities.empty())
        return TSAPP_FOLDER_UNREADABLE;

    std::vector<FoundUtility> found;
    const ScanProgress report = [progress, context](uint32_t examined, uint32_t total) {
        return progress == nullptr || progress(examined, total, context) == 0;
    };
    switch (ScanUtilities(utilities, report, found)) {
    case ScanResult::Ok:
        break;
    case ScanResult::FolderUnreadable:
        return TSAPP_FOLDER_UNREADABLE;
    case ScanResult::Cancelled:
        return TSAPP_CANCELLED;
    }
    std::erase_if(found, [&selection](const FoundUtility& utility) { return !selection.Accepts(utility); });

    ApplicationBlock block = BuildApplicationBlock(found);
    *recordCount = static_cast<uint32_t>(found.size());
    *records = block.release();
    return TSAPP_OK;
}

bool ValidArguments(uint32_t flags, const char* const* texts, uint32_t textCount, uint32_t option,
                    APP_INFO** records, uint32_t* recordCount, uint32_t reserved)
{
    return flags == 0 && (textCount == 0 || texts != nullptr) && (option & ~TSAPP_OPTION_PRESENT_ONLY) == 0
        && records != nullptr && recordCount != nullptr && reserved == 0;
}

// Runs one enumeration behind the C boundary: nothing is thrown across it.
template <typename Select>
int RunEnumeration(uint32_t flags, const char* folder, const char* const* texts, uint32_t textCount,
                   uint32_t option, APP_INFO** records, uint32_t* recordCount, TsAppProgress progress,
                   uint32_t reserved, void* context, Select select) noexcept
{
    if (records)
        *records = nullptr;
    if (recordCount)
        *recordCount = 0;
    if (!ValidArguments(flags, texts, textCount, option, records, recordCount, reserved))
        return TSAPP_INVALID_ARGUMENT;
    try {
        UtilitySelection selection;
        select(selection, texts, textCount);
        return Enumerate(folder, selection, option, records, recordCount, progress, context);
    } catch (...) {
        return TSAPP_INTERNAL_ERROR;
    }
}

} // namespace

} // namespace pellora::tsappinst

using pellora::tsappinst::RunEnumeration;
using pellora::tsappinst::UtilitySelection;

extern "C" TSAPP_EXPORT int EnumApplicationInfo(uint32_t flags, const char* folder, const char* const* models,
                                                uint32_t modelCount, uint32_t option, APP_INFO** records,
                                                uint32_t* recordCount, TsAppProgress progress, uint32_t reserved,
                                                void* context)
{
    return RunEnumeration(flags, folder, models, modelCount, option, records, recordCount, progress, reserved,
                          context, [](UtilitySelection& selection, const char* const* texts, uint32_t count) {
                              selection.RequireOneOfModels(texts, count);
                          });
}

extern "C" TSAPP_EXPORT int EnumApplicationInfoEx(uint32_t flags, const char* folder, const char* const* known,
                                                  uint32_t knownCount, uint32_t option, APP_INFO** records,
                                                  uint32_t* recordCount, TsAppProgress progress,
                                                  uint32_t reserved, void* context)
{
    return RunEnumeration(flags, folder, known, knownCount, option, records, recordCount, progress, reserved,
                          context, [](UtilitySelection& selection, const char* const* texts, uint32_t count) {
                              selection.LeaveOutKnown(texts, count);
                          });
}

extern "C" TSAPP_EXPORT void FreeApplicationInfo(APP_INFO* records)
{
    pellora::tsappinst::ApplicationBlockDeleter()(records);
}
