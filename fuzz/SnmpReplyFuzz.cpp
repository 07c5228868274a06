// Fuzzes the discovery library's reply decoding: any datagram that decodes encodes again to the same
// message, and put to a printer interview at each of its stages it never yields a text a probe result
// must not carry.

#include "halvane/PrinterInterview.h"
#include "halvane/PrinterReply.h"
#include "halvane/SnmpMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

namespace {

using namespace pellora::halvane;

constexpr std::uint32_t kAddress = 0x0A000005;
// More replies than any interview asks for: each one moves it on or ends it.
constexpr int kMostReplies = 80;

bool IsClean(const std::string& text, std::size_t limit)
{
    if (text.size() > limit || (!text.empty() && (text.front() == ' ' || text.back() == ' ')))
        return false;
    for (const char c : text) {
        const auto value = static_cast<unsigned char>(c);
        if (value < 0x20 || value == 0x7F)
            return false;
    }
    return true;
}

bool IsMacText(const std::string& text)
{
    if (text.empty())
        return true;
    if (text.size() != 12)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

void Check(PrinterInterview& interview, const SnmpMessage& reply)
{
    for (int i = 0; i < kMostReplies && !interview.finished(); ++i)
        interview.TakeReply(reply);
    interview.Conclude();
    const std::optional<DiscoveredPrinter> printer = interview.result();
    if (!printer)
        return;
    if (!IsClean(printer->modelName, kLongestModelName) || !IsClean(printer->deviceId, kLongestDeviceId) ||
        !IsClean(printer->freeText, kLongestFreeText) || !IsMacText(printer->macAddress))
        std::abort();
}

SnmpMessage PrinterIdentityReply()
{
    SnmpMessage reply;
    reply.type = PduType::Response;
    for (const IdentityItem item : kIdentityItems) {
        VarBind binding;
        binding.name = IdentityQueryName(item);
        binding.type = ValueType::EndOfMibView;
        reply.varbinds.push_back(binding);
    }
    reply.varbinds[2].name.push_back(1);
    reply.varbinds[2].type = ValueType::ObjectId;
    reply.varbinds[2].objectId = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};
    return reply;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::optional<SnmpMessage> message = DecodeMessage(std::span<const std::uint8_t>(data, size));
    if (!message)
        return 0;
    const std::vector<std::uint8_t> encoded = EncodeMessage(*message);
    if (!encoded.empty() && DecodeMessage(encoded) != message)
        std::abort();

    // The reply at the identity stage, at the interface index stage, and while walking the interface table.
    PrinterInterview fresh(kAddress, message->version);
    Check(fresh, *message);
    PrinterInterview printer(kAddress, message->version);
    printer.TakeReply(PrinterIdentityReply());
    Check(printer, *message);
    SnmpMessage noSuchName;
    noSuchName.errorStatus = kNoSuchName;
    noSuchName.errorIndex = 1;
    PrinterInterview walkingAfterError(kAddress, message->version);
    walkingAfterError.TakeReply(PrinterIdentityReply());
    walkingAfterError.TakeReply(noSuchName);
    Check(walkingAfterError, *message);

    Identity identity;
    for (const VarBind& answer : message->varbinds) {
        for (const IdentityItem item : kIdentityItems)
            TakeIdentityAnswer(item, answer, identity);
        if (!IsMacText(FormatMacAddress(answer.octets)))
            std::abort();
    }
    const PrinterTexts texts = DescribePrinter(identity);
    if (!IsClean(texts.modelName, kLongestModelName) || !IsClean(texts.deviceId, kLongestDeviceId) ||
        !IsClean(texts.freeText, kLongestFreeText))
        std::abort();
    return 0;
}
