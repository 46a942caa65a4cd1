// Protects the system's device notices on Windows: WM_DEVICECHANGE of any
// type, as the system (or the virtual tracker's control tool) broadcasts it
// to every top-level window, reaches a watcher even without a window of the
// program's own; one notice per broadcast.
#include "device/DeviceChangeWatcher.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <windows.h>

using namespace kvmt;

namespace {

void broadcast(WPARAM type)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, type, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

} // namespace

TEST(DeviceChangeWatcherWindows, AnyDeviceChangeBroadcastIsOneNotice)
{
    DeviceChangeWatcher watcher;
    ASSERT_TRUE(watcher.hearsSystemNotices());
    QSignalSpy changes(&watcher, &DeviceChangeWatcher::deviceChanged);
    // DBT_DEVNODES_CHANGED, DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE.
    for (const WPARAM type : {WPARAM(0x0007), WPARAM(0x8000), WPARAM(0x8004)}) {
        changes.clear();
        broadcast(type);
        ASSERT_TRUE(changes.wait(1000)) << "type " << type;
        // Nothing more arrives for the same broadcast.
        QTest::qWait(50);
        EXPECT_EQ(changes.size(), 1) << "type " << type;
    }
}

TEST(DeviceChangeWatcherWindows, AGoneWatcherHearsNothingAndASecondOneStillHears)
{
    auto first = std::make_unique<DeviceChangeWatcher>();
    first.reset();
    DeviceChangeWatcher second;
    QSignalSpy changes(&second, &DeviceChangeWatcher::deviceChanged);
    broadcast(0x0007);
    EXPECT_TRUE(changes.wait(1000));
}
