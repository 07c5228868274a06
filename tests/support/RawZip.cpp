#include "support/RawZip.h"

#include <zlib.h>

namespace pellora::test {

namespace {

void put16(std::string& out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

std::string rawDeflate(const std::string& data)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

} // namespace

std::string RawZip(const std::vector<RawZipEntry>& entries)
{
    std::string archive;
    std::string directory;
    std::vector<std::uint32_t> offsets;
    for (const RawZipEntry& entry : entries) {
        const std::string stored = entry.deflate ? rawDeflate(entry.data) : entry.data;
        const auto crc = entry.crc.value_or(static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()), static_cast<uInt>(entry.data.size()))));
        const std::uint32_t size = entry.size.value_or(static_cast<std::uint32_t>(entry.data.size()));
        const std::uint16_t method = entry.deflate ? 8 : 0;
        const std::uint16_t flags = entry.descriptor ? 0x0008 : 0;
        const std::string localName = entry.localName.value_or(entry.name);

        std::uint32_t offset = static_cast<std::uint32_t>(archive.size());
        if (entry.sharesHeaderOf) {
            offset = offsets.at(*entry.sharesHeaderOf);
        } else {
            put32(archive, 0x04034b50);
            put16(archive, 20);
            put16(archive, flags);
            put16(archive, entry.localMethod.value_or(method));
            put32(archive, 0);
            put32(archive, entry.descriptor ? 0 : crc);
            put32(archive, entry.descriptor ? 0 : static_cast<std::uint32_t>(stored.size()));
            put32(archive, entry.descriptor ? 0 : size);
            put16(archive, static_cast<std::uint32_t>(localName.size()));
            put16(archive, 0);
            archive += localName;
            archive += stored;
            if (entry.descriptor) {
                put32(archive, 0x08074b50);
                put32(archive, crc);
                put32(archive, static_cast<std::uint32_t>(stored.size()));
                put32(archive, size);
            }
        }
        offsets.push_back(offset);

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, flags);
        put16(directory, method);
        put32(directory, 0);
        put32(directory, crc);
        put32(directory, static_cast<std::uint32_t>(stored.size()));
        put32(directory, size);
        put16(directory, static_cast<std::uint32_t>(entry.name.size()));
        put32(directory, 0); // extra and comment lengths
        put32(directory, 0); // disk and internal attributes
        put32(directory, 0); // external attributes
        put32(directory, offset);
        directory += entry.name;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
    archive += directory;
    put32(archive, 0x06054b50);
    put32(archive, 0);
    put16(archive, static_cast<std::uint32_t>(entries.size()));
    put16(archive, static_cast<std::uint32_t>(entries.size()));
    put32(archive, static_cast<std::uint32_t>(directory.size()));
    put32(archive, directoryOffset);
    put16(archive, 0);
    return archive;
}

} // namespace pellora::test
