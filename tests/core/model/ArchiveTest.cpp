#include "core/model/Archive.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <streambuf>

namespace pellora {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes countedString(const std::string& text)
{
    Bytes out;
    ArchiveWriter writer(out);
    writer.writeString(text);
    return out;
}

std::string asStreamText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A stream buffer that hands out its bytes one at a time and cannot seek, like a pipe.
class ForwardOnlyBuffer : public std::streambuf {
public:
    explicit ForwardOnlyBuffer(Bytes bytes) : m_bytes(std::move(bytes)) {}

protected:
    int_type underflow() override
    {
        if (m_pos >= m_bytes.size())
            return traits_type::eof();
        m_current = static_cast<char>(m_bytes[m_pos++]);
        setg(&m_current, &m_current, &m_current + 1);
        return traits_type::to_int_type(m_current);
    }

private:
    Bytes m_bytes;
    std::size_t m_pos = 0;
    char m_current = 0;
};

// A stream buffer whose device fails.
class FailingBuffer : public std::streambuf {
protected:
    int_type underflow() override { throw std::ios_base::failure("device error"); }
};

void expectEndOfFile(const std::function<void()>& read)
{
    try {
        read();
        ADD_FAILURE() << "no exception";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::EndOfFile);
    }
}

TEST(ArchiveTest, IntegersAreLittleEndian)
{
    Bytes out;
    ArchiveWriter writer(out);
    writer.writeU8(0xAB);
    writer.writeU16(0x1234);
    writer.writeU32(0xDEADBEEF);
    writer.writeI32(-2);
    EXPECT_EQ(out, (Bytes{0xAB, 0x34, 0x12, 0xEF, 0xBE, 0xAD, 0xDE, 0xFE, 0xFF, 0xFF, 0xFF}));

    ArchiveReader reader(out);
    EXPECT_EQ(reader.readU8(), 0xAB);
    EXPECT_EQ(reader.readU16(), 0x1234);
    EXPECT_EQ(reader.readU32(), 0xDEADBEEFu);
    EXPECT_EQ(reader.readI32(), -2);
    EXPECT_TRUE(reader.atEnd());
}

TEST(ArchiveTest, CountedStringPrefixAtEachLengthBoundary)
{
    struct Case {
        std::size_t length;
        Bytes prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'x');
        const Bytes encoded = countedString(text);
        ASSERT_EQ(encoded.size(), c.prefix.size() + c.length);
        EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), encoded.begin()));

        ArchiveReader spanReader(encoded);
        EXPECT_EQ(spanReader.readString(), text);
        EXPECT_TRUE(spanReader.atEnd());

        std::istringstream stream(asStreamText(encoded));
        ArchiveReader streamReader(stream);
        EXPECT_EQ(streamReader.readString(), text);
    }
}

TEST(ArchiveTest, WideStringIsConvertedToUtf8)
{
    // "Aé€" and U+1F600 as a surrogate pair, then an unpaired high surrogate.
    const Bytes utf16 = {0x41, 0x00, 0xE9, 0x00, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8};
    const std::string expected = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD";

    Bytes shortPrefix = {0xFF, 0xFE, 0xFF, 0x06};
    shortPrefix.insert(shortPrefix.end(), utf16.begin(), utf16.end());
    ArchiveReader shortReader(shortPrefix);
    EXPECT_EQ(shortReader.readString(), expected);
    EXPECT_TRUE(shortReader.atEnd());

    // After the wide marker the length may take the long forms again.
    Bytes wordPrefix = {0xFF, 0xFE, 0xFF, 0xFF, 0x06, 0x00};
    wordPrefix.insert(wordPrefix.end(), utf16.begin(), utf16.end());
    ArchiveReader wordReader(wordPrefix);
    EXPECT_EQ(wordReader.readString(), expected);

    Bytes longPrefix = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x06, 0x00, 0x00, 0x00};
    longPrefix.insert(longPrefix.end(), utf16.begin(), utf16.end());
    std::istringstream stream(asStreamText(longPrefix));
    ArchiveReader streamReader(stream);
    EXPECT_EQ(streamReader.readString(), expected);
}

