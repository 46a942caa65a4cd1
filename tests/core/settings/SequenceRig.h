#pragma once

#include <QByteArrayList>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <optional>

#include "QtPrinters.h"

#include "device/CommandChannel.h"
#include "device/LinkFlags.h"
#include "device/ReplySplit.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/ReadSequence.h"
#include "settings/SettingsBuffer.h"
#include "settings/TrackerIdentity.h"
#include "settings/SequenceStop.h"
#include "settings/WriteSequence.h"

namespace kvmt::test {

// A tracker in memory behind the exchange: answers queries from its values,
// stores and echoes settings, and can stay silent, not know a key, or be
// locked. Replies go through the real reply split. It never waits.
class FakeTracker final : public CommandChannel
{
public:
    QHash<QByteArray, QByteArray> values;
    QHash<QByteArray, QByteArray> replyKeys; // e.g. ACCLEN answered as #ACCLEN
    QSet<QByteArray> silent;                  // never answer
    QSet<QByteArray> unknown;                 // answer NO_CMD
    QHash<QByteArray, QByteArray> rawReplies; // answer exactly this to a set
    bool locked = false;                      // every set answered DEVLOCK;
    QByteArrayList commands;
    std::function<void(qsizetype sent)> onSend; // after each command, with the count so far

    void sendCommand(const QByteArray &command) override
    {
        commands.append(command);
        if (onSend)
            onSend(commands.size());
        m_pending = respond(command);
    }
    int receiveReply() override
    {
        m_key.clear();
        m_value.clear();
        if (!m_pending)
            return -1;
        SplitReply split = splitReply(*m_pending);
        m_key = split.key;
        m_value = split.value;
        m_pending.reset();
        return 0;
    }
    const QByteArray &replyKey() const override { return m_key; }
    const QByteArray &replyValue() const override { return m_value; }
    void setReplyValue(const QByteArray &value) override { m_value = value; }

    // The keys of the commands sent, in order.
    QByteArrayList sentKeys() const
    {
        QByteArrayList keys;
        for (const QByteArray &command : commands)
            keys.append(command.left(command.indexOf('=')));
        return keys;
    }

private:
    std::optional<QByteArray> respond(const QByteArray &command)
    {
        const qsizetype eq = command.indexOf('=');
        const QByteArray key = command.left(eq);
        const QByteArray value = command.mid(eq + 1, command.lastIndexOf(';') - eq - 1);
        if (silent.contains(key))
            return std::nullopt;
        if (unknown.contains(key))
            return QByteArrayLiteral("NO_CMD");
        if (value == "?")
            return replyKeys.value(key, key) + '=' + values.value(key) + ';';
        if (locked)
            return QByteArrayLiteral("DEVLOCK;");
        if (rawReplies.contains(key))
            return rawReplies.value(key);
        values.insert(key, value);
        return key + '=' + value + ';';
    }

