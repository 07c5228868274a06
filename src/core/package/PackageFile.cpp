#include "core/package/PackageFile.h"

#include "core/model/Archive.h"
#include "core/platform/DescriptorStream.h"
#include "core/platform/RegularFile.h"
#include "core/util/Support.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace pellora {

namespace {

constexpr std::array<std::uint8_t, 8> kVersionOne = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
constexpr std::uint64_t kCopyReportStep = 4 * 1024 * 1024;

std::uint32_t le32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

double leDouble(const std::uint8_t* bytes)
{
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
        bits = bits << 8 | bytes[i];
    return std::bit_cast<double>(bits);
}

// The name stored for a package-list entry: its last component, trailing separators aside.
std::string storedName(const fs::path& entry)
{
    std::string text = entry.string();
    while (text.size() > 1 && (text.back() == '/' || text.back() == '\\'))
        text.pop_back();
    return std::string(LastPathComponent(text));
}

// A stored name must name something directly inside the extraction folder.
bool isPlainName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

bool readExactly(std::istream& in, std::uint64_t offset, void* data, std::size_t size)
{
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount()) == size;
}

// The number of bytes the counted string at the stream's position occupies after its prefix, read without
// consuming it; throws ArchiveException at the end of the data.
std::uint64_t countedStringBytes(std::istream& in)
{
    const std::streampos start = in.tellg();
    ArchiveReader reader(in);
    std::uint64_t length = reader.readU8();
    bool wide = false;
    if (length == 0xFF) {
        length = reader.readU16();
        if (length == 0xFFFE) {
            wide = true;
            length = reader.readU8();
            if (length == 0xFF) {
                length = reader.readU16();
                if (length == 0xFFFF)
                    length = reader.readU32();
            }
        } else if (length == 0xFFFF) {
            length = reader.readU32();
        }
    }
    in.clear();
    in.seekg(start);
    return wide ? length * 2 : length;
}

// Reads a counted string after checking its length against limit.
bool readLimitedString(std::istream& in, std::size_t limit, std::string& text)
{
    if (countedStringBytes(in) > limit)
        return false;
    ArchiveReader reader(in);
    text = reader.readString();
    return true;
}

} // namespace

bool CPackageFile::fail(std::string text)
{
    m_status = Status::Failure(std::move(text));
    return false;
}

bool CPackageFile::cancel()
{
    m_status = Status::Cancelled();
    return false;
}

bool CPackageFile::Write(std::ostream& out)
{
    m_status = Status::Ok();
    const std::size_t stubSize = m_stub.size();
    if (stubSize == 0)
        return fail("no stub to head the package");
    if (stubSize >= kHeaderOffset)
        return fail("the stub is too large for the package layout");

    out.write(reinterpret_cast<const char*>(m_stub.data()), static_cast<std::streamsize>(stubSize));
    const std::vector<char> padding(std::min<std::size_t>(kHeaderOffset - stubSize, kCopyBlockSize), static_cast<char>(kPaddingByte));
    for (std::size_t left = kHeaderOffset - stubSize; left > 0;) {
        const std::size_t block = std::min(left, padding.size());
        out.write(padding.data(), static_cast<std::streamsize>(block));
        left -= block;
    }

    std::vector<std::uint8_t> header;
    ArchiveWriter writer(header);
    writer.writeBytes(kVersionOne);
    writer.writeU32(static_cast<std::uint32_t>(stubSize));
    writer.writeU32(static_cast<std::uint32_t>(m_entries.size()));
    for (const fs::path& entry : m_entries)
        writer.writeString(storedName(entry));
    writer.writeString(m_command);
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    if (!out)
        return fail("cannot write the package");

    const ScopedTempFile archive;
    if (archive.path().empty())
        return fail("no free temporary file name for the archive");
    CZipArchive zip;
    zip.SetArchiveName(archive.path());
    zip.SetDurable(false);
    zip.AddFiles(m_entries);
    ZipProgress packed;
    if (m_progress) {
        zip.SetProgressCallback([this, &packed](const ZipProgress& progress) {
            packed = progress;
            ZipProgress report = progress;
            report.bytesTotal = 2 * progress.bytesTotal;
            return m_progress(report);
        });
    }
    if (!zip.Create())
        return zip.status().cancelled() ? cancel() : fail("cannot make the archive: " + zip.status().text());

    std::error_code ec;
    const std::uintmax_t length = fs::file_size(archive.path(), ec);
    if (ec)
        return fail("cannot read the archive back: " + ec.message());
    if (length > UINT32_MAX)
        return fail("the archive is too large for a package");
    std::ifstream in(archive.path(), std::ios::binary);
    if (!in)
        return fail("cannot read the archive back");

    std::vector<std::uint8_t> lengthField;
    ArchiveWriter(lengthField).writeU32(static_cast<std::uint32_t>(length));
    out.write(reinterpret_cast<const char*>(lengthField.data()), static_cast<std::streamsize>(lengthField.size()));

    const auto report = [&](std::uint64_t copied) {
        if (!m_progress)
            return true;
        ZipProgress progress = packed;
        progress.filesDone = packed.filesTotal;
        progress.bytesTotal = 2 * packed.bytesTotal;
        const double share = length == 0 ? 1.0 : static_cast<double>(copied) / static_cast<double>(length);
        progress.bytesDone = packed.bytesTotal + static_cast<std::uint64_t>(share * static_cast<double>(packed.bytesTotal));
        return m_progress(progress);
    };
    std::vector<char> block(kCopyBlockSize);
    std::uint64_t copied = 0;
    std::uint64_t reported = 0;
    while (copied < length) {
        const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), length - copied));
        in.read(block.data(), static_cast<std::streamsize>(size));
        if (static_cast<std::size_t>(in.gcount()) != size)
            return fail("cannot read the archive back");
        out.write(block.data(), static_cast<std::streamsize>(size));
        if (!out)
            return fail("cannot write the package");
        copied += size;
        if (copied - reported >= kCopyReportStep || copied == length) {
            reported = copied;
            if (!report(copied))
                return cancel();
        }
    }
    out.flush();
    if (!out)
        return fail("cannot write the package");
    return true;
}

