#pragma once

// Gives each test process a temporary folder of its own (TMPDIR), so that parallel tests never see
// each other's temporary files and every test can check that it left nothing behind.

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
