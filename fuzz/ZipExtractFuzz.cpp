// Fuzz target: extraction of an arbitrary archive, which must never write outside its target folder.

#include "FuzzSandbox.h"
#include "core/package/ZipArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// sandbox/archive.zip is extracted into sandbox/target; the sandbox must hold nothing else afterwards.
const fs::path& sandbox()
{
    static const pellora::fuzz::FuzzSandbox folder("pellora-zipfuzz");
    return folder.path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path archive = sandbox() / "archive.zip";
    const fs::path target = sandbox() / "target";
    pellora::fuzz::WriteInput(archive, data, size);

    pellora::CZipArchive zip;
    zip.SetArchiveName(archive);
    zip.SetExtractionFolder(target);
    zip.SetSizeLimit(16u * 1024 * 1024);
    zip.SetEntryLimit(1000);
    zip.Extract();

    for (const auto& entry : fs::directory_iterator(sandbox())) {
        const std::string name = entry.path().filename().string();
        if (name != "archive.zip" && name != "target") {
            std::fprintf(stderr, "written outside the target: %s\n", name.c_str());
            std::abort();
        }
    }
    std::error_code ec;
    for (fs::recursive_directory_iterator it(target, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_symlink()) {
            std::fprintf(stderr, "link made inside the target: %s\n", it->path().c_str());
            std::abort();
        }
    }
    fs::remove_all(target, ec);
    return 0;
}
