#include "provision/WrittenValues.h"

#include "settings/DeviceSettings.h"
#include "settings/TrackerIdentity.h"
#include "text/Cp1251.h"

#include <optional>

namespace kvmt {

namespace {

// From this firmware on SETTIME carries the summer-time item.
constexpr quint32 kSummerTimeFirmware = 135;
// hour, minute, day, month, year: the items a running clock changes.
constexpr qsizetype kClockItems = 5;

QByteArray valueOfCommand(Key key, const QByteArray &command)
{
    const qsizetype start = qstrlen(KeyTable::name(key)) + 1;
    QByteArray value = command.mid(start);
    if (value.endsWith(';'))
        value.chop(1);
    return value;
}

// SETTIME as the tracker holds it after a read: the clock fields as read.
QByteArray heldTime(const DeviceSettings &settings, const TrackerIdentity &identity)
{
    QByteArray value = toCp1251(settings.text(F::edTimeSync)) + ','
                     + QByteArray::number(wholeNumber(settings.text(F::edTimeZone)));
    if (identity.firmwareVersion >= kSummerTimeFirmware)
        value += settings.isChecked(F::cbAutoSummerTime) ? ",1" : ",0";
    return value;
}

// The numbers of "h:m,d.m.y,zone[,summer]"; nullopt unless every item is one.
std::optional<QList<int>> timeItems(const QByteArray &value)
{
    QByteArray items = value;
    items.replace(':', ',').replace('.', ',');
    QList<int> numbers;
    for (const QByteArray &item : items.split(',')) {
        bool ok = false;
        const int n = item.trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
        numbers.append(n);
    }
    if (numbers.size() < kClockItems + 1)
        return std::nullopt;
    return numbers;
}

bool sameTime(const WrittenValue &held, const WrittenValue &written, ClockItems clock)
{
    const std::optional<QList<int>> a = timeItems(held.value);
    const std::optional<QList<int>> b = timeItems(written.value);
    // Something that is no time at all is compared as it stands.
    if (!a || !b)
        return held.value == written.value;
    const bool skipClock = clock == ClockItems::Ignore || written.clockFromComputer || held.clockFromComputer;
    const qsizetype from = skipClock ? kClockItems : 0;
    return a->mid(from) == b->mid(from);
}

} // namespace

WrittenValues writtenValues(const KeyTable &keys, const DeviceSettings &settings, const TrackerIdentity &identity,
                            ValueSide side)
{
    WrittenValues values;
    const bool clockFromComputer = settings.isChecked(F::cbAutoTimeSync);
    for (int i = 0; i < int(Key::Count); ++i) {
        const Key key = Key(i);
        if (!keys.writeGateOpen(key, Source::Tracker))
            continue;
        WrittenValue entry{key, valueOfCommand(key, keys.command(key))};
        if (key == Key::GSMPIN && settings.text(F::edPinCode) == noPinShownText())
            entry.value = QByteArray(kNoPinBytes);
        if (key == Key::SETTIME && clockFromComputer) {
            if (side == ValueSide::Held)
                entry.value = heldTime(settings, identity);
            else
                entry.clockFromComputer = true;
        }
        values.append(entry);
    }
    return values;
}

QList<KeyDifference> differences(const WrittenValues &held, const WrittenValues &written, ClockItems clock)
{
    QList<KeyDifference> found;
    for (const WrittenValue &w : written) {
        const auto h = std::find_if(held.begin(), held.end(), [&w](const WrittenValue &v) { return v.key == w.key; });
        if (h == held.end()) {
            found.append({w.key, {}, w.value});
            continue;
        }
        const bool same = w.key == Key::SETTIME ? sameTime(*h, w, clock) : h->value == w.value;
        if (!same)
            found.append({w.key, h->value, w.value});
    }
    for (const WrittenValue &h : held) {
        const bool inWritten = std::any_of(written.begin(), written.end(),
                                           [&h](const WrittenValue &v) { return v.key == h.key; });
        if (!inWritten)
            found.append({h.key, h.value, {}});
    }
    return found;
}

QList<KeyDifference> pendingDifferences(const WrittenValues &held, const WrittenValues &written,
                                        const QList<Key> &unanswered)
{
    QList<KeyDifference> found = differences(held, written, ClockItems::CompareWhenSetByHand);
    for (KeyDifference &difference : found)
        difference.heldUnknown = unanswered.contains(difference.key);
    for (const WrittenValue &value : written) {
        const bool listed = std::any_of(found.begin(), found.end(),
                                        [&value](const KeyDifference &d) { return d.key == value.key; });
        if (!listed && unanswered.contains(value.key)) {
            const auto heldValue = std::find_if(held.begin(), held.end(),
                                                [&value](const WrittenValue &h) { return h.key == value.key; });
            found.append({value.key, heldValue == held.end() ? QByteArray() : heldValue->value, value.value, true});
        }
    }
    // In key-table order, whichever way a key came to be listed.
    std::stable_sort(found.begin(), found.end(),
                     [](const KeyDifference &a, const KeyDifference &b) { return a.key < b.key; });
    return found;
}

QString displayValue(Key key, const QByteArray &value)
{
    if (key == Key::GSMPIN && value == QByteArrayView(kNoPinBytes))
        return noPinShownText();
    return fromCp1251(value);
}

} // namespace kvmt
