#pragma once

// A command record of the string-editing tool, as it lies in the shared memory: 1068 bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace pellora {

struct StringServiceRecord {
    std::uint16_t language = 0;   // command 0
    std::string section;          // command 1
    std::int32_t identifier = 0;  // command 1: control, command or message number
    std::int32_t textNumber = 0;  // commands 1 and 2
    std::string text;             // command 2

    bool operator==(const StringServiceRecord&) const = default;
};

namespace string_service {

// The layout of a record; integers in the machine's own byte order.
inline constexpr std::size_t kRecordSize = 1068;
inline constexpr std::size_t kLanguageOffset = 0;
inline constexpr std::size_t kSectionOffset = 2;
inline constexpr std::size_t kSectionSize = 34;
inline constexpr std::size_t kIdentifierOffset = 36;
inline constexpr std::size_t kTextNumberOffset = 40;
inline constexpr std::size_t kTextOffset = 44;
inline constexpr std::size_t kTextSize = 1024;

// The commands.
inline constexpr std::uint32_t kSwitchLanguage = 0;
inline constexpr std::uint32_t kShowAndFlash = 1;
inline constexpr std::uint32_t kReplaceText = 2;
inline constexpr std::uint32_t kClose = 3;

using RecordBytes = std::span<const std::byte, kRecordSize>;

// The record of the bytes; nothing when a text is not terminated by a zero byte within its field.
std::optional<StringServiceRecord> DecodeRecord(RecordBytes bytes);
// Writes the record; false (nothing written) when a text does not fit its field with its terminator.
bool EncodeRecord(const StringServiceRecord& record, std::span<std::byte, kRecordSize> bytes);

} // namespace string_service

} // namespace pellora
