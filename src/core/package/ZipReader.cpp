#include "core/package/ZipReader.h"

#include "core/package/ZipArchive.h"
#include "core/package/ZipDirectory.h"
#include "core/platform/RegularFile.h"

#include <zip.h>

#include <cstdio>
#include <unordered_map>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace pellora {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

struct ZipDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

struct ZipFileClose {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFileHandle = std::unique_ptr<zip_file_t, ZipFileClose>;

std::string inQuotes(const std::string& name)
{
    return "\"" + name + "\"";
}

// The names of an archive as a tree of parts: no name may be a file in one entry and a folder in another.
class NameTree {
public:
    // false when the entry makes a file of a folder or a folder of a file.
    bool add(const std::vector<std::string>& parts, bool folder)
    {
        Node* node = &m_root;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            std::unique_ptr<Node>& child = node->children[parts[i]];
            if (!child)
                child = std::make_unique<Node>();
            node = child.get();
            const bool isFile = !folder && i + 1 == parts.size();
            if (isFile ? node->folder : node->file)
                return false;
            (isFile ? node->file : node->folder) = true;
        }
        return true;
    }

private:
    struct Node {
        std::unordered_map<std::string, std::unique_ptr<Node>> children;
        bool file = false;
        bool folder = false;
    };
    Node m_root;
};

} // namespace

struct ZipReader::Library {
    std::unique_ptr<zip_t, ZipDiscard> archive;
};

ZipReader::ZipReader()
    : m_library(std::make_unique<Library>())
{
}

ZipReader::~ZipReader() = default;

Status ZipReader::Open(const fs::path& archive, std::uint64_t offset, std::int64_t length, const ZipReaderLimits& limits)
{
    m_entries.clear();
    m_library->archive.reset();

    platform::FileDescriptor file;
    struct stat info {};
    if (Status opened = platform::OpenRegularFile(archive, file, &info); !opened.ok())
        return opened;
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);
    if (offset > fileSize || (length >= 0 && static_cast<std::uint64_t>(length) > fileSize - offset))
        return Status::Failure("the archive lies beyond the end of " + archive.string());
    const std::uint64_t archiveLength = length >= 0 ? static_cast<std::uint64_t>(length) : fileSize - offset;

    ZipDirectory directory;
    if (Status read = directory.Read(file.get(), offset, archiveLength, limits.entries); !read.ok())
        return read;

    // The library reads through a descriptor of its own on the same open file.
    const int copy = ::dup(file.get());
    std::FILE* stream = copy >= 0 ? ::fdopen(copy, "rb") : nullptr;
    if (!stream) {
        if (copy >= 0)
            ::close(copy);
        return Status::SystemFailure("cannot read " + archive.string(), errno);
    }
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_filep_create(stream, offset, static_cast<zip_int64_t>(archiveLength), &error);
    if (!source)
        std::fclose(stream);
    m_library->archive.reset(source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr);
    if (!m_library->archive) {
        if (source)
            zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        return Status::Failure("cannot open " + archive.string() + ": " + why);
    }
    zip_error_fini(&error);

    // The library must see the very entries that were checked.
    zip_t* zip = m_library->archive.get();
    const std::vector<ZipDirectoryEntry>& checked = directory.entries();
    if (zip_get_num_entries(zip, 0) != static_cast<zip_int64_t>(checked.size()))
        return Status::Failure("the archive's directory can be read in two ways");
    for (std::size_t index = 0; index < checked.size(); ++index) {
        const ZipDirectoryEntry& expected = checked[index];
        const char* raw = zip_get_name(zip, index, ZIP_FL_ENC_RAW);
        zip_stat_t stat;
        if (!raw || zip_stat_index(zip, index, 0, &stat) != 0)
            return Status::Failure("cannot read entry " + std::to_string(index) + ": " + zip_strerror(zip));
        if (expected.name != raw || stat.size != expected.size || stat.comp_size != expected.compressedSize ||
            stat.crc != expected.crc || stat.comp_method != expected.method)
            return Status::Failure("the archive's directory can be read in two ways");
    }
    return checkEntries(limits, archiveLength);
}

