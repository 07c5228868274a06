#include "support/CupsdFixture.h"

#include "support/LoopbackSocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace pellora::test {

namespace {

constexpr std::chrono::seconds kLpadminTimeout{20};

constexpr int kStartAttempts = 3;
constexpr std::chrono::seconds kStartTimeout{10};

bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

void writeFile(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

// The folders cupsd writes to belong to lp, the user it runs its helpers as (it refuses root).
void giveToLp(const fs::path& folder)
{
    const passwd* lp = ::getpwnam("lp");
    if (lp == nullptr)
        return;
    if (::chown(folder.c_str(), lp->pw_uid, lp->pw_gid) != 0)
        return;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (::chown(entry.path().c_str(), lp->pw_uid, lp->pw_gid) != 0)
            return;
    }
}

std::string ppdFor(const std::string& model)
{
    return "*PPD-Adobe: \"4.3\"\n"
           "*FormatVersion: \"4.3\"\n"
           "*FileVersion: \"1.0\"\n"
           "*LanguageVersion: English\n"
           "*LanguageEncoding: ISOLatin1\n"
           "*PCFileName: \"TEST.PPD\"\n"
           "*Manufacturer: \"Test\"\n"
           "*Product: \"(" + model + ")\"\n"
           "*ModelName: \"" + model + "\"\n"
           "*ShortNickName: \"" + model + "\"\n"
           "*NickName: \"" + model + "\"\n"
           "*PSVersion: \"(3010.000) 0\"\n"
           "*LanguageLevel: \"3\"\n"
           "*ColorDevice: True\n"
           "*DefaultColorSpace: RGB\n"
           "*FileSystem: False\n"
           "*Throughput: \"1\"\n"
           "*OpenUI *PageSize: PickOne\n"
           "*DefaultPageSize: A4\n"
           "*PageSize A4/A4: \"<</PageSize[595 842]>>setpagedevice\"\n"
           "*CloseUI: *PageSize\n"
           "*DefaultImageableArea: A4\n"
           "*ImageableArea A4/A4: \"0 0 595 842\"\n"
           "*DefaultPaperDimension: A4\n"
           "*PaperDimension A4/A4: \"595 842\"\n";
}

} // namespace

CupsdFixture::CupsdFixture()
{
    std::string pattern = (fs::temp_directory_path() / "pellora-cupsd-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    m_folder = pattern;
    for (const char* sub : {"server", "state", "cache", "spool", "temp", "log"})
        fs::create_directories(m_folder / "cupsd" / sub);
    giveToLp(m_folder / "cupsd");
    for (int attempt = 0; attempt < kStartAttempts && !running(); ++attempt)
        start(FreeLoopbackPort());
}

CupsdFixture::~CupsdFixture()
{
    m_cupsd.reset();
    std::error_code ignored;
    if (!m_folder.empty())
        fs::remove_all(m_folder, ignored);
}

bool CupsdFixture::start(int port)
{
    if (port == 0 || m_folder.empty())
        return false;
    const fs::path root = m_folder / "cupsd";
    writeFile(root / "cups-files.conf", "ServerRoot " + (root / "server").string() + "\n" +
                                            "StateDir " + (root / "state").string() + "\n" +
                                            "CacheDir " + (root / "cache").string() + "\n" +
                                            "RequestRoot " + (root / "spool").string() + "\n" +
                                            "TempDir " + (root / "temp").string() + "\n" +
                                            "ErrorLog " + (root / "log" / "error_log").string() + "\n" +
                                            "AccessLog " + (root / "log" / "access_log").string() + "\n" +
                                            "PageLog " + (root / "log" / "page_log").string() + "\n" +
                                            "User lp\nGroup lp\nFileDevice Yes\n");
    writeFile(root / "cupsd.conf", "Listen 127.0.0.1:" + std::to_string(port) + "\n" + "Listen " +
                                       socketPath().string() + "\n" +
                                       "LogLevel warn\nBrowsing Off\nDefaultAuthType None\nWebInterface No\n"
                                       "<Location />\n  Allow all\n</Location>\n"
                                       "<Location /admin>\n  Allow all\n</Location>\n");
    m_cupsd = std::make_unique<ChildProcess>(
        std::vector<std::string>{"cupsd", "-f", "-c", (root / "cupsd.conf").string(), "-s",
                                 (root / "cups-files.conf").string()},
        std::vector<std::string>{}, m_folder / "output.txt");
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (m_cupsd->running() && std::chrono::steady_clock::now() < deadline) {
        if (accepts(port)) {
            m_port = port;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_cupsd.reset();
    return false;
}

std::filesystem::path CupsdFixture::socketPath() const
{
    return m_folder / "cupsd" / "cups.sock";
}

std::string CupsdFixture::address() const
{
    return "127.0.0.1:" + std::to_string(m_port);
}

bool CupsdFixture::AddQueue(const std::string& name, const std::string& model, const std::string& info,
                            bool shared)
{
    if (!running())
        return false;
    const fs::path ppd = m_folder / (name + ".ppd");
    writeFile(ppd, ppdFor(model));
    const ProgramOutput added = RunForOutput({"lpadmin", "-h", address(), "-p", name, "-D", info, "-v", "file:///dev/null",
                                              "-P", ppd.string(), "-E", "-o",
                                              shared ? "printer-is-shared=true" : "printer-is-shared=false"},
                                             kLpadminTimeout);
    return added.exitCode == 0;
}

std::string CupsdFixture::log() const
{
    std::string text;
    for (const fs::path& file : {m_folder / "output.txt", m_folder / "cupsd" / "log" / "error_log"}) {
        std::ifstream in(file, std::ios::binary);
        text.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return text;
}

} // namespace pellora::test
