// Fuzz target: an install script or project read from untrusted bytes, then written back.

#include "FuzzSandbox.h"
#include "core/platform/Profile.h"
#include "core/script/ScriptFile.h"
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

// A program folder with a model list, which the reader consults for every printer.
const fs::path& programFolder()
{
    static const pellora::fuzz::FuzzSandbox sandbox("pellora-scriptfuzz");
    static const fs::path folder = [] {
        const fs::path& made = sandbox.path();
        std::ofstream list(made / "Modelname.dat", std::ios::binary);
        list << "[Colour laser]\r\nRX-C3400\r\nRX-C5300\r\n\r\n[Mono laser]\r\nVDL-N4000+\r\n";
        return made;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto& profile = pellora::platform::Profile::instance();
    const fs::path input = programFolder() / "input.qst";
    const fs::path output = programFolder() / "output.qst";
    pellora::fuzz::WriteInput(input, data, size);
    // Two inputs of one size written within one clock tick look alike to the cache: drop it.
    profile.forget(input);

    pellora::CScriptFile script;
    if (script.Load(input, programFolder()) == 1) {
        std::error_code ec;
        fs::remove(output, ec);
        profile.forget(output);
        const int written = script.Write(output);
        // A write that fails leaves no file behind.
        if (written != 1 && fs::exists(output)) {
            std::fprintf(stderr, "a failed write left %s behind\n", output.c_str());
            std::abort();
        }
        profile.forget(output);
    }
    profile.forget(input);
    return 0;
}
