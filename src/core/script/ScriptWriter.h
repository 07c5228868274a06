#pragma once

// Writes a script object as an install script, verifying every key as a reader of the file will see it.

#include "core/model/DriverBlocks.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

class CPrinterInfoEx;
class CScriptFile;

class ScriptWriter {
public:
    explicit ScriptWriter(CScriptFile& script);

    // Writes into a file beside target and renames it over target only when every key verified.
    bool Write(const std::filesystem::path& target);

private:
    void writeSoftwareSections();
    void writePrinter(CPrinterInfoEx& printer, int number);
    void writeBlockSections();
    void key(std::string_view name, std::string_view value);
    void key(std::string_view name, int value);
    void flag(std::string_view name, bool on);
    bool writeVerified(std::string_view name, std::string_view value);

    CScriptFile& m_script;
    std::filesystem::path m_file;
    std::string m_cdromLetters;
    std::vector<MonitorBlock> m_monitorBlocks;
    std::vector<PortBlock> m_portBlocks;
    std::vector<SecurityBlock> m_securityBlocks;
    bool m_ok = true;
};

// True when the address cannot carry a network port: a placeholder, a UNC path or a web address.
bool IsNonNetworkAddress(std::string_view address);
// The model name without a leading "VARDO " (compared without regard to case).
std::string StripMakerPrefix(std::string_view modelName);
// "LOCK" text: eight digits "0"/"1", bit 7 first.
std::string FormatLockMask(int32_t lockMask);

} // namespace pellora