TEST(ArchiveTest, EveryTruncationOfACountedStringIsEndOfFile)
{
    for (const std::size_t length : {std::size_t{3}, std::size_t{300}, std::size_t{0x10001}}) {
        const Bytes encoded = countedString(std::string(length, 'q'));
        for (std::size_t cut = 0; cut < encoded.size(); cut += (cut < 16 ? 1 : 997)) {
            const Bytes part(encoded.begin(), encoded.begin() + static_cast<std::ptrdiff_t>(cut));
            expectEndOfFile([&] {
                ArchiveReader reader(part);
                reader.readString();
            });
        }
    }
    const Bytes wideCut = {0xFF, 0xFE, 0xFF, 0x02, 0x41, 0x00, 0x42};
    expectEndOfFile([&] {
        ArchiveReader reader(wideCut);
        reader.readString();
    });
}

TEST(ArchiveTest, HostileLengthFailsBeforeAllocating)
{
    // Claims nearly four gigabytes (or eight for the wide form) with a handful of bytes behind it.
    const Bytes narrow = {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'};
    const Bytes wide = {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF, 'a', 'b'};
    for (const Bytes& bytes : {narrow, wide}) {
        expectEndOfFile([&] {
            ArchiveReader reader(bytes);
            reader.readString();
        });
        expectEndOfFile([&] {
            std::istringstream stream(asStreamText(bytes));
            ArchiveReader reader(stream);
            reader.readString();
        });
        // A stream that cannot tell its size is read in pieces and ends at its real end.
        expectEndOfFile([&] {
            ForwardOnlyBuffer buffer(bytes);
            std::istream stream(&buffer);
            ArchiveReader reader(stream);
            EXPECT_FALSE(reader.bytesLeft().has_value());
            reader.readString();
        });
    }
}

TEST(ArchiveTest, CountIsCheckedAgainstTheBytesLeft)
{
    Bytes bytes;
    ArchiveWriter writer(bytes);
    writer.writeU32(0xFFFFFFFF);
    for (int i = 0; i < 12; ++i)
        writer.writeU8(0);
    ASSERT_EQ(bytes.size(), 16u);
    expectEndOfFile([&] {
        ArchiveReader reader(bytes);
        reader.readCount(1);
    });

    bytes[0] = 12;
    bytes[1] = bytes[2] = bytes[3] = 0;
    ArchiveReader fits(bytes);
    EXPECT_EQ(fits.readCount(1), 12u);
    ArchiveReader pairs(bytes);
    expectEndOfFile([&] { pairs.readCount(2); });
}

TEST(ArchiveTest, StreamReaderStopsRightAfterWhatItRead)
{
    Bytes bytes = countedString("first");
    ArchiveWriter writer(bytes);
    writer.writeU32(7);
    writer.writeString("rest");
    std::istringstream stream(asStreamText(bytes));
    {
        ArchiveReader reader(stream);
        EXPECT_EQ(reader.readString(), "first");
        EXPECT_EQ(reader.bytesLeft(), 9u);
    }
    char next[4] = {};
    stream.read(next, 4);
    EXPECT_EQ(next[0], 7);
    ArchiveReader again(stream);
    EXPECT_EQ(again.readString(), "rest");
    EXPECT_TRUE(again.atEnd());
}

TEST(ArchiveTest, FailingStreamIsAReadError)
{
    FailingBuffer buffer;
    std::istream stream(&buffer);
    ArchiveReader reader(stream);
    try {
        reader.readU32();
        ADD_FAILURE() << "no exception";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.kind(), ArchiveException::Kind::ReadError);
    }
}

} // namespace
} // namespace pellora
