// Runs hand-built packages through the native stub and checks the Windows stub compiled into the program.

#include "StubPaths.h"
#include "core/package/StubResource.h"
#include "core/util/Support.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kExitNoPackage = 3;
constexpr int kExitBadPackage = 4;
constexpr int kExitCannotRun = 6;
constexpr int kExitNoInstaller = 7;
constexpr int kExitDiskFull = 9;
constexpr std::size_t kHeaderOffset = 512000;

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::string U16(std::uint16_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string U32(std::uint32_t v)
{
    return U16(static_cast<std::uint16_t>(v & 0xFFFF)) + U16(static_cast<std::uint16_t>(v >> 16));
}

const std::string kVersionOne("\x00\x00\x00\x00\x00\x00\xF0\x3F", 8);

std::string CountedString(const std::string& text)
{
    if (text.size() < 255)
        return std::string(1, static_cast<char>(text.size())) + text;
    if (text.size() < 0xFFFE)
        return "\xFF" + U16(static_cast<std::uint16_t>(text.size())) + text;
    return "\xFF\xFF\xFF" + U32(static_cast<std::uint32_t>(text.size())) + text;
}

// The wide form: 0xFF 0xFFFE, then the length in characters, then UTF-16LE.
std::string WideCountedString(const std::u16string& text)
{
    std::string out = "\xFF\xFE\xFF" + std::string(1, static_cast<char>(text.size()));
    for (const char16_t c : text)
        out += U16(static_cast<std::uint16_t>(c));
    return out;
}

struct Package {
    std::vector<std::string> names{"CVSetUp.exe", "Project.qst", "DRIVER_000", "SETTING"};
    std::string commandField = CountedString("\"Project.qst\"");
    std::string archive;
    bool trailer = false;
};

std::string PackageBytes(const std::string& stub, const Package& package)
{
    std::string body = U32(static_cast<std::uint32_t>(package.names.size()));
    for (const std::string& name : package.names)
        body += CountedString(name);
    body += package.commandField + U32(static_cast<std::uint32_t>(package.archive.size())) + package.archive;
    const std::string stubSize = U32(static_cast<std::uint32_t>(stub.size()));
    if (package.trailer)
        return stub + body + kVersionOne + stubSize;
    return stub + std::string(kHeaderOffset - stub.size(), 'a') + kVersionOne + stubSize + body;
}

// A Zip archive made by libzip.
class LibZip {
public:
    void AddFile(const std::string& name, std::string content, bool store = false)
    {
        m_files.push_back({name, std::move(content), store, false});
    }
    void AddFolder(const std::string& name) { m_files.push_back({name, {}, false, true}); }

    std::string Bytes(const fs::path& scratch) const
    {
        int error = 0;
        zip_t* archive = zip_open(scratch.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        EXPECT_NE(archive, nullptr);
        if (archive == nullptr)
            return {};
        for (const Item& item : m_files) {
            if (item.folder) {
                EXPECT_GE(zip_dir_add(archive, item.name.c_str(), ZIP_FL_ENC_UTF_8), 0);
                continue;
            }
            zip_source_t* source = zip_source_buffer(archive, item.content.data(), item.content.size(), 0);
            const zip_int64_t index = zip_file_add(archive, item.name.c_str(), source, ZIP_FL_ENC_UTF_8);
            EXPECT_GE(index, 0) << item.name;
            if (item.store)
                zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        }
        EXPECT_EQ(zip_close(archive), 0);
        std::string bytes = ReadBytes(scratch);
        fs::remove(scratch);
        return bytes;
    }

private:
    struct Item {
        std::string name;
        std::string content;
        bool store;
        bool folder;
    };
    std::vector<Item> m_files;
};

std::string RawDeflate(const std::string& data)
{
    z_stream stream{};
    EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&stream, data.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

std::uint32_t Crc(const std::string& data)
{
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// One entry of a Zip archive written byte by byte, so that any field can hold what an attacker chooses.
struct RawEntry {
    std::string name;
    std::string content; // uncompressed bytes
    std::uint16_t method = 0;
    std::uint16_t flags = 0;
    std::optional<std::string> data{};             // as stored; default: content or its deflate form
    std::optional<std::uint32_t> crc{};            // default: CRC-32 of content
    std::optional<std::uint32_t> size{};           // uncompressed; default: size of content
    std::optional<std::uint32_t> compressedSize{}; // default: size of data
    std::uint16_t madeBy = 0x031E;                 // Unix, version 3.0
    std::uint32_t external = 0100644u << 16;
};

std::string RawZip(const std::vector<RawEntry>& entries, std::optional<std::uint32_t> directoryOffset = {})
{
    std::string out;
    std::string directory;
    for (const RawEntry& entry : entries) {
        const std::string data = entry.data ? *entry.data : entry.method == 8 ? RawDeflate(entry.content) : entry.content;
        const std::uint32_t crc = entry.crc ? *entry.crc : Crc(entry.content);
        const std::uint32_t size = entry.size ? *entry.size : static_cast<std::uint32_t>(entry.content.size());
        const std::uint32_t localOffset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t compressedSize =
            entry.compressedSize ? *entry.compressedSize : static_cast<std::uint32_t>(data.size());
        const std::string common = U16(20) + U16(entry.flags) + U16(entry.method) + U16(0) + U16(0x21) + U32(crc) +
                                   U32(compressedSize) + U32(size) +
                                   U16(static_cast<std::uint16_t>(entry.name.size())) + U16(0);
        out += U32(0x04034b50) + common + entry.name + data;
        directory += U32(0x02014b50) + U16(entry.madeBy) + common + U16(0) + U16(0) + U16(0) + U32(entry.external) +
                     U32(localOffset) + entry.name;
    }
    const std::uint32_t offset = directoryOffset ? *directoryOffset : static_cast<std::uint32_t>(out.size());
    const auto count = static_cast<std::uint16_t>(entries.size());
    out += directory + U32(0x06054b50) + U16(0) + U16(0) + U16(count) + U16(count) +
           U32(static_cast<std::uint32_t>(directory.size())) + U32(offset) + U16(0);
    return out;
}

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

// Text-like data that deflates well but not trivially.
std::string CompressibleBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    static const char* const kWords[] = {"printer ", "driver ", "VARDO ", "queue\r\n", "port ", "0x1F ", "[Models]\r\n"};
    std::string bytes;
    while (bytes.size() < size)
        bytes += kWords[generator() % std::size(kWords)];
    bytes.resize(size);
    return bytes;
}

// Every file below root with its content, and every folder, by relative path.
struct Tree {
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
};

Tree ReadTree(const fs::path& root)
{
    Tree tree;
    if (!fs::exists(root))
        return tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).generic_string();
        if (entry.is_directory())
            tree.folders.insert(relative);
        else
            tree.files[relative] = ReadBytes(entry.path());
    }
    return tree;
}

class StubTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.valid());
        m_stub = ReadBytes(PELLORA_NATIVE_STUB_PATH);
        ASSERT_EQ(m_stub.size(), std::size_t{PELLORA_STUB_PADDED_SIZE});
        fs::create_directories(Temp());
    }

    fs::path Root() const { return m_root.path(); }
    fs::path Temp() const { return Root() / "tmp"; }
    fs::path Keep() const { return Root() / "keep"; }
    fs::path PackagePath() const { return Root() / "package.exe"; }
    fs::path ReportPath() const { return Root() / "report.txt"; }

    fs::path ErrorPath() const { return Root() / "stderr.txt"; }
    std::string ErrorText() const { return ReadBytes(ErrorPath()); }

    // Writes the package and runs it with arguments, its standard error going to ErrorPath(); the
    // extraction goes to Keep() when keep is set. wrapper runs in front of the package when not empty.
    int Run(const std::string& packageBytes, bool keep = true, std::vector<std::string> arguments = {},
            std::vector<std::string> wrapper = {})
    {
        WriteBytes(PackagePath(), packageBytes);
        fs::permissions(PackagePath(), fs::perms::owner_all);
        std::vector<std::string> variables;
        for (char** v = environ; *v != nullptr; ++v) {
            const std::string variable = *v;
            if (variable.rfind("PELLORA_STUB_KEEP=", 0) != 0 && variable.rfind("TMPDIR=", 0) != 0)
                variables.push_back(variable);
        }
        variables.push_back("TMPDIR=" + Temp().string());
        if (keep)
            variables.push_back("PELLORA_STUB_KEEP=" + Keep().string());
        std::vector<char*> environment;
        for (std::string& variable : variables)
            environment.push_back(variable.data());
        environment.push_back(nullptr);
        arguments.insert(arguments.begin(), PackagePath().string());
        arguments.insert(arguments.begin(), wrapper.begin(), wrapper.end());
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, ErrorPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t child = 0;
        const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environment.data());
        posix_spawn_file_actions_destroy(&actions);
        if (started != 0)
            return -1;
        int status = 0;
        if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    int RunArchive(const std::string& archive, bool keep = true)
    {
        Package package;
        package.archive = archive;
        return Run(PackageBytes(m_stub, package), keep);
    }

    // A shell script standing in for the installer: it reports its arguments and working folder.
    std::string InstallerScript(int exitCode) const
    {
        return "#!/bin/sh\n{ printf '%s\\n' \"$#\" \"$@\"; pwd -P; if [ -f Project.qst ]; then echo template; fi; } > '" +
               ReportPath().string() + "'\nexit " + std::to_string(exitCode) + "\n";
    }

    std::vector<std::string> ReportLines() const
    {
        std::vector<std::string> lines;
        std::ifstream in(ReportPath());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // Only the package and the (empty) temporary and kept folders may be below the root.
    void ExpectNothingWritten() const
    {
        std::set<std::string> entries;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Root()))
            entries.insert(fs::relative(entry.path(), Root()).generic_string());
        entries.erase("keep");
        entries.erase("stderr.txt");
        EXPECT_EQ(entries, (std::set<std::string>{"package.exe", "tmp"}));
    }

    bool TempIsEmpty() const { return fs::is_empty(Temp()); }

    pellora::ScopedTempFolder m_root;
    std::string m_stub;
};

