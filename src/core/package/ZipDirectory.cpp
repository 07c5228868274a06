#include "core/package/ZipDirectory.h"
#include "core/package/ZipFormat.h"

#include "core/platform/RegularFile.h"

#include <algorithm>
#include <numeric>
#include <string_view>

namespace pellora {

namespace {

using namespace zipformat;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kEnd64Size = 56;
constexpr std::size_t kEnd64LocatorSize = 20;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::uint16_t kMethodStore = 0;
constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
constexpr std::uint16_t kMax16 = 0xFFFFu;

// Little-endian fields of a byte string, read from the front.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : m_bytes(bytes) {}

    bool has(std::size_t size) const { return m_bytes.size() - m_at >= size; }
    std::uint16_t u16() { return static_cast<std::uint16_t>(take(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(take(4)); }
    std::uint64_t u64() { return take(8); }
    std::string_view bytes(std::size_t size)
    {
        const std::string_view part = m_bytes.substr(m_at, size);
        m_at += size;
        return part;
    }
    std::size_t position() const { return m_at; }

private:
    std::uint64_t take(std::size_t size)
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_bytes[m_at + i])) << (8 * i);
        m_at += size;
        return value;
    }

    std::string_view m_bytes;
    std::size_t m_at = 0;
};

// The data of the Zip64 extra field among extra fields; empty when there is none.
std::string_view zip64Extra(std::string_view extra)
{
    FieldReader fields(extra);
    while (fields.has(4)) {
        const std::uint16_t id = fields.u16();
        const std::uint16_t size = fields.u16();
        if (!fields.has(size))
            break;
        const std::string_view data = fields.bytes(size);
        if (id == kZip64ExtraId)
            return data;
    }
    return {};
}

Status refused(const std::string& text)
{
    return Status::Failure(text);
}

std::string entryLabel(const ZipDirectoryEntry& entry)
{
    return "entry \"" + entry.name + "\"";
}

} // namespace

bool ZipDirectory::readBytes(std::uint64_t at, std::size_t size, std::string& bytes) const
{
    if (at > m_length || size > m_length - at)
        return false;
    bytes.resize(size);
    return platform::ReadAt(m_fd, bytes.data(), size, m_offset + at) == static_cast<long long>(size);
}

Status ZipDirectory::Read(int fd, std::uint64_t offset, std::uint64_t length, std::uint64_t maxEntries)
{
    m_fd = fd;
    m_offset = offset;
    m_length = length;
    m_maxEntries = maxEntries;
    m_entries.clear();

    std::uint64_t count = 0;
    std::uint64_t directoryOffset = 0;
    std::uint64_t directorySize = 0;
    if (Status status = readEndRecords(count, directoryOffset, directorySize); !status.ok())
        return status;
    if (Status status = readDirectory(count, directoryOffset, directorySize); !status.ok())
        return status;
    for (ZipDirectoryEntry& entry : m_entries) {
        if (Status status = checkLocalHeader(entry, directoryOffset); !status.ok())
            return status;
    }

    std::vector<std::size_t> order(m_entries.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [this](std::size_t a, std::size_t b) { return m_entries[a].headerOffset < m_entries[b].headerOffset; });
    for (std::size_t i = 1; i < order.size(); ++i) {
        const ZipDirectoryEntry& before = m_entries[order[i - 1]];
        const ZipDirectoryEntry& after = m_entries[order[i]];
        if (after.headerOffset < before.dataEnd)
            return refused("the data of " + entryLabel(before) + " and " + entryLabel(after) + " overlap");
    }
    return Status::Ok();
}

