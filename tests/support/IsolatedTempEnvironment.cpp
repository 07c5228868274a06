#include "support/IsolatedTempEnvironment.h"

#include <cstdlib>
#include <string>
#include <system_error>

namespace pellora::test {

void IsolatedTempEnvironment::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "pellora-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        GTEST_FAIL() << "cannot make a temporary folder for the tests";
    m_folder = pattern;
    ::setenv("TMPDIR", m_folder.c_str(), 1);
    // The user's own settings stay out of the tests' way, and the tests out of theirs.
    ::setenv("XDG_CONFIG_HOME", (m_folder / "config").c_str(), 1);
    // Printing calls reach no scheduler of the machine: this socket never exists.
    ::setenv("CUPS_SERVER", (m_folder / "no-scheduler.sock").c_str(), 1);
}

void IsolatedTempEnvironment::TearDown()
{
    std::error_code ignored;
    if (!m_folder.empty())
        std::filesystem::remove_all(m_folder, ignored);
}

bool IsolatedTempEnvironment::Register()
{
    // The test runner owns its environments.
    ::testing::AddGlobalTestEnvironment(new IsolatedTempEnvironment);
    return true;
}

} // namespace pellora::test