Status ZipReader::checkEntries(const ZipReaderLimits& limits, std::uint64_t archiveLength)
{
    zip_t* zip = m_library->archive.get();
    const auto count = static_cast<zip_uint64_t>(zip_get_num_entries(zip, 0));
    m_entries.reserve(count);
    std::uint64_t declaredTotal = 0;
    NameTree names;
    for (zip_uint64_t index = 0; index < count; ++index) {
        zip_stat_t stat;
        const char* rawName = zip_get_name(zip, index, ZIP_FL_ENC_GUESS);
        if (!rawName || zip_stat_index(zip, index, 0, &stat) != 0)
            return Status::Failure("cannot read entry " + std::to_string(index) + ": " + zip_strerror(zip));
        ZipReaderEntry entry;
        entry.name = rawName;
        const auto refuse = [&entry](const std::string& why) {
            return Status::Failure("refused entry " + inQuotes(entry.name) + ": " + why);
        };
        std::string reason;
        if (!CZipArchive::SplitEntryName(entry.name, entry.parts, reason))
            return refuse(reason);
        if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            return refuse("encrypted");
        if ((stat.valid & ZIP_STAT_COMP_METHOD) && !zip_compression_method_supported(stat.comp_method, 0))
            return refuse("unsupported compression");

        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zip_file_get_external_attributes(zip, index, 0, &system, &attributes) != 0)
            return Status::Failure("cannot read entry " + std::to_string(index) + ": " + zip_strerror(zip));
        const mode_t unixMode = system == ZIP_OPSYS_UNIX ? static_cast<mode_t>(attributes >> 16) : 0;
        if ((unixMode & S_IFMT) == S_IFLNK)
            return refuse("symbolic link");

        entry.folder = entry.name.back() == '/' || entry.name.back() == '\\' || (unixMode & S_IFMT) == S_IFDIR;
        if (!entry.folder && entry.parts.empty())
            return refuse("no file name");
        if (!names.add(entry.parts, entry.folder))
            return refuse("a file of this name is a folder in another entry, or the other way round");
        if ((unixMode & 0777) != 0)
            entry.mode = (unixMode & 0777) | 0600;
        if (stat.valid & ZIP_STAT_MTIME) {
            entry.hasTime = true;
            entry.mtime = stat.mtime;
        }
        entry.size = stat.size;
        if (entry.size > limits.totalBytes - declaredTotal) // declaredTotal never exceeds the limit
            return Status::Failure("the archive is larger than the limit of " + std::to_string(limits.totalBytes) +
                                   " bytes");
        declaredTotal += entry.size;
        m_entries.push_back(std::move(entry));
    }
    // declaredTotal > ratio * archiveLength + allowance, without overflow.
    if (limits.ratio != 0 && declaredTotal > limits.ratioAllowance &&
        (declaredTotal - limits.ratioAllowance - 1) / limits.ratio >= archiveLength)
        return Status::Failure("the archive unpacks to " + std::to_string(declaredTotal) + " bytes, more than " +
                               std::to_string(limits.ratio) + " times its own size");
    return Status::Ok();
}

Status ZipReader::Read(std::size_t index, const Sink& sink)
{
    const ZipReaderEntry& entry = m_entries.at(index);
    zip_t* zip = m_library->archive.get();
    ZipFileHandle data(zip_fopen_index(zip, index, 0));
    if (!data)
        return Status::Failure("cannot read " + inQuotes(entry.name) + ": " + zip_strerror(zip));
    m_buffer.resize(kBlockSize);
    std::uint64_t left = entry.size;
    for (;;) {
        // Once the declared size is in, one byte more is asked for: the end of the data, where the
        // library checks the checksum, or data the entry does not declare.
        const auto want = static_cast<zip_uint64_t>(left == 0 ? 1 : std::min<std::uint64_t>(m_buffer.size(), left));
        const zip_int64_t got = zip_fread(data.get(), m_buffer.data(), want);
        if (got < 0)
            return Status::Failure("cannot read " + inQuotes(entry.name) + ": " + zip_file_strerror(data.get()));
        if (got == 0) {
            if (left != 0)
                return Status::Failure(inQuotes(entry.name) + " ends before its declared " +
                                       std::to_string(entry.size) + " bytes");
            return Status::Ok();
        }
        if (left == 0)
            return Status::Failure(inQuotes(entry.name) + " holds more than its declared " +
                                   std::to_string(entry.size) + " bytes");
        left -= static_cast<std::uint64_t>(got);
        if (!sink(m_buffer.data(), static_cast<std::size_t>(got)))
            return Status::Failure("cannot take the data of " + inQuotes(entry.name));
    }
}

} // namespace pellora
