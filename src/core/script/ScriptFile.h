#pragma once

// The install script object: script-wide settings and the owned, ordered list of printer records.

#include "core/model/PrinterInfo.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

inline constexpr const char* kScriptFileVersion = "2.02";

class CScriptFile {
public:
    CScriptFile();
    CScriptFile(const CScriptFile&) = delete;
    CScriptFile& operator=(const CScriptFile&) = delete;
    CScriptFile(CScriptFile&&) noexcept = default;
    CScriptFile& operator=(CScriptFile&&) noexcept = default;

    void Reset();
    // Reset, then a complete copy of the other object's settings and printers.
    void CopyFrom(const CScriptFile& other);

    // Writes the script; returns 1 when every key was written and verified. The previous file at the
    // path is replaced only then: a failed write leaves it as it was.
    int Write(const std::filesystem::path& path = {});
    // Reads the file when it is a script (see IsScript); returns the reader's result, else 0. Models are
    // checked against the model list of programFolder, where a bare log file name is placed too.
    int Load(const std::filesystem::path& path, const std::filesystem::path& programFolder);
    static bool IsScript(const std::filesystem::path& path);

    // The value of key in the current section, at most 1023 bytes; empty when missing.
    std::string SectionText(std::string_view key) const;

    std::string software;
    std::string fileVersion;
    std::string date;
    std::string scriptNote;
    std::string productName;
    std::string logFile;
    std::string autoComplete;
    std::string testPageTitle;
    std::vector<std::unique_ptr<CPrinterInfoEx>> printers;
    int32_t scriptSpareInt1 = 0;
    std::string scriptSpareText1;
    std::string scriptSpareText2;
    std::string scriptSpareText3;
    std::string scriptSpareText4;
    int32_t scriptSpareInt2 = 1;
    int32_t reboot = 0;
    int32_t confirmDriverCopy = 0;
    int32_t requireLogon = 1;
    int32_t extendFeature = 0;
    std::filesystem::path filePath;
    int32_t readStatus = 0;
    std::vector<std::string> installedApplications;
    std::string section;

private:
    friend class ScriptWriter;
    friend class ScriptReader;
};

// The application title that a script's "FILE" key must hold.
const char* ApplicationTitle();

} // namespace pellora
