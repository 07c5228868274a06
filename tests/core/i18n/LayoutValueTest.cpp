#include "core/i18n/LayoutValue.h"

#include <gtest/gtest.h>

using pellora::ControlLayout;
using pellora::LayoutRect;
using pellora::LayoutTable;
using pellora::LayoutValue;

TEST(LayoutValue, EvaluatesLeftToRightWithoutPrecedence)
{
    EXPECT_EQ(LayoutValue("100%-100/3*2+48").Evaluate(600), 380);
    EXPECT_EQ(LayoutValue("50%-6+8").Evaluate(301), 152);
    EXPECT_EQ(LayoutValue("30%+80").Evaluate(500), 230);
    EXPECT_EQ(LayoutValue("100%").Evaluate(764), 764);
    EXPECT_EQ(LayoutValue("33%").Evaluate(100), 33);
    EXPECT_EQ(LayoutValue("50%").Evaluate(301), 150); // truncated toward zero
    EXPECT_EQ(LayoutValue("2+3*4").Evaluate(0), 20);
    EXPECT_EQ(LayoutValue("10-30").Evaluate(0), -20);
    EXPECT_EQ(LayoutValue("-7/2").Evaluate(0), -3);
}

TEST(LayoutValue, KindsAndHostileExpressions)
{
    EXPECT_EQ(LayoutValue().Evaluate(500), 0);
    EXPECT_EQ(LayoutValue(92).Evaluate(500), 92);
    EXPECT_EQ(LayoutValue("12 x 3").Evaluate(0), 3);       // other characters keep the pending operator
    EXPECT_EQ(LayoutValue("100/0").Evaluate(0), 100);      // no division by zero
    // Numbers wrap the way 32-bit arithmetic does: 99999999999999 mod 2^32.
    EXPECT_EQ(LayoutValue("99999999999999").Evaluate(0), 276447231);
    EXPECT_EQ(LayoutValue("2147483647+1").Evaluate(0), INT32_MIN);
    EXPECT_EQ(LayoutValue("999999%").Evaluate(2147483647), INT32_MAX);
}

TEST(LayoutTable, RulesReplaceAndEvaluateToRectangles)
{
    LayoutTable table;
    table.SetRule(1000, 0, 0, "100%", "100%-180");
    table.SetRule(1000, 0, 0, "100%", "100%-200");
    table.SetRule(1001, "50%-6+8", 4, 10, 12);
    const auto rects = table.Evaluate(764, 500);
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects.at(1000), (LayoutRect{0, 0, 764, 300}));
    EXPECT_EQ(rects.at(1001), (LayoutRect{384, 4, 394, 16}));
    EXPECT_EQ(table.Find(7), nullptr);
}