TEST_F(StubTest, ExtractsEveryFileByteIdentical)
{
    Tree expected;
    expected.files["Project.qst"] = "[SOFTWARE]\r\nVERSION=1\r\n";
    expected.files["DRIVER_000/000/VARDO.INF"] = CompressibleBytes(40000, 1);
    expected.files["DRIVER_000/000/x64/deep/er/still/lib.dll"] = RandomBytes(70000, 2);
    expected.files["DRIVER_000/000/empty.txt"] = "";
    expected.files["DRIVER_000/001/big-deflated.cab"] = CompressibleBytes(3 * 1024 * 1024, 3);
    expected.files["DRIVER_000/001/big-stored.bin"] = RandomBytes(3 * 1024 * 1024, 4);
    expected.files["SETTING/Gr\xC3\xB6\xC3\x9F" "e.QIF"] = "[Info]\r\n";
    expected.folders = {"DRIVER_000",           "DRIVER_000/000",          "DRIVER_000/000/x64",
                        "DRIVER_000/000/x64/deep", "DRIVER_000/000/x64/deep/er", "DRIVER_000/000/x64/deep/er/still",
                        "DRIVER_000/001",       "DRIVER_000/empty folder", "SETTING"};
    LibZip zip;
    for (const auto& [name, content] : expected.files)
        zip.AddFile(name, content, name == "DRIVER_000/001/big-stored.bin" || name.ends_with("empty.txt"));
    zip.AddFolder("DRIVER_000/empty folder");

    EXPECT_EQ(RunArchive(zip.Bytes(Root() / "scratch.zip")), kExitNoInstaller);
    const Tree actual = ReadTree(Keep());
    EXPECT_EQ(actual.folders, expected.folders);
    ASSERT_EQ(actual.files.size(), expected.files.size());
    for (const auto& [name, content] : expected.files) {
        ASSERT_TRUE(actual.files.contains(name)) << name;
        EXPECT_TRUE(actual.files.at(name) == content) << name << " differs";
    }
    EXPECT_TRUE(TempIsEmpty());
}

