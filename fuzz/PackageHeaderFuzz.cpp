// Fuzz target: reading an arbitrary package, which must fail cleanly and never write outside its target folder.

#include "FuzzSandbox.h"
#include "core/package/PackageFile.h"
#include "core/util/Support.h"

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

// sandbox/package.exe is read into sandbox/target, with the temporary folder at sandbox/tmp.
const fs::path& sandbox()
{
    static const pellora::fuzz::FuzzSandbox folder("pellora-packagefuzz");
    return folder.path();
}

void failWith(const char* what, const std::string& name)
{
    std::fprintf(stderr, "%s: %s\n", what, name.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Temporary files of the reader go into the sandbox too.
    const fs::path temp = sandbox() / "tmp";
    fs::create_directories(temp);
    ::setenv("TMPDIR", temp.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path package = sandbox() / "package.exe";
    const fs::path target = sandbox() / "target";
    {
        // An odd first byte puts the rest behind a stub and its padding, so that the padded layout is reached
        // from small inputs; otherwise the input is the whole file (the older layout, or none).
        std::ofstream out(package, std::ios::binary | std::ios::trunc);
        if (size > 0 && (data[0] & 1) != 0) {
            const std::string stub(409600, 'M');
            const std::string padding(pellora::CPackageFile::kHeaderOffset - stub.size(), 'a');
            out << stub << padding;
            out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
        } else {
            out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        }
    }

    pellora::CPackageFile reader;
    const bool loaded = reader.Load(package, target);
    if (loaded == reader.GetEntries().empty())
        failWith("entry list does not match the result", reader.status().text());
    for (const fs::path& entry : reader.GetEntries()) {
        if (entry.parent_path() != target)
            failWith("entry outside the target", entry.string());
    }

    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sandbox())) {
        const std::string name = entry.path().filename().string();
        if (name != "package.exe" && name != "target" && name != "tmp")
            failWith("written outside the target", name);
    }
    for (fs::recursive_directory_iterator it(sandbox() / "tmp", ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file())
            failWith("temporary file left behind", it->path().string());
    }
    for (fs::recursive_directory_iterator it(target, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_symlink())
            failWith("link made inside the target", it->path().string());
    }
    fs::remove_all(target, ec);
    return 0;
}
