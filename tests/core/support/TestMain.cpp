// Core tests run inside a QCoreApplication: timers and queued signals need
// an event loop.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // MT.ini, automatic copies, password lists and read backups of the
    // programs under test go here, never into the build tree.
    QTemporaryDir dataDir;
    qputenv("KVMT_DATA_DIR", QFile::encodeName(dataDir.path()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
