#pragma once

// A network namespace a test makes, deleted with its interfaces when this goes.

#include <string>
#include <vector>

namespace pellora::test {

class NetworkNamespace {
public:
    // "ip netns add name"; created() tells whether it worked and error() why not.
    explicit NetworkNamespace(std::string name);
    ~NetworkNamespace();
    NetworkNamespace(const NetworkNamespace&) = delete;
    NetworkNamespace& operator=(const NetworkNamespace&) = delete;

    bool created() const { return m_created; }
    const std::string& name() const { return m_name; }
    const std::string& error() const { return m_error; }

    // Runs "ip -n name arguments…"; false (with error() set) when it fails.
    bool Ip(const std::vector<std::string>& arguments);
    // The command line that runs program inside the namespace.
    std::vector<std::string> Command(const std::vector<std::string>& program) const;

private:
    std::string m_name;
    std::string m_error;
    bool m_created = false;
};

} // namespace pellora::test
