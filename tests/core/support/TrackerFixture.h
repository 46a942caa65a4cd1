#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "QtPrinters.h"

#include "device/DeviceLibrary.h"
#include "device/DeviceLink.h"
#include "device/MonotonicClock.h"

namespace kvmt::test {

// A clock the test moves by hand.
class ManualClock final : public MonotonicClock
{
public:
    qint64 nowMs() const override { return m_now; }
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 0;
};

// The virtual trackers' home for this test process. It is set once per
// process (the device library may keep it) and emptied before every test:
// no tracker attached until a test plugs one.
class TrackerHome
{
public:
    static TrackerHome &instance();

    QString path() const { return m_dir.path(); }
    // Removes every tracker, flash and trace, and leaves an empty
    // "attached" folder (an absent folder would mean the default tracker).
    void reset();
    // Plugs a tracker with this scenario ([tracker] section and more).
    void plug(const QString &scenario);
    void unplugAll();
    // Unplugs the trackers with this serial, leaving the others attached.
    void unplug(const QString &serial);
    // The commands the tracker with this serial received, in order.
    QStringList commands(const QString &serial) const;

private:
    TrackerHome();
    QTemporaryDir m_dir;
    int m_plugged = 0;
};

// The whole file a sequence wrote, or `absent` when there is none: a marker
// no file holds keeps a missing file apart from an empty one.
inline QByteArray readAll(const QString &path, const QByteArray &absent = {})
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : absent;
}

// Writes `bytes` as the whole file at `path` and returns the path.
inline QString writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << path.toStdString();
    return path;
}

// A scenario with trace on. `extra` lines are added to [tracker].
QString scenario(const QString &serial = QStringLiteral("5001500"), const QString &version = QStringLiteral("KVMT-1.44"),
                 const QStringList &extra = {});

// The virtual tracker's library loaded through the real dynamic-loading path,
// and a link over it.
class TrackerTest : public ::testing::Test
{
protected:
    void SetUp() override;
    // Lists, opens the first tracker; fails the test when that is impossible.
    void openFirst();

    TrackerHome &home = TrackerHome::instance();
    ManualClock clock;
    DeviceLibrary library{{QStringLiteral(KVMT_TEST_BIN_DIR)}};
    DeviceLink link{library, clock};
};

} // namespace kvmt::test
