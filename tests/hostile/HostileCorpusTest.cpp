// Every input of the hostile corpus (tests/data/hostile, manifest.tsv) through every entry point that
// reads it: pellora-cli validate, show, extract and build, the window's open and the string-table
// loader, each run as a process of its own. A run must refuse or accept as the corpus says, write nothing
// outside its target, leave nothing in the temporary folder, and stay within a time and a memory bound.

#include "core/util/Support.h"
#include "support/ChildProcess.h"
#include "support/FileTreeSupport.h"
#include "support/IsolatedTempEnvironment.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace pellora {
namespace {

const bool g_isolated = test::IsolatedTempEnvironment::Register();

// Generous for the sanitizer builds on a loaded machine: the faults these catch took minutes and
// gigabytes.
constexpr double kSecondsPerRun = 30.0;
constexpr long kBaseKiB = 400 * 1024;
constexpr long kKiBPerInputKiB = 6;

const std::set<int> kValidationStatuses{0, 6, 9, 10, 11, 14, 15, 17, 22, 25, 26, 27};

struct CorpusInput {
    std::string file;
    std::string kind; // package, project or table
    bool accepted = false;
    std::string extract; // accept, refuse, target or -
    bool linksInTarget = false;
    std::string what;
};

void PrintTo(const CorpusInput& input, std::ostream* out)
{
    *out << input.file << " (" << input.what << ")";
}

std::vector<CorpusInput> ReadManifest()
{
    std::vector<CorpusInput> inputs;
    std::ifstream in(fs::path(PELLORA_CORPUS_DIR) / "manifest.tsv");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() == '#')
            continue;
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        if (fields.size() != 6)
            continue;
        inputs.push_back({fields[0], fields[1], fields[2] == "accept", fields[3], fields[4] == "links", fields[5]});
    }
    return inputs;
}

struct Outcome {
    int status = -1;
    double seconds = 0;
    long peakKiB = 0;
    bool timedOut = false;
    std::string err;
};

// The highest resident memory of a running process so far, in KiB; 0 once it has ended.
long PeakKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::atol(line.c_str() + 6);
    }
    return 0;
}

unsigned long Checksum(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<char> block(64 * 1024);
    uLong sum = ::crc32(0, nullptr, 0);
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
        sum = ::crc32(sum, reinterpret_cast<const Bytef*>(block.data()), static_cast<uInt>(in.gcount()));
    return sum;
}

// What a folder holds, by path below it: "dir", "link:TARGET", the size and bytes of a file, or the kind.
std::map<std::string, std::string> Describe(const fs::path& folder, const std::set<fs::path>& skip = {})
{
    std::map<std::string, std::string> found;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (skip.contains(it->path())) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string name = fs::relative(it->path(), folder).string();
        const fs::file_status status = it->symlink_status();
        if (fs::is_symlink(status))
            found[name] = "link:" + fs::read_symlink(it->path()).string();
        else if (fs::is_directory(status))
            found[name] = "dir";
        else if (fs::is_regular_file(status))
            found[name] = std::to_string(fs::file_size(it->path())) + ":" + std::to_string(Checksum(it->path()));
        else
            found[name] = "special";
    }
    return found;
}

