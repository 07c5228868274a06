#pragma once

// Typed registry values and their text notation of registry export files ("dword:", "hex:", quoted strings).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

enum : uint32_t {
    kRegString = 1, // text with its terminating NUL
    kRegBinary = 3,
    kRegDword = 4,  // 4 bytes, little-endian
};

// A local date and time as the calendar shows it.
struct LocalDateTime {
    int year = 1899;
    int month = 12; // 1 ... 12
    int day = 30;   // 1 ... 31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

using LocalClock = std::function<LocalDateTime()>;

// The machine's current local time, to the second.
LocalDateTime CurrentLocalDateTime();
// Days since 30 December 1899 with the time of day as the fraction; before that day the fraction
// still counts forward from midnight (6:00 on 29 December 1899 is -1.25).
double ToOleAutomationDate(const LocalDateTime& time);

class RegistryValue {
public:
    RegistryValue() = default;
    RegistryValue(std::string name, uint32_t type, std::vector<uint8_t> data);
    // Type 1; the data are the text and a NUL.
    RegistryValue(std::string name, std::string_view text);
    // Type 4.
    RegistryValue(std::string name, uint32_t number);
    // Type 3.
    RegistryValue(std::string name, std::vector<uint8_t> bytes);

    const std::string& name() const { return m_name; }
    uint32_t type() const { return m_type; }
    const std::vector<uint8_t>& data() const { return m_data; }

    // The number of a type-4 value.
    std::optional<uint32_t> AsDword() const;
    // The text of a type-1 value, up to its first NUL.
    std::optional<std::string> AsString() const;

    // Type 1 as the text (in double quotes when quoteStrings), type 4 as "dword:%08X", type 3 as
    // "hex:" and comma-separated "%02X" bytes, any other type n as "hex(n):" and the bytes.
    std::string Encode(bool quoteStrings) const;

    // The value written by text, or nullopt when the text is not in the notation. "%date%" gives the
    // current local time as an 8-byte OLE automation date (type 3); clock supplies that time.
    static std::optional<RegistryValue> Parse(std::string_view text);
    static std::optional<RegistryValue> Parse(std::string_view text, const LocalClock& clock);

    bool operator==(const RegistryValue&) const = default;

private:
    std::string m_name;
    uint32_t m_type = 0;
    std::vector<uint8_t> m_data;
};

} // namespace pellora
