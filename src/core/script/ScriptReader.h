#pragma once

// Reads an install script back into a script object's settings and printer records.

#include "core/discovery/ModelList.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

class CPrinterInfoEx;
class CScriptFile;
class UtilityFolderIndex;

class ScriptReader {
public:
    ScriptReader(CScriptFile& script, std::filesystem::path programFolder);

    // Reads the script at the object's filePath into it; printers of unlisted models are dropped.
    int Read();

private:
    void readPrinter(int number);
    void readUtilities(CPrinterInfoEx& printer, std::string_view searchCdrom);
    std::string resolveCdromPath(std::string path) const;
    std::string resolveRelativePath(const std::string& path, const UtilityFolderIndex& folders,
                                    std::string_view searchCdrom);
    std::string text(std::string_view key) const;
    int number(std::string_view key) const;
    int32_t flag(std::string_view key) const;
    std::size_t keyCount() const;

    CScriptFile& m_script;
    const std::filesystem::path m_programFolder;
    const ModelList m_models;
    std::string m_cdromLetters;
};

// The C run-time's atoi, clamped to the range of int instead of overflowing.
int AsciiToInt(std::string_view text);
// Bit k of the result is set when the k-th decimal digit from the right of number is not 0.
int32_t ParseLockMask(int number);
// Both files exist as regular files and hold the same bytes.
bool SameFileContent(const std::string& a, const std::string& b);

} // namespace pellora