    std::optional<QByteArray> m_pending;
    QByteArray m_key;
    QByteArray m_value;
};

// A tracker with every key set to a value that differs from the window's
// design state, so that a read visibly changes each member.
inline void fillTracker(FakeTracker &tracker, quint32 firmware)
{
    tracker.replyKeys.insert("ACCLEN", "#ACCLEN");
    const std::pair<const char *, const char *> values[] = {
        {"ACCLEN", "1,1"}, {"GSMPIN", "1234"}, {"GSMAPN", "internet"}, {"GSMAPNPASS", "gpass"},
        {"GSMAPNUSER", "guser"}, {"CHANGEPROFILEONCALL", "1,3"}, {"SERVER", "srv.example.net"},
        {"SERVERPORT", "5050"}, {"SERVERPASS", "secret"}, {"SERVEREN", "1"}, {"SERVERPERIOD", "0,30,1"},
        {"SMTPSSLEN", "1"}, {"SMTPSERVER", "smtp.example.net"}, {"SMTPPORT", "465"}, {"SMTPLOGIN", "me"},
        {"SMTPPASS", "mail"}, {"SMTPFROM", "me@example.net"}, {"SMTPTO1", "a@example.net"},
        {"SMTPTO2", "b@example.net"}, {"SMTPTO3", "c@example.net"}, {"SMTPTO4", "d@example.net"},
        {"SMTPEN", "1"}, {"SMTPPERIOD", "1,5,1"}, {"TRUSTNUMBER", "1"}, {"SMSNUMBER1", "+70000000001"},
        {"SMSNUMBER2", "+70000000002"}, {"SMSNUMBER3", "+70000000003"}, {"SMSGATE", "+7900"},
        {"SMSEN", "1,1"}, {"SMSPERIOD", "2,15,1"}, {"DEVNAME", "TRK01"}, {"DELAYOFF", "5"},
        {"MAPFORMAT", "1"}, {"MAPTEMPLATE1", "http://maps.example/?q=%s,%s"}, {"MAPTEMPLATE2", "ya:%s"},
        {"LBSDISABLE", "1"}, {"INDOFF", "1"}, {"DEBUGINFO", "1"}, {"DATAWITHUSB", "1"},
        {"BALANCENUM", "*100#,1,0"}, {"BALANCELEVEL", "50"}, {"ACCLSENSELEV", "3"}, {"FASTMOVEDETECT", "1"},
        {"ACCLSETUPSEND", "1,1,1"}, {"ACCLSENSETIMEOUT", "7"}, {"ACCLACTIVTIME", "8,0,20,30"},
        {"ACCLALARMCALL", "1"}, {"CHANGEPROFILE", "2"}, {"GPSEN", "1"}, {"GPSPERIOD", "1,10"},
        {"ADCINFO", "4150,23"}, {"SETCP", "1,55755826,-37617300,500,21"},
    };
    for (const auto &[key, value] : values)
        tracker.values.insert(key, value);
    tracker.values.insert("SETTIME", firmware >= 135 ? "9:05,03.07.2015,3,1" : "9:05,03.07.2015,3");
}

// The fixed moment the tests' clock shows: 14:07 on 2 March 2015, UTC+3.
inline LocalTime fixedClock()
{
    return {QDateTime(QDate(2015, 3, 2), QTime(14, 7)), 180};
}

// The texts of the red lines, in order.
inline QStringList errorLines(const RecordingEventLog &log)
{
    QStringList lines;
    for (const LogLine &line : log.lines())
        if (line.kind == LogError)
            lines.append(line.text);
    return lines;
}

// Everything a sequence needs, wired as the configurator wires it.
struct SequenceRig {
    DeviceSettings settings;
    TrackerIdentity identity;
    RecordingEventLog log;
    FakeTracker tracker;
    SettingsBuffer buffer;
    LinkFlags flags = LinkFlag::Connected;
    KeyTable keys{settings, identity, log, fixedClock};
    ReadSequence reader{tracker, buffer, keys, settings, identity, log};
    WriteSequence writer{tracker, buffer, keys, settings, flags, log};
    QTemporaryDir exeDir;
    SequenceStop stop;

    SequenceRig()
    {
        writer.setExeDir(exeDir.path());
        reader.setStop(&stop);
        writer.setStop(&stop);
    }
    // A stop requested while the n-th command is on its way.
    void stopAtCommand(qsizetype n)
    {
        tracker.onSend = [this, n](qsizetype sent) {
            if (sent == n)
                stop.request();
        };
    }

    // Identifies a tracker the way the connection monitor would.
    void identify(qint32 serial, quint32 firmware, int accelerometer = 1)
    {
        identity.serialNumber = serial;
        identity.firmwareVersion = firmware;
        identity.accelerometerPresent = accelerometer;
        settings.setText(F::pSerial, QString::number(serial));
        settings.setText(F::pVersion, QStringLiteral("KVMT-%1.%2").arg(firmware / 100).arg(firmware % 100, 2, 10, QLatin1Char('0')));
    }

    QStringList errorLines() const { return test::errorLines(log); }
};

// Every member's value and shown/enabled state, for "nothing changed" checks.
inline QStringList snapshot(const DeviceSettings &settings)
{
    QStringList state;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field f = Field(i);
        state.append(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                         .arg(DeviceSettings::name(f), settings.text(f))
                         .arg(settings.isChecked(f))
                         .arg(settings.index(f))
                         .arg(settings.items(f).join(u'|'))
                         .arg(settings.isVisible(f))
                         .arg(settings.isEnabled(f)));
    }
    return state;
}

} // namespace kvmt::test