class HostileCorpusTest : public ::testing::TestWithParam<CorpusInput> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_sandbox.valid());
        fs::create_directories(tmp());
        fs::create_directories(work() / "in");
        fs::create_directories(out().parent_path());
        test::WriteFileBytes(work() / "outside" / "victim.txt", "never written");
        test::WriteFileBytes(work() / "outside" / "victim-folder" / "keep.txt", "never written");
        ASSERT_NO_FATAL_FAILURE(placeInput());
    }

    fs::path tmp() const { return m_sandbox.path() / "tmp"; }
    fs::path work() const { return m_sandbox.path() / "work"; }
    // Three folders down, so that a name climbing out of the target lands where it is seen.
    fs::path out() const { return work() / "a" / "b" / "out"; }
    fs::path input() const { return work() / "in" / m_name; }

    // The input as a file of its own: copied, expanded from its ".gz", or a special file made here.
    void placeInput()
    {
        const CorpusInput& corpus = GetParam();
        m_name = corpus.file.front() == '@' ? corpus.file.substr(1) : corpus.file;
        const fs::path source = fs::path(PELLORA_CORPUS_DIR) / corpus.file;
        if (corpus.file.starts_with("@pipe")) {
            ASSERT_EQ(::mkfifo(input().c_str(), 0600), 0);
        } else if (corpus.file.starts_with("@device")) {
            fs::create_symlink("/dev/zero", input());
        } else if (corpus.file.starts_with("@folder")) {
            test::WriteFileBytes(input() / "site.qst", "a folder, not a file");
        } else if (fs::exists(source)) {
            fs::copy_file(source, input());
        } else {
            gzFile packed = ::gzopen((source.string() + ".gz").c_str(), "rb");
            ASSERT_NE(packed, nullptr) << "missing from the corpus: " << corpus.file;
            std::ofstream expanded(input(), std::ios::binary);
            std::vector<char> block(1 << 20);
            for (int got; (got = ::gzread(packed, block.data(), static_cast<unsigned>(block.size()))) > 0;)
                expanded.write(block.data(), got);
            ::gzclose(packed);
        }
        struct stat info {};
        m_inputKiB = ::lstat(input().c_str(), &info) == 0 && S_ISREG(info.st_mode) ? info.st_size / 1024 : 0;
    }

    // Runs a program in the sandbox and measures it; the run's own failures are test failures.
    Outcome Run(const std::vector<std::string>& arguments) const
    {
        const fs::path errors = m_sandbox.path() / "stderr.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> argv = arguments;
        const std::vector<char*> argp = test::NullTerminated(argv);
        std::vector<std::string> environment = test::ChildEnvironment(
            {"TMPDIR=" + tmp().string(), "LANG=C", "XDG_CONFIG_HOME=" + (m_sandbox.path() / "config").string()}, {"LC_"});
        const std::vector<char*> envp = test::NullTerminated(environment);

        Outcome outcome;
        pid_t pid = 0;
        const auto start = std::chrono::steady_clock::now();
        const int spawned = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << arguments.front();
            return outcome;
        }
        int status = 0;
        for (;;) {
            // The process's own peak: what the kernel reports when it ends also counts this test's own
            // memory, which the process was started from.
            outcome.peakKiB = std::max(outcome.peakKiB, PeakKiB(pid));
            const pid_t ended = ::waitpid(pid, &status, WNOHANG);
            outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (ended == pid)
                break;
            if (outcome.seconds > kSecondsPerRun && !outcome.timedOut) {
                outcome.timedOut = true;
                ::kill(pid, SIGKILL);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        outcome.err = test::ReadFileBytes(errors);
        return outcome;
    }

    Outcome Cli(const std::vector<std::string>& arguments) const
    {
        std::vector<std::string> argv{(fs::path(PELLORA_BIN_DIR) / "pellora-cli").string()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        return Run(argv);
    }

    // Runs one entry point and checks what every run must keep to; returns its outcome.
    Outcome Checked(const std::string& entry, const std::vector<std::string>& argv)
    {
        SCOPED_TRACE(entry);
        const auto before = Describe(work(), {out()});
        const Outcome outcome = Run(argv);
        EXPECT_FALSE(outcome.timedOut) << entry << " ran longer than " << kSecondsPerRun << " s";
        EXPECT_LE(outcome.peakKiB, kBaseKiB + kKiBPerInputKiB * m_inputKiB) << entry << " used too much memory";
        EXPECT_LT(outcome.status, 128) << entry << " ended by a signal: " << outcome.err;
        EXPECT_EQ(Describe(work(), {out()}), before) << entry << " wrote outside its target";
        // The temporary folder holds at most the empty work folder.
        std::vector<std::string> left;
        for (const auto& [name, kind] : Describe(tmp())) {
            if (name != WorkFolderName(GetOwnInternalName()))
                left.push_back(name);
        }
        EXPECT_EQ(left, std::vector<std::string>{}) << entry << " left temporary files";
        RecordProperty(entry, std::to_string(outcome.seconds) + " s, " + std::to_string(outcome.peakKiB) + " KiB");
        return outcome;
    }

    ScopedTempFolder m_sandbox;
    std::string m_name;
    long m_inputKiB = 0;
};

TEST(HostileCorpus, HoldsEnoughInputsOfEveryKind)
{
    std::map<std::string, int> kinds;
    std::map<bool, int> verdicts;
    for (const CorpusInput& input : ReadManifest()) {
        ++kinds[input.kind];
        ++verdicts[input.accepted];
    }
    EXPECT_GE(kinds["package"] + kinds["project"] + kinds["table"], 150);
    EXPECT_GE(kinds["package"], 50);
    EXPECT_GE(kinds["project"], 25);
    EXPECT_GE(kinds["table"], 40);
    EXPECT_GE(verdicts[false], 100);
    EXPECT_GE(verdicts[true], 30);
}

TEST_P(HostileCorpusTest, IsTakenAsTheCorpusSaysAndHarmsNothing)
{
    const CorpusInput& corpus = GetParam();
    RecordProperty("what", corpus.what);
    const std::string file = input().string();
    if (corpus.kind == "table") {
        const fs::path program = work() / "a" / "b" / "out" / "program";
        fs::create_directories(program);
        if (fs::is_symlink(input()) || !fs::is_regular_file(input()))
            fs::rename(input(), program / "TSST0000.dat");
        else
            fs::copy_file(input(), program / "TSST0000.dat");
        const Outcome loaded = Checked("table", {PELLORA_PROBE_PATH, "table", program.string()});
        EXPECT_EQ(loaded.status, corpus.accepted ? 0 : 1) << loaded.err;
        return;
    }

    const Outcome opened = Checked("open", {PELLORA_PROBE_PATH, "open", PELLORA_BIN_DIR, file});
    EXPECT_EQ(opened.status, corpus.accepted ? 0 : 5) << opened.err;
    const Outcome shown = Checked("show", {(fs::path(PELLORA_BIN_DIR) / "pellora-cli").string(), "show", file});
    EXPECT_EQ(shown.status, corpus.accepted ? 0 : 5) << shown.err;
    const Outcome validated = Checked("validate", {(fs::path(PELLORA_BIN_DIR) / "pellora-cli").string(), "validate", file});
    if (corpus.accepted)
        EXPECT_TRUE(kValidationStatuses.contains(validated.status)) << validated.status << ": " << validated.err;
    else
        EXPECT_EQ(validated.status, 5) << validated.err;
    const fs::path built = out() / "built.exe";
    const Outcome build = Checked("build", {(fs::path(PELLORA_BIN_DIR) / "pellora-cli").string(), "build", file, "-o",
                                            built.string()});
    EXPECT_EQ(build.status, corpus.accepted ? validated.status : 5) << build.err;
    EXPECT_EQ(fs::exists(built), build.status == 0);

    if (corpus.kind != "package")
        return;
    const fs::path unpacked = out() / "unpacked";
    if (corpus.linksInTarget) {
        fs::create_directories(unpacked);
        fs::create_symlink(work() / "outside" / "victim.txt", unpacked / "site.qst");
        fs::create_directory_symlink(work() / "outside" / "victim-folder", unpacked / "SETTING");
    }
    const auto targetBefore = Describe(out());
    const Outcome extracted = Checked("extract", {(fs::path(PELLORA_BIN_DIR) / "pellora-cli").string(), "extract",
                                                  file, "-o", unpacked.string()});
    const int expected = corpus.extract == "accept" ? 0 : corpus.extract == "target" ? 6 : 5;
    EXPECT_EQ(extracted.status, expected) << extracted.err;
    if (expected != 0) {
        EXPECT_EQ(Describe(out()), targetBefore) << "a failed extraction changed its target";
    } else if (corpus.linksInTarget) {
        EXPECT_FALSE(fs::is_symlink(unpacked / "site.qst")) << "a link in the target was written through";
    }
}

std::string TestName(const ::testing::TestParamInfo<CorpusInput>& info)
{
    std::string name = info.param.file;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileCorpusTest, ::testing::ValuesIn(ReadManifest()), TestName);

} // namespace
} // namespace pellora
