// Protects loading the device access library: all eight functions or none.
#include "device/DeviceLibrary.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kvmt;

TEST(DeviceLibrary, LoadsTheVirtualTrackerFromTheProgramFolder)
{
    DeviceLibrary library({QStringLiteral(KVMT_TEST_BIN_DIR)});
    ASSERT_TRUE(library.load()) << library.lastError().toStdString();
    EXPECT_TRUE(library.isLoaded());
    EXPECT_TRUE(library.location().endsWith(deviceLibraryFileName(QStringLiteral("KVUSB"))));
    const DeviceApi &api = library.api();
    for (const void *fn : {api.getListDevices.address(), api.openDevice.address(), api.closeDevice.address(),
                           api.read.address(), api.readNotTimeOut.address(), api.write.address(),
                           api.purge.address(), api.setTimeouts.address()})
        EXPECT_NE(fn, nullptr);
    // A second load keeps the library that is there.
    EXPECT_TRUE(library.load());
}

TEST(DeviceLibrary, ALibraryLackingOneFunctionCountsAsAbsent)
{
    DeviceLibrary library({QStringLiteral(KVMT_TEST_BROKEN_LIB_DIR)}, QStringLiteral("KVUSB_missing_purge"));
    EXPECT_FALSE(library.load());
    EXPECT_FALSE(library.isLoaded());
    EXPECT_EQ(library.api().getListDevices.address(), nullptr);
    EXPECT_FALSE(library.lastError().isEmpty());
}

TEST(DeviceLibrary, NoLibraryAnywhereIsReportedAndCanBeRetried)
{
    QTemporaryDir empty;
    DeviceLibrary library({empty.path()}, QStringLiteral("KVUSB_not_installed_anywhere"));
    EXPECT_FALSE(library.load());
    EXPECT_FALSE(library.lastError().isEmpty());
    EXPECT_FALSE(library.load());
}
