#include <QCoreApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

// The io tests need an application object for the event loop (OPC
// deliveries, timers) but no display.
int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
