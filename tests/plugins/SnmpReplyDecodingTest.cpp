// The discovery library's reply decoding on crafted messages: the device ID, MAC addresses and texts, the
// message codec, and the questions put to agents that answer with errors.

#include "halvane/PrinterInterview.h"
#include "halvane/PrinterReply.h"
#include "halvane/SnmpMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace pellora::halvane;

VarBind Text(Oid name, std::string value)
{
    VarBind binding;
    binding.name = std::move(name);
    binding.type = ValueType::OctetString;
    binding.octets = std::move(value);
    return binding;
}

VarBind Exception(Oid name, ValueType type)
{
    VarBind binding;
    binding.name = std::move(name);
    binding.type = type;
    return binding;
}

SnmpMessage Reply(std::vector<VarBind> varbinds, std::int64_t errorStatus = 0, std::int64_t errorIndex = 0)
{
    SnmpMessage reply;
    reply.version = SnmpVersion::V1;
    reply.type = PduType::Response;
    reply.errorStatus = errorStatus;
    reply.errorIndex = errorIndex;
    reply.varbinds = std::move(varbinds);
    return reply;
}

const Oid kPrinterTypeInstance = {1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 2, 1};
const Oid kHrDevicePrinter = {1, 3, 6, 1, 2, 1, 25, 3, 1, 5};

VarBind PrinterType()
{
    VarBind binding;
    binding.name = kPrinterTypeInstance;
    binding.type = ValueType::ObjectId;
    binding.objectId = kHrDevicePrinter;
    return binding;
}

TEST(SnmpReplyDecoding, ModelNameAndTextsFromTheAnswers)
{
    EXPECT_EQ(ModelFromDeviceId("MFG:VARDO;MDL:RX-C3400;CMD:PCL;"), "VARDO RX-C3400");
    EXPECT_EQ(ModelFromDeviceId(" mfg : VARDO ; Mdl: vardo RX-C3400 ;"), "vardo RX-C3400");
    EXPECT_EQ(ModelFromDeviceId("MANUFACTURER:Ostrel;MODEL:Q9;MFG:Other;"), "Ostrel Q9");
    EXPECT_EQ(ModelFromDeviceId("MFG:VARDO;MDL:VARDOX 1;"), "VARDO VARDOX 1");
    EXPECT_EQ(ModelFromDeviceId("MDL:RX-C3400"), "RX-C3400");
    EXPECT_EQ(ModelFromDeviceId("MFG:VARDO;CMD:PCL;MDL"), "");

    const std::string deviceId = "MFG:VARDO;MDL:RX-C3400;";
    EXPECT_EQ(StripDeviceIdLength(std::string("\x00\x19", 2) + deviceId), deviceId);
    EXPECT_EQ(StripDeviceIdLength(std::string("\x00\x17", 2) + deviceId), deviceId);
    EXPECT_EQ(StripDeviceIdLength(std::string("\x01\x00", 2) + deviceId), deviceId);
    EXPECT_EQ(StripDeviceIdLength(deviceId), deviceId);
    EXPECT_EQ(StripDeviceIdLength("M"), "M");

    EXPECT_EQ(CleanText(std::string("\tFloor 3\r\ncopy room \0hidden", 27), 255), "Floor 3  copy room");
    const std::string umlauts = "Dr\xC3\xBC" "cker";
    EXPECT_EQ(CleanText(umlauts, 3), "Dr");
    EXPECT_EQ(CleanText(umlauts, 4), "Dr\xC3\xBC");

    Identity identity;
    identity.deviceId = std::string("\x00\x1B", 2) + "MFG:VARDO;MDL:RX-C3400;\n";
    identity.deviceDescr = "ignored while the device ID names the model";
    identity.sysLocation = "Floor 3";
    PrinterTexts texts = DescribePrinter(identity);
    EXPECT_EQ(texts.modelName, "VARDO RX-C3400");
    EXPECT_EQ(texts.deviceId, "MFG:VARDO;MDL:RX-C3400;");
    EXPECT_EQ(texts.freeText, "Floor 3");
    identity.deviceId.clear();
    identity.sysName = "printer-a";
    texts = DescribePrinter(identity);
    EXPECT_EQ(texts.modelName, "ignored while the device ID names the model");
    EXPECT_EQ(texts.freeText, "printer-a");
}

