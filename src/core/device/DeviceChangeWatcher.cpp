#include "device/DeviceChangeWatcher.h"

#include "kvtracker_home.h"

#include <QDir>
#include <QTimer>

namespace kvmt {

void DeviceChangeWatcher::noticeArrived()
{
    if (m_noticePending)
        return;
    m_noticePending = true;
    // Queued: a notice may come from inside the system's message dispatch,
    // where the monitor must not start an exchange.
    QTimer::singleShot(0, this, [this] {
        m_noticePending = false;
        emit deviceChanged();
    });
}

void DeviceChangeWatcher::watchVirtualTrackers()
{
    const QString home = QString::fromStdString(kvtracker::homeDir());
    const QString attached = QString::fromStdString(kvtracker::attachedDir());
    // The home folder must exist to be watched; making it changes nothing
    // for the trackers (no "attached" folder still means the default one).
    QDir().mkpath(home);
    QStringList wanted = {home};
    if (QDir(attached).exists())
        wanted.append(attached);
    const QStringList watched = m_files.directories();
    for (const QString &dir : wanted) {
        if (!watched.contains(dir))
            m_files.addPath(dir);
    }
}

} // namespace kvmt
