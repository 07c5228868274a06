#pragma once

// Small shared routines: where the program lives, temporary places, folder trees, own version strings.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pellora {

// Folder of the running program file (cached for the process). Only the programs' entry points ask for
// it; everything else is handed the folder it works in.
std::filesystem::path GetModuleFolder();
// Full path of the program file; with full == false only its file name.
std::filesystem::path GetModulePath(bool full = true);

// TMPDIR, else /tmp; created when missing. Cached.
std::filesystem::path GetTempBase();
// GetTempBase() / ("_" + at most seven characters of the internal name); created. Cached.
std::filesystem::path GetWorkFolder();
// "_" + at most seven characters of internalName (a shorter name is used whole; UTF-8 never split).
std::string WorkFolderName(std::string_view internalName);
// base / WorkFolderName(internalName), created private to the user; empty when it cannot be made or
// when that name is taken by something that is not the user's own folder (a link, a file, another owner).
std::filesystem::path PrepareWorkFolder(const std::filesystem::path& base, std::string_view internalName);
// A free name "KOVA%04X.dat" in this run's folder of the work folder (GetRunFolder); the file is not
// created. Empty when no free name is found.
std::filesystem::path MakeTempFileName();
// A new, empty folder "KOVA%04X" in this run's folder of the work folder; empty path on failure.
std::filesystem::path MakeTempFolder();

// Copies every entry of source into target (created when missing), replacing files; false at the first failure.
bool CopyFolderTree(const std::filesystem::path& source, const std::filesystem::path& target);
// Deletes the folder and everything below it at any depth, read-only files included; a link is removed
// itself, never followed. Failures are ignored.
void DeleteFolderTree(const std::filesystem::path& folder);
// Bare names of the subfolders of folder, in file-system order; returns their count.
std::size_t ListSubfolders(const std::filesystem::path& folder, std::vector<std::string>& names);

// "InternalName" and "ProductName" of the program's own version strings.
std::string GetOwnInternalName();
std::string GetOwnProductName();

// The driver-loading right; always granted on this platform.
bool HasLoadDriverPrivilege();

// The part of a path text after its last "\" or "/"; the whole text when it holds neither.
std::string_view LastPathComponent(std::string_view path);

// A temporary folder from MakeTempFolder that is deleted with everything in it when this goes.
class ScopedTempFolder {
public:
    ScopedTempFolder();
    ~ScopedTempFolder();
    ScopedTempFolder(const ScopedTempFolder&) = delete;
    ScopedTempFolder& operator=(const ScopedTempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    bool valid() const { return !m_path.empty(); }

private:
    std::filesystem::path m_path;
};

// A temporary file name from MakeTempFileName whose file is removed when this goes.
class ScopedTempFile {
public:
    ScopedTempFile();
    explicit ScopedTempFile(std::filesystem::path path);
    ~ScopedTempFile();
    ScopedTempFile(const ScopedTempFile&) = delete;
    ScopedTempFile& operator=(const ScopedTempFile&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // Keeps the file: it is no longer removed.
    void release() { m_path.clear(); }

private:
    std::filesystem::path m_path;
};

} // namespace pellora
