// Window tests need a QApplication (offscreen platform under CTest).
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Test discovery runs the binary outside CTest's environment too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // MT.ini, automatic copies, password lists and read backups of the
    // programs under test go here, never into the build tree.
    QTemporaryDir dataDir;
    qputenv("KVMT_DATA_DIR", QFile::encodeName(dataDir.path()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
