#include "core/package/PackageBuilder.h"

#include "StubPaths.h"
#include "core/model/PrinterInfo.h"
#include "core/package/PackageFile.h"
#include "core/package/StubResource.h"
#include "core/plugin/DriverCheck.h"
#include "core/script/ScriptFile.h"
#include "core/util/Support.h"
#include "support/FileTreeSupport.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <sys/wait.h>

#include <algorithm>
#include <functional>
#include <map>

extern char** environ;

namespace fs = std::filesystem;

namespace pellora {
namespace {

using test::FolderNames;
using test::RandomBytes;
using test::ReadFileBytes;
using test::SnapshotTree;
using test::TextLines;
using test::WriteFileBytes;

const char* const kInf = "[Manufacturer]\r\nV=Models\r\n[Models]\r\n\"VARDO RX-C3400\" = RX.ppd\r\n\"VARDO VDL-N4000+\" = VDL.ppd\r\n";

// The Zip archive of a package written with 1-byte name lengths, cut out at its recorded offset.
std::string archiveOf(const std::string& package)
{
    std::size_t at = CPackageFile::kHeaderOffset + 12;
    const auto u32 = [&package](std::size_t offset) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<std::uint8_t>(package.at(offset + static_cast<std::size_t>(i)));
        return value;
    };
    const std::uint32_t count = u32(at);
    at += 4;
    for (std::uint32_t i = 0; i <= count; ++i) // the names, then the command string
        at += 1 + static_cast<std::uint8_t>(package.at(at));
    const std::uint32_t length = u32(at);
    return package.substr(at + 4, length);
}

class PackageBuilderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.valid());
        const fs::path plugin = fs::path(PELLORA_BIN_DIR) / DriverCheckLibrary::kFileName;
        ASSERT_TRUE(fs::exists(plugin)) << "the driver check plugin is built into " << PELLORA_BIN_DIR;
        fs::copy_file(plugin, m_program.file(DriverCheckLibrary::kFileName));
        m_program.writeFile("CVSetUp.exe", "#!/bin/sh\nexit 0\n");
        m_program.writeFile("Help/index.txt", "help text");
        m_program.writeFile("Help/pictures/one.png", RandomBytes(3000, 1));
        WriteFileBytes(driver(0) / "RX.INF", kInf);
        WriteFileBytes(driver(0) / "x64" / "RXUI.DLL", RandomBytes(200000, 2));
        WriteFileBytes(driver(0) / "x64" / "RX.PPD", TextLines(300000, 3));
        WriteFileBytes(driver(1) / "readme.txt", "second folder");
        WriteFileBytes(driver(2) / "deep" / "er" / "data.cab", RandomBytes(5000, 4));
        WriteFileBytes(m_temp.path() / "settings.bsf", "settings");
    }

    fs::path driver(int n) const { return m_temp.path() / "drivers" / ("folder" + std::to_string(n)); }
    fs::path out() const { return m_temp.path() / "out"; }

    CPrinterInfoEx& addPrinter(const std::string& name, std::vector<fs::path> folders = {})
    {
        auto printer = std::make_unique<CPrinterInfoEx>();
        printer->printerName = name;
        printer->address = "10.0.0.5";
        printer->modelName = "RX-C3400";
        if (folders.empty())
            folders.push_back(driver(0));
        for (const fs::path& folder : folders)
            printer->driverFolders.push_back(folder.string());
        m_script.printers.push_back(std::move(printer));
        return *m_script.printers.back();
    }

    ValidationResult validate() const { return ValidateForBuild(m_script, m_program.path()); }

    PackageBuilder builder(std::span<const std::uint8_t> stub = PackageStubResource()) const
    {
        return PackageBuilder(m_program.path(), {"CVSetUp.exe", "Modelname.dat"}, stub);
    }

    ScopedTempFolder m_temp;
    test::TestProgramFolder m_program;
    CScriptFile m_script;
};