bool CPackageFile::Load(const fs::path& path, const fs::path& extractionFolder)
{
    m_status = Status::Ok();
    m_entries.clear();
    m_command.clear();
    m_stubSize = 0;
    m_padded = false;
    m_targetFailed = false;
    m_extractionFolder = extractionFolder;

    platform::FileDescriptor file;
    struct stat info {};
    if (Status opened = platform::OpenRegularFile(path, file, &info); !opened.ok()) {
        m_status = std::move(opened);
        return false;
    }
    platform::DescriptorInputStream in(file.get());
    try {
        return readPackage(in, static_cast<std::uint64_t>(info.st_size), path);
    } catch (const ArchiveException&) {
        return fail(path.string() + " ends inside its header");
    } catch (const std::exception& error) {
        return fail("cannot read " + path.string() + ": " + error.what());
    }
}

bool CPackageFile::readPackage(std::istream& in, std::uint64_t fileSize, const fs::path& path)
{
    bool padded = false;
    if (fileSize >= std::uint64_t{kProbeOffset} + kProbeLength) {
        std::vector<std::uint8_t> probe(kProbeLength);
        padded = readExactly(in, kProbeOffset, probe.data(), probe.size()) &&
                 std::all_of(probe.begin(), probe.end(), [](std::uint8_t b) { return b == kPaddingByte; });
    }

    std::array<std::uint8_t, kTrailerLength> versionAndSize{};
    std::uint64_t headerStart = 0;
    std::uint64_t dataEnd = fileSize;
    if (padded) {
        if (fileSize < std::uint64_t{kHeaderOffset} + kTrailerLength ||
            !readExactly(in, kHeaderOffset, versionAndSize.data(), versionAndSize.size()))
            return fail("the package ends before its header");
        headerStart = std::uint64_t{kHeaderOffset} + kTrailerLength;
    } else {
        if (fileSize < kTrailerLength || !readExactly(in, fileSize - kTrailerLength, versionAndSize.data(), versionAndSize.size()))
            return fail("not a package");
        dataEnd = fileSize - kTrailerLength;
    }
    const double version = leDouble(versionAndSize.data());
    const std::uint32_t stubSize = le32(versionAndSize.data() + 8);
    if (version != 1.0 || stubSize == 0)
        return fail("not a package");
    if (padded ? stubSize > kHeaderOffset : stubSize > dataEnd)
        return fail("the package's stub size does not fit the file");
    if (!padded)
        headerStart = stubSize;

    in.clear();
    in.seekg(static_cast<std::streamoff>(headerStart));
    ArchiveReader reader(in);
    const std::uint32_t count = reader.readU32();
    if (count > kMaxEntries)
        return fail("the package lists too many entries");
    reader.requireBytes(count); // every name takes at least its length byte
    std::vector<std::string> names;
    names.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::string name;
        if (!readLimitedString(in, kMaxNameLength, name))
            return fail("the package lists an entry name that is too long");
        if (!isPlainName(name))
            return fail("the package lists an entry that is not a plain name: " + name);
        names.push_back(std::move(name));
    }
    std::string command;
    if (!readLimitedString(in, kMaxCommandLength, command))
        return fail("the package's command string is too long");
    const std::uint32_t length = reader.readU32();
    const std::streamoff position = in.tellg();
    if (position < 0 || static_cast<std::uint64_t>(position) > dataEnd || length > dataEnd - static_cast<std::uint64_t>(position))
        return fail("the package ends inside its archive");

    if (names.empty())
        return fail("the package lists no entries");

    // The archive is read where it lies in the package.
    CZipArchive zip;
    zip.SetArchiveName(path);
    zip.SetArchiveRange(static_cast<std::uint64_t>(position), length);
    zip.SetExtractionFolder(m_extractionFolder);
    if (!zip.Extract()) {
        m_targetFailed = zip.TargetFailed();
        return fail("cannot extract the package's archive: " + zip.status().text());
    }

    m_stubSize = stubSize;
    m_padded = padded;
    m_command = std::move(command);
    for (const std::string& name : names)
        m_entries.push_back(m_extractionFolder / name);
    return true;
}

} // namespace pellora
