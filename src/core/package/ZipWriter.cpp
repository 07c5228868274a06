#include "core/package/ZipWriter.h"
#include "core/package/ZipFormat.h"

#include "core/platform/AtomicFile.h"
#include "core/platform/FileDescriptor.h"
#include "core/platform/RegularFile.h"

#include <zlib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <utility>

namespace fs = std::filesystem;

namespace pellora {

namespace {

constexpr std::size_t kDictionarySize = 32 * 1024;
constexpr std::uint64_t kReportStep = 4 * 1024 * 1024;
constexpr std::size_t kOutputBufferSize = 1024 * 1024;
// Below this size a file's data cannot outgrow 32 bits even when deflate expands it, so its local header
// can do without Zip64 sizes although they are only known after the data is written.
constexpr std::uint64_t kZip64LocalThreshold = 0xF0000000u;
constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
constexpr std::uint16_t kMax16 = 0xFFFFu;

using namespace zipformat;
constexpr std::uint16_t kMadeByUnix = 3 << 8;
constexpr std::uint16_t kFlagUtf8 = 0x0800;
constexpr std::uint16_t kMethodStore = 0;
constexpr std::uint16_t kMethodDeflate = 8;
constexpr std::size_t kLocalHeaderSize = 30;

void put16(std::vector<std::uint8_t>& out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, static_cast<std::uint16_t>(value));
    put16(out, static_cast<std::uint16_t>(value >> 16));
}

void put64(std::vector<std::uint8_t>& out, std::uint64_t value)
{
    put32(out, static_cast<std::uint32_t>(value));
    put32(out, static_cast<std::uint32_t>(value >> 32));
}

void putBytes(std::vector<std::uint8_t>& out, std::string_view bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

bool isValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || i + length > text.size() || (length == 2 && lead < 0xC2))
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

// Names that are plain ASCII need no flag; other valid UTF-8 is marked as such.
std::uint16_t nameFlags(std::string_view name)
{
    const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return !ascii && isValidUtf8(name) ? kFlagUtf8 : 0;
}

// The deflate option bits of the general purpose flags, as readers show them.
std::uint16_t levelFlags(int level)
{
    if (level >= 8)
        return 0x2;
    if (level == 2)
        return 0x4;
    if (level == 1)
        return 0x6;
    return 0;
}

struct DosTime {
    std::uint16_t time = 0;
    std::uint16_t date = (1 << 5) | 1; // 1980-01-01
};

DosTime dosTime(std::int64_t seconds)
{
    const std::time_t value = static_cast<std::time_t>(seconds);
    std::tm local{};
    DosTime result;
    if (::localtime_r(&value, &local) == nullptr || local.tm_year < 80)
        return result;
    if (local.tm_year > 207)
        return {static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29), static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31)};
    result.time = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    result.date = static_cast<std::uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    return result;
}



bool preadAll(int fd, std::uint8_t* data, std::size_t size, std::uint64_t offset, bool& shorter)
{
    shorter = false;
    while (size > 0) {
        const ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0) {
            shorter = true;
            return false;
        }
        data += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

// The archive being written: buffered appends, and rewrites of bytes already written.
class ArchiveOutput {
public:
    explicit ArchiveOutput(int fd) : m_fd(fd) { m_buffer.reserve(kOutputBufferSize); }

    bool append(std::span<const std::uint8_t> bytes)
    {
        m_position += bytes.size();
        if (m_buffer.size() + bytes.size() > kOutputBufferSize && !flush())
            return false;
        if (bytes.size() >= kOutputBufferSize)
            return platform::WriteAll(m_fd, bytes.data(), bytes.size());
        m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
        return true;
    }

    bool flush()
    {
        const bool ok = platform::WriteAll(m_fd, m_buffer.data(), m_buffer.size());
        m_buffer.clear();
        return ok;
    }

    bool rewrite(std::uint64_t offset, const std::vector<std::uint8_t>& bytes)
    {
        if (!flush())
            return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t written = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(offset + done));
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            done += static_cast<std::size_t>(written);
        }
        return true;
    }

    std::uint64_t position() const { return m_position; }

private:
    int m_fd;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_position = 0;
};

enum class Mode { Unknown, Store, Deflate, Failed };

// A piece of one file: what a thread reads and compresses at a time.
struct Job {
    std::size_t file = 0;
    std::uint64_t offset = 0;
    std::size_t length = 0;
    bool first = false;
    bool last = false;
};

