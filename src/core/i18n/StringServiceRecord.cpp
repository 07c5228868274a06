#include "core/i18n/StringServiceRecord.h"

#include <algorithm>
#include <cstring>

namespace pellora::string_service {

namespace {

// The text of a field up to its terminator; nothing when the field holds none.
std::optional<std::string> fieldText(RecordBytes bytes, std::size_t offset, std::size_t size)
{
    const auto* begin = reinterpret_cast<const char*>(bytes.data()) + offset;
    const auto* end = std::find(begin, begin + size, '\0');
    if (end == begin + size)
        return std::nullopt;
    return std::string(begin, end);
}

template <typename Value>
Value readValue(RecordBytes bytes, std::size_t offset)
{
    Value value {};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

template <typename Value>
void writeValue(std::span<std::byte, kRecordSize> bytes, std::size_t offset, Value value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

} // namespace

std::optional<StringServiceRecord> DecodeRecord(RecordBytes bytes)
{
    std::optional<std::string> section = fieldText(bytes, kSectionOffset, kSectionSize);
    std::optional<std::string> text = fieldText(bytes, kTextOffset, kTextSize);
    if (!section || !text)
        return std::nullopt;
    StringServiceRecord record;
    record.language = readValue<std::uint16_t>(bytes, kLanguageOffset);
    record.section = std::move(*section);
    record.identifier = readValue<std::int32_t>(bytes, kIdentifierOffset);
    record.textNumber = readValue<std::int32_t>(bytes, kTextNumberOffset);
    record.text = std::move(*text);
    return record;
}

bool EncodeRecord(const StringServiceRecord& record, std::span<std::byte, kRecordSize> bytes)
{
    if (record.section.size() >= kSectionSize || record.text.size() >= kTextSize
        || record.section.find('\0') != std::string::npos || record.text.find('\0') != std::string::npos)
        return false;
    std::fill(bytes.begin(), bytes.end(), std::byte {0});
    writeValue(bytes, kLanguageOffset, record.language);
    std::memcpy(bytes.data() + kSectionOffset, record.section.data(), record.section.size());
    writeValue(bytes, kIdentifierOffset, record.identifier);
    writeValue(bytes, kTextNumberOffset, record.textNumber);
    std::memcpy(bytes.data() + kTextOffset, record.text.data(), record.text.size());
    return true;
}

} // namespace pellora::string_service
