#include "device/DeviceChangeWatcher.h"

#include "kvtracker_home.h"

#include <QDir>
#include <QSocketNotifier>

#include <libudev.h>

namespace kvmt {

DeviceChangeWatcher::DeviceChangeWatcher(QObject *parent)
    : QObject(parent)
{
    startUdev();
    watchVirtualTrackers();
    connect(&m_files, &QFileSystemWatcher::directoryChanged, this, [this] {
        // The "attached" folder may have just been made or removed.
        watchVirtualTrackers();
        emit deviceChanged();
    });
}

DeviceChangeWatcher::~DeviceChangeWatcher()
{
    m_notifier.reset();
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

void DeviceChangeWatcher::startUdev()
{
    m_udev = udev_new();
    if (!m_udev)
        return;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor
        || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", nullptr) < 0
        || udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "tty", nullptr) < 0
        || udev_monitor_enable_receiving(m_monitor) < 0) {
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &DeviceChangeWatcher::onUdevReadable);
}

void DeviceChangeWatcher::onUdevReadable()
{
    // Drain the event; what it reports does not matter, every notice
    // restarts the monitor alike.
    if (udev_device *device = udev_monitor_receive_device(m_monitor))
        udev_device_unref(device);
    emit deviceChanged();
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
