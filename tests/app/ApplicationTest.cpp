#include "app/Application.h"

#include "app/DropFilesHandOver.h"
#include "app/SingleInstance.h"
#include "core/i18n/StringServiceClient.h"
#include "core/platform/DropFilesBlock.h"
#include "core/platform/UserRuntime.h"
#include "core/util/IniFile.h"
#include "core/util/Support.h"
#include "support/StringTableFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <thread>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace pellora {
namespace {

constexpr std::string_view kNeutralBody = "[String Table]\r\n"
                                          "103=Another instance runs.\r\n"
                                          "105=Model list missing.\r\n"
                                          "106=Cannot open.\r\n"
                                          "107=No display.\r\n"
                                          "108=Printer Selection\r\n"
                                          "109=Network\r\n"
                                          "110=Shared Printers\r\n"
                                          "[Pellorix.exe\\MESSAGE]\r\n"
                                          "M4=4:103\r\n"
                                          "M5=5:106\r\n"
                                          "M24=24:105\r\n"
                                          "[Pellorix.exe\\START]\r\n"
                                          "ND=1:107\r\n"
                                          "[Pellorix.exe\\IDD_DIALOG_LEFT]\r\n"
                                          "TITLE=0:108\r\n"
                                          "TABS=1001:109,110\r\n";
constexpr std::string_view kGermanBody = "[String Table]\r\n"
                                         "103=Eine andere Instanz l\xC3\xA4uft.\r\n"
                                         "[Pellorix.exe\\MESSAGE]\r\n"
                                         "M4=4:103\r\n";

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Variables each run sets for itself; the display variables are left out unless a test gives them, so
// that a start has no display by default.
bool isPrivateVariable(std::string_view entry)
{
    for (const char* name : {"HOME=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=", "TMPDIR=", "LANG=", "LANGUAGE=", "LC_",
                             "DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="}) {
        if (entry.substr(0, std::strlen(name)) == name)
            return true;
    }
    return false;
}

const std::map<std::string, std::string> kOffscreen {{"QT_QPA_PLATFORM", "offscreen"}};

// A started program: killed and reaped when the test leaves it running.
struct Child {
    pid_t pid = -1;
    bool reaped = false;
    int status = 0;
    fs::path outFile;
    fs::path errFile;

    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child()
    {
        if (pid > 0 && !reaped) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    std::string err() const { return readFile(errFile); }
    bool running()
    {
        if (pid <= 0 || reaped)
            return false;
        const pid_t result = ::waitpid(pid, &status, WNOHANG);
        if (result == pid)
            reaped = true;
        return result == 0;
    }
    // Waits for the end; the exit status, -1 when the program did not exit normally.
    int wait()
    {
        if (pid <= 0)
            return -1;
        if (!reaped) {
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            reaped = true;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// Runs the built program from a program folder of its own, with its own home, configuration,
// runtime and temporary folders.
class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_places.valid());
        for (const char* name : {"home", "config", "run", "tmp"})
            fs::create_directories(m_places.path() / name);
        fs::copy_file(fs::path(PELLORA_BIN_DIR) / "pellora", program());
        for (const char* picture : {"CVDATA1.DAT", "CVDATA2.DAT"}) {
            std::error_code error;
            fs::copy_file(fs::path(PELLORA_BIN_DIR) / picture, programFolder() / picture, error);
        }
    }

    fs::path programFolder() const { return m_fixture.folder().path(); }
    fs::path program() const { return programFolder() / "pellora"; }
    fs::path script() const { return programFolder() / kCommandLineScriptName; }
    fs::path runtimeFolder() const { return m_places.path() / "run"; }
    fs::path settingsFile() const { return m_places.path() / "config" / "VARDO" / "Pellora.ini"; }
    fs::path socketFile() const { return HandOverSocketPath("pellora", runtimeFolder()); }

    // Starts the program without waiting for it; its output goes to files named after the tag.
    void start(Child& child, const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& extra = {}, const std::string& tag = "run")
    {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            if (!isPrivateVariable(*entry))
                environment.emplace_back(*entry);
        }
        environment.push_back("HOME=" + (m_places.path() / "home").string());
        environment.push_back("XDG_CONFIG_HOME=" + (m_places.path() / "config").string());
        environment.push_back("XDG_RUNTIME_DIR=" + runtimeFolder().string());
        environment.push_back("TMPDIR=" + (m_places.path() / "tmp").string());
        for (const auto& [name, value] : extra)
            environment.push_back(name + "=" + value);

        const std::string programText = program().string();
        std::vector<char*> argv {const_cast<char*>(programText.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        child.outFile = m_places.path() / (tag + "-stdout.txt");
        child.errFile = m_places.path() / (tag + "-stderr.txt");
        const int out = ::open(child.outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int err = ::open(child.errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const std::string folderText = programFolder().string();
        if (out < 0 || err < 0) {
            ADD_FAILURE() << "cannot create the output files";
            return;
        }
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(folderText.c_str()) != 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
                ::_exit(126);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out);
        ::close(err);
        if (pid < 0)
            ADD_FAILURE() << "cannot start the program";
        child.pid = pid;
    }

    static RunResult finish(Child& child)
    {
        RunResult result;
        result.status = child.wait();
        result.out = readFile(child.outFile);
        result.err = readFile(child.errFile);
        return result;
    }

    RunResult run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& extra = {})
    {
        Child child;
        start(child, arguments, extra);
        return finish(child);
    }

    // The "hWnd" value of the settings file as another process sees it; 0 when there is none.
    long long windowHandle() const
    {
        const std::string text = readFile(settingsFile());
        const std::size_t at = text.find("hWnd=");
        return at == std::string::npos ? 0 : std::atoll(text.c_str() + at + 5);
    }

    void writeWindowHandle(long long value) const
    {
        fs::create_directories(settingsFile().parent_path());
        std::ofstream(settingsFile(), std::ios::binary | std::ios::trunc) << "[Settings]\r\nhWnd=" << value << "\r\n";
    }

    // Starts an interactive first instance on the offscreen platform and waits until it has published
    // its window.
    void startFirstInstance(Child& first, const std::vector<std::string>& arguments = {})
    {
        start(first, arguments, kOffscreen, "first");
        ASSERT_TRUE(waitUntil([&] { return windowHandle() != 0 || !first.running(); }));
        ASSERT_TRUE(first.running()) << first.err();
    }

    fs::path writeProjectFile(std::string_view name, std::string_view bytes) const
    {
        return m_fixture.folder().writeFile(name, bytes);
    }

    // Holds the single-instance lock the way a running interactive instance does.
    std::unique_ptr<SingleInstance> holdInstanceLock()
    {
        auto lock = std::make_unique<SingleInstance>("pellora", runtimeFolder());
        EXPECT_EQ(lock->Acquire(), SingleInstance::State::Acquired);
        return lock;
    }

    CIniFile readScript() const
    {
        CIniFile ini;
        EXPECT_TRUE(ini.Load(script()));
        return ini;
    }

    static std::string value(const CIniFile& ini, std::string_view section, std::string_view key)
    {
        const CIniSection* found = ini.FindSection(section);
        if (found == nullptr)
            return "<no section " + std::string(section) + ">";
        const std::string* text = found->FindValue(key);
        return text ? *text : "<no key " + std::string(key) + ">";
    }

    test::StringTableFixture m_fixture { kNeutralBody };
    ScopedTempFolder m_places;
};

// The runs of this test have no display at all: script mode needs none.
TEST_F(ApplicationTest, ScriptModeWritesOnePrinterSilently)
{
    const RunResult result = run({"/MVARDO RX-C3400", "/A10.0.0.5", "/I/srv/drivers/rx"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");

    const CIniFile ini = readScript();
    EXPECT_EQ(value(ini, "PRINTER", "COUNT"), "1");
    EXPECT_EQ(ini.FindSection("PRINTER2"), nullptr);
    EXPECT_EQ(value(ini, "PRINTER1", "PRINTERNAME"), "RX-C3400(10.0.0.5)");
    EXPECT_EQ(value(ini, "PRINTER1", "PRN_ADDRESS"), "10.0.0.5");
    EXPECT_EQ(value(ini, "PRINTER1", "MODELNAME"), "RX-C3400");
    EXPECT_EQ(value(ini, "PRINTER1", "USE_FOLDER"), "1");
    EXPECT_EQ(value(ini, "PRINTER1", "USE_CDROM"), "0");
    EXPECT_EQ(value(ini, "PRINTER1", "FOLDER_PATH"), "/srv/drivers/rx");
    EXPECT_EQ(value(ini, "ETC", "LOGFILE"), "KOVAINST.LOG");

    // No settings are read or written.
    EXPECT_FALSE(fs::exists(settingsFile()));
}

TEST_F(ApplicationTest, ScriptModeWithoutFolderTakesTheProgramFolder)
{
    const RunResult result = run({"-mRX-C3400", "-a192.0.2.7"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    const CIniFile ini = readScript();
    EXPECT_EQ(value(ini, "PRINTER1", "PRINTERNAME"), "RX-C3400(192.0.2.7)");
    EXPECT_EQ(value(ini, "PRINTER1", "FOLDER_PATH"), fs::canonical(programFolder()).string());
}

TEST_F(ApplicationTest, ScriptModeRunsBesideARunningInstanceButASecondInteractiveStartEnds)
{
    const auto lock = holdInstanceLock();

    const RunResult scripted = run({"/MVARDO RX-C3400", "/A10.0.0.5"});
    EXPECT_EQ(scripted.status, 0);
    EXPECT_EQ(scripted.err, "");
    EXPECT_TRUE(fs::exists(script()));

    const RunResult second = run({});
    EXPECT_NE(second.status, 0);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "Pellora: Another instance runs.\n");
    EXPECT_FALSE(fs::exists(settingsFile()));

    // A model that the list does not name makes the start interactive: it is refused and told so.
    const RunResult unlisted = run({"/MRX-Z9999", "/A10.0.0.5"});
    EXPECT_NE(unlisted.status, 0);
    EXPECT_EQ(unlisted.err, "Pellora: Another instance runs.\n");
}

TEST_F(ApplicationTest, UnlistedModelViewModeAndDdeStartInteractively)
{
    // Without a display the interactive start cannot make its windows and says so.
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>> {
             {"/MRX-Z9999", "/A10.0.0.5"},
             {"/V", "/MRX-C3400", "/A10.0.0.5"},
             {"/MRX-C3400", "/A10.0.0.5", "/dde"},
         }) {
        const RunResult result = run(arguments);
        EXPECT_EQ(result.status, kStartupFailedStatus) << arguments[0];
        EXPECT_EQ(result.err, "Pellora: No display.\n") << arguments[0];
        EXPECT_FALSE(fs::exists(script())) << arguments[0];
    }
}

TEST_F(ApplicationTest, AnInteractiveStartPublishesItsWindowAndTakesItBackAtTheEnd)
{
    Child first;
    startFirstInstance(first);
    EXPECT_TRUE(fs::exists(socketFile()));
    EXPECT_EQ(readFile(settingsFile()).find("BackImage"), std::string::npos); // written at the end

    ASSERT_EQ(::kill(first.pid, SIGTERM), 0);
    EXPECT_EQ(first.wait(), 0) << first.err();
    EXPECT_EQ(windowHandle(), 0);
    EXPECT_NE(readFile(settingsFile()).find("BackImage=0\r\n"), std::string::npos);
    EXPECT_FALSE(fs::exists(socketFile()));
    EXPECT_EQ(first.err().find("Pellora:"), std::string::npos) << first.err(); // no message was shown
}

TEST_F(ApplicationTest, FilesOfTheCommandLineAreOpenedAsProjects)
{
    ASSERT_EQ(run({"/MRX-C3400", "/A10.0.0.5"}).status, 0);
    const fs::path bad = writeProjectFile("bad.qst", "this is no project");

    Child first;
    startFirstInstance(first, {script().string(), "bad.qst"});
    // The script opens silently, the damaged file is reported by name.
    const std::string err = first.err();
    EXPECT_NE(err.find("Pellora: bad.qst:\nCannot open.\n"), std::string::npos) << err;
    EXPECT_EQ(err.find(std::string(kCommandLineScriptName) + ":"), std::string::npos) << err;
    ASSERT_EQ(::kill(first.pid, SIGTERM), 0);
    EXPECT_EQ(first.wait(), 0);
}

TEST_F(ApplicationTest, ASecondStartHandsItsFilesToTheFirstAndEnds)
{
    writeProjectFile("one.qst", "not a project");
    writeProjectFile("two.qst", "no project either");
    Child first;
    startFirstInstance(first);

    const RunResult second = run({"one.qst", "/Ftwo.qst"});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");

    // The first instance opens both, in order (each reports that it is no project).
    EXPECT_TRUE(waitUntil([&] { return first.err().find("two.qst:") != std::string::npos; })) << first.err();
    const std::string err = first.err();
    const std::size_t one = err.find("Pellora: one.qst:\nCannot open.\n");
    const std::size_t two = err.find("Pellora: two.qst:\nCannot open.\n");
    ASSERT_NE(one, std::string::npos) << err;
    ASSERT_NE(two, std::string::npos) << err;
    EXPECT_LT(one, two);

    // A second start without files has nothing to hand over.
    const RunResult empty = run({});
    EXPECT_EQ(empty.status, kStartupFailedStatus);
    EXPECT_EQ(empty.err, "Pellora: Another instance runs.\n");

    ASSERT_EQ(::kill(first.pid, SIGTERM), 0);
    EXPECT_EQ(first.wait(), 0);
}

TEST_F(ApplicationTest, HostileBlocksDoNotHarmTheFirstInstance)
{
    writeProjectFile("after.qst", "not a project");
    Child first;
    startFirstInstance(first);

    std::vector<std::uint8_t> truncated = platform::EncodeDropFiles(std::vector<std::string> {"/x/a.qst", "/x/b.qst"});
    truncated.resize(truncated.size() - 5);
    std::vector<std::uint8_t> wild = platform::EncodeDropFiles(std::vector<std::string> {"/x/c.qst"});
    wild[0] = 0xFF;
    wild[1] = 0xFF;
    wild[2] = 0xFF;
    wild[3] = 0xFF;
    for (const auto& block : {std::vector<std::uint8_t> {}, std::vector<std::uint8_t>(19, 0), truncated, wild,
                              std::vector<std::uint8_t>(300000, 0xAB)})
        SendDropFiles(socketFile(), block);

    const fs::path after = fs::canonical(programFolder()) / "after.qst";
    ASSERT_EQ(SendDropFiles(socketFile(), platform::EncodeDropFiles(std::vector<std::string> {after.string()})),
              HandOverResult::Delivered);
    EXPECT_TRUE(waitUntil([&] { return first.err().find("after.qst:") != std::string::npos; })) << first.err();
    EXPECT_TRUE(first.running());
    const std::string err = first.err();
    for (const char* name : {"a.qst", "b.qst", "c.qst"})
        EXPECT_EQ(err.find(name), std::string::npos) << name;

    ASSERT_EQ(::kill(first.pid, SIGTERM), 0);
    EXPECT_EQ(first.wait(), 0);
}

// The test takes the first instance's part: it holds the lock and listens at the socket.
class HandOverReceiver {
public:
    explicit HandOverReceiver(const fs::path& socket)
    {
        m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::listen(m_listener, 4), 0);
    }
    ~HandOverReceiver() { ::close(m_listener); }

    // The bytes of the next connection up to its end; nothing when none comes within the time.
    std::optional<std::string> receive(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const
    {
        pollfd entry {m_listener, POLLIN, 0};
        if (::poll(&entry, 1, static_cast<int>(timeout.count())) != 1)
            return std::nullopt;
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            return std::nullopt;
        std::string bytes;
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(connection, buffer, sizeof(buffer))) > 0)
            bytes.append(buffer, static_cast<std::size_t>(got));
        ::close(connection);
        return bytes;
    }

private:
    int m_listener = -1;
};

TEST_F(ApplicationTest, TheHandOverBlockIsByteExact)
{
    const auto lock = holdInstanceLock();
    writeWindowHandle(4242);
    const HandOverReceiver receiver(socketFile());

    Child second;
    start(second, {"a.qst", "sub/b c.qst"});
    const std::optional<std::string> block = receiver.receive();
    EXPECT_EQ(finish(second).status, 0);
    ASSERT_TRUE(block);

    const std::string folder = fs::canonical(programFolder()).string();
    std::string expected("\x14\0\0\0" "\0\0\0\0" "\0\0\0\0" "\x01\0\0\0" "\0\0\0\0", 20);
    expected += folder + "/a.qst";
    expected += '\0';
    expected += folder + "/sub/b c.qst";
    expected += '\0';
    expected += '\0';
    EXPECT_EQ(*block, expected);
    EXPECT_EQ(block->size(), 20 + (folder.size() + 7) + (folder.size() + 13) + 1);
}

TEST_F(ApplicationTest, TheSecondStartWaitsForTheFirstToPublishItsWindow)
{
    const auto lock = holdInstanceLock();
    writeWindowHandle(0);
    const HandOverReceiver receiver(socketFile());

    Child second;
    start(second, {"late.qst"});
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_TRUE(second.running()); // still polling "hWnd"
    EXPECT_FALSE(receiver.receive(std::chrono::milliseconds(0)));
    writeWindowHandle(31337);

    const std::optional<std::string> block = receiver.receive();
    ASSERT_TRUE(block);
    EXPECT_NE(block->find("/late.qst"), std::string::npos);
    EXPECT_EQ(finish(second).status, 0);
}

TEST_F(ApplicationTest, WithoutAWindowToTakeThemTheFilesAreRefusedWithMessage4)
{
    const auto lock = holdInstanceLock();

    // A value is there but nobody listens: no live window. (How long a start waits for "hWnd" to be
    // published is the wait's own test, with its sleeps counted instead of timed.)
    writeWindowHandle(99);
    const RunResult stale = run({"a.qst"});
    EXPECT_EQ(stale.status, kStartupFailedStatus);
    EXPECT_EQ(stale.err, "Pellora: Another instance runs.\n");
}

TEST_F(ApplicationTest, AViewModeSecondStartNeverHandsOver)
{
    const auto lock = holdInstanceLock();
    writeWindowHandle(4242);
    const HandOverReceiver receiver(socketFile());

    const RunResult result = run({"/V", "a.qst"});
    EXPECT_EQ(result.status, kStartupFailedStatus);
    EXPECT_EQ(result.err, "Pellora: Another instance runs.\n");
    EXPECT_FALSE(receiver.receive(std::chrono::milliseconds(100)));
}

TEST_F(ApplicationTest, MissingStringTableShowsTheFixedTextEvenInScriptMode)
{
    fs::remove(programFolder() / "TSST0000.dat");
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>> {
             {"/MRX-C3400", "/A10.0.0.5"}, {}}) {
        const RunResult result = run(arguments);
        EXPECT_NE(result.status, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, std::string(kResourceFileMissing) + "\n");
    }
    EXPECT_FALSE(fs::exists(script()));

    const auto lock = holdInstanceLock();
    EXPECT_EQ(run({}).err, "resource file is not exist.\n");
}

TEST_F(ApplicationTest, MissingModelListEndsTheStartWithMessage24)
{
    m_fixture.folder().removeModelList();

    const RunResult scripted = run({"/MRX-C3400", "/A10.0.0.5"});
    EXPECT_NE(scripted.status, 0);
    EXPECT_EQ(scripted.err, ""); // script mode shows no numbered message
    EXPECT_FALSE(fs::exists(script()));

    const RunResult interactive = run({});
    EXPECT_NE(interactive.status, 0);
    EXPECT_EQ(interactive.err, "Pellora: Model list missing.\n");
}

TEST_F(ApplicationTest, FailedScriptWriteIsReportedByTheExitStatus)
{
    fs::create_directory(script());
    const RunResult result = run({"/MRX-C3400", "/A10.0.0.5"});
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(fs::is_directory(script()));
}

TEST_F(ApplicationTest, FailedScriptWriteLeavesNoEarlierScriptBehind)
{
    // A caller that looks for the file after the run must not take an earlier run's script for this one.
    m_fixture.folder().writeFile(std::string(kCommandLineScriptName), "the script of an earlier run");
    const RunResult result = run({"/MRX-C3400", "/A10.0.0.5\nINJECTED=1"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "");
    EXPECT_FALSE(fs::exists(script()));
}

TEST_F(ApplicationTest, TheLanguageComesFromTheLocaleUnlessTheCommandLineNamesOne)
{
    m_fixture.WriteTableFor(0x0407, kGermanBody);
    const auto lock = holdInstanceLock();

    EXPECT_EQ(run({}, {{"LANG", "de_AT.UTF-8"}}).err, "Pellora: Eine andere Instanz l\xC3\xA4uft.\n");
    EXPECT_EQ(run({"/L0"}, {{"LANG", "de_DE.UTF-8"}}).err, "Pellora: Another instance runs.\n");
    EXPECT_EQ(run({"/L407"}).err, "Pellora: Eine andere Instanz l\xC3\xA4uft.\n");
    EXPECT_EQ(run({"/L411"}).err, "Pellora: Another instance runs.\n"); // no Japanese table: the neutral one
}

// The string-editing tool's end, for a program started by the test: its names follow the runtime folder
// the test gives the program.
class ViewModeTest : public ApplicationTest {
protected:
    static constexpr auto kAnswered = std::chrono::seconds(20);
    static constexpr auto kNoAnswer = std::chrono::milliseconds(400);

    platform::StringServiceNames names() const
    {
        return platform::StringServiceNames::In(runtimeFolder(), platform::UserTag());
    }

    // Starts "pellora /V" on the offscreen platform and connects to its string service.
    void startViewMode(Child& program, StringServiceClient& tool)
    {
        start(program, {"/V"}, kOffscreen, "view");
        ASSERT_TRUE(tool.Connect(std::chrono::seconds(30)).ok()) << program.err();
    }

    static StringServiceRecord showRecord(std::string section, std::int32_t identifier, std::int32_t textNumber = 0)
    {
        StringServiceRecord record;
        record.section = std::move(section);
        record.identifier = identifier;
        record.textNumber = textNumber;
        return record;
    }
};

TEST_F(ViewModeTest, WithoutTheToolsSharedMemoryTheStartFailsWithItsFixedText)
{
    RunResult result = run({"/V"}, kOffscreen);
    EXPECT_EQ(result.status, kStartupFailedStatus);
    EXPECT_NE(result.err.find("Pellora: error OpenFileMapping()\n"), std::string::npos) << result.err;

    // Shared memory without bytes cannot be mapped.
    const int empty = ::shm_open(names().mapping.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(empty, 0);
    result = run({"/V"}, kOffscreen);
    ::close(empty);
    ::shm_unlink(names().mapping.c_str());
    EXPECT_EQ(result.status, kStartupFailedStatus);
    EXPECT_NE(result.err.find("Pellora: error MapViewOfFile()\n"), std::string::npos) << result.err;

    // Something that is no socket where the program would listen.
    StringServiceClient tool(names());
    ASSERT_TRUE(tool.CreateRecords().ok());
    fs::create_directories(names().socket);
    result = run({"/V"}, kOffscreen);
    EXPECT_EQ(result.status, kStartupFailedStatus);
    EXPECT_NE(result.err.find("Pellora: error Create()\n"), std::string::npos) << result.err;
}

TEST_F(ViewModeTest, TheToolShowsMessagesReplacesTextsAndClosesTheProgram)
{
    StringServiceClient tool(names());
    ASSERT_TRUE(tool.CreateRecords().ok());
    Child program;
    startViewMode(program, tool);

    // The message section in lower case shows message 5, without waiting for anyone to close it.
    using Answer = StringServiceClient::Answer;
    EXPECT_EQ(tool.Send(1, showRecord("message", 5), kAnswered), Answer::Answered);
    EXPECT_TRUE(waitUntil([&] { return program.err().find("Pellora: Cannot open.\n") != std::string::npos; }))
        << program.err();

    // A replaced text shows at once; a language switch falls back to the neutral table and drops it.
    StringServiceRecord replace;
    replace.textNumber = 106;
    replace.text = "Kann nicht \xC3\xB6" "ffnen.";
    EXPECT_EQ(tool.Send(2, replace, kAnswered), Answer::Answered);
    EXPECT_EQ(tool.Send(1, showRecord("MESSAGE", 5), kAnswered), Answer::Answered);
    StringServiceRecord german;
    german.language = 0x0407;
    EXPECT_EQ(tool.Send(0, german, kAnswered), Answer::Answered);
    EXPECT_TRUE(waitUntil([&] {
        const std::string err = program.err();
        const std::size_t replaced = err.find("Pellora: Kann nicht \xC3\xB6" "ffnen.\n");
        return replaced != std::string::npos && err.find("Pellora: Cannot open.\n", replaced) != std::string::npos;
    })) << program.err();

    // The left pane's tabs and any other screen are answered once shown.
    EXPECT_EQ(tool.Send(1, showRecord("IDD_DIALOG_LEFT", 1001, 110), kAnswered), Answer::Answered);
    EXPECT_EQ(tool.Send(1, showRecord("IDD_DIALOG_SECURITY", 1153), kAnswered), Answer::Answered);

    // The option dialog shown last refuses to be closed by the user; the program ends all the same.
    EXPECT_EQ(tool.Send(3, {}, kAnswered), Answer::Answered);
    ASSERT_TRUE(waitUntil([&] { return !program.running(); })) << program.err();
    EXPECT_EQ(program.wait(), 0) << program.err();
}

TEST_F(ViewModeTest, HostileCommandsAreRefusedWithoutAnswerAndTheProgramGoesOn)
{
    StringServiceClient tool(names());
    ASSERT_TRUE(tool.CreateRecords(2).ok());
    Child program;
    startViewMode(program, tool);
    using Answer = StringServiceClient::Answer;

    EXPECT_EQ(tool.Send(4, showRecord("MESSAGE", 5), kNoAnswer), Answer::TimedOut); // no such command
    EXPECT_EQ(tool.SendIndex(1, 2, kNoAnswer), Answer::TimedOut);                  // beyond the shared memory
    EXPECT_EQ(tool.SendIndex(1, 0xFFFFFFFF, kNoAnswer), Answer::TimedOut);

    std::span<std::byte> records = tool.Records();
    std::fill(records.begin(), records.end(), std::byte {'A'});                      // no text ends in its field
    EXPECT_EQ(tool.SendIndex(2, 0, kNoAnswer), Answer::TimedOut);
    records[string_service::kSectionOffset + string_service::kSectionSize - 1] = std::byte {0};
    EXPECT_EQ(tool.SendIndex(1, 0, kNoAnswer), Answer::TimedOut);                   // the text still runs on

    // Garbage on a second connection does not reach the first one's answers.
    Status status;
    const auto other = platform::ConnectToStringService(names().socket, status);
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(other->Send({0xDEADBEEF, 0xFFFFFFF0}));
    EXPECT_EQ(tool.Send(1, showRecord("ETC", 1), kAnswered), Answer::Answered);
    EXPECT_TRUE(program.running());

    // The tool shrinks its shared memory below one record: nothing is read any more.
    const int fd = ::shm_open(names().mapping.c_str(), O_RDWR, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 100), 0);
    ::close(fd);
    EXPECT_EQ(tool.SendIndex(1, 0, kNoAnswer), Answer::TimedOut);
    EXPECT_EQ(tool.SendIndex(3, 0, kNoAnswer), Answer::TimedOut);
    EXPECT_TRUE(program.running()) << program.err();
}

} // namespace
} // namespace pellora
