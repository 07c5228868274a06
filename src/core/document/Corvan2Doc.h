#pragma once

// The project document: one install script with its printers, the document's title, path and modified
// flag, opening and saving (a package when the name ends in ".exe"), and the update notice to its views.

#include "core/document/BuildEnvironment.h"
#include "core/document/DocumentResult.h"
#include "core/document/PrinterList.h"
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

// Items of the string-table section "ETC" that the document uses.
inline constexpr std::string_view kEtcSection = "ETC";
inline constexpr int kEtcNewDocumentTitle = 1;
inline constexpr int kEtcNewPrinterName = 2;
inline constexpr int kEtcProductName = 12;

// Longest printer name a document stores, in bytes.
inline constexpr std::size_t kMaxPrinterNameBytes = 31;

// The running number that follows the title of a new document, from 1.
class DocumentNumbering {
public:
    int Next() { return ++m_last; }

private:
    std::atomic<int> m_last{0};
};

// The numbering of the process's new documents.
DocumentNumbering& TheDocumentNumbering();

class CCorvan2Doc final : public PrinterList {
public:
    // Everything the document reads from the program comes from environment (the model list, plugins
    // and runtime files of its folder, the stub); texts come from table.
    explicit CCorvan2Doc(BuildEnvironment environment);
    CCorvan2Doc(BuildEnvironment environment, const StringTable& table);

    // An empty project named with item 1 of "ETC" followed by the next running number.
    bool OnNewDocument(DocumentNumbering& numbering = TheDocumentNumbering());
    // Reads a script or project, or the project inside a package (".exe" in any letter case). On
    // success the path becomes the document's path and its file name the title; on failure the document
    // is exactly as it was. Refused at once in view mode.
    DocumentResult OpenDocument(const std::filesystem::path& path);
    // Builds a package when the name ends in ".exe" (any letter case); the document keeps its own title,
    // path and modified flag (its own file was not written), and the caller enters path in the
    // recently-used list. Otherwise writes the script there, the path becomes the document's and the
    // document is no longer modified. A failure leaves the file at path as it was, and the title, path
    // and modified flag too. Refused at once in view mode.
    DocumentResult SaveDocument(const std::filesystem::path& path);
    // Whether saving to path builds a package: the name ends in ".exe" in any letter case.
    static bool IsPackagePath(const std::filesystem::path& path);

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
    int RemovePrinter(const CPrinterInfoEx* record) { return RemoveRecord(record) ? 1 : 0; }

    // The pre-build check of every printer, with the driver check of the program folder.
    ValidationResult Validate() const;

    CScriptFile& GetScript() { return m_script; }
    const CScriptFile& GetScript() const { return m_script; }
    // A copy of the script as a save writes it: the product name of the string table in place.
    CScriptFile ScriptToSave() const;

    const BuildEnvironment& Environment() const { return m_environment; }
    // Watches the progress of the package builds of SaveDocument (the callback runs on the building thread).
    void SetBuildProgress(BuildProgressCallback progress) { m_environment.progress = std::move(progress); }

    // A printer name as the document stores it: without "!", "," and "\", at most 31 bytes, never
    // ending inside a UTF-8 sequence.
    static std::string CleanPrinterName(std::string_view name);

    // PrinterList
    bool IsEditable() const override { return true; }
    const std::filesystem::path& ProgramFolder() const override { return m_environment.programFolder; }

protected:
    Records& Storage() override { return m_script.printers; }
    const Records& Storage() const override { return m_script.printers; }
    // A printer joins with a clean name; one marked as default printer takes the mark from the others.
    void Admit(CPrinterInfoEx& record) override;
    void Changed() override { SetModifiedFlag(true); }

private:
    DocumentResult readScript(const std::filesystem::path& path, const std::filesystem::path& readPath,
                              bool temporary);
    DocumentResult writeScript(const std::filesystem::path& path);

    const StringTable& m_table;
    BuildEnvironment m_environment;
    CScriptFile m_script;
    std::string m_title;
    std::filesystem::path m_pathName;
    bool m_modified = false;
};

} // namespace pellora
