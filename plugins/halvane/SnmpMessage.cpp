// SNMP messages through net-snmp's builder and parser, without sessions or transports of its own.

#include "SnmpMessage.h"

#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>
#include <net-snmp/library/snmp_impl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace pellora::halvane {

namespace {

// net-snmp keeps process-wide counters and request numbers without locks of its own.
std::mutex& LibraryMutex()
{
    static std::mutex mutex;
    return mutex;
}

// net-snmp writes parse complaints to stderr unless some log handler is registered; outside data must
// not fill the program's error output, so while this lives a handler that drops everything takes them.
// It goes when the library is unloaded, before net-snmp would be.
class SilentLibraryLog {
public:
    SilentLibraryLog() : m_handler(netsnmp_register_loghandler(NETSNMP_LOGHANDLER_NONE, LOG_DEBUG)) {}
    ~SilentLibraryLog()
    {
        if (m_handler == nullptr)
            return;
        netsnmp_disable_this_loghandler(m_handler);
        netsnmp_remove_loghandler(m_handler);
    }
    SilentLibraryLog(const SilentLibraryLog&) = delete;
    SilentLibraryLog& operator=(const SilentLibraryLog&) = delete;

private:
    netsnmp_log_handler* const m_handler;
};

void SilenceLibraryLog()
{
    static const SilentLibraryLog silence;
}

struct PduDeleter {
    void operator()(netsnmp_pdu* pdu) const { snmp_free_pdu(pdu); }
};
using PduPointer = std::unique_ptr<netsnmp_pdu, PduDeleter>;

bool IsInteger32(std::int64_t value)
{
    return value >= -0x80000000ll && value <= 0x7FFFFFFF;
}

// The PDU's integers as the protocol allows them: a 32-bit request id, a status and an index that are not
// negative (net-snmp would also take -1 for "not set" when building).
bool HasValidHeader(std::int64_t requestId, std::int64_t errorStatus, std::int64_t errorIndex)
{
    return IsInteger32(requestId) && IsInteger32(errorStatus) && errorStatus >= 0 && IsInteger32(errorIndex) &&
           errorIndex >= 0;
}

std::vector<oid> ToLibraryOid(const Oid& name)
{
    return std::vector<oid>(name.begin(), name.end());
}

Oid FromLibraryOid(const oid* name, std::size_t length)
{
    Oid result(length);
    std::transform(name, name + length, result.begin(), [](oid subid) { return static_cast<std::uint32_t>(subid); });
    return result;
}

bool AddVariable(netsnmp_pdu& pdu, const VarBind& binding)
{
    const std::vector<oid> name = ToLibraryOid(binding.name);
    const auto type = static_cast<u_char>(binding.type);
    netsnmp_variable_list* added = nullptr;
    switch (binding.type) {
    case ValueType::Integer: {
        if (!IsInteger32(binding.integer))
            return false;
        const long value = static_cast<long>(binding.integer);
        added = snmp_pdu_add_variable(&pdu, name.data(), name.size(), type, &value, sizeof value);
        break;
    }
    case ValueType::Counter32:
    case ValueType::Gauge32:
    case ValueType::TimeTicks: {
        if (binding.integer < 0 || binding.integer > 0xFFFFFFFFll)
            return false;
        const u_long value = static_cast<u_long>(binding.integer);
        added = snmp_pdu_add_variable(&pdu, name.data(), name.size(), type, &value, sizeof value);
        break;
    }
    case ValueType::OctetString:
    case ValueType::IpAddress:
    case ValueType::Opaque:
        if (binding.type == ValueType::IpAddress && binding.octets.size() != 4)
            return false;
        added = snmp_pdu_add_variable(&pdu, name.data(), name.size(), type, binding.octets.data(), binding.octets.size());
        break;
    case ValueType::ObjectId: {
        const std::vector<oid> value = ToLibraryOid(binding.objectId);
        added = snmp_pdu_add_variable(&pdu, name.data(), name.size(), type, value.data(), value.size() * sizeof(oid));
        break;
    }
    case ValueType::Null:
    case ValueType::NoSuchObject:
    case ValueType::NoSuchInstance:
    case ValueType::EndOfMibView:
        added = snmp_pdu_add_variable(&pdu, name.data(), name.size(), type, nullptr, 0);
        break;
    case ValueType::Unsupported:
        return false;
    }
    return added != nullptr;
}

ValueType KnownType(u_char tag)
{
    switch (tag) {
    case ASN_INTEGER:
    case ASN_OCTET_STR:
    case ASN_NULL:
    case ASN_OBJECT_ID:
    case ASN_IPADDRESS:
    case ASN_COUNTER:
    case ASN_GAUGE:
    case ASN_TIMETICKS:
    case ASN_OPAQUE:
    case SNMP_NOSUCHOBJECT:
    case SNMP_NOSUCHINSTANCE:
    case SNMP_ENDOFMIBVIEW:
        return static_cast<ValueType>(tag);
    default:
        return ValueType::Unsupported;
    }
}

VarBind FromLibraryVariable(const netsnmp_variable_list& variable)
{
    VarBind binding;
    binding.name = FromLibraryOid(variable.name, variable.name_length);
    binding.type = KnownType(variable.type);
    switch (binding.type) {
    case ValueType::Integer:
        binding.integer = *variable.val.integer;
        break;
    case ValueType::Counter32:
    case ValueType::Gauge32:
    case ValueType::TimeTicks:
        binding.integer = static_cast<std::int64_t>(static_cast<u_long>(*variable.val.integer) & 0xFFFFFFFFul);
        break;
    case ValueType::OctetString:
    case ValueType::IpAddress:
    case ValueType::Opaque:
        if (variable.val_len > 0)
            binding.octets.assign(reinterpret_cast<const char*>(variable.val.string), variable.val_len);
        break;
    case ValueType::ObjectId:
        binding.objectId = FromLibraryOid(variable.val.objid, variable.val_len / sizeof(oid));
        break;
    default:
        break;
    }
    return binding;
}

bool IsExchangedPdu(int command)
{
    return command == SNMP_MSG_GET || command == SNMP_MSG_GETNEXT || command == SNMP_MSG_RESPONSE;
}

} // namespace

