#include "support/NetworkNamespace.h"

#include "support/ChildProcess.h"

namespace pellora::test {

namespace {

constexpr auto kIpTime = std::chrono::seconds(20);

std::string Joined(const std::vector<std::string>& arguments)
{
    std::string text;
    for (const std::string& argument : arguments)
        text += (text.empty() ? "" : " ") + argument;
    return text;
}

} // namespace

NetworkNamespace::NetworkNamespace(std::string name) : m_name(std::move(name))
{
    const std::vector<std::string> command = {"ip", "netns", "add", m_name};
    m_created = RunForOutput(command, kIpTime).exitCode == 0;
    if (!m_created)
        m_error = "\"" + Joined(command) + "\" failed";
}

NetworkNamespace::~NetworkNamespace()
{
    if (m_created)
        RunForOutput({"ip", "netns", "del", m_name}, kIpTime);
}

bool NetworkNamespace::Ip(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command = {"ip", "-n", m_name};
    command.insert(command.end(), arguments.begin(), arguments.end());
    if (RunForOutput(command, kIpTime).exitCode == 0)
        return true;
    m_error = "\"" + Joined(command) + "\" failed";
    return false;
}

std::vector<std::string> NetworkNamespace::Command(const std::vector<std::string>& program) const
{
    std::vector<std::string> command = {"ip", "netns", "exec", m_name};
    command.insert(command.end(), program.begin(), program.end());
    return command;
}

} // namespace pellora::test