TEST_F(StubTest, RunsInstallerWithCommandStringAndRemovesItsFolder)
{
    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(42));
    zip.AddFile("Project.qst", "[SOFTWARE]\r\n");
    zip.AddFile("DRIVER_000/000/a.inf", "x");

    EXPECT_EQ(RunArchive(zip.Bytes(Root() / "scratch.zip"), false), 42);
    const std::vector<std::string> report = ReportLines();
    ASSERT_EQ(report.size(), 4u);
    EXPECT_EQ(report[0], "1");
    EXPECT_EQ(report[1], "\"Project.qst\"");
    EXPECT_EQ(fs::path(report[2]).parent_path(), fs::canonical(Temp()));
    EXPECT_EQ(report[3], "template");
    EXPECT_TRUE(TempIsEmpty()) << "the extraction folder must be removed after the installer ends";
}

TEST_F(StubTest, FindsInstallerIgnoringLetterCaseAndPassesWideCommandAsUtf8)
{
    LibZip zip;
    zip.AddFile("cvsetup.EXE", InstallerScript(0));
    Package package;
    package.commandField = WideCountedString(u"\"Pr\u00FCfung.qst\"");
    package.archive = zip.Bytes(Root() / "scratch.zip");

    EXPECT_EQ(Run(PackageBytes(m_stub, package), false), 0);
    const std::vector<std::string> report = ReportLines();
    ASSERT_GE(report.size(), 2u);
    EXPECT_EQ(report[1], "\"Pr\xC3\xBC" "fung.qst\"");
}

