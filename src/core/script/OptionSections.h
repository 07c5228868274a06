#pragma once

// Driver option sections of a script file: typed values one at a time, and the three extension blocks.

#include "core/model/DriverBlocks.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pellora {

// Results of the section operations; 0 is success.
enum : int {
    kSectionOk = 0,
    kSectionKeyMissing = 1,      // the key is not in the section
    kSectionWriteRefused = 2,    // the profile layer did not take the value
    kSectionReadBackDiffers = 3, // the value read back is not the one written
};

// One section of a script file, read and written through the profile layer's cache.
class OptionSection {
public:
    OptionSection(std::filesystem::path file, std::string section);

    const std::filesystem::path& file() const { return m_file; }
    const std::string& section() const { return m_section; }

    // Written as "dword:%08X".
    int WriteDword(std::string_view name, uint32_t number) const;
    int WriteString(std::string_view name, std::string_view text, bool quoted) const;
    // Reads the value into a 260-byte buffer and stores it in number only when it is a DWORD; a present
    // key with any other text succeeds and leaves number unchanged.
    int ReadDword(std::string_view name, int32_t& number) const;
    // At most bufferSize - 1 bytes of the value, never ending inside a UTF-8 sequence; text is
    // emptied when the key is missing.
    int ReadText(std::string_view name, std::string& text, std::size_t bufferSize) const;

private:
    // Stores the text and checks that a reader gets expected back.
    int writeText(std::string_view name, std::string_view stored, std::string_view expected) const;

    std::filesystem::path m_file;
    std::string m_section;
};

// Sections named after the block's name area.
int WriteMonitorSection(const std::filesystem::path& file, const MonitorBlock& block);
int WritePortSection(const std::filesystem::path& file, const PortBlock& block);
int WriteSecuritySection(const std::filesystem::path& file, std::string_view section, const SecurityBlock& block);

// Each read starts from the default block and stops at the first key that fails; the keys after it keep
// their defaults. A key that the writer leaves out by rule (monitor keys while monitoring is off or no
// popup is on, negative security values) may be missing: it keeps its default and the read goes on.
// The monitor and port reads store the section name in the block's name area.
int ReadMonitorSection(const std::filesystem::path& file, std::string_view section, MonitorBlock& block);
int ReadPortSection(const std::filesystem::path& file, std::string_view section, PortBlock& block);
int ReadSecuritySection(const std::filesystem::path& file, std::string_view section, SecurityBlock& block);

} // namespace pellora
