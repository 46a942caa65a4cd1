// Core tests run inside a QCoreApplication: timers and queued signals need
// an event loop.
#include <QCoreApplication>

#include "TemporaryDataFolder.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const kvmt::test::TemporaryDataFolder dataFolder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
