#pragma once

// The package file: the stub, a header listing the top-level entries and the command string, and a Zip archive.

#include "core/package/ZipArchive.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

namespace pellora {

class CPackageFile {
public:
    // The header follows the stub and its padding at this offset.
    static constexpr std::uint32_t kHeaderOffset = 512000;
    // A padded package holds nothing but padding bytes in this window, which lies behind every stub.
    static constexpr std::uint32_t kProbeOffset = 491520;
    static constexpr std::uint32_t kProbeLength = 20480;
    static constexpr std::uint8_t kPaddingByte = 0x61;
    // The older layout ends with the version and the stub size.
    static constexpr std::uint32_t kTrailerLength = 12;
    static constexpr std::size_t kCopyBlockSize = 65536;
    // Limits on what a header may declare; the writer never comes near them.
    static constexpr std::uint32_t kMaxEntries = 100000;
    static constexpr std::size_t kMaxNameLength = 4096;
    static constexpr std::size_t kMaxCommandLength = 65536;

    // The bytes that head the package; they must stay valid until Write returns.
    void SetStub(std::span<const std::uint8_t> stub) { m_stub = stub; }
    void SetCommandString(std::string command) { m_command = std::move(command); }
    const std::string& GetCommandString() const { return m_command; }
    // Writing: the full paths to pack, files and folders. Reading: extraction folder / each stored name.
    void SetEntries(std::vector<std::filesystem::path> entries) { m_entries = std::move(entries); }
    void AddEntry(const std::filesystem::path& entry) { m_entries.push_back(entry); }
    const std::vector<std::filesystem::path>& GetEntries() const { return m_entries; }
    void SetExtractionFolder(const std::filesystem::path& folder) { m_extractionFolder = folder; }
    const std::filesystem::path& GetExtractionFolder() const { return m_extractionFolder; }
    // The stub size read back by Load.
    std::uint32_t GetStubSize() const { return m_stubSize; }
    // Whether Load found the padded layout (else the older trailer layout).
    bool IsPaddedLayout() const { return m_padded; }

    // Called while the archive is made and copied into the package; returns false to cancel. Copying the
    // archive counts as many bytes as the files it holds, so bytesTotal is twice their size.
    void SetProgressCallback(ZipProgressCallback callback) { m_progress = std::move(callback); }

    // Writes the package from the stream's current position. False when the stub is empty or 512,000 bytes
    // or more, the archive cannot be made, is too large for the header's 32-bit length, or the stream fails;
    // an exception raised by the stream is passed on.
    bool Write(std::ostream& out);

    // Reads the package at path and extracts its archive into extractionFolder. True when the package was
    // read and extracted and lists at least one entry. Anything but a regular file, a header that claims
    // more than the file holds, names that are not plain names or a damaged archive give false; nothing is
    // written before the whole header has been read and the archive checked, nothing ever outside
    // extractionFolder, and a failed extraction leaves the folder as it was (CZipArchive::Extract).
    bool Load(const std::filesystem::path& path, const std::filesystem::path& extractionFolder);

    // How the last Write or Load ended.
    const Status& status() const { return m_status; }
    // Whether the last Load failed on the extraction folder rather than on the package.
    bool TargetFailed() const { return m_targetFailed; }

private:
    bool fail(std::string text);
    bool cancel();
    bool readPackage(std::istream& in, std::uint64_t fileSize, const std::filesystem::path& path);

    std::span<const std::uint8_t> m_stub;
    std::string m_command;
    std::vector<std::filesystem::path> m_entries;
    std::filesystem::path m_extractionFolder;
    std::uint32_t m_stubSize = 0;
    bool m_padded = false;
    bool m_targetFailed = false;
    ZipProgressCallback m_progress;
    Status m_status;
};

} // namespace pellora
