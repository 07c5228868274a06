#include "core/discovery/OsTags.h"

#include <gtest/gtest.h>

namespace pellora {
namespace {

TEST(OsTags, SixtyFourBitRowsFollowTheEditionFlags)
{
    EXPECT_EQ(FormatOsTags(0x0300, 0x3), "2000,XP,XP(x64)");
    EXPECT_EQ(FormatOsTags(0x0300, 0x1), "2000,XP");
    EXPECT_EQ(FormatOsTags(0x0300, 0x0), "2000");
    EXPECT_EQ(FormatOsTags(0x9000, 0x4), "VISTA(x64),2008R2(x64)");
    EXPECT_EQ(FormatOsTags(0x0200, 0x2), "XP(x64)");
    EXPECT_EQ(FormatOsTags(0x0200, 0x6), "XP(x64)"); // one x64 tag for either 64-bit bit
    EXPECT_EQ(FormatOsTags(0x0017, 0x0), "95,98,Me,NT");
}

TEST(OsTags, AllRowsInTableOrder)
{
    EXPECT_EQ(FormatOsTags(0xFFFFFFFF, 0x1), "95,98,Me,NT,2000,XP,2003,VISTA,2008,Windows7,2008R2");
    EXPECT_EQ(FormatOsTags(0xF700, 0x5),
        "2000,XP,XP(x64),2003,2003(x64),VISTA,VISTA(x64),2008,2008(x64),Windows7,Windows7(x64),2008R2,2008R2(x64)");
}

TEST(OsTags, NothingTaggedGivesAnEmptyText)
{
    EXPECT_EQ(FormatOsTags(0, 0x7), "");
    EXPECT_EQ(FormatOsTags(0x0008 | 0x0020 | 0x0040 | 0x0080 | 0x0800, 0x7), "");
    EXPECT_EQ(FormatOsTags(0x10000, 0x7), "");
    EXPECT_EQ(FormatOsTags(0x1000, 0x8), ""); // no known edition bit
}

TEST(OsTagsModelList, JoinsNamesWithoutTheMakerPrefix)
{
    EXPECT_EQ(FormatModelList(true, { "VARDO RX-C3400", "VDL-N4000+" }), "RX-C3400,VDL-N4000+");
    EXPECT_EQ(FormatModelList(true, { "VDL-N4000+" }), "VDL-N4000+");
    // The prefix is compared exactly.
    EXPECT_EQ(FormatModelList(true, { "Vardo RX-C3400", "VARDORX-C3400" }), "Vardo RX-C3400,VARDORX-C3400");
    EXPECT_EQ(FormatModelList(true, {}), "");
    EXPECT_EQ(FormatModelList(false, { "RX-C3400" }), "");
}

} // namespace
} // namespace pellora
