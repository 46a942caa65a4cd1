#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <vector>

#include "provision/WrittenValues.h"
#include "settings/DeviceSettings.h"

namespace kvmt {

struct TrackerIdentity;

// What Save would change on the tracker, kept up to date as the members
// change: the keys, compared exactly as the diff command compares a file
// with the tracker, and the members behind them that differ from what the
// tracker reported. Without a tracker read, a file's load is compared with
// the members as they stood before it.
class PendingChanges : public QObject
{
    Q_OBJECT

public:
    PendingChanges(const DeviceSettings &settings, const KeyTable &keys, const TrackerIdentity &identity,
                   QObject *parent = nullptr);

    // What the members are compared with.
    enum class Reference {
        None,
        Tracker,    // the last read from the tracker
        BeforeLoad, // the members just before the last load from a file
    };
    Reference reference() const { return m_reference; }

    // A read from the tracker is about to change the members: the marks
    // wait for its end rather than follow it answer by answer (the window
    // turns its event loop during every exchange).
    void holdForTrackerRead();
    // A read from the tracker has just left the members as the tracker holds
    // them; `unanswered` are the keys it got no answer for.
    void takeTrackerRead(const QList<Key> &unanswered);
    // A profile file is about to be loaded into the members.
    void beforeFileLoad();
    // The tracker has gone: there is nothing left to compare with.
    void forgetTracker();

    // The keys a write would change, in key-table order; empty without a
    // reference. Computed as the members stand now.
    QList<KeyDifference> differences() const;

    // As of the last refresh: whether the member differs from the reference
    // (or belongs to a key the tracker did not answer), and what the
    // reference holds, as a person reads it.
    bool isMarked(Field field) const { return m_marked[size_t(field)]; }
    bool isUnanswered(Field field) const;
    QString referenceText(Field field) const;

    // Marks the members anew now, instead of once the event loop turns.
    void refreshNow();

signals:
    void marksChanged();

private:
    void takeReference(Reference reference, ValueSide side);

    const DeviceSettings &m_settings;
    const KeyTable &m_keys;
    const TrackerIdentity &m_identity;
    Reference m_reference = Reference::None;
    bool m_readUnderWay = false;
    WrittenValues m_written;
    // Each member's valueText() when the reference was taken.
    QStringList m_members;
    QList<Key> m_unanswered;
    std::vector<bool> m_marked;
    // A read or a load changes hundreds of members: the marks follow once.
    QTimer m_refresh;
};

} // namespace kvmt
