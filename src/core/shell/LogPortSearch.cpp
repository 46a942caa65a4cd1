#include "shell/LogPortSearch.h"

#include "shell/IniFile.h"

#include "kvtracker_home.h"

#include <QDir>
#include <QSerialPortInfo>

namespace kvmt {

std::optional<FriendlyName> parseFriendlyName(const QString &text)
{
    if (!text.endsWith(u')'))
        return std::nullopt;
    qsizetype nameEnd = text.lastIndexOf(QStringLiteral(" ("));
    qsizetype portStart = nameEnd + 2;
    if (nameEnd < 0) {
        // "(COM5)": a port without a name, which no search matches.
        if (!text.startsWith(u'('))
            return std::nullopt;
        nameEnd = 0;
        portStart = 1;
    }
    const QString port = text.mid(portStart, text.size() - 1 - portStart);
    if (port.isEmpty())
        return std::nullopt;
    return FriendlyName{text.left(nameEnd), port};
}

QString friendlyName(const QString &name, const QString &port)
{
    return name + QStringLiteral(" (") + port + u')';
}

std::optional<QString> findLogPort(const QList<SerialPortEntry> &entries)
{
    for (const SerialPortEntry &entry : entries) {
        const std::optional<FriendlyName> parsed = parseFriendlyName(entry.friendlyName);
        if (parsed && parsed->name == QStringView(kLogPortName))
            return entry.location;
    }
    return std::nullopt;
}

QList<SerialPortEntry> announcedLogPorts(const QString &trackerHome)
{
    QList<SerialPortEntry> entries;
    const QDir ports(QDir(trackerHome).filePath(QStringLiteral("ports")));
    const QStringList names = ports.entryList(QDir::Files, QDir::Name);
    for (const QString &name : names) {
        const IniFile file = IniFile::load(ports.filePath(name));
        const QString portName = file.value(u"port", u"name").value_or(QString());
        const QString path = file.value(u"port", u"path").value_or(QString());
        if (!path.isEmpty())
            entries.append({friendlyName(portName, path), path});
    }
    return entries;
}

QList<SerialPortEntry> listSerialPorts()
{
    QList<SerialPortEntry> entries;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports)
        entries.append({friendlyName(port.description(), port.portName()), port.systemLocation()});
    entries += announcedLogPorts(QString::fromStdString(kvtracker::homeDir()));
    return entries;
}

} // namespace kvmt
