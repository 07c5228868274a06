#include "core/script/RegistryValue.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

using pellora::LocalDateTime;
using pellora::RegistryValue;
using Bytes = std::vector<uint8_t>;

namespace {

RegistryValue parsed(std::string_view text)
{
    const auto value = RegistryValue::Parse(text);
    EXPECT_TRUE(value.has_value()) << text;
    return value.value_or(RegistryValue{});
}

double doubleOf(const Bytes& bytes)
{
    uint64_t bits = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 8; ++i)
        bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    return std::bit_cast<double>(bits);
}

} // namespace

TEST(RegistryValueEncode, WritesEachTypeInExportNotation)
{
    EXPECT_EQ(RegistryValue("n", 59200u).Encode(true), "dword:0000E740");
    EXPECT_EQ(RegistryValue("n", 0xFFFFFFFFu).Encode(false), "dword:FFFFFFFF");
    EXPECT_EQ(RegistryValue("n", Bytes{1, 2, 255}).Encode(true), "hex:01,02,FF");
    EXPECT_EQ(RegistryValue("n", Bytes{}).Encode(true), "hex:");
    EXPECT_EQ(RegistryValue("n", 7, Bytes{0x41, 0, 0}).Encode(true), "hex(7):41,00,00");
    EXPECT_EQ(RegistryValue("n", 0, Bytes{}).Encode(true), "hex(0):");
    EXPECT_EQ(RegistryValue("n", 0xFFFFFFFFu, Bytes{9}).Encode(true), "hex(-1):09");
    EXPECT_EQ(RegistryValue("n", "TSPQueue").Encode(true), "\"TSPQueue\"");
    EXPECT_EQ(RegistryValue("n", "%DATE%").Encode(false), "%DATE%");
}

TEST(RegistryValueEncode, StringStopsAtItsTerminatorAndShortDwordDataAreReadAsFarAsTheyGo)
{
    EXPECT_EQ(RegistryValue("n", pellora::kRegString, Bytes{'a', 'b', 0, 'c', 0}).Encode(false), "ab");
    EXPECT_EQ(RegistryValue("n", pellora::kRegDword, Bytes{0x34, 0x12}).Encode(true), "dword:00001234");
    EXPECT_EQ(RegistryValue("n", pellora::kRegDword, Bytes{}).AsDword(), std::nullopt);
}

TEST(RegistryValueParse, DwordDigitsIgnoreCaseCountOthersAsZeroAndWrap)
{
    EXPECT_EQ(parsed("DWORD:ff").AsDword(), 255u);
    EXPECT_EQ(parsed("dword:1g").AsDword(), 16u);
    EXPECT_EQ(parsed("dword:0000E740").AsDword(), 59200u);
    EXPECT_EQ(parsed("dword:").AsDword(), 0u);
    EXPECT_EQ(parsed("dword: 1").AsDword(), 1u); // the blank is a 0 in front
    EXPECT_EQ(parsed("dword:123456789").AsDword(), 0x23456789u);
    EXPECT_EQ(parsed("dword:FFFFFFFFFFFFFFFFFFFFFFFF").AsDword(), 0xFFFFFFFFu);
}

TEST(RegistryValueParse, QuotedTextLosesEveryQuoteAtItsEnds)
{
    EXPECT_EQ(parsed("\"abc\"").AsString(), "abc");
    EXPECT_EQ(parsed("\"\"abc\"\"").AsString(), "abc");
    EXPECT_EQ(parsed("\"a\"b\"").AsString(), "a\"b");
    EXPECT_EQ(parsed("\"abc").AsString(), "abc");
    EXPECT_EQ(parsed("\"").AsString(), "");
    EXPECT_EQ(parsed("\"\"").data(), Bytes{0});
}

