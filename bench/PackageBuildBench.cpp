// Times building a package of one driver tree through PackageBuilder, and opening a package again.
//
//   PackageBuildBench build PROGRAM_FOLDER DRIVER_TREE OUT.exe   builds a package of one printer whose driver
//                                                                folder is DRIVER_TREE
//   PackageBuildBench load PACKAGE.exe FOLDER                    reads the package and extracts it into FOLDER
//
// Prints the seconds taken; bench/run-package.sh compares them with Info-ZIP.

#include "core/model/PrinterInfo.h"
#include "core/package/PackageBuilder.h"
#include "core/package/PackageFile.h"
#include "core/package/RuntimeFileSet.h"
#include "core/package/StubResource.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int build(const fs::path& programFolder, const fs::path& tree, const fs::path& output)
{
    pellora::RuntimeFileSet runtime;
    runtime.LoadRuntimeFileList(programFolder);
    pellora::CScriptFile script;
    auto printer = std::make_unique<pellora::CPrinterInfoEx>();
    printer->printerName = "Bench";
    printer->address = "10.0.0.5";
    printer->modelName = "RX-C3400";
    printer->driverFolders.push_back(tree.string());
    script.printers.push_back(std::move(printer));

    const auto start = std::chrono::steady_clock::now();
    pellora::PackageBuilder builder(programFolder, runtime.names(), pellora::PackageStubResource());
    if (!builder.BuildPackage(script, output)) {
        std::fprintf(stderr, "build failed: %s\n", builder.status().text().c_str());
        return 1;
    }
    std::printf("%.3f\n", secondsSince(start));
    return 0;
}

int load(const fs::path& package, const fs::path& folder)
{
    const auto start = std::chrono::steady_clock::now();
    pellora::CPackageFile reader;
    if (!reader.Load(package, folder)) {
        std::fprintf(stderr, "load failed: %s\n", reader.status().text().c_str());
        return 1;
    }
    std::printf("%.3f\n", secondsSince(start));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "build" && argc == 5)
        return build(argv[2], argv[3], argv[4]);
    if (command == "load" && argc == 4)
        return load(argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s build PROGRAM_FOLDER DRIVER_TREE OUT.exe | load PACKAGE.exe FOLDER\n", argv[0]);
    return 2;
}