TEST_F(StubTest, ReadsOlderTrailerLayout)
{
    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(5));
    zip.AddFile("Project.qst", "[SOFTWARE]\r\n");
    // Large enough that the padding probe window lies inside the archive.
    zip.AddFile("DRIVER_000/000/data.bin", RandomBytes(200000, 5), true);
    Package package;
    package.trailer = true;
    package.archive = zip.Bytes(Root() / "scratch.zip");

    EXPECT_EQ(Run(PackageBytes(m_stub, package)), 5);
    EXPECT_EQ(ReadBytes(Keep() / "DRIVER_000/000/data.bin"), RandomBytes(200000, 5));
    const std::vector<std::string> report = ReportLines();
    ASSERT_EQ(report.size(), 4u);
    EXPECT_EQ(report[1], "\"Project.qst\"");
}

TEST_F(StubTest, ReportsMissingOrUnstartableInstaller)
{
    LibZip zip;
    zip.AddFile("Project.qst", "x");
    EXPECT_EQ(RunArchive(zip.Bytes(Root() / "scratch.zip"), false), kExitNoInstaller);
    EXPECT_TRUE(TempIsEmpty());

    LibZip notAProgram;
    notAProgram.AddFile("CVSetUp.exe", "MZ this is no program for this system");
    EXPECT_EQ(RunArchive(notAProgram.Bytes(Root() / "scratch.zip"), false), kExitCannotRun);
    EXPECT_TRUE(TempIsEmpty());
}

TEST_F(StubTest, RefusesHostileNamesAndEntriesBeforeWritingAnything)
{
    const RawEntry harmless{.name = "CVSetUp.exe", .content = "#!/bin/sh\ntouch '" + (Root() / "ran").string() + "'\n"};
    struct Case {
        const char* what;
        RawEntry entry;
    };
    const std::string absolute = (Root() / "evil.txt").string();
    const std::vector<Case> cases = {
        {"parent folder", {.name = "../evil.txt", .content = "x"}},
        {"parent folder after a folder", {.name = "sub/../../evil.txt", .content = "x"}},
        {"parent folder with backslashes", {.name = "sub\\..\\..\\evil.txt", .content = "x"}},
        {"leading backslash", {.name = "\\evil.txt", .content = "x"}},
        {"absolute name", {.name = absolute, .content = "x"}},
        {"drive letter", {.name = "C:/evil.txt", .content = "x"}},
        {"drive-relative name", {.name = "C:evil.txt", .content = "x"}},
        {"NUL inside the name", {.name = std::string("ok.txt\0/../../evil.txt", 22), .content = "x"}},
        {"trailing dot", {.name = "sub/evil.", .content = "x"}},
        {"symbolic link", {.name = "link", .content = Root().string(), .external = 0120777u << 16}},
        {"device node", {.name = "device", .content = "", .external = 0020644u << 16}},
        {"encrypted entry", {.name = "secret.txt", .content = "x", .flags = 1}},
        {"unknown method", {.name = "packed.txt", .content = "x", .method = 12}},
        {"stored sizes that disagree", {.name = "a.txt", .content = "abc", .data = std::string("ab")}},
        {"entry data past the archive",
         {.name = "a.txt", .content = "abc", .size = 0x7FFFFFF0u, .compressedSize = 0x7FFFFFF0u}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RunArchive(RawZip({harmless, c.entry})), kExitBadPackage);
        ExpectNothingWritten();
        EXPECT_TRUE(ReadTree(Keep()).files.empty());
        fs::remove_all(Keep());
    }
}