TEST(RegistryValueParse, HexListsGiveTypeAndBytes)
{
    const RegistryValue binary = parsed("hex:0a, 0b");
    EXPECT_EQ(binary.type(), pellora::kRegBinary);
    EXPECT_EQ(binary.data(), (Bytes{10, 11}));

    const RegistryValue typed = parsed("hex(2):41,00");
    EXPECT_EQ(typed.type(), 2u);
    EXPECT_EQ(typed.data(), (Bytes{0x41, 0}));

    EXPECT_EQ(parsed("HEX:").data(), Bytes{});
    EXPECT_EQ(parsed("hex:1FF,zz,\r\n\t7").data(), (Bytes{0xFF, 0, 7}));
    EXPECT_EQ(parsed("hex:,,01,,").data(), Bytes{1});
    EXPECT_EQ(parsed("hex((7)):01").type(), 7u);
    EXPECT_EQ(parsed("hex(x):01").type(), 0u);
    EXPECT_EQ(parsed("hex(-1):01").type(), 0xFFFFFFFFu);

    // Without a colon the type is 0 and everything after "hex" is the list.
    const RegistryValue untyped = parsed("hex 01 02");
    EXPECT_EQ(untyped.type(), 0u);
    EXPECT_EQ(untyped.data(), (Bytes{1, 2}));
    EXPECT_EQ(parsed("hexab").data(), Bytes{0xAB});
}

TEST(RegistryValueParse, OversizedTypeNumberWrapsInsteadOfOverflowing)
{
    const RegistryValue value = parsed("hex(99999999999999):01");
    EXPECT_EQ(value.type(), 276447231u); // 99999999999999 modulo 2^32
    EXPECT_EQ(value.data(), Bytes{1});
    EXPECT_EQ(parsed("hex(-99999999999999):").type(), 4018520065u);
    EXPECT_EQ(parsed("hex(99999999999999999999999999999999999999):").data(), Bytes{});
}

TEST(RegistryValueParse, TextsOutsideTheNotationFail)
{
    EXPECT_EQ(RegistryValue::Parse(""), std::nullopt);
    EXPECT_EQ(RegistryValue::Parse("abc"), std::nullopt);
    EXPECT_EQ(RegistryValue::Parse("dword"), std::nullopt);
    EXPECT_EQ(RegistryValue::Parse(" dword:1"), std::nullopt);
    EXPECT_EQ(RegistryValue::Parse("he"), std::nullopt);
    EXPECT_EQ(RegistryValue::Parse("%date"), std::nullopt);
    EXPECT_EQ(RegistryValue::Parse("%date%x"), std::nullopt);
    EXPECT_EQ(RegistryValue::Parse("'abc'"), std::nullopt);
}

TEST(RegistryValueParse, DateIsTheInjectedLocalTimeAsOleAutomationDate)
{
    const auto clock = [] { return LocalDateTime{2000, 1, 1, 12, 0, 0}; };
    for (const char* text : {"%date%", "%DATE%", "%Date%"}) {
        const auto value = RegistryValue::Parse(text, clock);
        ASSERT_TRUE(value.has_value()) << text;
        EXPECT_EQ(value->type(), pellora::kRegBinary);
        EXPECT_EQ(value->data(), (Bytes{0x00, 0x00, 0x00, 0x00, 0xD0, 0xD5, 0xE1, 0x40})); // 36526.5
    }
}

TEST(RegistryValueParse, DateFromTheMachineClockIsRecent)
{
    const auto value = RegistryValue::Parse("%date%");
    ASSERT_TRUE(value.has_value());
    ASSERT_EQ(value->data().size(), 8u);
    const double date = doubleOf(value->data());
    EXPECT_GT(date, 45000.0); // after 2023
    EXPECT_LT(date, 80000.0);
}

TEST(OleAutomationDate, CountsDaysFromTheEndOf1899)
{
    EXPECT_DOUBLE_EQ(pellora::ToOleAutomationDate({1899, 12, 30, 0, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(pellora::ToOleAutomationDate({1900, 1, 1, 0, 0, 0}), 2.0);
    EXPECT_DOUBLE_EQ(pellora::ToOleAutomationDate({2024, 2, 29, 18, 0, 0}), 45351.75);
    EXPECT_DOUBLE_EQ(pellora::ToOleAutomationDate({1899, 12, 29, 6, 0, 0}), -1.25);
}

TEST(RegistryValueRoundTrip, EncodedValuesParseBackUnchanged)
{
    const std::vector<RegistryValue> values{
        RegistryValue("", 0u), RegistryValue("", 0x80000000u), RegistryValue("", Bytes{}),
        RegistryValue("", Bytes{0, 0x7F, 0x80, 0xFF}), RegistryValue("", 7, Bytes{0x41, 0, 0}),
        RegistryValue("", 0xFFFFFFFFu, Bytes{1}), RegistryValue("", "text with blanks"),
    };
    for (const auto& value : values) {
        const std::string text = value.Encode(true);
        EXPECT_EQ(RegistryValue::Parse(text), value) << text;
    }
}
