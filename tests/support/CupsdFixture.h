#pragma once

// A CUPS scheduler of a test's own on a free loopback port, with its configuration, state and spool in a
// temporary folder owned by lp; queues come from small PPD files through lpadmin. Stopped and removed
// when this goes.

#include "support/ChildProcess.h"

#include <filesystem>
#include <memory>
#include <string>

namespace pellora::test {

class CupsdFixture {
public:
    // Starts cupsd and waits until it accepts connections (a port taken meanwhile is tried again with
    // another); running() tells whether it did.
    CupsdFixture();
    ~CupsdFixture();
    CupsdFixture(const CupsdFixture&) = delete;
    CupsdFixture& operator=(const CupsdFixture&) = delete;

    bool running() const { return m_port != 0; }
    int port() const { return m_port; }
    // "127.0.0.1:PORT".
    std::string address() const;
    // The local socket it listens on as well.
    std::filesystem::path socketPath() const;

    // A queue that prints to /dev/null, whose PPD's NickName (the queue's printer-make-and-model) is model;
    // true when lpadmin made it.
    bool AddQueue(const std::string& name, const std::string& model, const std::string& info, bool shared);

    // The scheduler's and lpadmin's messages, for failure reports.
    std::string log() const;

private:
    bool start(int port);

    std::filesystem::path m_folder;
    std::unique_ptr<ChildProcess> m_cupsd;
    int m_port = 0;
};

} // namespace pellora::test
