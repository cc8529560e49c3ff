// GoogleTest entry point for tests that need a QApplication (widgets, timers,
// serial ports). Runs under whatever platform QT_QPA_PLATFORM names; ctest sets
// "offscreen".
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
