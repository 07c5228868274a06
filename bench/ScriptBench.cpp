// Writing and verifying a 1,000-printer install script, then reading every key back through the
// profile layer. Leaves the script at $PELLORA_BENCH_OUT/script.qst for the comparison script.

#include "core/platform/Profile.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace pellora;

namespace {

constexpr int kPrinters = 1000;

void fillScript(CScriptFile& script)
{
    script.Reset();
    script.scriptNote = "Every printer of the building";
    for (int i = 0; i < kPrinters; ++i) {
        auto printer = std::make_unique<CPrinterInfoEx>();
        const std::string address = "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1);
        printer->SetNetwork(1, address, "255.255.255.0", "00:11:22:33:44:55", "");
        printer->SetIdentity("MFG:VARDO;MDL:RX-C3400;", "Printer " + std::to_string(i), "VARDO RX-C3400", "");
        printer->location = "Floor " + std::to_string(i % 12);
        printer->optionFlags = 1;
        printer->driverFolders = {"/srv/drivers/rx-c3400"};
        printer->applyPrintSettings = 1;
        printer->paperSize = 9;
        printer->utilityPaths = {"/srv/utils/monitor.exe", "/srv/utils/panel.exe"};
        printer->utilityNames = {"Status Monitor", "Control Panel"};
        printer->installMonitor = i % 2;
        printer->securityBlockValid = 1;
        script.printers.push_back(std::move(printer));
    }
}

fs::path outputFolder()
{
    const char* configured = std::getenv("PELLORA_BENCH_OUT");
    fs::path folder = configured ? fs::path(configured) : fs::temp_directory_path() / "pellora-bench";
    fs::create_directories(folder);
    return folder;
}

void BM_WriteVerifyAndReadScript(benchmark::State& state)
{
    const fs::path file = outputFolder() / "script.qst";
    CScriptFile script;
    fillScript(script);
    std::size_t keys = 0;
    for (auto _ : state) {
        if (script.Write(file) != 1) {
            state.SkipWithError("the script write failed");
            break;
        }
        platform::Profile& profile = platform::Profile::instance();
        profile.forget(file); // read the file from disk again
        keys = 0;
        for (const auto& section : profile.sectionNames(file)) {
            for (const auto& [key, value] : profile.sectionEntries(file, section)) {
                benchmark::DoNotOptimize(profile.get(file, section, key));
                ++keys;
            }
        }
        profile.forget(file);
    }
    state.counters["keys"] = static_cast<double>(keys);
}
BENCHMARK(BM_WriteVerifyAndReadScript)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
