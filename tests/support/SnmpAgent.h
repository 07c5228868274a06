#pragma once

// An snmpd for tests: answers with the objects its configuration sets (override lines), on a loopback
// address or inside a network namespace the test made; started and waited for in the constructor,
// stopped in the destructor.

#include "core/util/Support.h"
#include "support/ChildProcess.h"

#include <memory>
#include <string>
#include <string_view>

namespace pellora::test {

class SnmpAgent {
    struct Key {};

public:
    // Agent modules left out so that override lines stand alone (no host devices, no interface table), and
    // the SMUX listener that every agent would open on the same port.
    static constexpr const char* kOverridesOnly = "-hr_device,interfaces,ifTable,smux";

    // Listens on address (in 127.0.0.0/8) port 161; ready() once it answers there.
    static std::unique_ptr<SnmpAgent> OnLoopback(const std::string& address, std::string_view configuration,
                                                 const std::string& modules = kOverridesOnly);
    // Listens on endpoint ("udp:ADDRESS[@INTERFACE]:PORT") inside a network namespace; ready() once its log
    // says it started.
    static std::unique_ptr<SnmpAgent> InNamespace(const std::string& networkNamespace, const std::string& endpoint,
                                                  std::string_view configuration,
                                                  const std::string& modules = kOverridesOnly);

    SnmpAgent(Key, const std::string& endpoint, const std::string& networkNamespace, std::string_view configuration,
              const std::string& modules);

    bool ready() const { return m_ready; }
    // The agent's log, for failure messages.
    std::string Log() const;

private:
    bool AnswersOnLoopback(const std::string& address) const;
    bool LogSaysStarted() const;

    ScopedTempFolder m_folder;
    std::unique_ptr<ChildProcess> m_process;
    bool m_ready = false;
};

} // namespace pellora::test