// The result of one job, kept until the writer has taken it.
struct Slot {
    std::vector<std::uint8_t> input; // dictionary, then the piece
    std::size_t dataOffset = 0;
    std::size_t dataLength = 0;
    std::vector<std::uint8_t> output;
    bool raw = false; // the piece is stored as read
    std::uint32_t crc = 0;
    std::string error;
    bool done = false;

    std::span<const std::uint8_t> data() const
    {
        if (raw)
            return std::span<const std::uint8_t>(input).subspan(dataOffset, dataLength);
        return output;
    }
};

// Raw deflate of one piece; one per thread, reused from piece to piece.
class Deflater {
public:
    explicit Deflater(int level)
    {
        m_ok = deflateInit2(&m_stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (m_ok)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool ok() const { return m_ok; }

    bool start(std::span<const std::uint8_t> dictionary, std::vector<std::uint8_t>& out, std::size_t inputSize)
    {
        if (deflateReset(&m_stream) != Z_OK)
            return false;
        if (!dictionary.empty() &&
            deflateSetDictionary(&m_stream, dictionary.data(), static_cast<uInt>(dictionary.size())) != Z_OK)
            return false;
        out.resize(deflateBound(&m_stream, static_cast<uLong>(inputSize)) + 64);
        m_out = &out;
        m_stream.next_out = out.data();
        m_stream.avail_out = static_cast<uInt>(out.size());
        return true;
    }

    // Compresses input with flush (Z_SYNC_FLUSH or Z_FINISH).
    bool run(std::span<const std::uint8_t> input, int flush)
    {
        m_stream.next_in = const_cast<Bytef*>(input.data());
        m_stream.avail_in = static_cast<uInt>(input.size());
        for (;;) {
            if (m_stream.avail_out == 0)
                grow();
            const int rc = deflate(&m_stream, flush);
            if (rc == Z_STREAM_ERROR)
                return false;
            if (flush == Z_FINISH ? rc == Z_STREAM_END : (m_stream.avail_in == 0 && m_stream.avail_out != 0))
                return true;
        }
    }

    std::size_t produced() const { return static_cast<std::size_t>(m_stream.total_out); }
    void finish() { m_out->resize(produced()); }

private:
    void grow()
    {
        const std::size_t used = produced();
        m_out->resize(m_out->size() * 2);
        m_stream.next_out = m_out->data() + used;
        m_stream.avail_out = static_cast<uInt>(m_out->size() - used);
    }

    z_stream m_stream{};
    bool m_ok = false;
    std::vector<std::uint8_t>* m_out = nullptr;
};

// Threads that read and compress the jobs in list order, at most a window of them ahead of the writer.
class Pipeline {
public:
    Pipeline(const std::vector<ZipWriterEntry>& entries, const std::vector<Job>& jobs, int level, unsigned threads)
        : m_entries(entries)
        , m_jobs(jobs)
        , m_level(level)
        , m_modes(entries.size(), Mode::Unknown)
        , m_slots(2 * static_cast<std::size_t>(threads) + 2)
    {
        for (unsigned i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { work(); });
    }

    ~Pipeline()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_workCv.notify_all();
        m_modeCv.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }

    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

    // The result of job index; valid until release(index).
    const Slot& wait(std::size_t index)
    {
        std::unique_lock lock(m_mutex);
        Slot& slot = m_slots[index % m_slots.size()];
        m_doneCv.wait(lock, [&] { return slot.done; });
        return slot;
    }

    Mode mode(std::size_t file)
    {
        const std::lock_guard lock(m_mutex);
        return m_modes[file];
    }

    void release(std::size_t index)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_slots[index % m_slots.size()].done = false;
            m_consumed = index + 1;
        }
        m_workCv.notify_all();
    }

