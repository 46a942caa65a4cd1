// The system's device notices on Linux: a udev monitor of the usb and tty
// subsystems, read when its socket becomes readable.
#include "device/DeviceChangeWatcher.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace kvmt {

class DeviceChangeWatcher::SystemNotices
{
public:
    explicit SystemNotices(DeviceChangeWatcher &watcher)
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
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &watcher, [this, &watcher] {
            // Drain the event; what it reports does not matter, every notice
            // restarts the monitor alike.
            if (udev_device *device = udev_monitor_receive_device(m_monitor))
                udev_device_unref(device);
            watcher.noticeArrived();
        });
    }

    ~SystemNotices()
    {
        m_notifier.reset();
        if (m_monitor)
            udev_monitor_unref(m_monitor);
        if (m_udev)
            udev_unref(m_udev);
    }

    bool active() const { return m_monitor != nullptr; }

private:
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

DeviceChangeWatcher::DeviceChangeWatcher(QObject *parent)
    : QObject(parent)
    , m_system(std::make_unique<SystemNotices>(*this))
{
    watchVirtualTrackers();
    connect(&m_files, &QFileSystemWatcher::directoryChanged, this, [this] {
        // The "attached" folder may have just been made or removed.
        watchVirtualTrackers();
        noticeArrived();
    });
}

DeviceChangeWatcher::~DeviceChangeWatcher() = default;

bool DeviceChangeWatcher::hearsSystemNotices() const
{
    return m_system->active();
}

} // namespace kvmt
