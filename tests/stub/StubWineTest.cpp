// The Windows stub under Wine: it waits for the installer's whole process tree, passes the installer's
// full exit code on, ends quietly with its own codes, carries its resources, and runs as well signed.
// All cases share one prefix.

#include "core/package/PackageFile.h"
#include "core/package/PackageSigner.h"
#include "core/package/StubResource.h"
#include "core/util/Support.h"
#include "support/ChildProcess.h"
#include "support/FileTreeSupport.h"
#include "support/WinePrefix.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace pellora::test {
namespace {

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class StubWineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_prefix = new WinePrefix(); }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }

    void SetUp() override { ASSERT_TRUE(m_temp.valid()); }

    // A package whose installer is the Wine probe, with the template Project.qst.
    fs::path package(bool withInstaller = true)
    {
        const fs::path staging = m_temp.path() / "staging";
        fs::create_directories(staging);
        WriteFileBytes(staging / "Project.qst", "[SOFTWARE]\r\nFILE=Pellora\r\n");
        CPackageFile file;
        file.SetStub(PackageStubResource());
        file.SetCommandString("\"Project.qst\"");
        if (withInstaller) {
            fs::copy_file(PELLORA_WINE_PROBE, staging / "CVSetUp.exe", fs::copy_options::overwrite_existing);
            file.AddEntry(staging / "CVSetUp.exe");
        }
        file.AddEntry(staging / "Project.qst");
        const fs::path output = m_temp.path() / "package.exe";
        std::ofstream out(output, std::ios::binary | std::ios::trunc);
        EXPECT_TRUE(file.Write(out));
        return output;
    }

    // Runs the package through the probe, which reports the full exit code.
    static int run(const fs::path& packageFile, const std::vector<std::string>& arguments)
    {
        std::vector<std::string> command{"run", WinePrefix::windowsPath(packageFile)};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const WinePrefix::Result result = s_prefix->run(PELLORA_WINE_PROBE, command, packageFile.parent_path());
        const std::size_t at = result.output.rfind("exit=");
        return at == std::string::npos ? -1 : std::stoi(result.output.substr(at + 5));
    }

    // Extraction folders the stub left in Wine's temporary folder.
    static std::vector<std::string> leftovers()
    {
        std::vector<std::string> names;
        std::error_code ignored;
        for (auto it = fs::recursive_directory_iterator(s_prefix->driveC() / "users", ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            const std::string name = it->path().filename().string();
            if (name.rfind("PLR", 0) == 0)
                names.push_back(name);
        }
        return names;
    }

    static WinePrefix* s_prefix;
    ScopedTempFolder m_temp;
};

WinePrefix* StubWineTest::s_prefix = nullptr;

TEST_F(StubWineTest, WaitsForTheInstallersWholeProcessTree)
{
    const fs::path report = m_temp.path() / "report.qst";
    // The installer starts a second process and ends; the second reads the template two seconds later.
    EXPECT_EQ(run(package(), {"handover", WinePrefix::windowsPath(report), "/quiet"}), 0);
    EXPECT_EQ(ReadText(report), "[SOFTWARE]\r\nFILE=Pellora\r\n");
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(StubWineTest, PassesTheInstallersFullExitCodeAndEndsQuietlyWithItsOwn)
{
    const fs::path whole = package();
    EXPECT_EQ(run(whole, {"exit", "3010", "/quiet"}), 3010);

    const std::string bytes = ReadText(whole);
    WriteFileBytes(whole, bytes.substr(0, CPackageFile::kHeaderOffset + 40));
    EXPECT_EQ(run(whole, {"/quiet"}), 4) << "a package cut short is damaged";
    EXPECT_EQ(run(package(false), {"/quiet"}), 7) << "a package without CVSetUp.exe";
    EXPECT_TRUE(leftovers().empty());
}

TEST_F(StubWineTest, StubAndInstallerCarryVersionManifestAndIcon)
{
    const fs::path packageFile = package();
    for (const fs::path& program : {packageFile, fs::path(PELLORA_BIN_DIR) / "CVSetUp.exe"}) {
        SCOPED_TRACE(program.string());
        const std::string shown =
            s_prefix->run(PELLORA_WINE_PROBE, {"resources", WinePrefix::windowsPath(program)}, "/").output;
        EXPECT_NE(shown.find("ProductName=Pellora\n"), std::string::npos) << shown;
        EXPECT_NE(shown.find("ProductVersion=" PELLORA_VERSION "\n"), std::string::npos) << shown;
        EXPECT_NE(shown.find("icon=yes\n"), std::string::npos) << shown;
        for (const char* part : {"level=\"asInvoker\"", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                                 ">true</longPathAware>", ">UTF-8</activeCodePage>"})
            EXPECT_NE(shown.find(part), std::string::npos) << part;
    }
}

TEST_F(StubWineTest, ASignedPackageExtractsAndRunsItsInstallerAsBefore)
{
    // The signature lies behind the archive and the PE header gains its directory entry: the stub must
    // still find its package header and archive by their own lengths.
    const fs::path key = m_temp.path() / "key.pem";
    const fs::path certificate = m_temp.path() / "cert.pem";
    const fs::path keyFile = m_temp.path() / "key.pfx";
    const auto tool = [](const std::vector<std::string>& arguments) {
        return RunForOutput(arguments, std::chrono::seconds(60)).exitCode;
    };
    ASSERT_EQ(tool({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Pellora Test",
                    "-keyout", key.string(), "-out", certificate.string()}), 0);
    ASSERT_EQ(tool({"openssl", "pkcs12", "-export", "-inkey", key.string(), "-in", certificate.string(), "-out",
                    keyFile.string(), "-passout", "pass:"}), 0);
    const fs::path signedPackage = m_temp.path() / "signed" / "package.exe";
    fs::create_directories(signedPackage.parent_path());
    PackageSigner signer({keyFile, {}});
    ASSERT_TRUE(signer.Sign(package(), signedPackage).ok()) << signer.toolReason();
    ASSERT_EQ(tool({"osslsigncode", "verify", "-CAfile", certificate.string(), "-in", signedPackage.string()}), 0);

    const fs::path report = m_temp.path() / "report.qst";
    EXPECT_EQ(run(signedPackage, {"handover", WinePrefix::windowsPath(report), "/quiet"}), 0);
    EXPECT_EQ(ReadText(report), "[SOFTWARE]\r\nFILE=Pellora\r\n");
    EXPECT_TRUE(leftovers().empty());
}

} // namespace
} // namespace pellora::test
