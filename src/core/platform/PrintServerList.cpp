#include "core/platform/PrintServerList.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>

namespace pellora::platform {

namespace {

struct HostAndPort {
    std::string host;
    bool ipv6 = false;
    std::optional<int> port;
};

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<int> parsePort(std::string_view text)
{
    if (text.empty() || text.size() > 5)
        return std::nullopt;
    int port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535)
        return std::nullopt;
    return port;
}

bool isNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
           c == '_';
}

bool isHostName(std::string_view host)
{
    return !host.empty() && std::all_of(host.begin(), host.end(), isNameCharacter);
}

// An IPv6 address, optionally followed by "%zone".
bool isIpv6Address(std::string_view host)
{
    const std::size_t percent = host.find('%');
    if (percent != std::string_view::npos && !isHostName(host.substr(percent + 1)))
        return false;
    const std::string address(host.substr(0, percent));
    in6_addr parsed{};
    return inet_pton(AF_INET6, address.c_str(), &parsed) == 1;
}

std::optional<HostAndPort> parseHostAndPort(std::string_view text)
{
    HostAndPort result;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        result.host = text.substr(1, close - 1);
        result.ipv6 = true;
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (!rest.starts_with(':') || !(result.port = parsePort(rest.substr(1))))
                return std::nullopt;
        }
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        result.host = text;
        result.ipv6 = true;
    } else if (const std::size_t colon = text.find(':'); colon != std::string_view::npos) {
        result.host = text.substr(0, colon);
        if (!(result.port = parsePort(text.substr(colon + 1))))
            return std::nullopt;
    } else {
        result.host = text;
    }
    if (result.ipv6 ? !isIpv6Address(result.host) : !isHostName(result.host))
        return std::nullopt;
    return result;
}

std::string bracketed(const HostAndPort& address)
{
    return address.ipv6 ? "[" + address.host + "]" : address.host;
}

std::string withPort(const std::string& shown, int port)
{
    return port == kDefaultPrintServerPort ? shown : shown + ":" + std::to_string(port);
}

bool isLoopback(const HostAndPort& address)
{
    std::string lower = address.host;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == "localhost" || lower.ends_with(".localhost"))
        return true;
    if (address.ipv6) {
        in6_addr parsed{};
        return inet_pton(AF_INET6, lower.substr(0, lower.find('%')).c_str(), &parsed) == 1 &&
               IN6_IS_ADDR_LOOPBACK(&parsed);
    }
    in_addr parsed{};
    return inet_pton(AF_INET, lower.c_str(), &parsed) == 1 && (ntohl(parsed.s_addr) >> 24) == 127;
}

PrintServer makeServer(const HostAndPort& address, int port, std::string description, bool local)
{
    return PrintServer{std::move(description), bracketed(address) + ":" + std::to_string(port), address.host, port,
                       local};
}

bool sameText(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

class ServerCollector {
public:
    void add(PrintServer server)
    {
        const bool known = std::any_of(m_servers.begin(), m_servers.end(), [&server](const PrintServer& s) {
            return sameText(s.name, server.name) || sameText(s.description, server.description);
        });
        if (!known)
            m_servers.push_back(std::move(server));
    }
    std::vector<PrintServer> take() { return std::move(m_servers); }

private:
    std::vector<PrintServer> m_servers;
};

void addSystemServers(ServerCollector& servers, const SystemPrintServer& system, const std::string& machine)
{
    const std::string server = system.server.empty() ? "localhost" : system.server;
    if (server.starts_with('/')) {
        servers.add(PrintServer{machine, server, server, system.port, true});
        return;
    }
    const std::optional<HostAndPort> address = parseHostAndPort(server);
    if (!address)
        return;
    const int port = address->port.value_or(system.port);
    if (isLoopback(*address)) {
        servers.add(makeServer(*address, port, withPort(machine, port), true));
        return;
    }
    servers.add(makeServer(HostAndPort{"localhost", false, {}}, kDefaultPrintServerPort, machine, true));
    servers.add(makeServer(*address, port, withPort(bracketed(*address), port), false));
}

} // namespace

std::optional<PrintServer> ParsePrintServer(std::string_view text)
{
    text = trimmed(text);
    const std::optional<HostAndPort> address = parseHostAndPort(text);
    if (!address)
        return std::nullopt;
    return makeServer(*address, address->port.value_or(kDefaultPrintServerPort), std::string(text), false);
}

std::vector<PrintServer> ListPrintServers(const SystemPrintServer& system, const std::string& machineName,
                                          const std::vector<std::string>& administratorServers)
{
    ServerCollector servers;
    addSystemServers(servers, system, machineName.empty() ? std::string("localhost") : machineName);
    for (const std::string& entry : administratorServers) {
        if (std::optional<PrintServer> server = ParsePrintServer(entry))
            servers.add(std::move(*server));
    }
    return servers.take();
}

} // namespace pellora::platform