TEST_F(StubTest, RefusesArchivesDeclaringMoreThanTheSizeLimit)
{
    // Two entries of almost 4 GiB each: refused from the directory alone, before any byte is inflated.
    const RawEntry huge{.name = "a.bin", .content = "x", .size = 0xFFFFFFF0u};
    RawEntry second = huge;
    second.name = "b.bin";
    EXPECT_EQ(RunArchive(RawZip({huge, second})), kExitBadPackage);
    ExpectNothingWritten();
}

TEST_F(StubTest, RefusesCorruptDataAndLeavesNoPartialFile)
{
    const std::string content = CompressibleBytes(200000, 7);
    struct Case {
        const char* what;
        RawEntry entry;
    };
    const std::vector<Case> cases = {
        {"CRC mismatch (stored)", {.name = "d/file.bin", .content = content, .crc = Crc(content) ^ 1u}},
        {"CRC mismatch (deflated)", {.name = "d/file.bin", .content = content, .method = 8, .crc = Crc(content) + 1}},
        {"more data than declared", {.name = "d/file.bin", .content = content, .method = 8, .size = 1000}},
        {"less data than declared", {.name = "d/file.bin", .content = content, .method = 8, .size = 300000}},
        {"cut deflate stream",
         {.name = "d/file.bin", .content = content, .method = 8, .data = RawDeflate(content).substr(0, 500)}},
        {"garbage deflate stream", {.name = "d/file.bin", .content = content, .method = 8,
                                    .data = std::string(64, '\xFF')}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string archive = RawZip({{.name = "good.txt", .content = "fine"}, c.entry});
        EXPECT_EQ(RunArchive(archive), kExitBadPackage);
        const Tree kept = ReadTree(Keep());
        EXPECT_EQ(kept.files, (std::map<std::string, std::string>{{"good.txt", "fine"}}));
        fs::remove_all(Keep());

        EXPECT_EQ(RunArchive(archive, false), kExitBadPackage);
        EXPECT_TRUE(TempIsEmpty()) << "the temporary folder must go also after a failure";
    }
}

TEST_F(StubTest, RefusesTruncatedPackages)
{
    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(0));
    zip.AddFile("DRIVER_000/000/data.bin", RandomBytes(100000, 9), true);
    Package package;
    package.archive = zip.Bytes(Root() / "scratch.zip");
    const std::string whole = PackageBytes(m_stub, package);

    // Cut inside the stub's zero fill, the 0x61 padding or the fixed fields: no header is found at all.
    const std::size_t insideStub = (m_stub.find_last_not_of('\0') + 1 + m_stub.size()) / 2;
    for (const std::size_t length : {insideStub, std::size_t{500000}, kHeaderOffset + 8}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(Run(whole.substr(0, length)), kExitNoPackage);
        ExpectNothingWritten();
    }
    // Cut inside the entry names, the command, the archive length or the archive.
    for (const std::size_t length : {kHeaderOffset + 14, kHeaderOffset + 40, kHeaderOffset + 70, whole.size() - 50000,
                                     whole.size() - 1}) {
        SCOPED_TRACE(length);
        EXPECT_EQ(Run(whole.substr(0, length)), kExitBadPackage);
        ExpectNothingWritten();
    }
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST_F(StubTest, RefusesLengthsPastTheEndOfTheFile)
{
    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(0));
    const std::string archive = zip.Bytes(Root() / "scratch.zip");
    const std::string stubSize = U32(static_cast<std::uint32_t>(m_stub.size()));
    const std::string head = m_stub + std::string(kHeaderOffset - m_stub.size(), 'a') + kVersionOne + stubSize;
    const std::string misplaced = RawZip({{.name = "a", .content = "b"}}, 0x10000);

    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"entry count", head + U32(0xFFFFFFFFu) + CountedString("x")},
        {"32-bit string length", head + U32(1) + "\xFF\xFF\xFF" + U32(0xFFFFFFF0u) + "abc"},
        {"16-bit string length", head + U32(1) + "\xFF" + U16(0xFFF0) + "abc"},
        {"wide string length", head + U32(0) + "\xFF\xFE\xFF\xFF\xFF\xFF" + U32(0x7FFFFFFFu) + "abc"},
        {"archive length", head + U32(0) + CountedString("\"P.qst\"") + U32(0xFFFFFFF0u) + archive},
        {"archive one byte short", head + U32(0) + CountedString("\"P.qst\"") +
                                       U32(static_cast<std::uint32_t>(archive.size() + 1)) + archive},
        {"trailer stub size", m_stub + U32(0) + CountedString("\"P.qst\"") + U32(0) + kVersionOne + U32(0x7FFFFFF0u)},
        {"central directory offset", head + U32(0) + CountedString("\"P.qst\"") +
                                         U32(static_cast<std::uint32_t>(misplaced.size())) + misplaced},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Run(c.bytes), kExitBadPackage);
        ExpectNothingWritten();
    }
}

