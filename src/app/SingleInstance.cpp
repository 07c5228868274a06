#include "app/SingleInstance.h"

#include "core/platform/UserRuntime.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace fs = std::filesystem;

namespace pellora {

SingleInstance::SingleInstance(std::string name, fs::path folder)
    : m_name(std::move(name))
    , m_lockFile(std::move(folder) / LockFileName(m_name))
{
}

SingleInstance::~SingleInstance()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor); // releases the lock
}

SingleInstance::State SingleInstance::Acquire()
{
    if (m_state != State::NotTried)
        return m_state;

    const int descriptor = ::open(m_lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        m_state = State::Failed;
        return m_state;
    }
    // In a shared temporary folder the name may have been taken by someone else's file.
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        ::close(descriptor);
        m_state = State::Failed;
        return m_state;
    }
    int result = 0;
    do
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        const int error = errno;
        ::close(descriptor);
        m_state = error == EWOULDBLOCK ? State::HeldElsewhere : State::Failed;
        return m_state;
    }
    m_descriptor = descriptor;
    m_state = State::Acquired;
    return m_state;
}

std::string SingleInstance::InstanceName(const fs::path& programFile)
{
    std::string name = programFile.stem().string();
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

fs::path SingleInstance::DefaultFolder()
{
    return platform::UserRuntimeFolder();
}

std::string SingleInstance::LockFileName(std::string_view name)
{
    return std::string(name) + "-" + UserTag() + ".lock";
}

std::string SingleInstance::UserTag()
{
    return platform::UserTag();
}

} // namespace pellora
