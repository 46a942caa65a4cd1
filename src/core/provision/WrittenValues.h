#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "settings/KeyTable.h"

namespace kvmt {

class DeviceSettings;
struct TrackerIdentity;

// One key as a write to the tracker sends it: the value between "KEY=" and
// the closing ';', bytes as they go on the wire.
struct WrittenValue {
    Key key = Key::GSMPIN;
    QByteArray value;
    // SETTIME from the computer's clock: the hour, minute and date are
    // "now" whenever the write happens, not a setting of the file.
    bool clockFromComputer = false;
    friend bool operator==(const WrittenValue &, const WrittenValue &) = default;
};
using WrittenValues = QList<WrittenValue>;

// Whose side of a comparison the members stand for.
enum class ValueSide {
    // What a write would send now: SETTIME from the computer's clock when the
    // time is taken from the computer, as the write does.
    Written,
    // What the tracker holds after a read: SETTIME is its own clock as read.
    Held,
};

// Every key a write to this tracker would send (write gates for its firmware,
// serial and accelerometer), in key-table order, built from the members as
// they stand. The no-PIN text "----" counts as the four no-PIN bytes the
// write turns it into, so the shown and the stored form never differ.
WrittenValues writtenValues(const KeyTable &keys, const DeviceSettings &settings, const TrackerIdentity &identity,
                            ValueSide side);

// How SETTIME's clock items are weighed.
enum class ClockItems {
    // Compared when the time is given by hand: writing such a file sets the
    // tracker's clock to it. A clock from the computer is "now" and never a
    // difference; its zone and summer-time items still are.
    CompareWhenSetByHand,
    // Never compared: after a write the tracker's clock runs on, so a read
    // back cannot show the time that was sent.
    Ignore,
};

struct KeyDifference {
    Key key = Key::GSMPIN;
    QByteArray held;    // the tracker's value
    QByteArray written; // the value the write sends
    // The tracker did not answer the key when it was read: `held` is no
    // value of the tracker's, and whether the write changes it is unknown.
    bool heldUnknown = false;
    friend bool operator==(const KeyDifference &, const KeyDifference &) = default;
};

// The keys whose values differ, in the order of `written`. A key only one
// side has counts as a difference with an empty value on the other side.
QList<KeyDifference> differences(const WrittenValues &held, const WrittenValues &written, ClockItems clock);

// What a write of `written` would change on a tracker that was read to hold
// `held`, in key-table order, SETTIME's clock compared when set by hand.
// Keys in `unanswered` (the read got no answer for them) are listed whenever
// the write sends them, marked heldUnknown: a member that kept its old value
// must neither hide a change nor invent one.
QList<KeyDifference> pendingDifferences(const WrittenValues &held, const WrittenValues &written,
                                        const QList<Key> &unanswered);

// A value as a person reads it: Windows-1251 decoded, the no-PIN bytes of
// GSMPIN as "----".
QString displayValue(Key key, const QByteArray &value);

} // namespace kvmt
