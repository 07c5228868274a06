// The question-and-answer steps with one agent, from its identity to its physical address.

#include "PrinterInterview.h"

#include <algorithm>

namespace pellora::halvane {

namespace {

// Rows of the interface table looked at, at most, for a physical address.
constexpr int kLongestWalk = 64;

std::vector<Oid> QueryNames(const std::vector<IdentityItem>& items)
{
    std::vector<Oid> names;
    for (const IdentityItem item : items)
        names.push_back(IdentityQueryName(item));
    return names;
}

} // namespace

const PrinterInterview::Request& PrinterInterview::SweepRequest()
{
    static const Request request{
        PduType::GetNext, QueryNames(std::vector<IdentityItem>(kIdentityItems.begin(), kIdentityItems.end()))};
    return request;
}

PrinterInterview::PrinterInterview(std::uint32_t address, SnmpVersion version)
    : m_address(address)
    , m_version(version)
    , m_request(SweepRequest())
    , m_pending(kIdentityItems.begin(), kIdentityItems.end())
    , m_asked(m_pending)
{
}

std::optional<DiscoveredPrinter> PrinterInterview::result() const
{
    if (!finished() || !IsPrinter(m_identity))
        return std::nullopt;
    const PrinterTexts texts = DescribePrinter(m_identity);
    DiscoveredPrinter printer;
    for (std::size_t i = 0; i < 4; ++i)
        printer.address[i] = static_cast<std::uint8_t>(m_address >> (24 - 8 * i));
    printer.modelName = texts.modelName;
    printer.macAddress = m_macAddress;
    printer.deviceId = texts.deviceId;
    printer.freeText = texts.freeText;
    return printer;
}

void PrinterInterview::TakeReply(const SnmpMessage& reply)
{
    switch (m_stage) {
    case Stage::Identity:
        TakeIdentityReply(reply);
        break;
    case Stage::InterfaceIndex:
        TakeInterfaceIndexReply(reply);
        break;
    case Stage::PhysAddress:
        TakePhysAddressReply(reply);
        break;
    case Stage::Walk:
        TakeWalkReply(reply);
        break;
    case Stage::Finished:
        break;
    }
}

void PrinterInterview::TakeSilence()
{
    if (m_stage == Stage::Identity) {
        m_pending.clear();
        EndIdentity();
    } else {
        Finish();
    }
}

void PrinterInterview::Conclude()
{
    if (!finished())
        Finish();
}

void PrinterInterview::TakeIdentityReply(const SnmpMessage& reply)
{
    const auto forget = [this](IdentityItem item) { std::erase(m_pending, item); };
    if (reply.errorStatus == kNoError) {
        if (reply.varbinds.size() != m_asked.size()) {
            TakeSilence();
            return;
        }
        for (std::size_t i = 0; i < m_asked.size(); ++i) {
            TakeIdentityAnswer(m_asked[i], reply.varbinds[i], m_identity);
            forget(m_asked[i]);
        }
    } else if (reply.errorStatus == kTooBig && m_asked.size() > 1) {
        m_oneAtATime = true;
    } else if (reply.errorIndex >= 1 && reply.errorIndex <= static_cast<std::int64_t>(m_asked.size())) {
        // Version 1 answers noSuchName for a GetNext past the end of the agent's view: that item is
        // unknown, the others are asked again.
        forget(m_asked[static_cast<std::size_t>(reply.errorIndex - 1)]);
    } else {
        std::for_each(m_asked.begin(), m_asked.end(), forget);
    }
    AskIdentity();
}

void PrinterInterview::AskIdentity()
{
    if (m_pending.empty()) {
        EndIdentity();
        return;
    }
    m_asked = m_oneAtATime ? std::vector<IdentityItem>{m_pending.front()} : m_pending;
    m_request = Request{PduType::GetNext, QueryNames(m_asked)};
}

void PrinterInterview::EndIdentity()
{
    if (!IsPrinter(m_identity))
        Finish();
    else
        Ask(Stage::InterfaceIndex, PduType::Get, InterfaceIndexName(m_address));
}

void PrinterInterview::TakeInterfaceIndexReply(const SnmpMessage& reply)
{
    const VarBind* answer = SingleAnswer(reply);
    const std::optional<std::uint32_t> index =
        answer != nullptr ? InterfaceIndexFrom(*answer, m_request.names.front()) : std::nullopt;
    if (index)
        Ask(Stage::PhysAddress, PduType::Get, PhysAddressName(*index));
    else
        Ask(Stage::Walk, PduType::GetNext, PhysAddressColumn());
}

void PrinterInterview::TakePhysAddressReply(const SnmpMessage& reply)
{
    const VarBind* answer = SingleAnswer(reply);
    if (answer != nullptr && answer->name == m_request.names.front() && answer->type == ValueType::OctetString) {
        std::string macAddress = FormatMacAddress(answer->octets);
        if (!macAddress.empty()) {
            Finish(std::move(macAddress));
            return;
        }
    }
    Ask(Stage::Walk, PduType::GetNext, PhysAddressColumn());
}

void PrinterInterview::TakeWalkReply(const SnmpMessage& reply)
{
    const VarBind* answer = SingleAnswer(reply);
    if (answer == nullptr || !IsBelow(answer->name, PhysAddressColumn()) || !(m_request.names.front() < answer->name) ||
        HasNoValue(answer->type)) {
        Finish();
        return;
    }
    if (answer->type == ValueType::OctetString) {
        std::string macAddress = FormatMacAddress(answer->octets);
        if (!macAddress.empty()) {
            Finish(std::move(macAddress));
            return;
        }
    }
    if (++m_walkSteps >= kLongestWalk) {
        Finish();
        return;
    }
    Ask(Stage::Walk, PduType::GetNext, answer->name);
}

void PrinterInterview::Ask(Stage stage, PduType type, Oid name)
{
    m_stage = stage;
    m_request = Request{type, {std::move(name)}};
}

void PrinterInterview::Finish(std::string macAddress)
{
    m_stage = Stage::Finished;
    m_macAddress = std::move(macAddress);
}

const VarBind* PrinterInterview::SingleAnswer(const SnmpMessage& reply) const
{
    if (reply.errorStatus != kNoError || reply.varbinds.size() != 1)
        return nullptr;
    return &reply.varbinds.front();
}

} // namespace pellora::halvane
