#include "settings/ReadSequence.h"

#include "device/CommandChannel.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/SequenceStop.h"
#include "settings/SettingsBuffer.h"
#include "settings/TrackerIdentity.h"

#include <QCoreApplication>

#include <iterator>

namespace kvmt {

namespace {

// Not the table's own order: the profile entry names come between
// ACCLALARMCALL and CHANGEPROFILE, and SMTPSSLEN shows cbSSL after it.
constexpr Key kReadOrder[] = {
    Key::ACCLEN, Key::GSMPIN, Key::GSMAPN, Key::GSMAPNPASS, Key::GSMAPNUSER, Key::CHANGEPROFILEONCALL,
    Key::SERVER, Key::SERVERPORT, Key::SERVERPASS, Key::SERVEREN, Key::SERVERPERIOD, Key::SMTPSSLEN,
    Key::SMTPSERVER, Key::SMTPPORT, Key::SMTPLOGIN, Key::SMTPPASS, Key::SMTPFROM, Key::SMTPTO1, Key::SMTPTO2,
    Key::SMTPTO3, Key::SMTPTO4, Key::SMTPEN, Key::SMTPPERIOD, Key::TRUSTNUMBER, Key::SMSNUMBER1,
    Key::SMSNUMBER2, Key::SMSNUMBER3, Key::SMSGATE, Key::SMSEN, Key::SMSPERIOD, Key::DEVNAME, Key::DELAYOFF,
    Key::MAPFORMAT, Key::MAPTEMPLATE1, Key::MAPTEMPLATE2, Key::LBSDISABLE, Key::INDOFF, Key::DEBUGINFO,
    Key::DATAWITHUSB, Key::BALANCENUM, Key::BALANCELEVEL, Key::ACCLSENSELEV, Key::FASTMOVEDETECT,
    Key::ACCLSETUPSEND, Key::ACCLSENSETIMEOUT, Key::ACCLACTIVTIME, Key::ACCLALARMCALL, Key::CHANGEPROFILE,
    Key::GPSEN, Key::GPSPERIOD, Key::ADCINFO, Key::SETCP, Key::SETTIME,
};

// From this firmware on the tracker has two user profiles.
constexpr quint32 kTwoUserProfilesFirmware = 144;
constexpr int kFirstUserProfile = 5;

} // namespace

ReadSequence::ReadSequence(CommandChannel &channel, SettingsBuffer &buffer, KeyTable &keys,
                           DeviceSettings &settings, const TrackerIdentity &identity, EventLog &log)
    : m_channel(channel)
    , m_buffer(buffer)
    , m_keys(keys)
    , m_settings(settings)
    , m_identity(identity)
    , m_log(log)
{
}

int ReadSequence::openKeysFrom(size_t first, Source source) const
{
    int open = 0;
    for (size_t i = first; i < std::size(kReadOrder); ++i)
        open += m_keys.readGateOpen(kReadOrder[i], source) ? 1 : 0;
    return open;
}

void ReadSequence::readSettings(bool fromFile)
{
    const Source source = fromFile ? Source::File : Source::Tracker;
    if (!fromFile && m_trackerReadStarting)
        m_trackerReadStarting();
    QList<Key> unanswered;
    QList<Key> notTaken;
    int taken = 0;
    int refused = 0;
    ProgressRun progress(m_progress, openKeysFrom(0, source));
    for (size_t index = 0; index < std::size(kReadOrder); ++index) {
        const Key key = kReadOrder[index];
        if (!fromFile && m_stop && m_stop->requested()) {
            const qsizetype before = unanswered.size();
            for (size_t rest = index; rest < std::size(kReadOrder); ++rest) {
                if (m_keys.readGateOpen(kReadOrder[rest], source))
                    unanswered.append(kReadOrder[rest]);
            }
            m_log.logEvent(QCoreApplication::translate("kvmt::ReadSequence", "Чтение остановлено: не считано настроек: %1")
                               .arg(unanswered.size() - before),
                           LogError);
            break;
        }
        if (key == Key::CHANGEPROFILE)
            setProfileEntryNames();
        // Gates are taken per key: ACCLEN, read first, decides the
        // accelerometer keys of this same run.
        if (!m_keys.readGateOpen(key, source))
            continue;

        bool answered = false;
        QByteArray replyKey;
        if (fromFile) {
            if (const std::optional<QByteArray> value = m_buffer.lookupKey(KeyTable::name(key))) {
                m_channel.setReplyValue(*value);
                answered = true;
            }
        } else {
            m_channel.sendCommand(KeyTable::query(key));
            // Any reply counts, also one without '=' ("NO_CMD", "DEVLOCK;").
            answered = m_channel.receiveReply() == 0;
            replyKey = m_channel.replyKey();
            if (!answered || replyKey == kLockedReply)
                unanswered.append(key);
            if (answered && replyKey == kLockedReply)
                ++refused;
        }

        if (answered) {
            // An answer short of an item, or with one that is no number,
            // leaves members as they were: what they show is not what the
            // source holds, so the key is no answer (its line is logged by
            // the table).
            if (!m_keys.applyRead(key, source, replyKey, m_channel.replyValue()))
                (fromFile ? notTaken : unanswered).append(key);
            else if (replyKey != kLockedReply)
                ++taken;
        } else if (key != Key::ACCLEN) { // an unanswered ACCLEN changes nothing and says nothing
            m_log.logEvent(KeyTable::errorLine(key), LogError);
        }

        if (key == Key::SMTPSSLEN)
            m_settings.setVisible(F::cbSSL, true);
        // Counted anew each time: the answer just applied may have opened
        // or closed the gates of the keys still to come.
        progress.advance(openKeysFrom(index + 1, source));
    }
    // A locked tracker answers every query, so nothing above was red: one
    // line says the values shown are not the tracker's.
    if (refused > 0)
        m_log.logEvent(QCoreApplication::translate("kvmt::ReadSequence",
                                                   "Трекер заблокирован паролем: не считано настроек: %1")
                           .arg(refused),
                       LogError);
    if (fromFile)
        m_lastFileNotTaken = notTaken;
    if (!fromFile) {
        m_lastUnanswered = unanswered;
        m_lastTaken = taken;
        if (m_trackerReadDone)
            m_trackerReadDone(unanswered);
    }
}

void ReadSequence::setProfileEntryNames()
{
    if (m_identity.firmwareVersion >= kTwoUserProfilesFirmware) {
        m_settings.setItem(F::cbProfile, kFirstUserProfile,
                           QCoreApplication::translate("kvmt::DeviceSettings", "Пользовательский 1 (USR1)"));
        m_settings.setItem(F::cbProfile, kFirstUserProfile + 1,
                           QCoreApplication::translate("kvmt::DeviceSettings", "Пользовательский 2 (USR2)"));
    } else {
        m_settings.setItem(F::cbProfile, kFirstUserProfile,
                           QCoreApplication::translate("kvmt::DeviceSettings", "Пользовательский (USR)"));
        m_settings.truncateItems(F::cbProfile, kFirstUserProfile + 1);
    }
}

} // namespace kvmt
