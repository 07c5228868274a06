// Times building a package of one driver tree through PackageBuilder, and opening a package again.
//
//   PackageBuildBench build PROGRAM_FOLDER DRIVER_TREE OUT.exe   builds a package of one printer whose driver
//                                                                folder is DRIVER_TREE
//   PackageBuildBench load PACKAGE.exe FOLDER                    reads the package and extracts it into FOLDER
//   PackageBuildBench checks ARCHIVE.zip FOLDER RUNS             extracts the archive RUNS times each with the
//                                                                program's checked extraction and with the
//                                                                extraction as it was before its checks
//
// Prints the seconds taken; bench/run-package.sh compares them with Info-ZIP and the two extractions.

#include "core/model/PrinterInfo.h"
#include "core/package/PackageBuilder.h"
#include "core/package/PackageFile.h"
#include "core/package/RuntimeFileSet.h"
#include "core/package/StubResource.h"
#include "core/package/ZipArchive.h"
#include "core/platform/AtomicFile.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"

#include <zip.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using pellora::DeleteFolderTree;

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

// The extraction as it was before the archive was checked as a whole, entries held to their declared
// sizes and failed extractions undone: names checked, then each entry written through the save class.
bool extractUnchecked(const fs::path& archivePath, const fs::path& folder)
{
    int error = 0;
    zip_t* archive = zip_open(archivePath.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        return false;
    struct Planned {
        zip_uint64_t index;
        std::vector<std::string> parts;
        bool folder;
    };
    std::vector<Planned> plan;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        zip_stat_t stat;
        const char* name = zip_get_name(archive, index, ZIP_FL_ENC_GUESS);
        Planned entry{index, {}, false};
        std::string reason;
        if (!name || zip_stat_index(archive, index, 0, &stat) != 0 ||
            !pellora::CZipArchive::SplitEntryName(name, entry.parts, reason)) {
            zip_discard(archive);
            return false;
        }
        entry.folder = std::string_view(name).back() == '/';
        plan.push_back(std::move(entry));
    }
    fs::create_directories(folder);
    const pellora::platform::FileDescriptor root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<char> buffer(64 * 1024);
    bool ok = root.valid();
    for (const Planned& entry : plan) {
        if (!ok)
            break;
        const std::size_t folderParts = entry.folder ? entry.parts.size() : entry.parts.size() - 1;
        pellora::platform::FileDescriptor current;
        for (std::size_t i = 0; i < folderParts; ++i) {
            const int parent = current.valid() ? current.get() : root.get();
            ::mkdirat(parent, entry.parts[i].c_str(), 0755);
            current = pellora::platform::FileDescriptor(
                ::openat(parent, entry.parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        }
        if (entry.folder)
            continue;
        zip_file_t* data = zip_fopen_index(archive, entry.index, 0);
        pellora::platform::AtomicFileWriter out(current.valid() ? current.get() : root.get(), entry.parts.back(),
                                                {.followTargetLink = false, .durable = false});
        for (zip_int64_t got; data && (got = zip_fread(data, buffer.data(), buffer.size())) > 0;)
            out.Write(buffer.data(), static_cast<std::size_t>(got));
        ok = data && out.Commit().ok();
        if (data)
            zip_fclose(data);
    }
    zip_discard(archive);
    return ok;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Seconds of processor time the process has used, in user and system mode.
double processorSeconds()
{
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Both extractions of one archive, alternating, each into a fresh folder. Prints the medians of wall
// time and of processor time (which other load on the machine disturbs less), checked then unchecked.
int checks(const fs::path& archive, const fs::path& folder, int runs)
{
    std::vector<double> checked;
    std::vector<double> unchecked;
    std::vector<double> checkedProcessor;
    std::vector<double> uncheckedProcessor;
    for (int run = 0; run < runs; ++run) {
        const fs::path target = folder / ("x" + std::to_string(run));
        for (const bool withChecks : {run % 2 == 0, run % 2 != 0}) {
            DeleteFolderTree(target);
            const auto start = std::chrono::steady_clock::now();
            const double processorStart = processorSeconds();
            bool ok = false;
            if (withChecks) {
                pellora::CZipArchive zip;
                zip.SetArchiveName(archive);
                zip.SetExtractionFolder(target);
                ok = zip.Extract();
                if (!ok)
                    std::fprintf(stderr, "checked extraction failed: %s\n", zip.status().text().c_str());
            } else {
                ok = extractUnchecked(archive, target);
            }
            if (!ok)
                return 1;
            (withChecks ? checked : unchecked).push_back(secondsSince(start));
            (withChecks ? checkedProcessor : uncheckedProcessor).push_back(processorSeconds() - processorStart);
        }
        DeleteFolderTree(target);
    }
    std::printf("%.3f %.3f %.3f %.3f\n", median(checked), median(unchecked), median(checkedProcessor),
                median(uncheckedProcessor));
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
    if (command == "checks" && argc == 5)
        return checks(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
    std::fprintf(stderr, "usage: %s build PROGRAM_FOLDER DRIVER_TREE OUT.exe | load PACKAGE.exe FOLDER | "
                         "checks ARCHIVE.zip FOLDER RUNS\n", argv[0]);
    return 2;
}
