// Window tests run inside a QApplication on the offscreen platform unless a
// display is asked for, so that they run on machines without one.
#include <QApplication>

#include "TemporaryDataFolder.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const kvmt::test::TemporaryDataFolder dataFolder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
