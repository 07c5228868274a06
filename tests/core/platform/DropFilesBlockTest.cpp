#include "core/platform/DropFilesBlock.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellora::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes header(std::uint32_t offset, std::uint32_t wide)
{
    Bytes block;
    for (const std::uint32_t field : {offset, 0u, 0u, 1u, wide}) {
        for (int shift = 0; shift < 32; shift += 8)
            block.push_back(static_cast<std::uint8_t>(field >> shift));
    }
    return block;
}

Bytes narrowBlock(const std::vector<std::string>& names, bool finalNul = true)
{
    Bytes block = header(20, 0);
    for (const std::string& name : names) {
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(0);
    }
    if (finalNul)
        block.push_back(0);
    return block;
}

Bytes wideBlock(const std::vector<std::u16string>& names)
{
    Bytes block = header(20, 1);
    for (const std::u16string& name : names) {
        for (const char16_t unit : name) {
            block.push_back(static_cast<std::uint8_t>(unit & 0xFF));
            block.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        block.insert(block.end(), {0, 0});
    }
    block.insert(block.end(), {0, 0});
    return block;
}

TEST(DropFilesBlockTest, EncodesTheHeaderTheNamesAndTheFinalNulByteForByte)
{
    const std::vector<std::string> names {"/home/u/a.qst", "/home/u/b c.exe"};
    const Bytes block = EncodeDropFiles(names);

    Bytes expected {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    for (const char c : std::string("/home/u/a.qst"))
        expected.push_back(static_cast<std::uint8_t>(c));
    expected.push_back(0);
    for (const char c : std::string("/home/u/b c.exe"))
        expected.push_back(static_cast<std::uint8_t>(c));
    expected.push_back(0);
    expected.push_back(0);
    EXPECT_EQ(block, expected);
    EXPECT_EQ(block.size(), 20u + (13 + 1) + (15 + 1) + 1);

    const auto header = DecodeDropFilesHeader(block);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->namesOffset, 20u);
    EXPECT_EQ(header->x, 0);
    EXPECT_EQ(header->y, 0);
    EXPECT_EQ(header->nonClient, 1u);
    EXPECT_EQ(header->wide, 0u);
}

TEST(DropFilesBlockTest, RoundTripsNamesInOrderAndLeavesEmptyNamesOut)
{
    const std::vector<std::string> names {"/tmp/eins.qst", "", "/tmp/zwei \xC3\xA4.qsm"};
    const auto decoded = DecodeDropFiles(EncodeDropFiles(names));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, (std::vector<std::string> {"/tmp/eins.qst", "/tmp/zwei \xC3\xA4.qsm"}));

    // No names at all: the header and the one NUL that ends the list.
    const Bytes empty = EncodeDropFiles({});
    EXPECT_EQ(empty.size(), 21u);
    const auto none = DecodeDropFiles(empty);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

TEST(DropFilesBlockTest, NamesMayStartFurtherOnAndMayBeWide)
{
    Bytes padded = header(28, 0);
    padded.insert(padded.end(), 8, 0xEE); // room that a sender may leave after its header
    for (const char c : std::string("/x.qst"))
        padded.push_back(static_cast<std::uint8_t>(c));
    padded.insert(padded.end(), {0, 0});
    EXPECT_EQ(DecodeDropFiles(padded), (std::vector<std::string> {"/x.qst"}));

    // UTF-16: a character beyond the basic plane arrives as a surrogate pair.
    const auto wide = DecodeDropFiles(wideBlock({u"/d/\u00e4.qst", u"/d/\U0001F5A8.qst"}));
    ASSERT_TRUE(wide);
    EXPECT_EQ(*wide, (std::vector<std::string> {"/d/\xC3\xA4.qst", "/d/\xF0\x9F\x96\xA8.qst"}));
}

TEST(DropFilesBlockTest, DamagedBlocksAreRefusedWhole)
{
    const Bytes good = narrowBlock({"/a.qst", "/b.qst"});
    ASSERT_TRUE(DecodeDropFiles(good));

    EXPECT_FALSE(DecodeDropFiles(Bytes {}));
    EXPECT_FALSE(DecodeDropFiles(Bytes(good.begin(), good.begin() + 19))); // shorter than the header
    EXPECT_FALSE(DecodeDropFilesHeader(Bytes(19, 0)));
    EXPECT_FALSE(DecodeDropFiles(header(20, 0)));                          // nothing after the header
    EXPECT_FALSE(DecodeDropFiles(narrowBlock({"/a.qst"}, false)));          // the list is not ended
    EXPECT_FALSE(DecodeDropFiles(Bytes(good.begin(), good.end() - 3)));    // a name is cut off

    Bytes offset = good;
    offset[0] = 12; // names would start inside the header
    EXPECT_FALSE(DecodeDropFiles(offset));
    offset[0] = 0xFF;
    offset[3] = 0x7F; // far beyond the block
    EXPECT_FALSE(DecodeDropFiles(offset));
    offset = good;
    offset[0] = static_cast<std::uint8_t>(good.size()); // just past the end
    EXPECT_FALSE(DecodeDropFiles(offset));

    EXPECT_FALSE(DecodeDropFiles(narrowBlock({"/a\nb.qst"})));  // control character
    EXPECT_FALSE(DecodeDropFiles(narrowBlock({"/a\x1b[2J"})));
}

TEST(DropFilesBlockTest, DamagedWideBlocksAreRefused)
{
    Bytes odd = wideBlock({u"/a.qst"});
    odd.pop_back(); // the last terminator is half there
    EXPECT_FALSE(DecodeDropFiles(odd));

    const std::u16string loneHigh {u'/', static_cast<char16_t>(0xD83D), u'a'};
    EXPECT_FALSE(DecodeDropFiles(wideBlock({loneHigh})));
    const std::u16string loneLow {u'/', static_cast<char16_t>(0xDE00)};
    EXPECT_FALSE(DecodeDropFiles(wideBlock({loneLow})));
}

TEST(DropFilesBlockTest, LimitsOfNameLengthNameCountAndBlockSize)
{
    const std::string longest = "/" + std::string(kMaxDropFileNameBytes - 1, 'n');
    EXPECT_TRUE(DecodeDropFiles(narrowBlock({longest})));
    EXPECT_FALSE(DecodeDropFiles(narrowBlock({longest + "n"})));

    const std::vector<std::string> most(kMaxDropFilesNames, "/f");
    EXPECT_TRUE(DecodeDropFiles(narrowBlock(most)));
    std::vector<std::string> tooMany = most;
    tooMany.push_back("/f");
    EXPECT_FALSE(DecodeDropFiles(narrowBlock(tooMany)));

    Bytes huge = narrowBlock({"/a.qst"});
    huge.resize(kMaxDropFilesBlockBytes + 1, 0);
    EXPECT_FALSE(DecodeDropFiles(huge));
}

} // namespace
} // namespace pellora::platform