Status ZipDirectory::readEndRecords(std::uint64_t& count, std::uint64_t& directoryOffset, std::uint64_t& directorySize)
{
    const std::size_t tailSize = static_cast<std::size_t>(std::min<std::uint64_t>(m_length, kEndSize + kMaxComment));
    const std::uint64_t tailStart = m_length - tailSize;
    std::string tail;
    if (tailSize < kEndSize || !readBytes(tailStart, tailSize, tail))
        return refused("not a Zip archive: no end record");

    // The end record is the last one whose comment reaches exactly to the end of the archive.
    std::size_t at = tailSize - kEndSize + 1;
    bool found = false;
    while (at-- > 0) {
        FieldReader record(std::string_view(tail).substr(at));
        if (record.u32() != kEndSignature)
            continue;
        record.bytes(16);
        if (at + kEndSize + record.u16() == tailSize) {
            found = true;
            break;
        }
    }
    if (!found)
        return refused("not a Zip archive: no end record closes it");
    const std::uint64_t endOffset = tailStart + at;
    FieldReader end(std::string_view(tail).substr(at + 4));
    const std::uint16_t disk = end.u16();
    const std::uint16_t directoryDisk = end.u16();
    const std::uint16_t diskEntries = end.u16();
    const std::uint16_t entries16 = end.u16();
    const std::uint32_t size32 = end.u32();
    const std::uint32_t offset32 = end.u32();
    if (disk != 0 || directoryDisk != 0 || diskEntries != entries16)
        return refused("the archive spans several disks");
    count = entries16;
    directorySize = size32;
    directoryOffset = offset32;
    std::uint64_t directoryEnd = endOffset;

    std::string locatorBytes;
    if (endOffset >= kEnd64LocatorSize && readBytes(endOffset - kEnd64LocatorSize, kEnd64LocatorSize, locatorBytes) &&
        FieldReader(locatorBytes).u32() == kEnd64LocatorSignature) {
        FieldReader locator(std::string_view(locatorBytes).substr(4));
        const std::uint32_t recordDisk = locator.u32();
        const std::uint64_t recordOffset = locator.u64();
        const std::uint32_t disks = locator.u32();
        if (recordDisk != 0 || disks > 1)
            return refused("the archive spans several disks");
        std::string recordBytes;
        if (!readBytes(recordOffset, kEnd64Size, recordBytes))
            return refused("the Zip64 end record lies outside the archive");
        FieldReader record(recordBytes);
        const std::uint32_t signature = record.u32();
        const std::uint64_t recordSize = record.u64();
        const std::uint64_t locatorOffset = endOffset - kEnd64LocatorSize;
        if (signature != kEnd64Signature || recordSize < kEnd64Size - 12 || recordSize > locatorOffset ||
            locatorOffset - recordSize < 12 || recordOffset != locatorOffset - recordSize - 12)
            return refused("the Zip64 end record does not reach its locator");
        record.bytes(4);
        const std::uint32_t disk64 = record.u32();
        const std::uint32_t directoryDisk64 = record.u32();
        const std::uint64_t diskEntries64 = record.u64();
        const std::uint64_t entries64 = record.u64();
        const std::uint64_t size64 = record.u64();
        const std::uint64_t offset64 = record.u64();
        if (disk64 != 0 || directoryDisk64 != 0 || diskEntries64 != entries64)
            return refused("the archive spans several disks");
        if ((entries16 != kMax16 && entries16 != entries64) || (size32 != kMax32 && size32 != size64) ||
            (offset32 != kMax32 && offset32 != offset64))
            return refused("the end record and the Zip64 end record disagree");
        count = entries64;
        directorySize = size64;
        directoryOffset = offset64;
        directoryEnd = recordOffset;
    }
    if (directoryOffset > directoryEnd || directorySize != directoryEnd - directoryOffset)
        return refused("the directory does not end where the end record begins");
    if (count > m_maxEntries)
        return refused("the archive holds more than " + std::to_string(m_maxEntries) + " entries");
    if (count > directorySize / kCentralSize)
        return refused("the directory is too small for its " + std::to_string(count) + " entries");
    return Status::Ok();
}

Status ZipDirectory::readDirectory(std::uint64_t count, std::uint64_t directoryOffset, std::uint64_t directorySize)
{
    std::string directory;
    if (!readBytes(directoryOffset, static_cast<std::size_t>(directorySize), directory))
        return refused("cannot read the directory");
    FieldReader records(directory);
    m_entries.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t i = 0; i < count; ++i) {
        if (!records.has(kCentralSize) || records.u32() != kCentralSignature)
            return refused("directory record " + std::to_string(i) + " is damaged");
        ZipDirectoryEntry entry;
        records.bytes(4); // versions
        entry.flags = records.u16();
        entry.method = records.u16();
        records.bytes(4); // time and date
        entry.crc = records.u32();
        const std::uint32_t compressed32 = records.u32();
        const std::uint32_t size32 = records.u32();
        const std::uint16_t nameLength = records.u16();
        const std::uint16_t extraLength = records.u16();
        const std::uint16_t commentLength = records.u16();
        const std::uint16_t disk = records.u16();
        records.bytes(6); // attributes
        const std::uint32_t offset32 = records.u32();
        if (!records.has(std::size_t{nameLength} + extraLength + commentLength))
            return refused("directory record " + std::to_string(i) + " is damaged");
        entry.name = std::string(records.bytes(nameLength));
        const std::string_view extra = records.bytes(extraLength);
        records.bytes(commentLength);

        FieldReader wide(zip64Extra(extra));
        const auto widened = [&wide](std::uint64_t value, std::uint64_t saturated, std::uint64_t& out) {
            if (value != saturated) {
                out = value;
                return true;
            }
            if (!wide.has(8))
                return false;
            out = wide.u64();
            return true;
        };
        std::uint64_t diskWide = 0;
        if (!widened(size32, kMax32, entry.size) || !widened(compressed32, kMax32, entry.compressedSize) ||
            !widened(offset32, kMax32, entry.headerOffset) || (disk == kMax16 && !wide.has(4)))
            return refused("the Zip64 field of " + entryLabel(entry) + " is too short");
        diskWide = disk == kMax16 ? wide.u32() : disk;
        if (diskWide != 0)
            return refused("the archive spans several disks");
        if (entry.method == kMethodStore && entry.size != entry.compressedSize &&
            (entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) == 0)
            return refused(entryLabel(entry) + " is stored with two different sizes");
        m_entries.push_back(std::move(entry));
    }
    if (records.position() != directory.size())
        return refused("the directory holds more than its entries");
    return Status::Ok();
}