TEST_F(PackageBuilderTest, ValidationCodesInTheirOrder)
{
    EXPECT_EQ(validate().errorCode, 9);
    EXPECT_EQ(validate().printerIndex, -1);

    CPrinterInfoEx& first = addPrinter("First");
    CPrinterInfoEx& second = addPrinter("Second");
    EXPECT_TRUE(validate().ok());

    struct Case {
        const char* what;
        std::function<void(CPrinterInfoEx&)> change;
        int code;
    };
    const std::vector<Case> cases = {
        {"no name, network", [](CPrinterInfoEx& p) { p.printerName.clear(); }, 10},
        {"no name, local update", [](CPrinterInfoEx& p) { p.printerName.clear(); p.connection = 1; p.instModeOff = 1; p.bsfPath = "x"; }, 10},
        {"no name, local new", [](CPrinterInfoEx& p) { p.printerName.clear(); p.connection = 1; }, 0},
        {"same name", [](CPrinterInfoEx& p) { p.printerName = "First"; }, 11},
        {"name differing in case", [](CPrinterInfoEx& p) { p.printerName = "FIRST"; }, 0},
        {"no address", [](CPrinterInfoEx& p) { p.address.clear(); }, 14},
        {"placeholder address", [](CPrinterInfoEx& p) { p.address = "11.22.33.44"; }, 14},
        {"manual placeholder", [](CPrinterInfoEx& p) { p.address = "192.168.192.168"; }, 14},
        {"placeholder, local", [](CPrinterInfoEx& p) { p.address = "192.168.192.168"; p.connection = 1; }, 0},
        {"one-character address", [](CPrinterInfoEx& p) { p.address = "x"; }, 22},
        {"no model", [](CPrinterInfoEx& p) { p.modelName.clear(); }, 15},
        {"no driver folder", [](CPrinterInfoEx& p) { p.driverFolders.clear(); }, 17},
        {"update without settings", [](CPrinterInfoEx& p) { p.instModeOff = 1; }, 25},
        {"earlier check wins", [](CPrinterInfoEx& p) { p.modelName.clear(); p.driverFolders.clear(); }, 15},
        {"folder without INF", [this](CPrinterInfoEx& p) { p.driverFolders = {driver(1).string()}; }, 26},
        {"missing folder", [this](CPrinterInfoEx& p) { p.driverFolders = {(driver(0) / "gone").string()}; }, 26},
        {"model not in the INF", [](CPrinterInfoEx& p) { p.modelName = "VMF-X3300"; }, 26},
        {"only the first folder is checked", [this](CPrinterInfoEx& p) { p.driverFolders.push_back(driver(1).string()); }, 0},
        {"prefixed model", [](CPrinterInfoEx& p) { p.modelName = "VARDO VDL-N4000+"; }, 0},
        {"settings file missing", [this](CPrinterInfoEx& p) { p.bsfPath = (m_temp.path() / "none.bsf").string(); }, 27},
        {"settings file given", [this](CPrinterInfoEx& p) { p.bsfPath = (m_temp.path() / "settings.bsf").string(); p.instModeOff = 1; }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto saved = second.Clone();
        c.change(second);
        const ValidationResult result = validate();
        EXPECT_EQ(result.errorCode, c.code);
        EXPECT_EQ(result.printerIndex, c.code == 0 ? -1 : 1);
        second = *saved;
    }
    first.printerName.clear();
    second.modelName.clear();
    EXPECT_EQ(validate().errorCode, 10) << "the first printer is checked completely before the second";
    EXPECT_EQ(validate().printerIndex, 0);
}

TEST_F(PackageBuilderTest, ValidationWithoutThePluginGivesMessage6)
{
    addPrinter("P");
    fs::remove(m_program.file(DriverCheckLibrary::kFileName));
    EXPECT_EQ(validate().errorCode, 6);
    m_script.printers.front()->modelName.clear();
    EXPECT_EQ(validate().errorCode, 15) << "the plugin is needed only by the last check";
}

TEST_F(PackageBuilderTest, PackageHoldsRuntimeFilesTemplateDriversSettingsAndProgramSubfolders)
{
    addPrinter("One", {driver(0), driver(1), driver(2)});
    addPrinter("Two", {driver(1)}).bsfPath = (m_temp.path() / "settings.bsf").string();
    const fs::path output = out() / "My.Package.v2.exe";
    fs::create_directories(out());
    PackageBuilder build = builder();
    ASSERT_TRUE(build.BuildPackage(m_script, output)) << build.status().text();
    EXPECT_FALSE(fs::exists(build.lastStagingFolder()));
    EXPECT_EQ(FolderNames(out()), std::vector<std::string>{"My.Package.v2.exe"});

    CPackageFile package;
    const fs::path unpacked = m_temp.path() / "unpacked";
    ASSERT_TRUE(package.Load(output, unpacked)) << package.status().text();
    const std::vector<std::string> names = {"CVSetUp.exe", "Modelname.dat", "My.Package.v2.qst", "DRIVER_000", "DRIVER_001", "SETTING", "Help"};
    std::vector<fs::path> expected;
    for (const std::string& name : names)
        expected.push_back(unpacked / name);
    EXPECT_EQ(package.GetEntries(), expected);
    EXPECT_EQ(package.GetCommandString(), "\"My.Package.v2.qst\"");

    EXPECT_EQ(FolderNames(unpacked / "DRIVER_000"), (std::vector<std::string>{"000", "001", "002"}));
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(SnapshotTree(unpacked / "DRIVER_000" / ("00" + std::to_string(j))), SnapshotTree(driver(j))) << j;
    EXPECT_EQ(SnapshotTree(unpacked / "DRIVER_001" / "000"), SnapshotTree(driver(1)));
    EXPECT_EQ(FolderNames(unpacked / "SETTING"), (std::vector<std::string>{"BSF_COPY.BSF", "QIF1_000.QIF", "QIF1_001.QIF"}));
    EXPECT_EQ(SnapshotTree(unpacked / "Help"), SnapshotTree(m_program.path() / "Help"));
    EXPECT_EQ(ReadFileBytes(unpacked / "CVSetUp.exe"), ReadFileBytes(m_program.file("CVSetUp.exe")));

    CScriptFile loaded;
    ASSERT_EQ(loaded.Load(unpacked / "My.Package.v2.qst", m_program.path()), 1);
    ASSERT_EQ(loaded.printers.size(), 2u);
    EXPECT_EQ(loaded.printers[1]->printerName, "Two");

    const fs::path zip = m_temp.path() / "archive.zip";
    WriteFileBytes(zip, archiveOf(ReadFileBytes(output)));
    if (!fs::exists(test::kUnzipProgram))
        GTEST_SKIP() << "Info-ZIP unzip is not installed";
    EXPECT_EQ(test::RunProgram({test::kUnzipProgram, "-tqq", zip.string()}), 0);
}

TEST_F(PackageBuilderTest, DriverFolderOnAnotherFileSystemIsCopiedAlike)
{
    // Staging links files where it can; a driver folder elsewhere must be copied with the same result.
    const fs::path shared = "/dev/shm";
    std::error_code ec;
    if (!fs::is_directory(shared, ec))
        GTEST_SKIP() << "no second file system at " << shared;
    struct stat sharedInfo {};
    struct stat workInfo {};
    if (::stat(shared.c_str(), &sharedInfo) != 0 || ::stat(GetWorkFolder().c_str(), &workInfo) != 0 ||
        sharedInfo.st_dev == workInfo.st_dev)
        GTEST_SKIP() << shared << " is on the file system of the work folder";
    const fs::path elsewhere = shared / ("pellora-driver-" + std::to_string(::getpid()));
    WriteFileBytes(elsewhere / "RX.INF", kInf);
    WriteFileBytes(elsewhere / "sub" / "data.bin", RandomBytes(100000, 9));
    addPrinter("P", {driver(0), elsewhere});
    fs::create_directories(out());
    PackageBuilder build = builder();
    const bool built = build.BuildPackage(m_script, out() / "p.exe");
    CPackageFile package;
    const bool loaded = built && package.Load(out() / "p.exe", m_temp.path() / "unpacked");
    const auto copied = SnapshotTree(m_temp.path() / "unpacked" / "DRIVER_000" / "001");
    const auto original = SnapshotTree(elsewhere);
    fs::remove_all(elsewhere, ec);
    ASSERT_TRUE(built) << build.status().text();
    ASSERT_TRUE(loaded) << package.status().text();
    EXPECT_EQ(copied, original);
    EXPECT_EQ(SnapshotTree(m_temp.path() / "unpacked" / "DRIVER_000" / "000"), SnapshotTree(driver(0)));
}

TEST_F(PackageBuilderTest, TemplateNameDropsOnlyTheLastExtension)
{
    EXPECT_EQ(PackageTemplateName("/a/b/My.Package.v2.exe"), "My.Package.v2.qst");
    EXPECT_EQ(PackageTemplateName("/a/b.c/package"), "package.qst");
    EXPECT_EQ(PackageTemplateName("SETUP.EXE"), "SETUP.qst");

    addPrinter("P");
    fs::create_directories(out());
    PackageBuilder build = builder();
    ASSERT_TRUE(build.BuildPackage(m_script, out() / "package")) << build.status().text();
    CPackageFile package;
    ASSERT_TRUE(package.Load(out() / "package", m_temp.path() / "unpacked"));
    EXPECT_EQ(package.GetCommandString(), "\"package.qst\"");
    EXPECT_TRUE(fs::is_regular_file(m_temp.path() / "unpacked" / "package.qst"));
    EXPECT_FALSE(fs::exists(m_temp.path() / "unpacked" / "SETTING" / "BSF_COPY.BSF"));
}

TEST_F(PackageBuilderTest, BuildLeavesTheProjectAndItsFileAlone)
{
    addPrinter("P");
    const fs::path project = m_temp.path() / "project.qst";
    ASSERT_EQ(m_script.Write(project), 1);
    const std::string projectBytes = ReadFileBytes(project);
    fs::create_directories(out());
    PackageBuilder build = builder();
    ASSERT_TRUE(build.BuildPackage(m_script, out() / "project.exe")) << build.status().text();
    EXPECT_EQ(m_script.filePath, project);
    EXPECT_EQ(ReadFileBytes(project), projectBytes);
    EXPECT_EQ(FolderNames(m_temp.path() / "out"), std::vector<std::string>{"project.exe"});
}

TEST_F(PackageBuilderTest, FailedOrCancelledBuildKeepsTheOldOutputAndRemovesTheStaging)
{
    addPrinter("P", {driver(0), driver(2)});
    const fs::path output = out() / "package.exe";
    WriteFileBytes(output, "the package built yesterday");

    fs::remove_all(driver(2)); // vanished since validation
    PackageBuilder vanished = builder();
    EXPECT_FALSE(vanished.BuildPackage(m_script, output));
    EXPECT_FALSE(vanished.status().cancelled());
    EXPECT_NE(vanished.status().text().find("folder2"), std::string::npos) << vanished.status().text();
    EXPECT_FALSE(vanished.lastStagingFolder().empty());
    EXPECT_FALSE(fs::exists(vanished.lastStagingFolder()));
    EXPECT_EQ(ReadFileBytes(output), "the package built yesterday");
    EXPECT_EQ(FolderNames(out()), std::vector<std::string>{"package.exe"});

    m_script.printers.front()->driverFolders.pop_back();
    const std::vector<std::pair<const char*, std::function<bool(const BuildProgress&)>>> stops = {
        {"before staging", [](const BuildProgress&) { return false; }},
        {"while staging", [](const BuildProgress& p) { return p.filesDone < 2; }},
        {"while packing", [](const BuildProgress& p) { return p.filesDone < 5; }},
        {"after copying the archive", [](const BuildProgress& p) { return p.bytesDone < p.bytesTotal; }},
    };
    for (const auto& [when, keepGoing] : stops) {
        SCOPED_TRACE(when);
        PackageBuilder cancelled = builder();
        cancelled.SetProgressCallback(keepGoing);
        EXPECT_FALSE(cancelled.BuildPackage(m_script, output));
        EXPECT_TRUE(cancelled.status().cancelled());
        EXPECT_FALSE(fs::exists(cancelled.lastStagingFolder()));
        EXPECT_EQ(ReadFileBytes(output), "the package built yesterday");
        EXPECT_EQ(FolderNames(out()), std::vector<std::string>{"package.exe"});
    }
}

TEST_F(PackageBuilderTest, NameAWindowsClientCannotHoldIsRefusedAndNothingIsWritten)
{
    addPrinter("P", {driver(0), driver(1)});
    fs::create_directories(out());
    const fs::path fresh = out() / "fresh.exe";
    const fs::path kept = out() / "kept.exe";
    WriteFileBytes(kept, "the package built yesterday");
    struct Case {
        const char* what;
        std::function<void()> spoil;
        std::function<void()> mend;
        NameFault fault;
        std::string path;
        fs::path folder;
    };
    const std::vector<Case> cases = {
        {"driver file", [this] { WriteFileBytes(driver(1) / "sub" / "x|y", "x"); },
         [this] { fs::remove_all(driver(1) / "sub"); }, NameFault::ForbiddenCharacter, "sub/x|y", driver(1)},
        {"driver folder on the way to a file", [this] { WriteFileBytes(driver(0) / "x64." / "RX.DLL", "x"); },
         [this] { fs::remove_all(driver(0) / "x64."); }, NameFault::TrailingDotOrBlank, "x64.", driver(0)},
        {"utility file", [this] { m_program.writeFile("Utilities/Viewer/bin/LPT1.log", "x"); },
         [this] { fs::remove_all(m_program.file("Utilities")); }, NameFault::DeviceName,
         "Utilities/Viewer/bin/LPT1.log", m_program.path()},
        {"program subfolder", [this] { m_program.writeFile("Back\\slash/index.txt", "x"); },
         [this] { fs::remove_all(m_program.file("Back\\slash")); }, NameFault::ForbiddenCharacter, "Back\\slash", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.spoil();
        for (const fs::path& output : {fresh, kept}) {
            PackageBuilder build = builder();
            EXPECT_FALSE(build.BuildPackage(m_script, output));
            ASSERT_TRUE(build.refusal().has_value()) << build.status().text();
            EXPECT_EQ(build.refusal()->fault, c.fault);
            EXPECT_EQ(build.refusal()->path, c.path);
            EXPECT_EQ(build.refusal()->folder, c.folder);
            EXPECT_NE(build.status().text().find("\"" + c.path + "\""), std::string::npos) << build.status().text();
            EXPECT_FALSE(fs::exists(build.lastStagingFolder()));
        }
        EXPECT_EQ(FolderNames(out()), std::vector<std::string>{"kept.exe"});
        EXPECT_EQ(ReadFileBytes(kept), "the package built yesterday");
        c.mend();
    }
    PackageBuilder mended = builder();
    EXPECT_TRUE(mended.BuildPackage(m_script, fresh)) << mended.status().text();
    EXPECT_FALSE(mended.refusal().has_value());

    // The template takes the output's name: one Windows cannot hold is refused at the package's top level.
    PackageBuilder device = builder();
    EXPECT_FALSE(device.BuildPackage(m_script, out() / "aux.exe"));
    ASSERT_TRUE(device.refusal().has_value());
    EXPECT_EQ(device.refusal()->path, "aux.qst");
    EXPECT_FALSE(fs::exists(out() / "aux.exe"));
}

TEST_F(PackageBuilderTest, NamesThatDifferOnlyInLetterCaseAreRefused)
{
    addPrinter("P", {driver(0)});
    fs::create_directories(out());
    const fs::path output = out() / "p.exe";

    WriteFileBytes(driver(0) / "Readme.txt", "one");
    WriteFileBytes(driver(0) / "README.TXT", "two");
    PackageBuilder driverTwins = builder();
    EXPECT_FALSE(driverTwins.BuildPackage(m_script, output));
    ASSERT_TRUE(driverTwins.refusal().has_value()) << driverTwins.status().text();
    EXPECT_EQ(driverTwins.refusal()->fault, NameFault::NameTwin);
    EXPECT_EQ(driverTwins.refusal()->path, "Readme.txt");
    EXPECT_EQ(driverTwins.refusal()->other, "README.TXT");
    EXPECT_EQ(driverTwins.refusal()->folder, driver(0));
    EXPECT_FALSE(fs::exists(output));
    fs::remove(driver(0) / "README.TXT");

    // A program subfolder that a client would merge with the package's own information folder.
    m_program.writeFile("Setting/notes.txt", "mine");
    PackageBuilder topTwins = builder();
    EXPECT_FALSE(topTwins.BuildPackage(m_script, output));
    ASSERT_TRUE(topTwins.refusal().has_value()) << topTwins.status().text();
    EXPECT_EQ(topTwins.refusal()->path, "Setting");
    EXPECT_EQ(topTwins.refusal()->other, "SETTING");
    EXPECT_TRUE(topTwins.refusal()->folder.empty());
    EXPECT_FALSE(fs::exists(output));
}

TEST_F(PackageBuilderTest, ProgressCountsUpToItsTotal)
{
    addPrinter("P", {driver(0), driver(1)});
    std::vector<BuildProgress> reports;
    PackageBuilder build = builder();
    build.SetProgressCallback([&reports](const BuildProgress& progress) {
        reports.push_back(progress);
        return true;
    });
    fs::create_directories(out());
    ASSERT_TRUE(build.BuildPackage(m_script, out() / "p.exe")) << build.status().text();
    ASSERT_GE(reports.size(), 5u);
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_LE(reports[i - 1].bytesDone, reports[i].bytesDone);
        EXPECT_LE(reports[i].bytesDone, reports[i].bytesTotal);
        EXPECT_LE(reports[i].filesDone, reports[i].filesTotal);
    }
    EXPECT_EQ(reports.back().bytesDone, reports.back().bytesTotal);
    EXPECT_EQ(reports.back().filesDone, reports.back().filesTotal);
    // The driver files are counted when staged and again when packed.
    EXPECT_EQ(reports.back().filesTotal, 4u + 2 + 1 + 4 + 1 + 2);
}

TEST_F(PackageBuilderTest, NativeStubExtractsEveryFileAndRunsTheInstaller)
{
    const std::string stub = ReadFileBytes(PELLORA_NATIVE_STUB_PATH);
    ASSERT_EQ(stub.size(), kPackageStubSize) << PELLORA_NATIVE_STUB_PATH;
    const fs::path copy = m_temp.path() / "copy";
    const fs::path argument = m_temp.path() / "argument.txt";
    m_program.writeFile("CVSetUp.exe", "#!/bin/sh\ncp -R . '" + copy.string() + "' && printf '%s' \"$1\" > '" +
                                           argument.string() + "'\n");
    fs::permissions(m_program.file("CVSetUp.exe"), fs::perms::owner_all);
    WriteFileBytes(driver(1) / "big" / "text.inf", TextLines(3 * 1024 * 1024 + 17, 5));
    WriteFileBytes(driver(1) / "big" / "random.bin", RandomBytes(2 * 1024 * 1024 + 3, 6));
    addPrinter("P", {driver(0), driver(1)});

    const fs::path output = out() / "setup.exe";
    fs::create_directories(out());
    const std::span<const std::uint8_t> stubBytes(reinterpret_cast<const std::uint8_t*>(stub.data()), stub.size());
    PackageBuilder build = builder(stubBytes);
    ASSERT_TRUE(build.BuildPackage(m_script, output)) << build.status().text();

    const fs::path temp = m_temp.path() / "tmp";
    fs::create_directories(temp);
    std::vector<std::string> variables;
    for (char** v = environ; *v != nullptr; ++v) {
        if (std::string_view(*v).rfind("TMPDIR=", 0) != 0 && std::string_view(*v).rfind("PELLORA_STUB_KEEP=", 0) != 0)
            variables.emplace_back(*v);
    }
    variables.push_back("TMPDIR=" + temp.string());
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    std::string program = output.string();
    char* arguments[] = {program.data(), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environment.data()), 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFileBytes(argument), "\"setup.qst\"");
    EXPECT_TRUE(fs::is_empty(temp)) << "the stub removes its folder";

    const auto extracted = SnapshotTree(copy);
    std::map<std::string, std::string> expected;
    expected["CVSetUp.exe"] = ReadFileBytes(m_program.file("CVSetUp.exe"));
    expected["Modelname.dat"] = ReadFileBytes(m_program.file("Modelname.dat"));
    for (const auto& [name, bytes] : SnapshotTree(driver(0)))
        expected["DRIVER_000/000/" + name] = bytes;
    for (const auto& [name, bytes] : SnapshotTree(driver(1)))
        expected["DRIVER_000/001/" + name] = bytes;
    for (const auto& [name, bytes] : SnapshotTree(m_program.path() / "Help"))
        expected["Help/" + name] = bytes;
    ASSERT_TRUE(extracted.contains("setup.qst"));
    ASSERT_TRUE(extracted.contains("SETTING/QIF1_000.QIF"));
    expected["setup.qst"] = extracted.at("setup.qst");
    expected["SETTING/QIF1_000.QIF"] = extracted.at("SETTING/QIF1_000.QIF");
    ASSERT_EQ(extracted.size(), expected.size());
    for (const auto& [name, bytes] : expected) {
        ASSERT_TRUE(extracted.contains(name)) << name;
        EXPECT_TRUE(extracted.at(name) == bytes) << name << " differs";
    }
}

} // namespace
} // namespace pellora
