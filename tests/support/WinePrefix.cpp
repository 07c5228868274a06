#include "support/WinePrefix.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <system_error>

extern char** environ;

namespace fs = std::filesystem;

namespace pellora::test {

namespace {

std::vector<std::string> wineEnvironment(const fs::path& prefix, const std::vector<std::string>& extra)
{
    std::vector<std::string> variables;
    for (char** v = environ; *v != nullptr; ++v) {
        const std::string variable = *v;
        if (variable.rfind("WINE", 0) != 0 && variable.rfind("DISPLAY=", 0) != 0)
            variables.push_back(variable);
    }
    variables.push_back("WINEPREFIX=" + prefix.string());
    variables.push_back("WINEDEBUG=-all");
    variables.push_back("WINEDLLOVERRIDES=mscoree,mshtml=");
    variables.insert(variables.end(), extra.begin(), extra.end());
    return variables;
}

// Runs argv with the environment, standard output into outputFile; the exit status or -1.
int spawnAndWait(std::vector<std::string> argv, std::vector<std::string> variables, const fs::path& folder,
                 const fs::path& outputFile)
{
    std::vector<char*> arguments;
    for (std::string& a : argv)
        arguments.push_back(a.data());
    arguments.push_back(nullptr);
    std::vector<char*> environment;
    for (std::string& v : variables)
        environment.push_back(v.data());
    environment.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t child = 0;
    const int started = posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace

WinePrefix::WinePrefix()
{
    std::string pattern = (fs::temp_directory_path() / "pellora-wine-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return;
    m_path = pattern;
    const std::vector<std::string> environment = wineEnvironment(m_path / "prefix", {});
    spawnAndWait({"wine", "wineboot", "--init"}, environment, m_path, "/dev/null");
    spawnAndWait({"wineserver", "-w"}, environment, m_path, "/dev/null");
    // One server for the prefix's whole life: programs that follow each other never meet a server that is
    // still writing the registry of the one before.
    spawnAndWait({"wineserver", "-p"}, environment, m_path, "/dev/null");
}

WinePrefix::~WinePrefix()
{
    if (m_path.empty())
        return;
    spawnAndWait({"wineserver", "-k"}, wineEnvironment(m_path / "prefix", {}), m_path, "/dev/null");
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

WinePrefix::Result WinePrefix::run(const fs::path& program, const std::vector<std::string>& arguments,
                                   const fs::path& folder, const std::vector<std::string>& environment) const
{
    std::vector<std::string> argv{"wine", program.string()};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const fs::path output = m_path / "output.txt";
    Result result;
    result.status = spawnAndWait(argv, wineEnvironment(m_path / "prefix", environment), folder, output);
    std::ifstream in(output, std::ios::binary);
    result.output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return result;
}

std::string WinePrefix::windowsPath(const fs::path& path)
{
    std::string text = "Z:" + fs::absolute(path).string();
    for (char& c : text) {
        if (c == '/')
            c = '\\';
    }
    return text;
}

} // namespace pellora::test
