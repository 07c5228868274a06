#include "core/model/Archive.h"

#include "core/platform/Utf16.h"

#include <algorithm>
#include <istream>

namespace pellora {

namespace {

constexpr uint8_t kByteLengthEscape = 0xFF;
constexpr uint16_t kWideMarker = 0xFFFE;
constexpr uint16_t kWordLengthEscape = 0xFFFF;
// A stream that cannot say how much is left is read in pieces of this size, so that a false length
// costs no more memory than the data that is really there.
constexpr std::size_t kStreamChunk = 64 * 1024;

[[noreturn]] void throwEndOfFile()
{
    throw ArchiveException(ArchiveException::Kind::EndOfFile, "archive: unexpected end of data");
}

} // namespace

ArchiveException::ArchiveException(Kind kind, const std::string& message)
    : std::runtime_error(message), m_kind(kind)
{
}

// ---------------------------------------------------------------------------------------------------
// ArchiveWriter

void ArchiveWriter::writeU8(uint8_t value)
{
    m_out.push_back(value);
}

void ArchiveWriter::writeU16(uint16_t value)
{
    m_out.push_back(static_cast<uint8_t>(value));
    m_out.push_back(static_cast<uint8_t>(value >> 8));
}

void ArchiveWriter::writeU32(uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        m_out.push_back(static_cast<uint8_t>(value >> shift));
}

void ArchiveWriter::writeBytes(std::span<const uint8_t> bytes)
{
    m_out.insert(m_out.end(), bytes.begin(), bytes.end());
}

void ArchiveWriter::writeString(std::string_view text)
{
    const std::size_t length = text.size();
    if (length < kByteLengthEscape) {
        writeU8(static_cast<uint8_t>(length));
    } else if (length < kWideMarker) {
        writeU8(kByteLengthEscape);
        writeU16(static_cast<uint16_t>(length));
    } else {
        if (length >= 0xFFFFFFFFu)
            throw std::length_error("archive: text too long for a counted string");
        writeU8(kByteLengthEscape);
        writeU16(kWordLengthEscape);
        writeU32(static_cast<uint32_t>(length));
    }
    writeBytes({reinterpret_cast<const uint8_t*>(text.data()), length});
}

// ---------------------------------------------------------------------------------------------------
// ArchiveReader

std::optional<uint64_t> ArchiveReader::bytesLeft() const
{
    if (!m_stream)
        return m_data.size() - m_pos;

    std::istream& stream = *m_stream;
    if (!stream.good())
        return 0;
    const std::istream::pos_type here = stream.tellg();
    if (here == std::istream::pos_type(-1))
        return std::nullopt;
    stream.seekg(0, std::ios::end);
    const std::istream::pos_type end = stream.tellg();
    stream.clear();
    stream.seekg(here);
    if (!stream.good()) {
        stream.clear();
        return std::nullopt;
    }
    if (end == std::istream::pos_type(-1))
        return std::nullopt;
    return end > here ? static_cast<uint64_t>(end - here) : 0;
}

bool ArchiveReader::atEnd() const
{
    const std::optional<uint64_t> left = bytesLeft();
    return left && *left == 0;
}

void ArchiveReader::requireBytes(uint64_t count) const
{
    const std::optional<uint64_t> left = bytesLeft();
    if (left && *left < count)
        throwEndOfFile();
}

void ArchiveReader::readRaw(uint8_t* out, std::size_t size)
{
    if (size == 0)
        return;
    if (!m_stream) {
        if (m_data.size() - m_pos < size)
            throwEndOfFile();
        std::copy_n(m_data.begin() + static_cast<std::ptrdiff_t>(m_pos), size, out);
        m_pos += size;
        return;
    }
    m_stream->read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(m_stream->gcount()) != size) {
        if (m_stream->bad())
            throw ArchiveException(ArchiveException::Kind::ReadError, "archive: stream read failed");
        throwEndOfFile();
    }
}

uint8_t ArchiveReader::readU8()
{
    uint8_t value = 0;
    readRaw(&value, 1);
    return value;
}

uint16_t ArchiveReader::readU16()
{
    uint8_t bytes[2];
    readRaw(bytes, sizeof bytes);
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t ArchiveReader::readU32()
{
    uint8_t bytes[4];
    readRaw(bytes, sizeof bytes);
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8
        | static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void ArchiveReader::readBytes(std::span<uint8_t> out)
{
    readRaw(out.data(), out.size());
}

uint32_t ArchiveReader::readCount(std::size_t minElementSize)
{
    const uint32_t count = readU32();
    requireBytes(static_cast<uint64_t>(count) * minElementSize);
    return count;
}

// The length after the first byte of a prefix: the byte itself, a 16-bit or a 32-bit length. The
// caller has already dealt with the wide marker.
uint32_t ArchiveReader::readLengthPrefix(uint8_t first)
{
    if (first < kByteLengthEscape)
        return first;
    const uint16_t word = readU16();
    if (word < kWordLengthEscape)
        return word;
    return readU32();
}

std::string ArchiveReader::readNarrow(uint64_t length)
{
    const std::optional<uint64_t> left = bytesLeft();
    if (left && *left < length)
        throwEndOfFile();
    std::string text;
    if (left) {
        text.resize(static_cast<std::size_t>(length));
        readRaw(reinterpret_cast<uint8_t*>(text.data()), text.size());
        return text;
    }
    while (text.size() < length) {
        const std::size_t piece = static_cast<std::size_t>(std::min<uint64_t>(kStreamChunk, length - text.size()));
        const std::size_t old = text.size();
        text.resize(old + piece);
        readRaw(reinterpret_cast<uint8_t*>(text.data()) + old, piece);
    }
    return text;
}

std::string ArchiveReader::readWide(uint32_t units)
{
    return platform::Utf16LeToUtf8(readNarrow(static_cast<uint64_t>(units) * 2));
}

std::string ArchiveReader::readString()
{
    const uint8_t first = readU8();
    if (first < kByteLengthEscape)
        return readNarrow(first);
    const uint16_t word = readU16();
    if (word == kWideMarker)
        return readWide(readLengthPrefix(readU8()));
    if (word < kWordLengthEscape)
        return readNarrow(word);
    return readNarrow(readU32());
}

} // namespace pellora
