// The commands of pellora-cli, run as a separate process from a temporary program folder.

#include "core/package/PackageFile.h"
#include "core/script/ScriptFile.h"
#include "core/util/RunFolder.h"
#include "core/util/Support.h"
#include "support/ChildProcess.h"
#include "support/StringTableFixture.h"
#include "support/TestProgramFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using namespace pellora;

namespace {

std::string ReadBytes(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, std::string_view bytes)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

constexpr std::string_view kDriverInf = "[Version]\r\n"
                                        "Signature=\"$Windows NT$\"\r\n"
                                        "Class=Printer\r\n"
                                        "[Manufacturer]\r\n"
                                        "\"VARDO\"=Vardo,NTamd64\r\n"
                                        "[Vardo.NTamd64]\r\n"
                                        "\"VARDO RX-C3400\" = RXC3400.GPD\r\n";

struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

class CliCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"Modelname.dat", "TSST0000.dat", "DAVORUDI.so"})
            fs::copy_file(fs::path(PELLORA_BIN_DIR) / name, program.file(name), fs::copy_options::overwrite_existing);
        fs::copy_file(PELLORA_CLI_PATH, program.file("pellora-cli"), fs::copy_options::overwrite_existing);
        program.writeFile("CVSetUp.exe", "the client installer");
        ASSERT_TRUE(data.valid());
        // Outside the program folder: the program's subfolders go into every package.
        fs::create_directories(tmp());
        driver = data.path() / "drivers" / "c3400";
        WriteBytes(driver / "PRINTER.INF", kDriverInf);
        std::string binary(70000, '\0');
        for (std::size_t i = 0; i < binary.size(); ++i)
            binary[i] = static_cast<char>((i * 131) ^ (i >> 7));
        WriteBytes(driver / "x64" / "RXC3400.DLL", binary);
    }

    fs::path tmp() const { return data.path() / "tmp"; }
    fs::path file(std::string_view name) const { return data.path() / name; }

    // Runs the program with the arguments, standard input empty, in the C locale; variables ("NAME=value")
    // replace those of the test's environment.
    RunResult Run(const std::vector<std::string>& arguments, const std::vector<std::string>& variables = {}) const
    {
        const fs::path out = file("stdout.txt");
        const fs::path err = file("stderr.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

        const std::string programPath = program.file("pellora-cli").string();
        std::vector<std::string> argv{programPath};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        const std::vector<char*> argp = test::NullTerminated(argv);
        std::vector<std::string> settings{"TMPDIR=" + tmp().string(), "LANG=C"};
        settings.insert(settings.end(), variables.begin(), variables.end());
        std::vector<std::string> environment = test::ChildEnvironment(settings, {"LC_"});
        const std::vector<char*> envp = test::NullTerminated(environment);

        RunResult result;
        pid_t pid = 0;
        const int spawned = posix_spawn(&pid, programPath.c_str(), &actions, nullptr, argp.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start " << programPath << ": " << std::strerror(spawned);
            return result;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadBytes(out);
        result.err = ReadBytes(err);
        return result;
    }

    // A project with the given printers, each on the driver folder with the INF file.
    fs::path WriteProject(std::string_view name, const std::vector<std::string>& printerNames) const
    {
        CScriptFile script;
        for (const std::string& printerName : printerNames) {
            auto printer = std::make_unique<CPrinterInfoEx>();
            printer->SetNetwork(1, "10.0.0.7", "255.255.255.0", "", "");
            printer->SetIdentity("", printerName, "RX-C3400", "");
            printer->SetOptionFlags(1);
            printer->driverFolders.push_back(driver.string());
            script.printers.push_back(std::move(printer));
        }
        const fs::path path = file(name);
        EXPECT_EQ(script.Write(path), 1);
        return path;
    }

    // What the program left in its temporary folder besides its work folder.
    std::vector<std::string> Leftovers() const
    {
        const fs::path workFolder = tmp() / WorkFolderName(GetOwnInternalName());
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(tmp())) {
            if (entry.path() != workFolder)
                names.push_back(entry.path().string());
        }
        return names;
    }

    static std::string Message(int number)
    {
        switch (number) {
        case 5:
            return "The file cannot be opened.";
        case 6:
            return "The project could not be saved, or the package could not be built.";
        default:
            return {};
        }
    }

    test::TestProgramFolder program;
    const ScopedTempFolder data;
    fs::path driver;
};

} // namespace