TEST(SnmpReplyDecoding, MacAddressesInTheirTextForm)
{
    EXPECT_EQ(FormatMacAddress(std::string("\x00\x50\xA1\xB2\xC3\xD4", 6)), "0050A1B2C3D4");
    EXPECT_EQ(FormatMacAddress("00:50:a1:b2:c3:d4"), "0050A1B2C3D4");
    EXPECT_EQ(FormatMacAddress("00-50-A1-B2-C3-D4"), "0050A1B2C3D4");
    EXPECT_EQ(FormatMacAddress("0050a1b2c3d4"), "0050A1B2C3D4");
    EXPECT_EQ(FormatMacAddress("ABCDEF"), "414243444546");
    for (const std::string& unusable :
         {std::string(6, '\0'), std::string(6, '\xFF'), std::string("\x00\x50\xA1\xB2\xC3", 5), std::string(),
          std::string("00:50-a1:b2:c3:d4"), std::string("00:50:a1:b2:c3:dz"), std::string(8, '\x11')})
        EXPECT_EQ(FormatMacAddress(unusable), "") << unusable;
}

TEST(SnmpReplyDecoding, MessagesRoundTripAndOtherDatagramsAreRefused)
{
    SnmpMessage message = Reply({Text({1, 3, 6, 1, 2, 1, 1, 5, 0}, std::string("a\0b", 3)), PrinterType(),
                                 Exception({1, 3, 6, 1, 2, 1, 43}, ValueType::EndOfMibView)});
    message.version = SnmpVersion::V2c;
    message.requestId = 0x7FFFFFFF;
    VarBind counter;
    counter.name = {1, 3, 6, 1, 2, 1, 2, 2, 1, 10, 1};
    counter.type = ValueType::Counter32;
    counter.integer = 0xFFFFFFFFll;
    VarBind integer;
    integer.name = {1, 3, 6, 1, 2, 1, 4, 20, 1, 2, 127, 0, 0, 1};
    integer.type = ValueType::Integer;
    integer.integer = -5;
    message.varbinds.push_back(counter);
    message.varbinds.push_back(integer);
    const std::vector<std::uint8_t> bytes = EncodeMessage(message);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(DecodeMessage(bytes), message);

    EXPECT_FALSE(DecodeMessage({}));
    EXPECT_FALSE(DecodeMessage(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 1)));
    std::vector<std::uint8_t> version3 = bytes;
    version3[4] = 3; // the version number's byte
    EXPECT_FALSE(DecodeMessage(version3));
    // A version 1 trap: no request id to match.
    const std::vector<std::uint8_t> trap = {0x30, 0x29, 0x02, 0x01, 0x00, 0x04, 0x06, 'p',  'u',  'b',  'l',
                                            'i',  'c',  0xA4, 0x1C, 0x06, 0x08, 0x2B, 0x06, 0x01, 0x04, 0x01,
                                            0x81, 0x1B, 0x01, 0x40, 0x04, 0x7F, 0x00, 0x00, 0x01, 0x02, 0x01,
                                            0x06, 0x02, 0x01, 0x01, 0x43, 0x01, 0x00, 0x30, 0x00};
    EXPECT_FALSE(DecodeMessage(trap));
    // Forms net-snmp parses but cannot build back alike: a one-arc identifier, a 33-bit INTEGER.
    const std::vector<std::uint8_t> oneArc = {0x30, 0x20, 0x02, 0x01, 0x01, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',
                                              'c',  0xA2, 0x13, 0x02, 0x01, 0x01, 0x02, 0x01, 0x00, 0x02, 0x01, 0x00,
                                              0x30, 0x08, 0x30, 0x06, 0x06, 0x02, 0x2B, 0x06, 0x06, 0x00};
    EXPECT_FALSE(DecodeMessage(oneArc));
    const std::vector<std::uint8_t> wideInteger = {
        0x30, 0x25, 0x02, 0x01, 0x01, 0x04, 0x06, 'p',  'u',  'b',  'l',  'i',  'c',  0xA2, 0x18, 0x02, 0x01, 0x01, 0x02,
        0x01, 0x00, 0x02, 0x01, 0x00, 0x30, 0x0D, 0x30, 0x0B, 0x06, 0x02, 0x2B, 0x06, 0x02, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_FALSE(DecodeMessage(wideInteger));
    message.errorStatus = -1;
    EXPECT_TRUE(EncodeMessage(message).empty());
    message.errorStatus = 0;
    message.varbinds.back().integer = 0x80000000ll;
    EXPECT_TRUE(EncodeMessage(message).empty());
    message.varbinds.back().integer = 0;
    message.varbinds.front().type = ValueType::Unsupported;
    EXPECT_TRUE(EncodeMessage(message).empty());
}

