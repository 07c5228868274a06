#include "core/script/RegistryValue.h"

#include <bit>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <utility>

namespace pellora {

namespace {

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (lowerAscii(text[i]) != lowerAscii(prefix[i]))
            return false;
    }
    return true;
}

// Every character is a hexadecimal digit; one that is not counts as 0. Wraps modulo 2^32.
uint32_t readHexDigits(std::string_view text)
{
    uint32_t value = 0;
    for (const char c : text) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        value = value * 16u + digit;
    }
    return value;
}

// A decimal number as the C library's atoi reads it (leading blanks, a sign, the digits up to the
// first other character), except that it wraps modulo 2^32 instead of overflowing.
uint32_t readDecimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    return negative ? 0u - value : value;
}

std::vector<uint8_t> readHexBytes(std::string_view list)
{
    std::vector<uint8_t> bytes;
    constexpr std::string_view separators = ", \r\n\t";
    std::size_t position = 0;
    while (position < list.size()) {
        const std::size_t start = list.find_first_not_of(separators, position);
        if (start == std::string_view::npos)
            break;
        std::size_t end = list.find_first_of(separators, start);
        if (end == std::string_view::npos)
            end = list.size();
        bytes.push_back(static_cast<uint8_t>(readHexDigits(list.substr(start, end - start)) & 0xFFu));
        position = end;
    }
    return bytes;
}

std::vector<uint8_t> littleEndian(uint32_t number)
{
    return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8), static_cast<uint8_t>(number >> 16),
            static_cast<uint8_t>(number >> 24)};
}

std::vector<uint8_t> littleEndian(double number)
{
    const auto bits = std::bit_cast<uint64_t>(number);
    std::vector<uint8_t> bytes(8);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    return bytes;
}

void appendHexBytes(std::string& out, const std::vector<uint8_t>& bytes)
{
    char digits[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02X" : ",%02X", static_cast<unsigned>(bytes[i]));
        out += digits;
    }
}

} // namespace

LocalDateTime CurrentLocalDateTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return {};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

double ToOleAutomationDate(const LocalDateTime& time)
{
    using namespace std::chrono;
    const sys_days date{year{time.year} / month{static_cast<unsigned>(time.month)} / day{static_cast<unsigned>(time.day)}};
    const sys_days epoch{year{1899} / December / day{30}};
    const auto days = static_cast<double>((date - epoch).count());
    const double fraction = (time.hour * 3600.0 + time.minute * 60.0 + time.second) / 86400.0;
    return days < 0 ? days - fraction : days + fraction;
}

RegistryValue::RegistryValue(std::string name, uint32_t type, std::vector<uint8_t> data)
    : m_name(std::move(name)), m_type(type), m_data(std::move(data))
{
}

RegistryValue::RegistryValue(std::string name, std::string_view text)
    : m_name(std::move(name)), m_type(kRegString), m_data(text.begin(), text.end())
{
    m_data.push_back(0);
}

RegistryValue::RegistryValue(std::string name, uint32_t number)
    : m_name(std::move(name)), m_type(kRegDword), m_data(littleEndian(number))
{
}

RegistryValue::RegistryValue(std::string name, std::vector<uint8_t> bytes)
    : m_name(std::move(name)), m_type(kRegBinary), m_data(std::move(bytes))
{
}

std::optional<uint32_t> RegistryValue::AsDword() const
{
    if (m_type != kRegDword || m_data.size() != 4)
        return std::nullopt;
    return static_cast<uint32_t>(m_data[0]) | static_cast<uint32_t>(m_data[1]) << 8 |
           static_cast<uint32_t>(m_data[2]) << 16 | static_cast<uint32_t>(m_data[3]) << 24;
}

std::optional<std::string> RegistryValue::AsString() const
{
    if (m_type != kRegString)
        return std::nullopt;
    std::string text(m_data.begin(), m_data.end());
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

std::string RegistryValue::Encode(bool quoteStrings) const
{
    if (m_type == kRegString) {
        const std::string text = *AsString();
        return quoteStrings ? "\"" + text + "\"" : text;
    }
    if (m_type == kRegDword) {
        // Data of another size than 4 are read as far as they go.
        uint32_t number = 0;
        for (std::size_t i = 0; i < m_data.size() && i < 4; ++i)
            number |= static_cast<uint32_t>(m_data[i]) << (8 * i);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08X", static_cast<unsigned>(number));
        return text;
    }
    std::string out;
    if (m_type == kRegBinary) {
        out = "hex:";
    } else {
        char prefix[24];
        std::snprintf(prefix, sizeof prefix, "hex(%d):", static_cast<int>(static_cast<int32_t>(m_type)));
        out = prefix;
    }
    out.reserve(out.size() + m_data.size() * 3);
    appendHexBytes(out, m_data);
    return out;
}

std::optional<RegistryValue> RegistryValue::Parse(std::string_view text)
{
    return Parse(text, CurrentLocalDateTime);
}

std::optional<RegistryValue> RegistryValue::Parse(std::string_view text, const LocalClock& clock)
{
    if (text.empty())
        return std::nullopt;

    if (text.front() == '"') {
        const std::size_t first = text.find_first_not_of('"');
        if (first == std::string_view::npos)
            return RegistryValue({}, std::string_view{});
        const std::size_t last = text.find_last_not_of('"');
        return RegistryValue({}, text.substr(first, last - first + 1));
    }

    if (startsWithNoCase(text, "dword:"))
        return RegistryValue({}, readHexDigits(text.substr(6)));

    if (text.size() == 6 && startsWithNoCase(text, "%date%"))
        return RegistryValue({}, littleEndian(ToOleAutomationDate(clock ? clock() : CurrentLocalDateTime())));

    if (startsWithNoCase(text, "hex")) {
        std::string_view rest = text.substr(3);
        uint32_t type = 0;
        if (!rest.empty() && rest.front() == ':') {
            rest.remove_prefix(1);
            type = kRegBinary;
        } else if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos) {
            std::string_view number = rest.substr(0, colon);
            while (!number.empty() && number.front() == '(')
                number.remove_prefix(1);
            while (!number.empty() && number.back() == ')')
                number.remove_suffix(1);
            type = readDecimal(number);
            rest.remove_prefix(colon + 1);
        }
        return RegistryValue({}, type, readHexBytes(rest));
    }

    return std::nullopt;
}

} // namespace pellora
