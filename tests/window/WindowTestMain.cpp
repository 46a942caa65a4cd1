// Window tests need a QApplication (offscreen platform under CTest).
#include <QApplication>

#include "TemporaryDataFolder.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Test discovery runs the binary outside CTest's environment too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const kvmt::test::TemporaryDataFolder dataFolder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
