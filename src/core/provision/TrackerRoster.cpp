#include "provision/TrackerRoster.h"

#include "device/ConnectionMonitor.h"
#include "device/DeviceChangeWatcher.h"

namespace kvmt {

TrackerRoster::TrackerRoster(QStringList libraryDirs, QObject *parent)
    : QObject(parent)
    , m_library(std::move(libraryDirs))
    , m_link(m_library, m_clock)
{
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, &TrackerRoster::trackersChanged);
}

TrackerRoster::~TrackerRoster()
{
    if (m_link.hasHandle())
        m_link.closeDevice();
}

QList<QByteArray> TrackerRoster::names()
{
    QList<QByteArray> listed;
    if (!m_library.load())
        return listed;
    uint32_t count = 0;
    if (m_link.countDevices(&count) != 0 || count == 0)
        return listed;
    if (m_link.listDevices(&listed) != 0)
        listed.clear();
    return listed;
}

QList<QByteArray> TrackerRoster::takeNew()
{
    const QList<QByteArray> listed = names();
    QList<QByteArray> fresh;
    for (const QByteArray &name : listed) {
        if (!m_known.contains(name))
            fresh.append(name);
    }
    m_known = listed;
    return fresh;
}

std::optional<qint32> TrackerRoster::serialOf(const QByteArray &name)
{
    if (!m_library.load() || m_link.openDevice(name) != 0)
        return std::nullopt;
    m_link.sendCommand("NUMBER=?;");
    std::optional<qint32> serial;
    if (m_link.receiveReply() == 0)
        serial = parseSerialNumber(m_link.replyValue());
    m_link.closeDevice();
    return serial;
}

void TrackerRoster::watch(int settleMs)
{
    m_settle.setInterval(settleMs);
    if (m_watcher)
        return;
    m_watcher = std::make_unique<DeviceChangeWatcher>();
    connect(m_watcher.get(), &DeviceChangeWatcher::deviceChanged, this, [this] { m_settle.start(); });
}

} // namespace kvmt
