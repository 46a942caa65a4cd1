#pragma once

#include <QFileSystemWatcher>
#include <QObject>

#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace kvmt {

// Turns the system's device notices (udev, subsystems usb and tty) and the
// virtual trackers' plug and unplug notices (a change of their "attached"
// folder) into one signal. Both arrive as events; nothing is polled. Where
// udev is not available (containers, CI) the watcher works on without it.
class DeviceChangeWatcher : public QObject
{
    Q_OBJECT

public:
    explicit DeviceChangeWatcher(QObject *parent = nullptr);
    ~DeviceChangeWatcher() override;

    bool hasUdev() const { return m_monitor != nullptr; }

signals:
    void deviceChanged();

private:
    void startUdev();
    void onUdevReadable();
    void watchVirtualTrackers();

    QFileSystemWatcher m_files;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace kvmt