private:
    void work()
    {
        Deflater deflater(m_level);
        for (;;) {
            std::unique_lock lock(m_mutex);
            m_workCv.wait(lock, [&] {
                return m_stopping || m_next >= m_jobs.size() || m_next < m_consumed + m_slots.size();
            });
            if (m_stopping || m_next >= m_jobs.size())
                return;
            const std::size_t index = m_next++;
            Slot& slot = m_slots[index % m_slots.size()];
            lock.unlock();

            process(m_jobs[index], slot, deflater);

            lock.lock();
            slot.done = true;
            lock.unlock();
            m_doneCv.notify_all();
        }
    }

    void publish(std::size_t file, Mode mode)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_modes[file] = mode;
        }
        m_modeCv.notify_all();
    }

    // The first piece of a file decides how the file is stored; the other pieces wait for that.
    Mode awaitMode(std::size_t file)
    {
        std::unique_lock lock(m_mutex);
        m_modeCv.wait(lock, [&] { return m_stopping || m_modes[file] != Mode::Unknown; });
        return m_stopping ? Mode::Failed : m_modes[file];
    }

    void process(const Job& job, Slot& slot, Deflater& deflater)
    {
        const ZipWriterEntry& entry = m_entries[job.file];
        slot.error.clear();
        slot.output.clear();
        slot.raw = false;
        slot.crc = 0;

        Mode mode = Mode::Unknown;
        if (job.first) {
            if (entry.store || entry.size == 0) {
                mode = Mode::Store;
                publish(job.file, mode);
            }
        } else {
            mode = awaitMode(job.file);
            if (mode == Mode::Failed) {
                slot.error = "stopped after an earlier piece of the file failed";
                return;
            }
        }
        const auto fail = [&](std::string text) {
            slot.error = std::move(text);
            if (job.first)
                publish(job.file, Mode::Failed);
        };

        const std::size_t dictionary = mode == Mode::Deflate ? static_cast<std::size_t>(std::min<std::uint64_t>(kDictionarySize, job.offset)) : 0;
        slot.input.resize(dictionary + job.length);
        slot.dataOffset = dictionary;
        slot.dataLength = job.length;
        if (!slot.input.empty()) {
            platform::FileDescriptor file;
            if (const Status opened = platform::OpenRegularFile(entry.source, file); !opened.ok())
                return fail("cannot read " + entry.source.string() + ": " + opened.text());
            bool shorter = false;
            if (!preadAll(file.get(), slot.input.data(), slot.input.size(), job.offset - dictionary, shorter)) {
                return fail(shorter ? entry.source.string() + " became shorter while it was being packed"
                                    : "cannot read " + entry.source.string() + ": " + SystemErrorText(errno));
            }
        }
        const std::span<const std::uint8_t> data = std::span<const std::uint8_t>(slot.input).subspan(dictionary);
        slot.crc = static_cast<std::uint32_t>(crc32(crc32(0, nullptr, 0), data.data(), static_cast<uInt>(data.size())));
        if (mode == Mode::Store) {
            slot.raw = true;
            return;
        }

        if (!deflater.ok() || !deflater.start(std::span<const std::uint8_t>(slot.input).first(dictionary), slot.output, data.size()))
            return fail("cannot compress " + entry.source.string());
        const int finalFlush = job.last ? Z_FINISH : Z_SYNC_FLUSH;
        std::span<const std::uint8_t> rest = data;
        if (mode == Mode::Unknown) {
            // Compress the first bytes alone and look at what they gave before going on with the rest.
            const std::size_t trial = std::min(ZipWriter::kTrialSize, data.size());
            const bool whole = trial == data.size() && job.last;
            if (!deflater.run(data.first(trial), whole ? Z_FINISH : Z_SYNC_FLUSH))
                return fail("cannot compress " + entry.source.string());
            const bool worth = whole ? deflater.produced() < trial
                                     : deflater.produced() * 100 < trial * (100 - ZipWriter::kTrialSavingPercent);
            mode = worth ? Mode::Deflate : Mode::Store;
            publish(job.file, mode);
            if (!worth) {
                slot.output.clear();
                slot.raw = true;
                return;
            }
            if (whole) {
                deflater.finish();
                return;
            }
            rest = data.subspan(trial);
        }
        if (!deflater.run(rest, finalFlush))
            return fail("cannot compress " + entry.source.string());
        deflater.finish();
    }

    const std::vector<ZipWriterEntry>& m_entries;
    const std::vector<Job>& m_jobs;
    const int m_level;

    std::mutex m_mutex;
    std::condition_variable m_workCv;
    std::condition_variable m_doneCv;
    std::condition_variable m_modeCv;
    std::vector<Mode> m_modes;
    std::vector<Slot> m_slots;
    std::size_t m_next = 0;
    std::size_t m_consumed = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

