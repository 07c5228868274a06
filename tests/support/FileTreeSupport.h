#pragma once

// File and folder helpers for package tests: bytes in and out, generated content, tree snapshots, Info-ZIP checks.

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pellora::test {

std::string ReadFileBytes(const std::filesystem::path& path);
// Creates the parent folders; throws when the file cannot be written.
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// Bytes that do not compress.
std::string RandomBytes(std::size_t size, unsigned seed);
// Text lines in the manner of a driver's INF file, which compress well.
std::string TextLines(std::size_t size, unsigned seed);

// Every regular file below folder by its path relative to folder ("/" between parts), with its bytes.
std::map<std::string, std::string> SnapshotTree(const std::filesystem::path& folder);
// The names directly in folder, sorted.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

inline constexpr const char* kUnzipProgram = "/usr/bin/unzip";
// Runs a program with arguments, its output discarded; returns its exit code, or -1 when it did not run
// or end normally.
int RunProgram(const std::vector<std::string>& arguments);

} // namespace pellora::test
