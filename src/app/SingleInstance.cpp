#include "app/SingleInstance.h"

#include "core/util/Support.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace pellora {

namespace {

std::string userName()
{
    const uid_t uid = ::geteuid();
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry {};
    passwd* found = nullptr;
    std::string name;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr
        && found->pw_name != nullptr)
        name = found->pw_name;
    if (name.empty())
        return std::to_string(uid);
    // The name becomes part of a file name.
    std::replace_if(name.begin(), name.end(),
                    [](unsigned char c) { return !(std::isalnum(c) || c == '.' || c == '_' || c == '-'); }, '_');
    return name;
}

} // namespace

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
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr) {
        const fs::path folder(runtime);
        std::error_code error;
        if (folder.is_absolute() && fs::is_directory(folder, error))
            return folder;
    }
    return GetTempBase();
}

std::string SingleInstance::LockFileName(std::string_view name)
{
    return std::string(name) + "-" + UserTag() + ".lock";
}

std::string SingleInstance::UserTag()
{
    return userName();
}

} // namespace pellora