Status ZipDirectory::checkLocalHeader(ZipDirectoryEntry& entry, std::uint64_t directoryOffset)
{
    std::string header;
    if (entry.headerOffset >= directoryOffset || directoryOffset - entry.headerOffset < kLocalSize ||
        !readBytes(entry.headerOffset, kLocalSize, header))
        return refused("the local header of " + entryLabel(entry) + " lies outside the archive's data");
    FieldReader local(header);
    if (local.u32() != kLocalSignature)
        return refused("the local header of " + entryLabel(entry) + " is missing");
    local.bytes(2); // version
    const std::uint16_t flags = local.u16();
    const std::uint16_t method = local.u16();
    local.bytes(4); // time and date
    const std::uint32_t crc = local.u32();
    const std::uint32_t compressed32 = local.u32();
    const std::uint32_t size32 = local.u32();
    const std::uint16_t nameLength = local.u16();
    const std::uint16_t extraLength = local.u16();
    const std::uint64_t dataStart = entry.headerOffset + kLocalSize + nameLength + extraLength;
    std::string nameAndExtra;
    if (dataStart > directoryOffset ||
        !readBytes(entry.headerOffset + kLocalSize, std::size_t{nameLength} + extraLength, nameAndExtra))
        return refused("the local header of " + entryLabel(entry) + " reaches into the directory");

    const std::string_view localName = std::string_view(nameAndExtra).substr(0, nameLength);
    if (localName != entry.name)
        return refused("the local header of " + entryLabel(entry) + " names \"" + std::string(localName) + "\"");
    if (method != entry.method)
        return refused("the local header of " + entryLabel(entry) + " gives another compression method");
    const std::uint16_t encryption = kFlagEncrypted | kFlagStrongEncryption;
    if ((flags & encryption) != (entry.flags & encryption) ||
        (flags & kFlagDescriptor) != (entry.flags & kFlagDescriptor))
        return refused("the local header of " + entryLabel(entry) + " gives other flags");

    std::uint64_t compressed = compressed32;
    std::uint64_t size = size32;
    if (compressed32 == kMax32 || size32 == kMax32) {
        FieldReader wide(zip64Extra(std::string_view(nameAndExtra).substr(nameLength)));
        if (!wide.has(16))
            return refused("the local Zip64 field of " + entryLabel(entry) + " is too short");
        size = wide.u64();
        compressed = wide.u64();
    }
    // With a data descriptor, a value not known yet when the header was written may be 0.
    const bool later = (flags & kFlagDescriptor) != 0;
    const auto agrees = [later](std::uint64_t local, std::uint64_t central) {
        return local == central || (later && local == 0);
    };
    if (!agrees(crc, entry.crc) || !agrees(compressed, entry.compressedSize) || !agrees(size, entry.size))
        return refused("the local header of " + entryLabel(entry) + " gives other sizes or checksum");
    if (entry.compressedSize > directoryOffset - dataStart)
        return refused("the data of " + entryLabel(entry) + " reaches into the directory");
    entry.dataEnd = dataStart + entry.compressedSize;
    if ((flags & kFlagDescriptor) != 0)
        return checkDescriptor(entry, dataStart, directoryOffset);
    return Status::Ok();
}

Status ZipDirectory::checkDescriptor(ZipDirectoryEntry& entry, std::uint64_t dataStart, std::uint64_t directoryOffset)
{
    // With or without its signature, with 32-bit or 64-bit sizes: the layout that repeats the directory's
    // values is the descriptor.
    const std::uint64_t at = dataStart + entry.compressedSize;
    std::string bytes;
    readBytes(at, static_cast<std::size_t>(std::min<std::uint64_t>(24, directoryOffset - at)), bytes);
    for (const bool signature : {true, false}) {
        for (const bool wide : {false, true}) {
            const std::size_t length = (signature ? 4 : 0) + 4 + (wide ? 16 : 8);
            if (bytes.size() < length)
                continue;
            FieldReader descriptor(bytes);
            if (signature && descriptor.u32() != kDescriptorSignature)
                continue;
            const std::uint32_t crc = descriptor.u32();
            const std::uint64_t compressed = wide ? descriptor.u64() : descriptor.u32();
            const std::uint64_t size = wide ? descriptor.u64() : descriptor.u32();
            if (crc == entry.crc && compressed == entry.compressedSize && size == entry.size) {
                entry.dataEnd = at + length;
                return Status::Ok();
            }
        }
    }
    return refused("the data descriptor of " + entryLabel(entry) + " disagrees with the directory");
}

} // namespace pellora