struct EntryRecord {
    std::uint16_t flags = 0;
    std::uint16_t method = kMethodStore;
    DosTime time;
    std::uint32_t crc = 0;
    std::uint64_t compressedSize = 0;
    std::uint64_t size = 0;
    std::uint64_t offset = 0;
    bool zip64Local = false;
};

std::vector<std::uint8_t> localHeader(const ZipWriterEntry& entry, const EntryRecord& record)
{
    std::vector<std::uint8_t> out;
    out.reserve(kLocalHeaderSize + entry.name.size() + 20);
    put32(out, kLocalSignature);
    put16(out, record.zip64Local ? 45 : record.method == kMethodDeflate ? 20 : 10);
    put16(out, record.flags);
    put16(out, record.method);
    put16(out, record.time.time);
    put16(out, record.time.date);
    put32(out, record.crc);
    put32(out, record.zip64Local ? kMax32 : static_cast<std::uint32_t>(record.compressedSize));
    put32(out, record.zip64Local ? kMax32 : static_cast<std::uint32_t>(record.size));
    put16(out, static_cast<std::uint16_t>(entry.name.size()));
    put16(out, record.zip64Local ? 20 : 0);
    putBytes(out, entry.name);
    if (record.zip64Local) {
        put16(out, kZip64ExtraId);
        put16(out, 16);
        put64(out, record.size);
        put64(out, record.compressedSize);
    }
    return out;
}

void appendCentralRecord(std::vector<std::uint8_t>& out, const ZipWriterEntry& entry, const EntryRecord& record,
                         bool forceZip64)
{
    const bool bigSize = forceZip64 || record.size >= kMax32;
    const bool bigCompressed = forceZip64 || record.compressedSize >= kMax32;
    const bool bigOffset = forceZip64 || record.offset >= kMax32;
    const std::uint16_t extraSize = static_cast<std::uint16_t>((bigSize + bigCompressed + bigOffset) * 8);
    const bool zip64 = extraSize > 0 || record.zip64Local;

    put32(out, kCentralSignature);
    put16(out, kMadeByUnix | 45);
    put16(out, zip64 ? 45 : record.method == kMethodDeflate ? 20 : 10);
    put16(out, record.flags);
    put16(out, record.method);
    put16(out, record.time.time);
    put16(out, record.time.date);
    put32(out, record.crc);
    put32(out, bigCompressed ? kMax32 : static_cast<std::uint32_t>(record.compressedSize));
    put32(out, bigSize ? kMax32 : static_cast<std::uint32_t>(record.size));
    put16(out, static_cast<std::uint16_t>(entry.name.size()));
    put16(out, extraSize == 0 ? 0 : static_cast<std::uint16_t>(extraSize + 4));
    put16(out, 0); // comment
    put16(out, 0); // disk
    put16(out, 0); // internal attributes
    put32(out, static_cast<std::uint32_t>(S_IFREG | (entry.mode & 07777)) << 16);
    put32(out, bigOffset ? kMax32 : static_cast<std::uint32_t>(record.offset));
    putBytes(out, entry.name);
    if (extraSize > 0) {
        put16(out, kZip64ExtraId);
        put16(out, extraSize);
        if (bigSize)
            put64(out, record.size);
        if (bigCompressed)
            put64(out, record.compressedSize);
        if (bigOffset)
            put64(out, record.offset);
    }
}

std::vector<std::uint8_t> endRecords(std::uint64_t count, std::uint64_t directoryOffset, std::uint64_t directorySize,
                                     bool forceZip64)
{
    std::vector<std::uint8_t> out;
    const bool zip64 = forceZip64 || count >= kMax16 || directoryOffset >= kMax32 || directorySize >= kMax32;
    if (zip64) {
        const std::uint64_t recordOffset = directoryOffset + directorySize;
        put32(out, kEnd64Signature);
        put64(out, 44);
        put16(out, kMadeByUnix | 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, count);
        put64(out, count);
        put64(out, directorySize);
        put64(out, directoryOffset);
        put32(out, kEnd64LocatorSignature);
        put32(out, 0);
        put64(out, recordOffset);
        put32(out, 1);
    }
    put32(out, kEndSignature);
    put16(out, 0);
    put16(out, 0);
    const std::uint16_t count16 = zip64 ? kMax16 : static_cast<std::uint16_t>(count);
    put16(out, count16);
    put16(out, count16);
    put32(out, zip64 ? kMax32 : static_cast<std::uint32_t>(directorySize));
    put32(out, zip64 ? kMax32 : static_cast<std::uint32_t>(directoryOffset));
    put16(out, 0);
    return out;
}

} // namespace

