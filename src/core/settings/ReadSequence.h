#pragma once

#include "settings/SequenceProgress.h"

#include <QList>

#include <functional>

namespace kvmt {

class CommandChannel;
class DeviceSettings;
class EventLog;
class KeyTable;
class SequenceStop;
class SettingsBuffer;
struct TrackerIdentity;
enum class Key : int;
enum class Source;

// Fills the settings from the tracker, one query per key, or from the
// profile file loaded into the settings buffer, one lookup per key. Both go
// through the same keys in the same order with the same conversions; every
// failure is reported by its own line as it happens and the run always goes
// to its end. It holds nothing between runs and clears no member first: a key
// skipped, unanswered or missing leaves its members as they were.
class ReadSequence
{
public:
    ReadSequence(CommandChannel &channel, SettingsBuffer &buffer, KeyTable &keys, DeviceSettings &settings,
                 const TrackerIdentity &identity, EventLog &log);

    void readSettings(bool fromFile);

    // Told after every read from the tracker which keys the tracker left
    // without a real answer (no reply, "DEVLOCK;" from a locked tracker, or
    // a value short of an item or with an item that is no number),
    // so that a complete read can be kept as a backup.
    using TrackerReadDone = std::function<void(const QList<Key> &unanswered)>;
    void setTrackerReadDone(TrackerReadDone done) { m_trackerReadDone = std::move(done); }
    // Told before a read from the tracker puts its first answer in the members.
    void setTrackerReadStarting(std::function<void()> starting) { m_trackerReadStarting = std::move(starting); }

    // Keys the last read from the tracker left without a real answer,
    // those a stop left unread included.
    int lastUnanswered() const { return m_lastUnanswered.size(); }
    // The same keys, in reading order.
    const QList<Key> &lastUnansweredKeys() const { return m_lastUnanswered; }
    // Keys the last read from the tracker took a whole answer for: none
    // when it was locked or silent throughout.
    int lastTaken() const { return m_lastTaken; }
    // Keys the last read from a file found but could not take: an item
    // missing or no number. Keys the file lacks are not among them.
    const QList<Key> &lastFileNotTaken() const { return m_lastFileNotTaken; }
    // A read from the tracker ends after the exchange in progress once this
    // is requested; the keys not reached are logged once.
    void setStop(const SequenceStop *stop) { m_stop = stop; }

    // Told key by key how far each run has got.
    void setProgress(SequenceProgress progress) { m_progress = std::move(progress); }

private:
    void setProfileEntryNames();
    // The keys from `first` on that the gates let through as they stand.
    int openKeysFrom(size_t first, Source source) const;

    CommandChannel &m_channel;
    SettingsBuffer &m_buffer;
    KeyTable &m_keys;
    DeviceSettings &m_settings;
    const TrackerIdentity &m_identity;
    EventLog &m_log;
    TrackerReadDone m_trackerReadDone;
    std::function<void()> m_trackerReadStarting;
    SequenceProgress m_progress;
    QList<Key> m_lastUnanswered;
    QList<Key> m_lastFileNotTaken;
    int m_lastTaken = 0;
    const SequenceStop *m_stop = nullptr;
};

} // namespace kvmt