TEST_F(StubTest, FileWithoutAValidHeaderIsNoPackage)
{
    EXPECT_EQ(Run(m_stub), kExitNoPackage);

    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(0));
    Package package;
    package.archive = zip.Bytes(Root() / "scratch.zip");
    std::string wrongVersion = PackageBytes(m_stub, package);
    wrongVersion[kHeaderOffset + 7] = '\x40'; // 2.0
    EXPECT_EQ(Run(wrongVersion), kExitNoPackage);

    std::string noStubSize = PackageBytes(m_stub, package);
    noStubSize.replace(kHeaderOffset + 8, 4, U32(0));
    EXPECT_EQ(Run(noStubSize), kExitNoPackage);

    package.trailer = true;
    std::string trailerWithoutSize = PackageBytes(m_stub, package);
    trailerWithoutSize.replace(trailerWithoutSize.size() - 4, 4, U32(0));
    EXPECT_EQ(Run(trailerWithoutSize), kExitNoPackage);
    ExpectNothingWritten();
}

TEST_F(StubTest, PassesItsOwnArgumentsAfterTheCommandString)
{
    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(0));
    zip.AddFile("Project.qst", "[SOFTWARE]\r\n");
    Package package;
    package.archive = zip.Bytes(Root() / "scratch.zip");
    EXPECT_EQ(Run(PackageBytes(m_stub, package), false, {"/quiet", "/log", "C:\\Logs\\a b.log"}), 0);
    const std::vector<std::string> report = ReportLines();
    ASSERT_EQ(report.size(), 7u);
    EXPECT_EQ(report[0], "4");
    EXPECT_EQ(report[1], "\"Project.qst\"");
    EXPECT_EQ(report[2], "/quiet");
    EXPECT_EQ(report[3], "/log");
    EXPECT_EQ(report[4], "C:\\Logs\\a b.log");
}

