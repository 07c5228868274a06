#pragma once

// Saves a file so that its name holds either the old file or the whole new one: the new content goes
// into a uniquely named file beside the target, which is synced and then renamed over the target.

#include "core/platform/FileDescriptor.h"
#include "core/platform/Status.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace pellora::platform {

class AtomicFileWriter {
public:
    struct Options {
        // Permission bits of a new file, before the file-creation mask; a replaced file keeps its own.
        mode_t mode = 0666;
        // A target that is a symbolic link: written through to the file it names, the link staying a
        // link (true), or the link itself replaced by the file (false; extraction never follows links).
        bool followTargetLink = true;
        // Sync the file and the folder (false for files in a folder that dies with the operation).
        bool durable = true;
        // Commit keeps what it replaces under a temporary name of its own (replacedName()), for callers
        // that may have to undo the save; they remove it or rename it back.
        bool keepReplaced = false;
    };

    explicit AtomicFileWriter(const std::filesystem::path& target);
    AtomicFileWriter(const std::filesystem::path& target, Options options);
    // A file name (one component) inside a folder the caller holds open.
    AtomicFileWriter(int folder, std::string name, Options options);
    // Removes the temporary file unless Commit succeeded.
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // The first failure so far; ok while the writer can go on.
    const Status& status() const { return m_status; }
    bool ok() const { return m_status.ok(); }
    // The temporary file, open for writing (for writers that seek or write in place).
    int descriptor() const { return m_file.get(); }
    // Where the content goes: the given target, or the file its link names.
    const std::filesystem::path& target() const { return m_target; }
    // With keepReplaced, the name beside the target under which Commit kept what it replaced; empty when
    // nothing stood at the target.
    const std::string& replacedName() const { return m_replaced; }

    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
    // Reads the temporary file back from its start, for callers that verify before they commit.
    bool ReadBack(std::string& bytes) const;
    // Syncs, renames over the target and syncs the folder. The temporary file is gone afterwards either way.
    Status Commit();
    // Records a failure of the caller's own: Commit then refuses and the target stays as it was.
    void Fail(Status status);

    // The temporary name for a target name and a process: "." + name + "." + pid + "-" + serial + ".part"
    // (long names shortened). Leftovers of processes that no longer run are removed when the same target is
    // saved again.
    static std::string TemporaryName(std::string_view targetName, long pid, unsigned long serial);
    // The process that wrote a temporary file of targetName, or 0 when candidate is no such name.
    static long TemporaryNameOwner(std::string_view candidate, std::string_view targetName);

private:
    void open(int folder, std::string name, bool ownFolder);
    void removeLeftovers();
    bool keepReplaced();
    void discard();

    Options m_options;
    std::filesystem::path m_target;
    FileDescriptor m_ownFolder;
    int m_folder = -1;
    std::string m_name;
    std::string m_temporary;
    std::string m_replaced;
    FileDescriptor m_file;
    Status m_status;
    bool m_committed = false;
};

// Writes bytes as the whole content of target through AtomicFileWriter.
Status SaveFileContents(const std::filesystem::path& target, std::string_view bytes,
                        AtomicFileWriter::Options options = {});

} // namespace pellora::platform
