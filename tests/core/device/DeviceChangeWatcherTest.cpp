// Protects the virtual trackers' plug and unplug notices: they arrive as
// events, within a second, without polling.
#include "device/DeviceChangeWatcher.h"

#include "TrackerFixture.h"

#include <QDir>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

TEST(DeviceChangeWatcher, PlugAndUnplugOfAVirtualTrackerAreNoticed)
{
    TrackerHome &home = TrackerHome::instance();
    home.reset();
    DeviceChangeWatcher watcher;
    QSignalSpy changes(&watcher, &DeviceChangeWatcher::deviceChanged);

    home.plug(scenario(QStringLiteral("5001010")));
    ASSERT_TRUE(changes.wait(1000));

    changes.clear();
    home.unplugAll();
    ASSERT_TRUE(changes.wait(1000));
}

TEST(DeviceChangeWatcher, AttachedFolderMadeLaterIsWatchedToo)
{
    TrackerHome &home = TrackerHome::instance();
    home.reset();
    QDir(home.path()).rmdir(QStringLiteral("attached"));
    DeviceChangeWatcher watcher;
    QSignalSpy changes(&watcher, &DeviceChangeWatcher::deviceChanged);

    // The default tracker goes away when the folder appears: a notice.
    QDir(home.path()).mkdir(QStringLiteral("attached"));
    ASSERT_TRUE(changes.wait(1000));
    changes.clear();
    home.plug(scenario(QStringLiteral("5001011")));
    ASSERT_TRUE(changes.wait(1000));
}