TEST_F(StubTest, ExplainsItsOwnFailuresUnlessQuiet)
{
    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(0));
    zip.AddFile("DRIVER_000/000/data.bin", RandomBytes(100000, 9), true);
    Package package;
    package.archive = zip.Bytes(Root() / "scratch.zip");
    const std::string cut = PackageBytes(m_stub, package).substr(0, kHeaderOffset + 40);

    EXPECT_EQ(Run(cut), kExitBadPackage);
    EXPECT_EQ(ErrorText(), "Pellora package: The printer package is damaged. Copy the package again.\n");
    EXPECT_EQ(Run(cut, true, {"/QUIET"}), kExitBadPackage);
    EXPECT_EQ(ErrorText(), "");

    LibZip noInstaller;
    noInstaller.AddFile("Project.qst", "x");
    EXPECT_EQ(RunArchive(noInstaller.Bytes(Root() / "scratch.zip"), false), kExitNoInstaller);
    EXPECT_NE(ErrorText().find("holds no installer (CVSetUp.exe)"), std::string::npos) << ErrorText();

    // The installer's own exit codes are its business: the stub says nothing about them.
    LibZip failing;
    failing.AddFile("CVSetUp.exe", InstallerScript(kExitBadPackage));
    EXPECT_EQ(RunArchive(failing.Bytes(Root() / "scratch.zip"), false), kExitBadPackage);
    EXPECT_EQ(ErrorText(), "");
}

TEST_F(StubTest, WaitsForEveryProcessTheInstallerLeavesBehind)
{
    const fs::path copy = Root() / "copied-later.qst";
    LibZip zip;
    zip.AddFile("CVSetUp.exe", "#!/bin/sh\n( sleep 1; cat Project.qst > '" + copy.string() + "' ) &\nexit 3\n");
    zip.AddFile("Project.qst", "[SOFTWARE]\r\nFILE=Pellora\r\n");
    EXPECT_EQ(RunArchive(zip.Bytes(Root() / "scratch.zip"), false), 3);
    EXPECT_EQ(ReadBytes(copy), "[SOFTWARE]\r\nFILE=Pellora\r\n") << "the process left behind still found its files";
    EXPECT_TRUE(TempIsEmpty());
}

// The temporary folder is a small file system of its own, mounted in a mount namespace of the test's own.
TEST_F(StubTest, ReportsATemporaryFolderWithoutSpace)
{
    LibZip zip;
    zip.AddFile("CVSetUp.exe", InstallerScript(0));
    zip.AddFile("DRIVER_000/000/big.bin", RandomBytes(400000, 11), true);
    Package package;
    package.archive = zip.Bytes(Root() / "scratch.zip");
    const std::vector<std::string> smallTemp = {
        "unshare", "--mount", "--propagation", "private", "sh", "-c",
        "mount -t tmpfs -o size=128k tmpfs \"$TMPDIR\" && exec \"$0\" \"$@\""};
    EXPECT_EQ(Run(PackageBytes(m_stub, package), false, {}, smallTemp), kExitDiskFull);
    EXPECT_NE(ErrorText().find("not enough space in the temporary folder"), std::string::npos) << ErrorText();
    EXPECT_FALSE(fs::exists(ReportPath()));
}

TEST(StubResourceTest, WindowsStubIsAPaddedX64Program)
{
    const std::span<const std::uint8_t> stub = pellora::PackageStubResource();
    ASSERT_EQ(stub.size(), pellora::kPackageStubSize);
    ASSERT_EQ(stub.size(), 409600u);
    EXPECT_EQ(stub[0], 'M');
    EXPECT_EQ(stub[1], 'Z');
    const std::uint32_t peOffset = stub[0x3C] | (stub[0x3D] << 8) | (stub[0x3E] << 16) | (stub[0x3F] << 24);
    ASSERT_LT(peOffset + 6u, stub.size());
    EXPECT_EQ(std::memcmp(stub.data() + peOffset, "PE\0\0", 4), 0);
    EXPECT_EQ(stub[peOffset + 4] | (stub[peOffset + 5] << 8), 0x8664) << "x86-64 machine";
    EXPECT_EQ(stub.back(), 0) << "padded with zero bytes";

    const std::string built = ReadBytes(PELLORA_WINDOWS_STUB_PATH);
    ASSERT_EQ(built.size(), stub.size());
    EXPECT_EQ(std::memcmp(built.data(), stub.data(), stub.size()), 0);
}

} // namespace
