// Protects where the program keeps MT.ini, the automatic copies and the
// password lists: a packaged program never writes among the system's files,
// not even when run as root.
#include "shell/ExeDir.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kvmt;

TEST(ExeDir, InstalledProgramUsesTheDataFolderEvenWhereItCouldWrite)
{
    const QString data = QStringLiteral("/root/.local/share/KVMTConf");
    const auto writable = [](const QString &) { return true; };
    for (const char *system : {"/usr/bin", "/usr/local/bin", "/usr", "/bin", "/sbin", "/usr/bin/", "/usr/lib/../bin"})
        EXPECT_EQ(chooseExeDir(QString::fromLatin1(system), data, writable), data) << system;
    // Portable installs elsewhere keep everything beside the program.
    for (const char *portable : {"/opt/kvmtconf", "/home/u/kvmtconf", "/usrlocal/bin", "/binaries", "/srv/usr/bin"})
        EXPECT_EQ(chooseExeDir(QString::fromLatin1(portable), data, writable), QString::fromLatin1(portable)) << portable;

    // Named outright, made when missing: the test programs' own folder.
    const QByteArray before = qgetenv("KVMT_DATA_DIR");
    QTemporaryDir scratch;
    const QString named = scratch.filePath(QStringLiteral("named/data"));
    qputenv("KVMT_DATA_DIR", QFile::encodeName(named));
    EXPECT_EQ(programExeDir(), named);
    EXPECT_TRUE(QFileInfo(named).isDir());
    qputenv("KVMT_DATA_DIR", before);
}

TEST(ExeDir, WhereWritingProvesNothingOnlyThePortableMarkerKeepsFilesBesideTheProgram)
{
    QTemporaryDir program;
    const QString data = QStringLiteral("C:/Users/u/AppData/Roaming/KVMTConf");
    // Writable, as every folder is under wine: still the data folder.
    ASSERT_TRUE(folderIsWritable(program.path()));
    EXPECT_EQ(chooseMarkedExeDir(program.path(), data), data);
    QFile marker(QDir(program.path()).filePath(QLatin1String(PortableMarker)));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    EXPECT_EQ(chooseMarkedExeDir(program.path(), data), program.path());
    // A program folder that does not exist holds no marker.
    EXPECT_EQ(chooseMarkedExeDir(QDir(program.path()).filePath(QStringLiteral("missing")), data), data);
}
