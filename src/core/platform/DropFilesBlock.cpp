#include "core/platform/DropFilesBlock.h"

#include "core/platform/Utf16.h"

namespace pellora::platform {

namespace {

void putUint32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::uint32_t getUint32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8
        | static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

bool acceptName(const std::string& name, std::vector<std::string>& names)
{
    if (name.size() > kMaxDropFileNameBytes || names.size() >= kMaxDropFilesNames)
        return false;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    names.push_back(name);
    return true;
}

// Names of 8-bit characters from offset on; false when the list is not properly ended.
bool decodeNarrow(std::span<const std::uint8_t> block, std::size_t offset, std::vector<std::string>& names)
{
    std::string name;
    for (std::size_t at = offset; at < block.size(); ++at) {
        const std::uint8_t byte = block[at];
        if (byte != 0) {
            name += static_cast<char>(byte);
            if (name.size() > kMaxDropFileNameBytes)
                return false;
            continue;
        }
        if (name.empty())
            return true; // the extra NUL that ends the list
        if (!acceptName(name, names))
            return false;
        name.clear();
    }
    return false;
}

// Names of UTF-16 little-endian characters from offset on.
bool decodeWide(std::span<const std::uint8_t> block, std::size_t offset, std::vector<std::string>& names)
{
    std::string name;
    std::uint32_t highSurrogate = 0;
    for (std::size_t at = offset; at + 1 < block.size(); at += 2) {
        const std::uint32_t unit = block[at] | static_cast<std::uint32_t>(block[at + 1]) << 8;
        if (highSurrogate != 0) {
            if (unit < 0xDC00 || unit > 0xDFFF)
                return false;
            AppendUtf8(name, 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate = 0;
        } else if (unit >= 0xD800 && unit <= 0xDBFF) {
            highSurrogate = unit;
            continue;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        } else if (unit != 0) {
            AppendUtf8(name, unit);
        } else {
            if (name.empty())
                return true;
            if (!acceptName(name, names))
                return false;
            name.clear();
            continue;
        }
        if (name.size() > kMaxDropFileNameBytes)
            return false;
    }
    return false;
}

} // namespace

std::vector<std::uint8_t> EncodeDropFiles(std::span<const std::string> names)
{
    std::size_t size = kDropFilesHeaderSize + 1;
    for (const std::string& name : names)
        size += name.empty() ? 0 : name.size() + 1;

    std::vector<std::uint8_t> block;
    block.reserve(size);
    putUint32(block, static_cast<std::uint32_t>(kDropFilesHeaderSize));
    putUint32(block, 0); // point x
    putUint32(block, 0); // point y
    putUint32(block, 1); // non-client area
    putUint32(block, 0); // 8-bit names
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        block.insert(block.end(), name.begin(), name.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

std::optional<DropFilesHeader> DecodeDropFilesHeader(std::span<const std::uint8_t> block)
{
    if (block.size() < kDropFilesHeaderSize)
        return std::nullopt;
    DropFilesHeader header;
    header.namesOffset = getUint32(block, 0);
    header.x = static_cast<std::int32_t>(getUint32(block, 4));
    header.y = static_cast<std::int32_t>(getUint32(block, 8));
    header.nonClient = getUint32(block, 12);
    header.wide = getUint32(block, 16);
    return header;
}

std::optional<std::vector<std::string>> DecodeDropFiles(std::span<const std::uint8_t> block)
{
    if (block.size() > kMaxDropFilesBlockBytes)
        return std::nullopt;
    const std::optional<DropFilesHeader> header = DecodeDropFilesHeader(block);
    if (!header || header->namesOffset < kDropFilesHeaderSize || header->namesOffset >= block.size())
        return std::nullopt;

    std::vector<std::string> names;
    const bool complete = header->wide != 0 ? decodeWide(block, header->namesOffset, names)
                                            : decodeNarrow(block, header->namesOffset, names);
    if (!complete)
        return std::nullopt;
    return names;
}

} // namespace pellora::platform
