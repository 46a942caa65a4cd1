// Protects loading the device access library: all eight functions or none.
#include "device/DeviceLibrary.h"
#include "device/DeviceLink.h"

#include "TrackerFixture.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstring>

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

// The libraries of the virtual tracker built with each calling convention
// the maker's might use (one on platforms where the two are the same).
class EitherCallingConvention : public ::testing::TestWithParam<const char *>
{
};

TEST_P(EitherCallingConvention, ServesAWholeSessionWithTheStackIntact)
{
    test::TrackerHome &home = test::TrackerHome::instance();
    home.reset();
    home.plug(test::scenario(QStringLiteral("5001790"), QStringLiteral("KVMT-1.44")));
    // Named as a file: exactly this library is loaded.
    DeviceLibrary library({QString::fromUtf8(GetParam())});
    ASSERT_TRUE(library.load()) << library.lastError().toStdString();
    EXPECT_EQ(QDir::cleanPath(library.location()), QDir::cleanPath(QString::fromUtf8(GetParam())));
    test::ManualClock clock;
    DeviceLink link(library, clock);
    QList<QByteArray> names;
    ASSERT_EQ(link.listDevices(&names), 0);
    ASSERT_EQ(names.size(), 1);
    ASSERT_EQ(link.openDevice(names.first()), 0);
    // A caller that got the convention wrong drifts its stack pointer by
    // the arguments' size at every call: hundreds of calls with locals
    // that must survive them find it out.
    const QByteArray serial = "5001790";
    for (int i = 0; i < 300; ++i) {
        link.sendCommand(i % 2 ? "NUMBER=?;" : "VERSION=?;");
        ASSERT_EQ(link.receiveReply(), 0) << "exchange " << i;
        ASSERT_EQ(link.replyValue(), i % 2 ? serial : QByteArray("KVMT-1.44")) << "exchange " << i;
    }
    link.closeDevice();
    link.sendCommand("NUMBER=?;");
    EXPECT_EQ(link.receiveReply(), -1) << "a closed tracker answers nothing";
}

#if defined(KVMT_TEST_LIBRARY_OTHER_CALL)
INSTANTIATE_TEST_SUITE_P(VirtualLibraries, EitherCallingConvention,
                         ::testing::Values(KVMT_TEST_LIBRARY, KVMT_TEST_LIBRARY_OTHER_CALL));
#else
INSTANTIATE_TEST_SUITE_P(VirtualLibraries, EitherCallingConvention, ::testing::Values(KVMT_TEST_LIBRARY));
#endif

TEST(DeviceLibrary, ALibraryNamedAsAFileIsTheOnlyOneTried)
{
    // Missing: no bare-name search, no fallback, although the program's
    // folder would offer a complete library.
    QTemporaryDir empty;
    const QString missing = QDir(empty.path()).filePath(deviceLibraryFileName(QStringLiteral("KVUSB")));
    DeviceLibrary library({missing, QStringLiteral(KVMT_TEST_BIN_DIR)});
    EXPECT_FALSE(library.load());
    EXPECT_FALSE(library.isLoaded());
    EXPECT_FALSE(library.lastError().isEmpty());
}

namespace {

#if defined(KVMT_STACK_RESTORING_CALLS)
#define KVMT_TEST_CALLEE_POPS __stdcall
#else
#define KVMT_TEST_CALLEE_POPS
#endif

// Two library functions alike but for who removes the arguments.
extern "C" __attribute__((noinline)) int KVMT_TEST_CALLEE_POPS calleePops(uint32_t base, const char *text, uint32_t *out)
{
    *out = base * 2;
    return int(base + uint32_t(strlen(text)));
}

extern "C" __attribute__((noinline)) int callerPops(uint32_t base, const char *text, uint32_t *out)
{
    *out = base * 3;
    return int(base + uint32_t(strlen(text)) + 1);
}

} // namespace

TEST(LibraryEntry, CallsEitherConventionAndKeepsTheCallersLocals)
{
    using Entry = LibraryEntry<int(uint32_t, const char *, uint32_t *)>;
    const Entry pops(reinterpret_cast<void *>(&calleePops));
    const Entry leaves(reinterpret_cast<void *>(&callerPops));
    EXPECT_TRUE(bool(pops));
    EXPECT_FALSE(bool(Entry()));
    // Locals the compiler keeps on the stack: a stack pointer off by the
    // arguments' twelve bytes after each call would overwrite or lose them.
    volatile uint32_t guardBefore = 0x5A5A5A5A;
    uint64_t total = 0;
    for (uint32_t i = 0; i < 10000; ++i) {
        uint32_t out = 0;
        total += uint64_t(pops(i, "abc", &out));
        ASSERT_EQ(out, i * 2);
        total += uint64_t(leaves(i, "abcd", &out));
        ASSERT_EQ(out, i * 3);
    }
    volatile uint32_t guardAfter = 0xA5A5A5A5;
    EXPECT_EQ(total, 2 * (uint64_t(9999) * 10000 / 2) + 10000 * (3 + 5));
    EXPECT_EQ(guardBefore, 0x5A5A5A5Au);
    EXPECT_EQ(guardAfter, 0xA5A5A5A5u);
}
