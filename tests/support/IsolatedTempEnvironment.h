#pragma once

// Gives each test process a temporary folder of its own (TMPDIR) and a configuration folder inside it
// (XDG_CONFIG_HOME), so that parallel tests never see each other's files or the user's settings, and
// every test can check that it left nothing behind. The machine's print scheduler is out of reach.

#include <gtest/gtest.h>

#include <filesystem>

namespace pellora::test {

class IsolatedTempEnvironment : public ::testing::Environment {
public:
    void SetUp() override;
    void TearDown() override;

    // Registers the environment with the test runner; call once per test program.
    static bool Register();

private:
    std::filesystem::path m_folder;
};

} // namespace pellora::test