TEST_F(CliCommandsTest, HelpAndUsageErrors)
{
    for (const char* help : {"--help", "-h"}) {
        const RunResult result = Run({"show", help});
        EXPECT_EQ(result.status, 0);
        EXPECT_NE(result.out.find("Usage: pellora-cli"), std::string::npos);
        EXPECT_NE(result.out.find("64 "), std::string::npos) << "the usage status is documented";
    }
    const std::vector<std::vector<std::string>> misuses{
        {},
        {"frobnicate"},
        {"validate"},
        {"validate", "a.qst", "b.qst"},
        {"build", "a.qst"},
        {"build", "a.qst", "-o", file("out.qst").string()},
        {"script", "--model", "RX-C3400", "-o", file("s.qsm").string()},
        {"script", "--model", "RX-C3400", "--address", "10.0.0.1", "--address", "10.0.0.2", "-o", "x.qsm"},
        {"extract", "p.exe"},
        {"show", "a.qst", "--colour"},
        {"show", "a.qst", "--lang"},
        {"validate", "a.qst", "--sign", "key.pfx"},
        {"build", "a.qst", "-o", "a.exe", "--password-file", "password.txt"},
    };
    for (const auto& arguments : misuses) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.status, 64);
        EXPECT_NE(result.err.find("Usage: pellora-cli"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(file("out.qst")));
    EXPECT_FALSE(fs::exists(file("s.qsm")));
}

TEST_F(CliCommandsTest, WithoutStringTableOnlyTheFixedTextIsShown)
{
    fs::remove(program.file("TSST0000.dat"));
    const RunResult result = Run({"validate", WriteProject("site.qst", {"Hall"}).string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "resource file is not exist.\n");
    EXPECT_EQ(Run({"--help"}).status, 0);
}

TEST_F(CliCommandsTest, ScriptWritesOnePrinterThatShowReadsBack)
{
    const fs::path script = file("one.qsm");
    const RunResult written = Run({"script", "--model", "VARDO RX-C3400", "--address", "10.1.2.3", "-o", script.string()});
    ASSERT_EQ(written.status, 0) << written.err;

    const RunResult shown = Run({"show", script.string()});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("FILE=Pellora\nVER=2.02\n"), std::string::npos);
    EXPECT_NE(shown.out.find("KOVAINST.LOG\n"), std::string::npos);
    const std::string programFolder = fs::canonical(program.path()).string();
    EXPECT_NE(shown.out.find("COUNT=1\n1\tRX-C3400(10.1.2.3)\tRX-C3400\t10.1.2.3\t" + programFolder + "\n"),
              std::string::npos)
        << shown.out;

    const RunResult withFolder =
        Run({"script", "--model=RX-C3400", "--address=10.1.2.4", "--folder", driver.string(), "--output", script.string()});
    ASSERT_EQ(withFolder.status, 0) << withFolder.err;
    EXPECT_NE(Run({"show", script.string()}).out.find("\t10.1.2.4\t" + driver.string() + "\n"), std::string::npos);
}

TEST_F(CliCommandsTest, ScriptFailures)
{
    const RunResult unlisted = Run({"script", "--model", "RX-Z1", "--address", "10.1.2.3", "-o", file("a.qsm").string()});
    EXPECT_EQ(unlisted.status, 65);
    EXPECT_FALSE(fs::exists(file("a.qsm")));

    const fs::path nowhere = file("missing-folder") / "a.qsm";
    const RunResult unwritable = Run({"script", "--model", "RX-C3400", "--address", "10.1.2.3", "-o", nowhere.string()});
    EXPECT_EQ(unwritable.status, 6);
    EXPECT_EQ(unwritable.err.rfind("Pellora: " + Message(6), 0), 0u) << unwritable.err;
    EXPECT_FALSE(fs::exists(nowhere));

    fs::remove(program.file("Modelname.dat"));
    EXPECT_EQ(Run({"script", "--model", "RX-C3400", "--address", "10.1.2.3", "-o", file("a.qsm").string()}).status, 24);
    EXPECT_FALSE(fs::exists(file("a.qsm")));
}

TEST_F(CliCommandsTest, ValidateReportsTheFirstFailingPrinter)
{
    const RunResult good = Run({"validate", WriteProject("good.qst", {"Hall", "Office"}).string()});
    EXPECT_EQ(good.status, 0) << good.err;

    EXPECT_EQ(Run({"validate", WriteProject("empty.qst", {}).string()}).status, 9);

    const RunResult twice = Run({"validate", WriteProject("twice.qst", {"Hall", "Office", "Hall"}).string()});
    EXPECT_EQ(twice.status, 11);
    EXPECT_EQ(twice.err.rfind("Pellora: printer 3 \"Hall\":\nAnother printer", 0), 0u) << twice.err;

    const fs::path vanished = WriteProject("vanished.qst", {"Hall"});
    fs::remove_all(driver);
    EXPECT_EQ(Run({"validate", vanished.string()}).status, 26);

    const RunResult missing = Run({"validate", file("nothing.qst").string()});
    EXPECT_EQ(missing.status, 5);
    EXPECT_EQ(missing.err.rfind("Pellora: nothing.qst:\n" + Message(5), 0), 0u) << missing.err;
}

