// Test main for libraries without widgets: a QCoreApplication around GoogleTest.
#include "TestHome.h"
#include <QCoreApplication>

#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    TestHome home;
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
