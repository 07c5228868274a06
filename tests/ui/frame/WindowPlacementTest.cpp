#include "ui/frame/WindowPlacement.h"

#include <gtest/gtest.h>

namespace pellora::ui {
namespace {

WindowPlacement sample()
{
    WindowPlacement placement;
    placement.flags = WindowPlacement::kRestoreToMaximized;
    placement.showCmd = WindowPlacement::kShowMinimized;
    placement.left = 390;
    placement.top = 102;
    placement.right = 894;
    placement.bottom = 666;
    return placement;
}

TEST(WindowPlacementTest, RecordIsFortyFourLittleEndianBytes)
{
    const auto bytes = sample().ToBytes();
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes[0], 44);                      // length
    EXPECT_EQ(bytes[4], 2);                       // flags
    EXPECT_EQ(bytes[8], 2);                       // showCmd
    EXPECT_EQ(bytes[12], 0xFF);                   // minimised position -1
    EXPECT_EQ(bytes[15], 0xFF);
    EXPECT_EQ(bytes[28], 390 & 0xFF);             // left
    EXPECT_EQ(bytes[29], 390 >> 8);
    EXPECT_EQ(bytes[40], 666 & 0xFF);             // bottom
    EXPECT_EQ(bytes[41], 666 >> 8);
}

TEST(WindowPlacementTest, TextIsEightyEightUpperCaseDigitsAndReadsBack)
{
    const std::string text = sample().ToText();
    ASSERT_EQ(text.size(), 88u);
    EXPECT_EQ(text.substr(0, 24), "2C0000000200000002000000");
    EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    const auto read = WindowPlacement::FromText(text);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, sample());
}

TEST(WindowPlacementTest, LowerCaseDigitsAreAcceptedAndOtherCharactersCountAsZero)
{
    std::string text = sample().ToText();
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto lower = WindowPlacement::FromText(text);
    ASSERT_TRUE(lower.has_value());
    EXPECT_EQ(*lower, sample());

    std::string odd = sample().ToText();
    odd.replace(56, 4, "G?zz"); // left: 0x0186 becomes 0x0000 in its low two bytes
    const auto read = WindowPlacement::FromText(odd);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->left, 0);
    EXPECT_EQ(read->top, 102);
}

TEST(WindowPlacementTest, OnlyTextsOfExactlyEightyEightCharactersArePlacements)
{
    const std::string text = sample().ToText();
    EXPECT_FALSE(WindowPlacement::FromText(text.substr(0, 87)).has_value());
    EXPECT_FALSE(WindowPlacement::FromText(text + "0").has_value());
    EXPECT_FALSE(WindowPlacement::FromText("").has_value());
}

} // namespace
} // namespace pellora::ui
