#pragma once

// The questions put to one agent that answered the sweep: its identity first, then, for a printer, the
// physical address of the interface that holds the answering address.

#include "DiscoveredPrinter.h"
#include "PrinterReply.h"
#include "SnmpMessage.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace pellora::halvane {

class PrinterInterview {
public:
    struct Request {
        PduType type = PduType::GetNext;
        std::vector<Oid> names;
    };

    // The request of the sweep, which every target gets: all identity items at once.
    static const Request& SweepRequest();

    // An interview of the agent at address (host byte order) that answers in version; its first
    // request is the sweep request, whose answer comes to TakeReply.
    PrinterInterview(std::uint32_t address, SnmpVersion version);

    std::uint32_t address() const { return m_address; }
    SnmpVersion version() const { return m_version; }

    // The request whose answer is awaited; meaningful while !finished().
    const Request& request() const { return m_request; }
    bool finished() const { return m_stage == Stage::Finished; }
    // When finished: the printer, or nullopt when the agent is no printer.
    std::optional<DiscoveredPrinter> result() const;

    // The answer to request(); answers that cannot be read go on as the agent's silence would.
    void TakeReply(const SnmpMessage& reply);
    // The agent did not answer request(): carry on with what is known.
    void TakeSilence();
    // Ends at once with what is known.
    void Conclude();

private:
    enum class Stage { Identity, InterfaceIndex, PhysAddress, Walk, Finished };

    void TakeIdentityReply(const SnmpMessage& reply);
    void TakeInterfaceIndexReply(const SnmpMessage& reply);
    void TakePhysAddressReply(const SnmpMessage& reply);
    void TakeWalkReply(const SnmpMessage& reply);
    void AskIdentity();
    void EndIdentity();
    void Ask(Stage stage, PduType type, Oid name);
    void Finish(std::string macAddress = {});
    const VarBind* SingleAnswer(const SnmpMessage& reply) const;

    std::uint32_t m_address;
    SnmpVersion m_version;
    Stage m_stage = Stage::Identity;
    Request m_request;
    std::vector<IdentityItem> m_pending;
    std::vector<IdentityItem> m_asked;
    bool m_oneAtATime = false;
    Identity m_identity;
    std::string m_macAddress;
    int m_walkSteps = 0;
};

} // namespace pellora::halvane
