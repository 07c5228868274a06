#pragma once

// Zip archives of the package and the string tables: creation from files and folders, safe extraction.

#include "core/platform/Status.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace pellora {

class ZipReader;

// Where a create run stands; handed to the progress callback.
struct ZipProgress {
    std::uint64_t filesDone = 0;
    std::uint64_t filesTotal = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};

// Returns false to cancel the run.
using ZipProgressCallback = std::function<bool(const ZipProgress&)>;

// A file of an archive read into memory.
struct ZipMemoryFile {
    std::string name; // the folder and file names with "/" between them
    std::string bytes;
};

class CZipArchive {
public:
    static constexpr std::uint64_t kDefaultSizeLimit = std::uint64_t{4} << 30;
    static constexpr std::uint64_t kDefaultEntryLimit = 100000;
    // All entries together may declare this many bytes per byte of the archive, and kRatioAllowance more.
    static constexpr std::uint64_t kDefaultRatioLimit = 100;
    static constexpr std::uint64_t kRatioAllowance = std::uint64_t{1} << 20;

    void SetArchiveName(const std::filesystem::path& name) { m_archiveName = name; }
    // Extraction reads the archive from these bytes of the file (a package holds its archive behind the
    // stub); by default the whole file.
    void SetArchiveRange(std::uint64_t offset, std::uint64_t length)
    {
        m_archiveOffset = offset;
        m_archiveLength = static_cast<std::int64_t>(length);
    }
    const std::filesystem::path& GetArchiveName() const { return m_archiveName; }
    void SetExtractionFolder(const std::filesystem::path& folder) { m_extractionFolder = folder; }
    const std::filesystem::path& GetExtractionFolder() const { return m_extractionFolder; }

    // Appends each path unless the list already holds it, compared without regard to case.
    void AddFiles(const std::vector<std::filesystem::path>& files);
    void AddFile(const std::filesystem::path& file);
    const std::vector<std::filesystem::path>& GetFiles() const { return m_files; }
    void ClearFiles();

    // Extraction refuses archives whose entries declare more bytes than this together.
    void SetSizeLimit(std::uint64_t bytes) { m_sizeLimit = bytes; }
    // Extraction refuses archives with more entries than this.
    void SetEntryLimit(std::uint64_t entries) { m_entryLimit = entries; }
    // Extraction refuses archives whose entries declare more than this many bytes per byte of the archive
    // (beyond kRatioAllowance); 0 for no such limit.
    void SetRatioLimit(std::uint64_t ratio) { m_ratioLimit = ratio; }
    // Deflate level 1 (fastest) to 9 (smallest); the library's own default would be 9, which costs several
    // times the time of 6 for a gain of about one percent.
    void SetCompressionLevel(int level) { m_compressionLevel = level < 1 ? 1 : level > 9 ? 9 : level; }
    // Called while Create reads the files.
    void SetProgressCallback(ZipProgressCallback callback) { m_progress = std::move(callback); }

    // Writes the archive from the file list: files at the root under their bare names, each folder under
    // its own name with every file below it. The archive appears only when it is complete.
    bool Create();
    // Extracts every entry into the extraction folder, recreating folders and replacing files. The archive
    // is checked as a whole before anything is written (ZipReader): one that names a place outside the
    // folder, holds a link, is encrypted, is larger than the limits, or whose entries overlap or disagree
    // with their local headers is refused. A link already in the folder is never followed: a file link is
    // replaced, a folder link refuses the archive. A failure that only shows while the data is read
    // (data beyond or short of the declared size, a wrong checksum, disk full) undoes the extraction: the
    // files and folders it made are removed and the files it replaced are put back.
    bool Extract();
    // Reads every file of the archive into memory, with the checks of Extract; folders are left out.
    bool ExtractInMemory(std::vector<ZipMemoryFile>& files);

    // Create syncs the archive before it takes its name (the default); one in a temporary folder that dies
    // with the operation need not be.
    void SetDurable(bool durable) { m_durable = durable; }

    // How the last Create or Extract ended.
    const Status& status() const { return m_status; }
    // Whether the last Extract failed on the extraction folder (a folder or file that cannot be made or
    // written there, a folder link) rather than on the archive.
    bool TargetFailed() const { return m_targetFailed; }

    // Whether the file name's extension marks content that is already compressed.
    static bool IsCompressedFileName(std::string_view name);
    // The longest folder or file name a file system takes.
    static constexpr std::size_t kMaxNamePart = 255;
    // Splits an entry name at "/" and "\" into the folder and file names to create, dropping empty and "."
    // parts; false (with the reason) for names that are empty, absolute, hold ":", climb with ".." or have
    // a part longer than kMaxNamePart.
    static bool SplitEntryName(std::string_view name, std::vector<std::string>& parts, std::string& reason);

private:
    bool fail(std::string text);
    bool openReader(ZipReader& reader);

    std::filesystem::path m_archiveName;
    std::uint64_t m_archiveOffset = 0;
    std::int64_t m_archiveLength = -1; // -1: to the end of the file
    std::filesystem::path m_extractionFolder;
    std::vector<std::filesystem::path> m_files;
    std::unordered_set<std::string> m_foldedFiles; // m_files without regard to case
    std::uint64_t m_sizeLimit = kDefaultSizeLimit;
    std::uint64_t m_entryLimit = kDefaultEntryLimit;
    std::uint64_t m_ratioLimit = kDefaultRatioLimit;
    int m_compressionLevel = 6;
    ZipProgressCallback m_progress;
    bool m_durable = true;
    bool m_targetFailed = false;
    Status m_status;
};

} // namespace pellora
