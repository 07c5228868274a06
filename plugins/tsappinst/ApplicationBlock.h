#pragma once

// Lays utilities out as the block of APP_INFO records that the enumerations hand to their callers.

#include "AppManifest.h"
#include "TsAppInst.h"

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace pellora::tsappinst {

// A utility found on disk: its manifest and the full path of its setup file (the identifying text).
struct FoundUtility {
    AppManifest manifest;
    std::string setupPath;
};

// The block is one allocation: the records, then their model lists, then the model names. Callers
// free it with FreeApplicationInfo, which is this deleter.
struct ApplicationBlockDeleter {
    void operator()(APP_INFO* block) const { std::free(block); }
};
using ApplicationBlock = std::unique_ptr<APP_INFO, ApplicationBlockDeleter>;

// True when every text of the utility fits its record field.
bool FitsRecord(const FoundUtility& utility);

// The records of the utilities, in order; null when there are none. Every utility must fit its record.
// Throws std::bad_alloc when the memory cannot be had.
ApplicationBlock BuildApplicationBlock(const std::vector<FoundUtility>& utilities);

} // namespace pellora::tsappinst