std::vector<std::uint8_t> EncodeMessage(const SnmpMessage& message)
{
    if (message.community.size() >= COMMUNITY_MAX_LEN ||
        !HasValidHeader(message.requestId, message.errorStatus, message.errorIndex))
        return {};
    const std::lock_guard lock(LibraryMutex());
    SilenceLibraryLog();
    PduPointer pdu(snmp_pdu_create(static_cast<int>(message.type)));
    if (!pdu)
        return {};
    pdu->version = message.version == SnmpVersion::V1 ? SNMP_VERSION_1 : SNMP_VERSION_2c;
    pdu->reqid = static_cast<long>(message.requestId);
    pdu->errstat = static_cast<long>(message.errorStatus);
    pdu->errindex = static_cast<long>(message.errorIndex);
    pdu->flags |= UCD_MSG_FLAG_FORWARD_ENCODE;
    if (!message.community.empty()) {
        pdu->community = static_cast<u_char*>(std::malloc(message.community.size()));
        if (pdu->community == nullptr)
            return {};
        std::memcpy(pdu->community, message.community.data(), message.community.size());
        pdu->community_len = message.community.size();
    }
    for (const VarBind& binding : message.varbinds) {
        if (!AddVariable(*pdu, binding))
            return {};
    }
    netsnmp_session session{};
    const auto buffer = std::make_unique_for_overwrite<u_char[]>(kLargestSnmpMessage);
    u_char* packet = buffer.get();
    std::size_t length = kLargestSnmpMessage;
    std::size_t offset = 0;
    if (snmp_build(&packet, &length, &offset, &session, pdu.get()) != 0 || length > kLargestSnmpMessage)
        return {};
    return std::vector<std::uint8_t>(packet, packet + length);
}

std::optional<SnmpMessage> DecodeMessage(std::span<const std::uint8_t> datagram)
{
    if (datagram.empty() || datagram.size() > kLargestSnmpMessage)
        return std::nullopt;
    // The parser takes writable pointers; it gets a copy.
    std::vector<u_char> data(datagram.begin(), datagram.end());
    const std::lock_guard lock(LibraryMutex());
    SilenceLibraryLog();
    std::size_t length = data.size();
    u_char community[COMMUNITY_MAX_LEN];
    std::size_t communityLength = sizeof community;
    long version = -1;
    u_char* pduStart = snmp_comstr_parse(data.data(), &length, community, &communityLength, &version);
    if (pduStart == nullptr || (version != SNMP_VERSION_1 && version != SNMP_VERSION_2c))
        return std::nullopt;
    PduPointer pdu(snmp_pdu_create(SNMP_MSG_RESPONSE));
    if (!pdu || snmp_pdu_parse(pdu.get(), pduStart, &length) != 0 || !IsExchangedPdu(pdu->command) ||
        !HasValidHeader(pdu->reqid, pdu->errstat, pdu->errindex))
        return std::nullopt;

    SnmpMessage message;
    message.version = version == SNMP_VERSION_1 ? SnmpVersion::V1 : SnmpVersion::V2c;
    message.community.assign(reinterpret_cast<const char*>(community), communityLength);
    message.type = static_cast<PduType>(pdu->command);
    message.requestId = pdu->reqid;
    message.errorStatus = pdu->errstat;
    message.errorIndex = pdu->errindex;
    for (const netsnmp_variable_list* variable = pdu->variables; variable != nullptr;
         variable = variable->next_variable) {
        VarBind binding = FromLibraryVariable(*variable);
        // BER has no form for an identifier of one arc, and INTEGER values are 32-bit; the parser still
        // hands out both.
        if (binding.name.size() < 2 || (binding.type == ValueType::ObjectId && binding.objectId.size() < 2) ||
            (binding.type == ValueType::Integer && !IsInteger32(binding.integer)))
            return std::nullopt;
        message.varbinds.push_back(std::move(binding));
    }
    return message;
}

bool IsBelow(const Oid& name, const Oid& prefix)
{
    return name.size() > prefix.size() && std::equal(prefix.begin(), prefix.end(), name.begin());
}

} // namespace pellora::halvane