TEST_F(CliCommandsTest, WithoutTheModelListEveryReaderReportsMessage24)
{
    // Without the list every printer would be dropped as unlisted: an empty project, not an answer.
    const fs::path project = WriteProject("good.qst", {"Hall"});
    fs::remove(program.file("Modelname.dat"));
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"validate", project.string()}, {"show", project.string()},
          {"build", project.string(), "-o", file("out.exe").string()}}) {
        const RunResult result = Run(arguments);
        EXPECT_EQ(result.status, 24) << arguments[0];
        EXPECT_EQ(result.err.rfind("Pellora: " + Message(24), 0), 0u) << result.err;
        EXPECT_EQ(result.out, "") << arguments[0];
    }
    EXPECT_FALSE(fs::exists(file("out.exe")));
}

TEST_F(CliCommandsTest, BuildThenExtractGivesTheDriverFilesBack)
{
    const fs::path project = WriteProject("site.qst", {"Hall"});
    const fs::path package = file("Site.exe");
    const RunResult built = Run({"build", project.string(), "-o", package.string()});
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_TRUE(built.err.empty()) << "no progress line when standard error is no terminal: " << built.err;
    EXPECT_TRUE(Leftovers().empty());

    const fs::path unpacked = file("unpacked");
    const RunResult extracted = Run({"extract", package.string(), "-o", unpacked.string()});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    for (const char* name : {"PRINTER.INF", "x64/RXC3400.DLL"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadBytes(unpacked / "DRIVER_000" / "000" / name), ReadBytes(driver / name));
    }
    EXPECT_TRUE(fs::exists(unpacked / "Site.qst"));
    EXPECT_TRUE(fs::exists(unpacked / "Modelname.dat"));

    const RunResult shown = Run({"show", package.string()});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_NE(shown.out.find("COUNT=1\n1\tHall\tRX-C3400\t10.0.0.7\t"), std::string::npos) << shown.out;
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(CliCommandsTest, WithoutTheInstallerTheBuildSucceedsWithAWarning)
{
    fs::remove(program.file("CVSetUp.exe"));
    const fs::path package = file("Site.exe");
    const RunResult built = Run({"build", WriteProject("site.qst", {"Hall"}).string(), "-o", package.string()});
    EXPECT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.err.rfind("Pellora: warning: the program folder has no CVSetUp.exe;", 0), 0u) << built.err;
    EXPECT_EQ(built.out, "");
    EXPECT_TRUE(fs::is_regular_file(package));
}

