#include "app/Application.h"

#include "app/SingleInstance.h"
#include "core/package/IniFile.h"
#include "core/package/Support.h"
#include "support/StringTableFixture.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
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
                                          "[Pellorix.exe\\MESSAGE]\r\n"
                                          "M4=4:103\r\n"
                                          "M24=24:105\r\n";
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

bool isPrivateVariable(std::string_view entry)
{
    for (const char* name : {"HOME=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=", "TMPDIR=", "LANG=", "LANGUAGE=", "LC_"}) {
        if (entry.substr(0, std::strlen(name)) == name)
            return true;
    }
    return false;
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
    }

    fs::path programFolder() const { return m_fixture.folder().path(); }
    fs::path program() const { return programFolder() / "pellora"; }
    fs::path script() const { return programFolder() / kCommandLineScriptName; }
    fs::path runtimeFolder() const { return m_places.path() / "run"; }
    fs::path settingsFile() const { return m_places.path() / "config" / "VARDO" / "Pellora.ini"; }

    RunResult run(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& extra = {})
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

        const fs::path outFile = m_places.path() / "stdout.txt";
        const fs::path errFile = m_places.path() / "stderr.txt";
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const std::string folderText = programFolder().string();
        RunResult result;
        if (out < 0 || err < 0) {
            ADD_FAILURE() << "cannot create the output files";
            return result;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            if (::chdir(folderText.c_str()) != 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
                ::_exit(126);
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        ::close(out);
        ::close(err);
        if (child < 0) {
            ADD_FAILURE() << "cannot start the program";
            return result;
        }
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = readFile(outFile);
        result.err = readFile(errFile);
        return result;
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
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>> {
             {"/MRX-Z9999", "/A10.0.0.5"},
             {"/V", "/MRX-C3400", "/A10.0.0.5"},
             {"/MRX-C3400", "/A10.0.0.5", "/dde"},
         }) {
        const RunResult result = run(arguments);
        EXPECT_EQ(result.status, 0) << arguments[0];
        EXPECT_NE(result.err.find("not available"), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(script())) << arguments[0];
    }
    // The interactive start writes "BackImage" when it ends.
    EXPECT_EQ(readFile(settingsFile()), "[Settings]\r\nBackImage=0\r\n");
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

TEST_F(ApplicationTest, TheLanguageComesFromTheLocaleUnlessTheCommandLineNamesOne)
{
    m_fixture.WriteTableFor(0x0407, kGermanBody);
    const auto lock = holdInstanceLock();

    EXPECT_EQ(run({}, {{"LANG", "de_AT.UTF-8"}}).err, "Pellora: Eine andere Instanz l\xC3\xA4uft.\n");
    EXPECT_EQ(run({"/L0"}, {{"LANG", "de_DE.UTF-8"}}).err, "Pellora: Another instance runs.\n");
    EXPECT_EQ(run({"/L407"}).err, "Pellora: Eine andere Instanz l\xC3\xA4uft.\n");
    EXPECT_EQ(run({"/L411"}).err, "Pellora: Another instance runs.\n"); // no Japanese table: the neutral one
}

} // namespace
} // namespace pellora
