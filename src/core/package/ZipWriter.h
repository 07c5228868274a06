#pragma once

// Writes a Zip archive from files, deflating pieces of them on several threads while the archive is written in order.

#include "core/platform/Status.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace pellora {

// One file to store in the archive.
struct ZipWriterEntry {
    std::filesystem::path source;
    std::string name;        // name in the archive, "/" between folders
    std::uint64_t size = 0;  // the file's size when listed; a file that became shorter fails the write
    std::uint32_t mode = 0644; // Unix permission bits recorded for the entry
    std::int64_t mtime = 0;  // seconds since the epoch
    bool store = false;      // known to be compressed already: stored without a trial
};

// Called on the writing thread after each file and every few MiB; returns false to cancel.
using ZipWriterProgress = std::function<bool(std::uint64_t filesDone, std::uint64_t bytesDone)>;

class ZipWriter {
public:
    // Files are read and compressed in pieces of this size, each on its own thread, with the end of the
    // piece before as the dictionary, so that the pieces join into one deflate stream.
    static constexpr std::size_t kChunkSize = 1024 * 1024;
    // A file whose first bytes of this length do not shrink by at least kTrialSavingPercent is stored.
    static constexpr std::size_t kTrialSize = 64 * 1024;
    static constexpr unsigned kTrialSavingPercent = 3;

    // Deflate level 1 to 9 (default 6).
    void SetCompressionLevel(int level);
    // Number of compressing threads; 0 (the default) uses one per processor.
    void SetThreadCount(unsigned threads) { m_threads = threads; }
    void SetProgressCallback(ZipWriterProgress callback) { m_progress = std::move(callback); }
    // Writes the Zip64 records for every entry and the end of the archive, as archives beyond 4 GiB or
    // 65,535 entries need them; for tests of that form.
    void SetForceZip64(bool force) { m_forceZip64 = force; }

    // Writes the entries in list order into a file beside archive and renames it over archive only when
    // it is complete; on failure or cancellation nothing is left and an older archive stays as it was.
    bool Write(const std::filesystem::path& archive, const std::vector<ZipWriterEntry>& entries);

    // The file is synced before it replaces the archive (the default); an archive in a temporary folder
    // that dies with the operation need not be.
    void SetDurable(bool durable) { m_durable = durable; }

    // How the last write ended.
    const Status& status() const { return m_status; }

private:
    int m_level = 6;
    unsigned m_threads = 0;
    bool m_forceZip64 = false;
    ZipWriterProgress m_progress;
    bool m_durable = true;
    Status m_status;
};

} // namespace pellora
