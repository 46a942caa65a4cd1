// Protects the choice between the maker's device library and the virtual
// tracker's: the virtual one only on request, from its own folder, and never
// the maker's in its place.
#include "shell/LibrarySwitch.h"

#include "device/DeviceLibrary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kvmt;

namespace {

const QString kLibrary = deviceLibraryFileName(QStringLiteral("KVUSB"));

// A program folder with copies of the virtual library where `places` say
// ("" is the program's folder itself).
void placeLibrary(const QString &programDir, const QString &place)
{
    const QString folder = QDir(programDir).filePath(place);
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(KVMT_TEST_BIN_DIR)).filePath(kLibrary), QDir(folder).filePath(kLibrary)));
}

} // namespace

TEST(LibrarySwitch, WithoutTheSwitchTheSearchAndTheArgumentsStayAsTheyWere)
{
    const QString program = QStringLiteral("/opt/kvmtconf/bin");
    const LibraryChoice choice = chooseDeviceLibrary({QStringLiteral("/cmd"), QStringLiteral("x")}, program);
    EXPECT_FALSE(choice.virtualTracker);
    EXPECT_EQ(choice.arguments, (QStringList{QStringLiteral("/cmd"), QStringLiteral("x")}));
    EXPECT_EQ(choice.libraryDirs, (QStringList{program, QStringLiteral("/opt/kvmtconf/lib/kvmtconf")}));
}

TEST(LibrarySwitch, TheSwitchLoadsTheVirtualLibraryFromItsOwnFolderOnly)
{
    QTemporaryDir program;
    placeLibrary(program.path(), QStringLiteral("virtual-tracker"));
    // Where a maker's library would stand; the switch must not take it.
    placeLibrary(program.path(), QString());
    const LibraryChoice choice = chooseDeviceLibrary(
        {QStringLiteral("read"), QLatin1String(VirtualTrackerSwitch), QStringLiteral("--json")}, program.path());
    EXPECT_TRUE(choice.virtualTracker);
    EXPECT_EQ(choice.arguments, (QStringList{QStringLiteral("read"), QStringLiteral("--json")}));
    DeviceLibrary library(choice.libraryDirs);
    ASSERT_TRUE(library.load()) << library.lastError().toStdString();
    EXPECT_EQ(QDir::cleanPath(library.location()),
              QDir::cleanPath(QDir(program.path()).filePath(QStringLiteral("virtual-tracker/") + kLibrary)));
}

TEST(LibrarySwitch, TheSwitchWithoutAVirtualLibraryLoadsNothingRatherThanTheMakers)
{
    QTemporaryDir root;
    const QString program = QDir(root.path()).filePath(QStringLiteral("bin"));
    // Nothing in virtual-tracker/ nor ../lib/kvmtconf; on Windows a library
    // beside the program is the maker's and stays untouched.
    ASSERT_TRUE(QDir().mkpath(program));
#if defined(Q_OS_WIN)
    placeLibrary(program, QString());
#endif
    const LibraryChoice choice = chooseDeviceLibrary({QLatin1String(VirtualTrackerSwitch)}, program);
    EXPECT_TRUE(choice.arguments.isEmpty());
    DeviceLibrary library(choice.libraryDirs);
    EXPECT_FALSE(library.load());
    EXPECT_FALSE(library.lastError().isEmpty());
}