TEST(SnmpReplyDecoding, InterviewOfAVersion1AgentThroughItsErrors)
{
    PrinterInterview interview(0x7F000009, SnmpVersion::V1);
    ASSERT_EQ(interview.request().names.size(), kIdentityItems.size());
    // noSuchName for the device ID: the other five are asked again.
    interview.TakeReply(Reply({}, kNoSuchName, 5));
    ASSERT_EQ(interview.request().names.size(), 5u);
    EXPECT_EQ(interview.request().names.back(), IdentityQueryName(IdentityItem::PrinterMib));
    interview.TakeReply(Reply({Text({1, 3, 6, 1, 2, 1, 1, 5, 0}, "v1-printer"),
                               Text({1, 3, 6, 1, 2, 1, 1, 7, 0}, "next object, not the location"), PrinterType(),
                               Text({1, 3, 6, 1, 2, 1, 25, 3, 2, 1, 3, 1}, "VARDO RX-C3400"),
                               Text({1, 3, 6, 1, 2, 1, 55, 1}, "past the printer MIB")}));
    ASSERT_FALSE(interview.finished());
    EXPECT_EQ(interview.request().type, PduType::Get);
    EXPECT_EQ(interview.request().names, std::vector<Oid>{InterfaceIndexName(0x7F000009)});
    // No ipAdEntIfIndex: walk ifPhysAddress, past an empty address, to the first usable one.
    interview.TakeReply(Reply({}, kNoSuchName, 1));
    EXPECT_EQ(interview.request().names, std::vector<Oid>{PhysAddressColumn()});
    interview.TakeReply(Reply({Text(PhysAddressName(1), "")}));
    EXPECT_EQ(interview.request().names, std::vector<Oid>{PhysAddressName(1)});
    interview.TakeReply(Reply({Text(PhysAddressName(2), std::string("\x00\x11\x22\x33\x44\x55", 6))}));
    ASSERT_TRUE(interview.finished());
    const std::optional<DiscoveredPrinter> printer = interview.result();
    ASSERT_TRUE(printer);
    EXPECT_EQ(printer->address, (std::array<std::uint8_t, 4>{127, 0, 0, 9}));
    EXPECT_EQ(printer->modelName, "VARDO RX-C3400");
    EXPECT_EQ(printer->macAddress, "001122334455");
    EXPECT_EQ(printer->freeText, "v1-printer");
}

TEST(SnmpReplyDecoding, InterviewEndsOnStrangeAnswers)
{
    // tooBig: one item per request from then on; a non-printer ends without result.
    PrinterInterview router(0x7F00000A, SnmpVersion::V2c);
    router.TakeReply(Reply({}, kTooBig, 0));
    ASSERT_EQ(router.request().names.size(), 1u);
    while (!router.finished())
        router.TakeReply(Reply({Exception(router.request().names.front(), ValueType::NoSuchObject)}));
    EXPECT_FALSE(router.result());

    // A walk that goes backwards or leaves the column ends without MAC address; silence ends it too.
    const auto printerAtWalk = [] {
        PrinterInterview interview(0x7F00000B, SnmpVersion::V2c);
        std::vector<VarBind> answers(kIdentityItems.size(), Exception({1, 3, 6, 1, 2, 1, 1, 9}, ValueType::Null));
        answers[2] = PrinterType();
        interview.TakeReply(Reply(answers));
        interview.TakeReply(Reply({Exception(InterfaceIndexName(0x7F00000B), ValueType::NoSuchInstance)}));
        interview.TakeReply(Reply({Text(PhysAddressName(5), "")}));
        return interview;
    };
    for (const VarBind& answer : {Text(PhysAddressName(3), std::string("\x00\x11\x22\x33\x44\x55", 6)),
                                  Text({1, 3, 6, 1, 2, 1, 2, 2, 1, 7, 1}, std::string("\x00\x11\x22\x33\x44\x55", 6)),
                                  Exception(PhysAddressName(6), ValueType::EndOfMibView)}) {
        PrinterInterview interview = printerAtWalk();
        ASSERT_FALSE(interview.finished());
        interview.TakeReply(Reply({answer}));
        ASSERT_TRUE(interview.finished());
        ASSERT_TRUE(interview.result());
        EXPECT_EQ(interview.result()->macAddress, "");
    }
    PrinterInterview silent = printerAtWalk();
    silent.TakeSilence();
    ASSERT_TRUE(silent.finished());
    EXPECT_TRUE(silent.result());
}

} // namespace
