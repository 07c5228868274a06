#pragma once

// A QApplication on the offscreen platform for the tests of one test suite.

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace pellora::test {

class QtApplicationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        application() = std::make_unique<QApplication>(argc(), argv());
    }
    static void TearDownTestSuite() { application().reset(); }

private:
    static std::unique_ptr<QApplication>& application()
    {
        static std::unique_ptr<QApplication> instance;
        return instance;
    }
    static int& argc()
    {
        static int count = 1;
        return count;
    }
    static char** argv()
    {
        static char name[] = "pellora_app_tests";
        static char* arguments[] = {name, nullptr};
        return arguments;
    }
};

} // namespace pellora::test
