#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>

#include "device/DeviceLibrary.h"
#include "device/DeviceLink.h"
#include "device/MonotonicClock.h"

namespace kvmt {

class DeviceChangeWatcher;

// The attached trackers by their list names, for tools that serve several
// trackers in turn. It has a device link of its own, used only between the
// sessions with the trackers: to list them and to ask one for its serial.
class TrackerRoster : public QObject
{
    Q_OBJECT

public:
    explicit TrackerRoster(QStringList libraryDirs, QObject *parent = nullptr);
    ~TrackerRoster() override;

    bool loadLibrary() { return m_library.load(); }
    const DeviceLibrary &library() const { return m_library; }

    // The names listed now, in list order; empty when none or no library.
    QList<QByteArray> names();
    // Names listed now that were not listed at the previous call; names that
    // have gone are forgotten, so a tracker plugged again counts as new.
    QList<QByteArray> takeNew();
    // Opens the named tracker, asks its serial (NUMBER) and closes it again.
    // Nothing else is sent: a protected tracker answers this unlocked too.
    std::optional<qint32> serialOf(const QByteArray &name);

    // From now on, device notices end in trackersChanged once a burst of
    // them has settled for settleMs. Nothing polls.
    void watch(int settleMs);

signals:
    void trackersChanged();

private:
    SteadyClock m_clock;
    DeviceLibrary m_library;
    DeviceLink m_link;
    QList<QByteArray> m_known;
    std::unique_ptr<DeviceChangeWatcher> m_watcher;
    QTimer m_settle;
};

} // namespace kvmt
