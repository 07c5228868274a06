// Test entry of the window tests: one QApplication on the offscreen platform for every test.

#include "support/IsolatedTempEnvironment.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    pellora::test::IsolatedTempEnvironment::Register();
    return RUN_ALL_TESTS();
}
