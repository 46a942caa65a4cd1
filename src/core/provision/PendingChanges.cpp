#include "provision/PendingChanges.h"

#include "settings/TrackerIdentity.h"

namespace kvmt {

PendingChanges::PendingChanges(const DeviceSettings &settings, const KeyTable &keys, const TrackerIdentity &identity,
                               QObject *parent)
    : QObject(parent)
    , m_settings(settings)
    , m_keys(keys)
    , m_identity(identity)
    , m_marked(kFieldCount, false)
{
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(0);
    connect(&m_refresh, &QTimer::timeout, this, &PendingChanges::refreshNow);
    connect(&m_settings, &DeviceSettings::fieldChanged, this, [this] {
        if (m_reference != Reference::None && !m_readUnderWay)
            m_refresh.start();
    });
}

void PendingChanges::holdForTrackerRead()
{
    m_readUnderWay = true;
    m_refresh.stop();
}

void PendingChanges::takeTrackerRead(const QList<Key> &unanswered)
{
    m_readUnderWay = false;
    m_unanswered = unanswered;
    takeReference(Reference::Tracker, ValueSide::Held);
}

void PendingChanges::beforeFileLoad()
{
    // Against the tracker, a load's changes are what Save would send anyway.
    if (m_reference == Reference::Tracker)
        return;
    m_unanswered.clear();
    takeReference(Reference::BeforeLoad, ValueSide::Written);
}

void PendingChanges::forgetTracker()
{
    if (m_reference != Reference::Tracker)
        return;
    m_reference = Reference::None;
    m_written.clear();
    m_members.clear();
    m_unanswered.clear();
    refreshNow();
}

void PendingChanges::takeReference(Reference reference, ValueSide side)
{
    m_reference = reference;
    m_written = writtenValues(m_keys, m_settings, m_identity, side);
    m_members.clear();
    m_members.reserve(kFieldCount);
    for (int i = 0; i < kFieldCount; ++i)
        m_members.append(m_settings.valueText(Field(i)));
    refreshNow();
}

QList<KeyDifference> PendingChanges::differences() const
{
    if (m_reference == Reference::None)
        return {};
    return pendingDifferences(m_written, writtenValues(m_keys, m_settings, m_identity, ValueSide::Written),
                              m_unanswered);
}

bool PendingChanges::isUnanswered(Field field) const
{
    return std::any_of(m_unanswered.begin(), m_unanswered.end(),
                       [field](Key key) { return KeyTable::fields(key).contains(field); });
}

QString PendingChanges::referenceText(Field field) const
{
    if (m_members.isEmpty())
        return {};
    const QString &then = m_members[qsizetype(field)];
    if (DeviceSettings::info(field).kind == FieldKind::Choice)
        return m_settings.items(field).value(then.toInt());
    return field == F::edPinCode && then == noPinText() ? noPinShownText() : then;
}

void PendingChanges::refreshNow()
{
    m_refresh.stop();
    std::vector<bool> marked(kFieldCount, false);
    for (const KeyDifference &difference : differences()) {
        for (const Field field : KeyTable::fields(difference.key)) {
            const bool differs = m_settings.valueText(field) != m_members[qsizetype(field)];
            if (differs || difference.heldUnknown)
                marked[size_t(field)] = true;
        }
    }
    if (marked != m_marked) {
        m_marked = std::move(marked);
        emit marksChanged();
    }
}

} // namespace kvmt
