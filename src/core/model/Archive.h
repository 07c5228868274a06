#pragma once

// Binary archive form of records: little-endian integers, raw bytes and counted strings.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// Raised by ArchiveReader when the data ends early or the stream fails.
class ArchiveException : public std::runtime_error {
public:
    enum class Kind {
        EndOfFile, // fewer bytes left than the next item needs
        ReadError, // the underlying stream failed for another reason
    };

    ArchiveException(Kind kind, const std::string& message);

    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// Appends archive items to a byte vector that the caller owns.
//
// A counted string is its length, then its bytes without terminator. The length takes one byte when
// below 255; else the byte 0xFF and a 16-bit length when below 0xFFFE; else 0xFF, the 16-bit value
// 0xFFFF and a 32-bit length.
class ArchiveWriter {
public:
    explicit ArchiveWriter(std::vector<uint8_t>& out) : m_out(out) {}

    void writeU8(uint8_t value);
    void writeU16(uint16_t value);
    void writeU32(uint32_t value);
    void writeI32(int32_t value) { writeU32(static_cast<uint32_t>(value)); }
    void writeBytes(std::span<const uint8_t> bytes);
    // Throws std::length_error for a text of 0xFFFFFFFF bytes or more.
    void writeString(std::string_view text);

    std::size_t size() const { return m_out.size(); }

private:
    std::vector<uint8_t>& m_out;
};

// Reads archive items from a byte span or from a stream; every read past the end throws
// ArchiveException with Kind::EndOfFile.
//
// A counted string whose 16-bit length is 0xFFFE is a wide string: a length prefix follows again
// (one byte, or 0xFF and 16 bits, or 0xFF, 0xFFFF and 32 bits) counting 16-bit units of UTF-16LE,
// which is returned converted to UTF-8. A length larger than the bytes left fails before anything
// is allocated.
//
// The stream form reads exactly the bytes it consumes, so the stream stands right after the last
// item read; the caller may go on reading the stream itself.
class ArchiveReader {
public:
    explicit ArchiveReader(std::span<const uint8_t> data) : m_data(data) {}
    explicit ArchiveReader(std::istream& stream) : m_stream(&stream) {}
    // The reader does not own its data: a temporary vector would be gone before the first read.
    explicit ArchiveReader(std::vector<uint8_t>&&) = delete;

    ArchiveReader(const ArchiveReader&) = delete;
    ArchiveReader& operator=(const ArchiveReader&) = delete;

    uint8_t readU8();
    uint16_t readU16();
    uint32_t readU32();
    int32_t readI32() { return static_cast<int32_t>(readU32()); }
    void readBytes(std::span<uint8_t> out);
    std::string readString();

    // Reads a 32-bit element count and makes sure that many elements of at least minElementSize
    // bytes each can still follow; throws EndOfFile at once otherwise.
    uint32_t readCount(std::size_t minElementSize);

    // Throws EndOfFile unless at least count bytes are left (unknown for a stream that cannot seek,
    // which then passes).
    void requireBytes(uint64_t count) const;

    // Bytes left before the end, or nothing when a stream cannot tell.
    std::optional<uint64_t> bytesLeft() const;
    // True when the data is used up (a stream that cannot tell is never at its end here).
    bool atEnd() const;

private:
    void readRaw(uint8_t* out, std::size_t size);
    uint32_t readLengthPrefix(uint8_t first);
    std::string readNarrow(uint64_t length);
    std::string readWide(uint32_t units);

    std::span<const uint8_t> m_data;
    std::size_t m_pos = 0;
    std::istream* m_stream = nullptr;
};

} // namespace pellora
