#pragma once

// SNMP version 1 and 2c messages as plain values, encoded and decoded through net-snmp.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pellora::halvane {

using Oid = std::vector<std::uint32_t>;

enum class SnmpVersion : std::uint8_t { V1 = 0, V2c = 1 };

enum class PduType : std::uint8_t { Get = 0xA0, GetNext = 0xA1, Response = 0xA2 };

// Value types by their BER tags; Unsupported stands for any other type that parsed.
enum class ValueType : std::uint8_t {
    Integer = 0x02,
    OctetString = 0x04,
    Null = 0x05,
    ObjectId = 0x06,
    IpAddress = 0x40,
    Counter32 = 0x41,
    Gauge32 = 0x42,
    TimeTicks = 0x43,
    Opaque = 0x44,
    NoSuchObject = 0x80,
    NoSuchInstance = 0x81,
    EndOfMibView = 0x82,
    Unsupported = 0xFF
};

enum SnmpErrorStatus : std::int64_t { kNoError = 0, kTooBig = 1, kNoSuchName = 2 };

struct VarBind {
    Oid name;
    ValueType type = ValueType::Null;
    std::int64_t integer = 0; // Integer, Counter32, Gauge32, TimeTicks
    std::string octets;       // OctetString, IpAddress, Opaque
    Oid objectId;             // ObjectId

    bool operator==(const VarBind&) const = default;
};

struct SnmpMessage {
    SnmpVersion version = SnmpVersion::V2c;
    std::string community = "public";
    PduType type = PduType::Get;
    std::int64_t requestId = 0;
    std::int64_t errorStatus = 0;
    std::int64_t errorIndex = 0;
    std::vector<VarBind> varbinds;

    bool operator==(const SnmpMessage&) const = default;
};

// Datagrams larger than this are neither built nor read.
inline constexpr std::size_t kLargestSnmpMessage = 65507;

// The message as a datagram; empty when it cannot be encoded (an Unsupported value, an INTEGER or request
// id outside 32 bits, a negative error status or index, or more than kLargestSnmpMessage bytes).
std::vector<std::uint8_t> EncodeMessage(const SnmpMessage& message);

// The message in a datagram of version 1 or 2c whose PDU is a Get, GetNext or Response; nullopt for
// anything else or anything malformed (object identifiers of fewer than two arcs, header integers
// EncodeMessage refuses).
std::optional<SnmpMessage> DecodeMessage(std::span<const std::uint8_t> datagram);

// Null and the three exceptions of version 2c: the agent has no value to give.
inline bool HasNoValue(ValueType type)
{
    return type == ValueType::Null || type == ValueType::NoSuchObject || type == ValueType::NoSuchInstance ||
           type == ValueType::EndOfMibView;
}

// True when name lies strictly below prefix.
bool IsBelow(const Oid& name, const Oid& prefix);

} // namespace pellora::halvane
