// Test main for windows and widgets: a QApplication (offscreen under CTest) around GoogleTest.
#include "TestHome.h"
#include <QApplication>

#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    TestHome home;
    // Tests are headless unless a run asks for a real display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
