#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace kvmt {

// A serial port as the system lists it: its friendly name "NAME (PORT)" and
// the location to open.
struct SerialPortEntry {
    QString friendlyName;
    QString location;
};

// The tracker's debug port carries this name, and only this, exactly.
inline constexpr char16_t kLogPortName[] = u"KV USB CDC";

// "NAME (PORT)": the name before the last " (" and the port inside the
// parentheses. nullopt for a friendly name without that tail; a name that
// starts with "(" has an empty name.
struct FriendlyName {
    QString name;
    QString port;
};
std::optional<FriendlyName> parseFriendlyName(const QString &friendlyName);
QString friendlyName(const QString &name, const QString &port);

// The first entry, in the order given, whose name is exactly kLogPortName.
std::optional<QString> findLogPort(const QList<SerialPortEntry> &entries);

// The debug ports that attached virtual trackers announce under
// `trackerHome`/ports, in plug order. Pseudo-terminals are not serial ports
// to the system, so nothing else would list them.
QList<SerialPortEntry> announcedLogPorts(const QString &trackerHome);

// The computer's serial ports, then the virtual trackers' debug ports.
QList<SerialPortEntry> listSerialPorts();

} // namespace kvmt
