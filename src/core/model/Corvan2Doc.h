#pragma once

// The project document: one install script with its printers, the document's title, path and modified
// flag, opening and saving (a package when the name ends in ".exe"), and the update notice to its views.

#include "core/package/PackageBuilder.h"
#include "core/script/ScriptFile.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellora {

class StringTable;

// Message numbers that opening and saving a document report.
inline constexpr int kMessageCannotOpenFile = 5;
inline constexpr int kMessageCannotSave = 6;

// Items of the string-table section "ETC" that the document uses.
inline constexpr std::string_view kEtcSection = "ETC";
inline constexpr int kEtcNewDocumentTitle = 1;
inline constexpr int kEtcNewPrinterName = 2;
inline constexpr int kEtcProductName = 12;

// Longest printer name a document stores, in bytes.
inline constexpr std::size_t kMaxPrinterNameBytes = 31;

// What an open or a save came to. The window that started the operation shows the message:
// with ShowFileMessage(message, file) when fileMessage is set, else with ShowMessage(message).
struct DocumentResult {
    bool ok = false;
    int message = 0;           // 0: nothing to show (success, or refused in view mode)
    bool fileMessage = false;
    std::filesystem::path file; // the file the message names
    std::string detail;        // what went wrong, in words, for logs and the command-line tool

    static DocumentResult Success() { return {true, 0, false, {}, {}}; }
    static DocumentResult Refused() { return {}; }
    static DocumentResult FileFailure(int number, std::filesystem::path path, std::string why)
    {
        return {false, number, true, std::move(path), std::move(why)};
    }
    static DocumentResult Failure(int number, std::string why) { return {false, number, false, {}, std::move(why)}; }
};

// What a package build takes from the program: its folder (runtime files, subfolders, driver check),
// the runtime file names, the stub that heads the package, and who watches the progress.
struct BuildEnvironment {
    std::filesystem::path programFolder;
    std::vector<std::string> runtimeFiles;
    std::span<const std::uint8_t> stub;
    BuildProgressCallback progress;

    // The program's own: GetModuleFolder(), the runtime files present there, PackageStubResource().
    static BuildEnvironment FromProgramFolder();
};

// The running number that follows the title of a new document, from 1.
class DocumentNumbering {
public:
    int Next() { return ++m_last; }

private:
    std::atomic<int> m_last{0};
};

// The numbering of the process's new documents.
DocumentNumbering& TheDocumentNumbering();

class CCorvan2Doc {
public:
    using ObserverId = std::size_t;
    // Called with the hint of UpdateAllViews.
    using UpdateHandler = std::function<void(long hint)>;
    static constexpr ObserverId kNoObserver = 0;

    // Texts come from table (by default the process-wide one).
    CCorvan2Doc();
    explicit CCorvan2Doc(const StringTable& table);
    CCorvan2Doc(const CCorvan2Doc&) = delete;
    CCorvan2Doc& operator=(const CCorvan2Doc&) = delete;

    // An empty project named with item 1 of "ETC" followed by the next running number.
    bool OnNewDocument(DocumentNumbering& numbering = TheDocumentNumbering());
    // Reads a script or project, or the project inside a package (".exe" in any letter case). On
    // success the path becomes the document's path and its file name the title; on failure the document
    // is exactly as it was. Refused at once in view mode.
    DocumentResult OpenDocument(const std::filesystem::path& path);
    // Builds a package when the name ends in ".exe" (any letter case); the document keeps its own title
    // and path, and the caller enters path in the recently-used list. Otherwise writes the script there,
    // and the path becomes the document's. A failure leaves the file at path as it was, and the title,
    // path and modified flag too. Refused at once in view mode.
    DocumentResult SaveDocument(const std::filesystem::path& path);

    const std::string& GetTitle() const { return m_title; }
    void SetTitle(std::string title) { m_title = std::move(title); }
    const std::filesystem::path& GetPathName() const { return m_pathName; }
    // Sets the path and makes its file name the title.
    void SetPathName(const std::filesystem::path& path);

    bool IsModified() const { return m_modified; }
    // Ignored in view mode: the document is never marked modified there.
    void SetModifiedFlag(bool modified = true);

    // Appends record (a new printer named with item 2 of "ETC" when record is null) and marks the
    // document modified; returns the record now owned by the document. Returns null, leaving record
    // with the caller, when the printer count has reached the maximum.
    CPrinterInfoEx* AddPrinter(std::unique_ptr<CPrinterInfoEx>& record);
    CPrinterInfoEx* AddPrinter();
    // Deletes the record if the document holds it; 1 when it did, else 0.
    int RemovePrinter(const CPrinterInfoEx* record);
    // Most printers the view's list admits; 0 for no limit.
    void SetMaxPrinterCount(std::size_t count) { m_maxPrinters = count; }
    std::size_t GetMaxPrinterCount() const { return m_maxPrinters; }

    // The pre-build check of every printer, with the driver check of the build environment's folder.
    ValidationResult Validate() const;

    CScriptFile& GetScript() { return m_script; }
    const CScriptFile& GetScript() const { return m_script; }

    // Replaces the program's own build environment (tests, the command-line tool).
    void SetBuildEnvironment(BuildEnvironment environment) { m_buildEnvironment = std::move(environment); }

    // Views register to hear that the document changed; sender's own handler is not called.
    ObserverId AddObserver(UpdateHandler handler);
    void RemoveObserver(ObserverId id);
    void UpdateAllViews(ObserverId sender = kNoObserver, long hint = 0);

    // A printer name as the document stores it: without "!", "," and "\", at most 31 bytes, never
    // ending inside a UTF-8 sequence.
    static std::string CleanPrinterName(std::string_view name);

private:
    BuildEnvironment buildEnvironment() const;
    std::filesystem::path programFolder() const;
    DocumentResult readScript(const std::filesystem::path& path, const std::filesystem::path& readPath,
                              bool temporary);
    DocumentResult buildPackage(const std::filesystem::path& path);
    DocumentResult writeScript(const std::filesystem::path& path);

    const StringTable& m_table;
    CScriptFile m_script;
    std::string m_title;
    std::filesystem::path m_pathName;
    std::atomic<bool> m_modified{false}; // read by the windows while a package build runs on a worker
    std::size_t m_maxPrinters = 0;
    std::optional<BuildEnvironment> m_buildEnvironment;
    std::vector<std::pair<ObserverId, UpdateHandler>> m_observers;
    ObserverId m_lastObserver = kNoObserver;
};

} // namespace pellora