TEST_F(CliCommandsTest, FailedBuildWritesNothing)
{
    const fs::path project = WriteProject("site.qst", {"Hall"});
    const fs::path intoMissingFolder = file("no-such-folder") / "Site.exe";
    const RunResult unwritable = Run({"build", project.string(), "-o", intoMissingFolder.string()});
    EXPECT_EQ(unwritable.status, 6);
    EXPECT_EQ(unwritable.err.rfind("Pellora: " + Message(6), 0), 0u) << unwritable.err;
    EXPECT_FALSE(fs::exists(intoMissingFolder.parent_path()));

    WriteBytes(driver / "x64" / "a:b", "stream");
    const RunResult refused = Run({"build", project.string(), "-o", file("Site.exe").string()});
    EXPECT_EQ(refused.status, 6);
    EXPECT_EQ(refused.err.rfind("Pellora: " + Message(6), 0), 0u) << refused.err;
    EXPECT_NE(refused.err.find("\"x64/a:b\" in " + driver.string() + ": the name holds \":\""), std::string::npos)
        << refused.err;
    EXPECT_FALSE(fs::exists(file("Site.exe")));

    fs::remove_all(driver);
    const fs::path package = file("Site.EXE");
    const RunResult vanished = Run({"build", project.string(), "-o", package.string()});
    EXPECT_EQ(vanished.status, 26);
    EXPECT_FALSE(fs::exists(package));
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(CliCommandsTest, SignedPackageVerifiesAndExtractsAndAWrongPasswordWritesNothing)
{
    // A throw-away self-signed key, as PKCS#12 with and without a password.
    const fs::path key = file("key.pem");
    const fs::path certificate = file("cert.pem");
    const fs::path withPassword = file("with.pfx");
    const fs::path withoutPassword = file("without.pfx");
    const auto run = [](const std::vector<std::string>& arguments) {
        return test::RunForOutput(arguments, std::chrono::seconds(60));
    };
    ASSERT_EQ(run({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Pellora Test",
                   "-keyout", key.string(), "-out", certificate.string()}).exitCode, 0);
    ASSERT_EQ(run({"openssl", "pkcs12", "-export", "-inkey", key.string(), "-in", certificate.string(), "-out",
                   withPassword.string(), "-passout", "pass:s3cret & more"}).exitCode, 0);
    ASSERT_EQ(run({"openssl", "pkcs12", "-export", "-inkey", key.string(), "-in", certificate.string(), "-out",
                   withoutPassword.string(), "-passout", "pass:"}).exitCode, 0);
    const fs::path password = file("password.txt");
    WriteBytes(password, "s3cret & more\r\nthe second line is no part of it\n");

    const fs::path project = WriteProject("site.qst", {"Hall"});
    const fs::path package = file("Site.exe");
    const RunResult built = Run({"build", project.string(), "-o", package.string(), "--sign", withPassword.string(),
                                 "--password-file", password.string()});
    ASSERT_EQ(built.status, 0) << built.err;
    const fs::path plain = file("Plain.exe");
    const RunResult builtPlain = Run({"build", project.string(), "-o", plain.string(), "--sign=" + withoutPassword.string()});
    ASSERT_EQ(builtPlain.status, 0) << builtPlain.err;
    for (const fs::path& signedPackage : {package, plain}) {
        SCOPED_TRACE(signedPackage.filename().string());
        const test::ProgramOutput verified =
            run({"osslsigncode", "verify", "-CAfile", certificate.string(), "-in", signedPackage.string()});
        EXPECT_EQ(verified.exitCode, 0) << verified.output;
        EXPECT_NE(verified.output.find("Signature verification: ok"), std::string::npos) << verified.output;
        EXPECT_NE(verified.output.find("Subject: /CN=Pellora Test"), std::string::npos) << verified.output;
    }
    const fs::path unpacked = file("unpacked");
    const RunResult extracted = Run({"extract", package.string(), "-o", unpacked.string()});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(ReadBytes(unpacked / "DRIVER_000" / "000" / "x64" / "RXC3400.DLL"), ReadBytes(driver / "x64" / "RXC3400.DLL"));
    EXPECT_TRUE(fs::exists(unpacked / "Site.qst"));

    const std::string signedBytes = ReadBytes(package);
    WriteBytes(password, "not the password\n");
    for (const fs::path& output : {package, file("New.exe")}) {
        SCOPED_TRACE(output.filename().string());
        const RunResult refused = Run({"build", project.string(), "-o", output.string(), "--sign", withPassword.string(),
                                       "--password-file", password.string()});
        EXPECT_EQ(refused.status, 6);
        EXPECT_EQ(refused.err.rfind("Pellora: " + Message(6), 0), 0u) << refused.err;
        EXPECT_NE(refused.err.find("Wrong password"), std::string::npos) << "the tool's reason: " << refused.err;
    }
    EXPECT_EQ(ReadBytes(package), signedBytes);
    EXPECT_FALSE(fs::exists(file("New.exe")));
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(CliCommandsTest, SigningToolGetsThePasswordOnItsInputAndNeverOnItsCommandLine)
{
    // A stand-in for the tool that notes what it was given and appends a mark to a copy of the package.
    const fs::path tools = file("tools");
    const std::string script = "#!/bin/sh\n"
                               "printf '%s\\n' \"$@\" > '" + file("arguments.txt").string() + "'\n"
                               "cat > '" + file("input.txt").string() + "'\n"
                               "while [ $# -gt 0 ]; do\n"
                               "  case \"$1\" in -in) in=$2; shift;; -out) out=$2; shift;; esac; shift\n"
                               "done\n"
                               "cp \"$in\" \"$out\" && printf 'SIGNATURE' >> \"$out\"\n";
    WriteBytes(tools / "osslsigncode", script);
    fs::permissions(tools / "osslsigncode", fs::perms::owner_all);
    WriteBytes(file("key.pfx"), "key");
    WriteBytes(file("password.txt"), "open sesame\n");
    const char* const path = std::getenv("PATH");
    const std::vector<std::string> variables = {"PATH=" + tools.string() + ":" + (path != nullptr ? path : "/usr/bin:/bin")};

    const fs::path package = file("Site.exe");
    const RunResult built = Run({"build", WriteProject("site.qst", {"Hall"}).string(), "-o", package.string(), "--sign",
                                 file("key.pfx").string(), "--password-file", file("password.txt").string()},
                                variables);
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(ReadBytes(file("input.txt")), "open sesame");
    const std::string arguments = ReadBytes(file("arguments.txt"));
    EXPECT_EQ(arguments.find("sesame"), std::string::npos) << arguments;
    EXPECT_EQ(arguments.rfind("sign\n-pkcs12\n" + file("key.pfx").string() + "\n-readpass\n/dev/stdin\n", 0), 0u)
        << arguments;
    const std::string bytes = ReadBytes(package);
    EXPECT_TRUE(bytes.ends_with("SIGNATURE"));
    // The signature behind the archive does not disturb reading; the unsigned copy is not left behind.
    EXPECT_EQ(Run({"extract", package.string(), "-o", file("unpacked").string()}).status, 0);
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(CliCommandsTest, DamagedPackageIsRefusedAndNothingIsWritten)
{
    const fs::path project = WriteProject("site.qst", {"Hall"});
    const fs::path package = file("Site.exe");
    ASSERT_EQ(Run({"build", project.string(), "-o", package.string()}).status, 0);
    const std::string bytes = ReadBytes(package);
    const fs::path truncated = file("Cut.exe");
    WriteBytes(truncated, std::string_view(bytes).substr(0, bytes.size() - 100));

    const fs::path target = file("target");
    const RunResult extracted = Run({"extract", truncated.string(), "-o", target.string()});
    EXPECT_EQ(extracted.status, 5);
    EXPECT_EQ(extracted.err.rfind("Pellora: Cut.exe:\n" + Message(5), 0), 0u) << extracted.err;
    EXPECT_FALSE(fs::exists(target));

    EXPECT_EQ(Run({"show", truncated.string()}).status, 5);
    EXPECT_EQ(Run({"validate", truncated.string()}).status, 5);
    EXPECT_EQ(Run({"build", truncated.string(), "-o", file("Again.exe").string()}).status, 5);
    EXPECT_FALSE(fs::exists(file("Again.exe")));
    EXPECT_TRUE(Leftovers().empty());
}

TEST_F(CliCommandsTest, EveryStartRemovesTheFoldersOfKilledRunsOnly)
{
    const fs::path work = tmp() / WorkFolderName(GetOwnInternalName());
    fs::create_directories(work);
    fs::path killed;
    {
        RunFolder run(work);
        killed = run.path();
        WriteBytes(killed / "KOVA1234" / "DRIVER_000" / "big.dll", std::string(100000, 'x'));
        run.Abandon();
    }
    const RunFolder living(work);
    WriteBytes(living.path() / "KOVA4321" / "Site.qst", "in use");

    EXPECT_EQ(Run({"show", file("nothing.qst").string()}).status, 5);
    EXPECT_FALSE(fs::exists(killed));
    EXPECT_EQ(ReadBytes(living.path() / "KOVA4321" / "Site.qst"), "in use");
}

TEST_F(CliCommandsTest, LanguageOptionFollowsTheLanguageSwitchRule)
{
    const std::string german = "[String Table]\r\n1005=Die Datei kann nicht ge\xC3\xB6" "ffnet werden.\r\n"
                               "[Pellorix.exe\\MESSAGE]\r\nCANNOT_OPEN_FILE=5:1005\r\n";
    test::StringTableFixture::WriteZip(program.file("TSST0407.dat"),
                                       {{"String.txt", test::StringTableFixture::TableText(german, "407")}});
    const std::string missing = file("nothing.qst").string();
    for (const char* language : {"407", "10407", "0x407"}) {
        SCOPED_TRACE(language);
        const RunResult result = Run({"--lang", language, "show", missing});
        EXPECT_EQ(result.status, 5);
        EXPECT_NE(result.err.find("Die Datei kann nicht"), std::string::npos) << result.err;
    }
    // Not hexadecimal at all: the language stays the default one; an unknown one falls back to neutral.
    for (const char* language : {"xyz", "40C"}) {
        SCOPED_TRACE(language);
        const RunResult result = Run({"show", missing, "--lang=" + std::string(language)});
        EXPECT_EQ(result.status, 5);
        EXPECT_NE(result.err.find(Message(5)), std::string::npos) << result.err;
    }
}
