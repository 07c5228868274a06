// Fuzz target: extraction of an arbitrary archive, which must never write outside its target folder.

#include "core/package/ZipArchive.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// sandbox/archive.zip is extracted into sandbox/target; the sandbox must hold nothing else afterwards.
class Sandbox {
public:
    Sandbox()
    {
        std::string pattern = (fs::temp_directory_path() / "pellora-zipfuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~Sandbox()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

const fs::path& sandbox()
{
    static const Sandbox folder;
    return folder.path();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path archive = sandbox() / "archive.zip";
    const fs::path target = sandbox() / "target";
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

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
