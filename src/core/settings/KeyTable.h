#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

#include "settings/DeviceSettings.h"

namespace kvmt {

// The whole reply of a locked tracker to any settings query or command, as
// the reply split leaves it in the key.
inline constexpr QByteArrayView kLockedReply("DEVLOCK;");

class EventLog;
struct KeyEntry;
struct TrackerIdentity;

// Every settings key of the protocol, in the order the tracker is read.
#define KVMT_SETTINGS_KEYS(X)                                                                     \
    X(ACCLEN) X(GSMPIN) X(GSMAPN) X(GSMAPNPASS) X(GSMAPNUSER) X(CHANGEPROFILEONCALL) X(SERVER)  \
    X(SERVERPORT) X(SERVERPASS) X(SERVEREN) X(SERVERPERIOD) X(SMTPSSLEN) X(SMTPSERVER)          \
    X(SMTPPORT) X(SMTPLOGIN) X(SMTPPASS) X(SMTPFROM) X(SMTPTO1) X(SMTPTO2) X(SMTPTO3)            \
    X(SMTPTO4) X(SMTPEN) X(SMTPPERIOD) X(TRUSTNUMBER) X(SMSNUMBER1) X(SMSNUMBER2) X(SMSNUMBER3) \
    X(SMSGATE) X(SMSEN) X(SMSPERIOD) X(DEVNAME) X(DELAYOFF) X(MAPFORMAT) X(MAPTEMPLATE1)         \
    X(MAPTEMPLATE2) X(LBSDISABLE) X(INDOFF) X(DEBUGINFO) X(DATAWITHUSB) X(BALANCENUM)            \
    X(BALANCELEVEL) X(ACCLSENSELEV) X(FASTMOVEDETECT) X(ACCLSETUPSEND) X(ACCLSENSETIMEOUT)       \
    X(ACCLACTIVTIME) X(ACCLALARMCALL) X(CHANGEPROFILE) X(GPSEN) X(GPSPERIOD) X(ADCINFO) X(SETCP) \
    X(SETTIME)

enum class Key : int {
#define KVMT_KEY_ENUM(name) name,
    KVMT_SETTINGS_KEYS(KVMT_KEY_ENUM)
#undef KVMT_KEY_ENUM
    Count
};

// Where a read takes its answers from.
enum class Source { Tracker, File };

// The computer's clock as SETTIME sends it: local time, and the standard-time
// offset from UTC (daylight saving not applied).
struct LocalTime {
    QDateTime local;
    int standardOffsetMinutes = 0;
};
using LocalClock = std::function<LocalTime()>;
LocalTime systemLocalTime();

// The no-PIN value: the tracker reports an unset PIN as four 0xFF bytes,
// the window shows it as "----".
inline constexpr char kNoPinBytes[] = "\xFF\xFF\xFF\xFF";
QString noPinText();         // the four bytes as the member holds them
QString noPinShownText();    // "----"

// Micro-degrees of a coordinate text: '.' is the decimal separator whatever
// the locale, anything that is not such a number counts as 0, and the product
// is rounded half away from zero (and kept within 32 bits).
qint32 microDegrees(const QString &text);
// A member's text read as a decimal whole number, 0 when it is not one.
int wholeNumber(const QString &text);

// The key table: for every key, its gates, how an answer is applied to the
// members and how its command is built from them. Values cross into the
// members as Windows-1251 and commands leave as Windows-1251.
class KeyTable
{
public:
    KeyTable(DeviceSettings &settings, TrackerIdentity &identity, EventLog &log,
             LocalClock clock = systemLocalTime);
    // The computer's clock as the time taken from it reads it.
    void setClock(LocalClock clock) { m_clock = std::move(clock); }

    static const char *name(Key key);
    // "KEY=?;"
    static QByteArray query(Key key);
    // The members a key's value is made of (and a read of it sets).
    static QList<Field> fields(Key key);
    // The parts of a value that a read puts as they stand into edit fields
    // (names, numbers, addresses, PIN), each with its field: split at the
    // commas as the read splits it, the last item taking the rest.
    static QList<std::pair<Field, QString>> textItems(Key key, const QString &value);
    // "KEY error": the line of a key that got no answer; the same in every
    // language of the window.
    static QString errorLine(Key key);

    bool readGateOpen(Key key, Source source) const;
    bool writeGateOpen(Key key, Source target) const;

    // An answer of the read sequence. replyKey is only consulted for a
    // tracker's answer ("#ACCLEN", "NO_CMD"). Returns false when the answer
    // lacks an item its key needs, or an item read as a number is none
    // (empty, beyond 32 bits): the members that did parse are set, the rest
    // keep what they held, so the key is no answer to rely on. Its "KEY
    // error" line is logged here, once (ACCLEN, which has no line when
    // unanswered, has none either), as is the line of a value the table
    // rejects (SETTIME's count of numbers).
    bool applyRead(Key key, Source source, const QByteArray &replyKey, const QByteArray &value);
    // The tracker's answer to a command of the write sequence ("DEVLOCK;"
    // replies never get here).
    void applyEcho(Key key, const QByteArray &replyKey, const QByteArray &value);
    // The command that writes the key from the members.
    QByteArray command(Key key) const;

private:
    enum class Pass { Read, Echo };

    bool applyItems(const KeyEntry &keyEntry, const QByteArray &value, Pass pass);
    QByteArray itemsValue(const KeyEntry &keyEntry) const;
    // Each returns whether the answer held every item it needs.
    bool applyAccelerometer(Source source, const QByteArray &replyKey, const QByteArray &value);
    bool applyOptionalFlag(const KeyEntry &keyEntry, Source source, const QByteArray &replyKey,
                           const QByteArray &value, Pass pass);
    bool applyMapFormat(const QByteArray &value, Pass pass);
    bool applyAdcInfo(const QByteArray &replyKey, const QByteArray &value);
    bool applyControlZone(const QByteArray &value);
    // `rejected` is set when the count of numbers is not this firmware's.
    bool applyTime(Source source, const QByteArray &value, bool *rejected);
    QByteArray controlZoneValue() const;
    QByteArray timeValue() const;
    void logKeyError(Key key);

    DeviceSettings &m_settings;
    TrackerIdentity &m_identity;
    EventLog &m_log;
    LocalClock m_clock;
};

} // namespace kvmt
