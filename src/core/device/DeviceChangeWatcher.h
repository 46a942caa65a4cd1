#pragma once

#include <QFileSystemWatcher>
#include <QObject>

#include <functional>
#include <memory>

namespace kvmt {

// Turns the system's device notices and the virtual trackers' plug and
// unplug notices (a change of their "attached" folder) into one signal.
// Both arrive as events; nothing is polled. The system's notices come from
// the platform's own source (udev on Linux, WM_DEVICECHANGE on Windows);
// where that source is not available (containers, CI) the watcher works on
// without it.
class DeviceChangeWatcher : public QObject
{
    Q_OBJECT

public:
    explicit DeviceChangeWatcher(QObject *parent = nullptr);
    ~DeviceChangeWatcher() override;

    // Whether the system's own notices reach this watcher.
    bool hearsSystemNotices() const;

signals:
    void deviceChanged();

private:
    class SystemNotices;

    void watchVirtualTrackers();
    // Several sources may report one change (a virtual tracker's plug is
    // both a folder change and, on Windows, a broadcast): one signal per
    // turn of the event loop.
    void noticeArrived();

    QFileSystemWatcher m_files;
    std::unique_ptr<SystemNotices> m_system;
    bool m_noticePending = false;
};

} // namespace kvmt