void ZipWriter::SetCompressionLevel(int level)
{
    m_level = std::clamp(level, 1, 9);
}

bool ZipWriter::Write(const fs::path& archive, const std::vector<ZipWriterEntry>& entries)
{
    m_status = Status::Ok();
    const auto fail = [this](std::string text) {
        m_status = Status::Failure(std::move(text));
        return false;
    };
    const auto cancel = [this] {
        m_status = Status::Cancelled();
        return false;
    };
    if (archive.empty())
        return fail("no archive name");

    std::unordered_set<std::string_view> names;
    std::vector<Job> jobs;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ZipWriterEntry& entry = entries[i];
        if (entry.name.empty() || entry.name.size() > kMax16)
            return fail("cannot store " + entry.source.string() + " under the name \"" + entry.name + "\"");
        if (!names.insert(entry.name).second)
            return fail("two files would be stored as " + entry.name);
        std::uint64_t offset = 0;
        do {
            const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkSize, entry.size - offset));
            jobs.push_back({i, offset, length, offset == 0, offset + length == entry.size});
            offset += length;
        } while (offset < entry.size);
    }

    platform::AtomicFileWriter file(archive, {.mode = 0666, .followTargetLink = true, .durable = m_durable});
    if (!file.ok()) {
        m_status = file.status();
        return false;
    }
    ArchiveOutput output(file.descriptor());
    const auto writeFailed = [&] {
        m_status = Status::SystemFailure("cannot write " + archive.string(), errno);
        return false;
    };

    unsigned threads = m_threads != 0 ? m_threads : std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::clamp<std::size_t>(jobs.size(), 1, threads));
    Pipeline pipeline(entries, jobs, m_level, threads);

    std::vector<std::uint8_t> directory;
    std::uint64_t filesDone = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t reportedBytes = 0;
    const auto report = [&] {
        reportedBytes = bytesDone;
        return !m_progress || m_progress(filesDone, bytesDone);
    };

    std::size_t jobIndex = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ZipWriterEntry& entry = entries[i];
        EntryRecord record;
        record.flags = nameFlags(entry.name);
        record.time = dosTime(entry.mtime);
        record.size = entry.size;
        record.offset = output.position();
        record.zip64Local = m_forceZip64 || entry.size >= kZip64LocalThreshold;
        bool single = false;
        for (bool more = true; more; ++jobIndex) {
            const Job& job = jobs[jobIndex];
            const Slot& slot = pipeline.wait(jobIndex);
            if (!slot.error.empty())
                return fail(slot.error);
            const std::span<const std::uint8_t> data = slot.data();
            if (job.first) {
                if (pipeline.mode(i) == Mode::Deflate) {
                    record.method = kMethodDeflate;
                    record.flags |= levelFlags(m_level);
                }
                single = job.last;
                if (single) {
                    record.crc = slot.crc;
                    record.compressedSize = data.size();
                }
                if (!output.append(localHeader(entry, record)))
                    return writeFailed();
            }
            if (!output.append(data))
                return writeFailed();
            if (!single) {
                record.crc = job.first ? slot.crc : static_cast<std::uint32_t>(crc32_combine(record.crc, slot.crc, static_cast<z_off_t>(job.length)));
                record.compressedSize += data.size();
            }
            more = !job.last;
            bytesDone += job.length;
            pipeline.release(jobIndex);
            if (more && bytesDone - reportedBytes >= kReportStep && !report())
                return cancel();
        }
        if (!record.zip64Local && record.compressedSize >= kMax32)
            return fail(entry.source.string() + " is too large to be stored");
        if (!single && !output.rewrite(record.offset, localHeader(entry, record)))
            return writeFailed();
        appendCentralRecord(directory, entry, record, m_forceZip64);
        ++filesDone;
        if (!report())
            return cancel();
    }

    const std::uint64_t directoryOffset = output.position();
    if (!output.append(directory) ||
        !output.append(endRecords(entries.size(), directoryOffset, directory.size(), m_forceZip64)) || !output.flush())
        return writeFailed();
    m_status = file.Commit();
    return m_status.ok();
}

} // namespace pellora
