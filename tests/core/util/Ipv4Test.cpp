#include "core/util/Ipv4.h"

#include <gtest/gtest.h>

namespace pellora {
namespace {

TEST(Ipv4Test, ParsesFourDecimalPartsMostSignificantFirst)
{
    EXPECT_EQ(ParseIpv4("192.168.1.20"), 0xC0A80114u);
    EXPECT_EQ(ParseIpv4("0.0.0.0"), 0u);
    EXPECT_EQ(ParseIpv4("255.255.255.255"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseIpv4("010.001.000.009"), 0x0A010009u);
}

TEST(Ipv4Test, PartAbove255OrMalformedTextGivesZero)
{
    for (const char* text : {"256.1.1.1", "1.1.1.256", "1.1.1.99999999999", "1.2.3", "1.2.3.4.5", "1..3.4", ".1.2.3",
             "1.2.3.", "1.2.3.4 ", " 1.2.3.4", "-1.2.3.4", "a.b.c.d", "printer.local", "", "\\\\SRV\\P1"})
        EXPECT_EQ(ParseIpv4(text), 0u) << text;
}

TEST(Ipv4Test, FormatsBytesFromTheMostSignificantDown)
{
    EXPECT_EQ(FormatIpv4(0xC0A80114u), "192.168.1.20");
    EXPECT_EQ(FormatIpv4(0), "0.0.0.0");
    EXPECT_EQ(FormatIpv4(0xFFFFFFFFu), "255.255.255.255");
}

TEST(Ipv4Test, NetworkAddressIsTheAndOfAddressAndMask)
{
    EXPECT_EQ(NetworkAddressOf("192.168.1.20", "255.255.255.0"), "192.168.1.0");
    EXPECT_EQ(NetworkAddressOf("172.16.200.77", "255.255.240.0"), "172.16.192.0");
    // An address that is not dotted IPv4 parses as 0.
    EXPECT_EQ(NetworkAddressOf("printer.example", "255.255.255.0"), "0.0.0.0");
    EXPECT_EQ(NetworkAddressOf("10.1.2.3", ""), "0.0.0.0");
}

} // namespace
} // namespace pellora
