#include "settings/KeyTable.h"

#include "log/EventLog.h"
#include "settings/TrackerIdentity.h"
#include "text/Cp1251.h"
#include "text/Numbers.h"

#include <QCoreApplication>
#include <QTimeZone>

#include <array>
#include <climits>
#include <cmath>

namespace kvmt {

namespace {

constexpr F kNone = F::Count;

// How one comma-separated item of a value maps to a member.
enum class Item : quint8 {
    Unused,
    Text,        // the text as it stands; the last item takes the rest of the value
    Pin,         // text, with the no-PIN value shown as "----" when read
    FlagStrict,  // set when the whole item is 1; an item that is no number is an error
    FlagIsOne,   // set when the item is 1
    FlagNonZero, // set when the item is not 0
    FlagBit0,    // set from bit 0 of the item
    FlagTri,     // 0 clears, 1 sets, anything else changes nothing
    Choice,      // selects that entry when the list has it
    Clock,       // hours or minutes: two digits when read, plain in an echo
    Number,      // plain decimal
    Mode,        // bit 0 set: the time-of-day radio, clear: the every-period one
};

// Keys whose answers need more than items.
enum class Codec : quint8 { Items, Accelerometer, OptionalFlag, MapFormat, AdcInfo, ControlZone, Time };

struct Slot {
    Item kind = Item::Unused;
    F field = kNone;
    F other = kNone; // Mode: the every-period radio
};

enum GateBit : quint8 {
    NeedsAccelerometer = 1,
    TrackerOnly = 2,
    Never = 4,
};

struct Gate {
    quint8 bits = 0;
    quint16 minFirmware = 0;
    quint32 minSerial = 0;
};

constexpr Gate kAlways{};
constexpr Gate kAccl{NeedsAccelerometer};
constexpr Gate kAcclFw122{NeedsAccelerometer, 122};
constexpr Gate kAcclFw144{NeedsAccelerometer, 144};
constexpr Gate kFw132{0, 132};
constexpr Gate kFw144{0, 144};
// Trackers from this serial number on have the SMTP SSL switch.
constexpr Gate kSslSerial{0, 0, 5001500};
constexpr Gate kTrackerOnly{TrackerOnly};
constexpr Gate kNeverWritten{Never};

constexpr Slot text(F f) { return {Item::Text, f}; }
constexpr Slot strictFlag(F f) { return {Item::FlagStrict, f}; }
constexpr Slot isOne(F f) { return {Item::FlagIsOne, f}; }
constexpr Slot nonZero(F f) { return {Item::FlagNonZero, f}; }
constexpr Slot bit0(F f) { return {Item::FlagBit0, f}; }
constexpr Slot tri(F f) { return {Item::FlagTri, f}; }
constexpr Slot choice(F f) { return {Item::Choice, f}; }
constexpr Slot hourMin(F f) { return {Item::Clock, f}; }
constexpr Slot mode(F timeOfDay, F everyPeriod) { return {Item::Mode, timeOfDay, everyPeriod}; }

const QByteArray kNoCmd = QByteArrayLiteral("NO_CMD");
const QByteArray kAcclReplyKey = QByteArrayLiteral("#ACCLEN");

void followFastSms(DeviceSettings &settings)
{
    settings.setEnabled(F::cbFastSMS, settings.isChecked(F::cbAcclSendSMS) && settings.isChecked(F::cbAcclEn));
}

// Splits a value at its commas; a missing item is an empty view that parses
// as no number.
struct Items {
    explicit Items(const QByteArray &value)
        : whole(value)
    {
        qsizetype start = 0;
        while (true) {
            starts.append(start);
            const qsizetype comma = value.indexOf(',', start);
            if (comma < 0)
                break;
            start = comma + 1;
        }
    }
    qsizetype count() const { return starts.size(); }
    QByteArrayView at(qsizetype i) const
    {
        if (i >= count())
            return {};
        const qsizetype end = i + 1 < count() ? starts[i + 1] - 1 : whole.size();
        return QByteArrayView(whole).sliced(starts[i], end - starts[i]);
    }
    bool has(qsizetype i) const { return i < count(); }
    QByteArrayView rest(qsizetype i) const { return QByteArrayView(whole).sliced(starts[i]); }

    const QByteArray &whole;
    QList<qsizetype> starts;
};

QByteArray decimal(qint64 n)
{
    return QByteArray::number(n);
}

// hour:minute,day.month.year,zone[,summer]: how many numbers stand in that
// shape from the start, as the tracker's own scan counts them.
int timeNumbers(QByteArrayView value, std::array<int, 7> *numbers)
{
    static constexpr char kSeparators[] = {':', ',', '.', '.', ',', ','};
    qsizetype at = 0;
    for (int i = 0; i < 7; ++i) {
        if (i > 0) {
            if (at >= value.size() || value[at] != kSeparators[i - 1])
                return i;
            ++at;
        }
        qsizetype used = 0;
        const std::optional<int> n = leadingInt(value.sliced(at), &used);
        if (!n)
            return i;
        (*numbers)[size_t(i)] = *n;
        at += used;
    }
    return 7;
}

} // namespace

struct KeyEntry {
    Key key;
    Codec codec = Codec::Items;
    std::array<Slot, 4> parts{};
    Gate read = kAlways;
    Gate write = kAlways;
    // No item is applied unless every item parses.
    bool allOrNothing = false;
    // The mode radio is set only when every item parses.
    bool modeNeedsAll = false;
    // Rules the sequence runs after the key, whether or not anything changed.
    F ruleAfterRead = kNone;
    F ruleAfterEcho = kNone;
    void (*afterRead)(DeviceSettings &) = nullptr;

    int slotCount() const
    {
        int n = 0;
        while (n < int(parts.size()) && parts[size_t(n)].kind != Item::Unused)
            ++n;
        return n;
    }
};

namespace {

using Entry = KeyEntry;

// clang-format off
constexpr std::array<Entry, size_t(Key::Count)> kEntries = {{
    {.key = Key::ACCLEN, .codec = Codec::Accelerometer, .parts = {tri(F::cbAcclEn)}, .write = kAccl},
    {.key = Key::GSMPIN, .parts = {Slot{Item::Pin, F::edPinCode}}},
    {.key = Key::GSMAPN, .parts = {text(F::edAPN)}},
    {.key = Key::GSMAPNPASS, .parts = {text(F::edAPNPass)}},
    {.key = Key::GSMAPNUSER, .parts = {text(F::edAPNLogin)}},
    {.key = Key::CHANGEPROFILEONCALL, .parts = {isOne(F::cbChangeProfile), choice(F::cbProfile_Call)},
     .read = kFw144, .write = kFw144, .ruleAfterRead = F::cbChangeProfile, .ruleAfterEcho = F::cbChangeProfile},
    {.key = Key::SERVER, .parts = {text(F::edServerIP)}},
    {.key = Key::SERVERPORT, .parts = {text(F::edServerPort)}},
    {.key = Key::SERVERPASS, .parts = {text(F::edServerPass)}},
    {.key = Key::SERVEREN, .parts = {strictFlag(F::cbSentServer)}},
    {.key = Key::SERVERPERIOD,
     .parts = {hourMin(F::edServerHour), hourMin(F::edServerMin), mode(F::rbTimeInSrv, F::rbEveryTimeSrv)},
     .modeNeedsAll = true},
    {.key = Key::SMTPSSLEN, .parts = {strictFlag(F::cbSSL)}, .read = kSslSerial, .write = kSslSerial},
    {.key = Key::SMTPSERVER, .parts = {text(F::edSMTPServer)}},
    {.key = Key::SMTPPORT, .parts = {text(F::edSMTPPort)}},
    {.key = Key::SMTPLOGIN, .parts = {text(F::edSMTPLogin)}},
    {.key = Key::SMTPPASS, .parts = {text(F::edSMTPPass)}},
    {.key = Key::SMTPFROM, .parts = {text(F::edSMTPFrom)}},
    {.key = Key::SMTPTO1, .parts = {text(F::edSMTPTo1)}},
    {.key = Key::SMTPTO2, .parts = {text(F::edSMTPTo2)}},
    {.key = Key::SMTPTO3, .parts = {text(F::edSMTPTo3)}},
    {.key = Key::SMTPTO4, .parts = {text(F::edSMTPTo4)}},
    {.key = Key::SMTPEN, .parts = {strictFlag(F::cbSentSMTP)}},
    {.key = Key::SMTPPERIOD,
     .parts = {hourMin(F::edSMTPHour), hourMin(F::edSMTPMin), mode(F::rbTimeInSMTP, F::rbEveryTimeSMTP)},
     .modeNeedsAll = true},
    {.key = Key::TRUSTNUMBER, .codec = Codec::OptionalFlag, .parts = {isOne(F::cbCommandsWithoutParole)}},
    {.key = Key::SMSNUMBER1, .parts = {text(F::edSMSNumber1)}},
    {.key = Key::SMSNUMBER2, .parts = {text(F::edSMSNumber2)}},
    {.key = Key::SMSNUMBER3, .parts = {text(F::edSMSNumber3)}},
    {.key = Key::SMSGATE, .parts = {text(F::edSMSGate)}},
    {.key = Key::SMSEN, .parts = {isOne(F::cbSentSMS), isOne(F::cbSMSGateEn)}, .ruleAfterRead = F::cbSMSGateEn},
    {.key = Key::SMSPERIOD, .parts = {hourMin(F::edSMSHour), hourMin(F::edSMSMin), mode(F::rbTimeIn, F::rbEveryTime)}},
    {.key = Key::DEVNAME, .parts = {text(F::edDevName)}},
    {.key = Key::DELAYOFF, .parts = {Slot{Item::Number, F::edOnLineTime}}},
    {.key = Key::MAPFORMAT, .codec = Codec::MapFormat},
    {.key = Key::MAPTEMPLATE1, .parts = {text(F::edMapFormat_1)}, .read = kFw132, .write = kFw132},
    {.key = Key::MAPTEMPLATE2, .parts = {text(F::edMapFormat_2)}, .read = kFw132, .write = kFw132},
    {.key = Key::LBSDISABLE, .parts = {strictFlag(F::cbLBSDisable)}, .read = kFw132, .write = kFw132},
    {.key = Key::INDOFF, .parts = {tri(F::cbInd)}},
    {.key = Key::DEBUGINFO, .parts = {isOne(F::cbOutputLog)}},
    {.key = Key::DATAWITHUSB, .codec = Codec::OptionalFlag, .parts = {isOne(F::cbSendDataUSB)}},
    {.key = Key::BALANCENUM, .parts = {text(F::edBalanceNum), bit0(F::cbBalanceSMTP), bit0(F::cbBalanceSMS)}},
    {.key = Key::BALANCELEVEL, .parts = {text(F::edBalanceLevel)}},
    {.key = Key::ACCLSENSELEV, .parts = {choice(F::cbAcclSense)}, .read = kAccl, .write = kAcclFw122},
    {.key = Key::FASTMOVEDETECT, .parts = {tri(F::cbFastSMS)}, .read = kAccl, .write = kAcclFw122},
    {.key = Key::ACCLSETUPSEND,
     .parts = {nonZero(F::cbAcclSendSMS), nonZero(F::cbAcclSendEmail), nonZero(F::cbAcclSendSrv)},
     .read = kAccl, .write = kAccl, .afterRead = followFastSms},
    {.key = Key::ACCLSENSETIMEOUT, .parts = {text(F::edAccSenTimeOut)}, .read = kAccl, .write = kAcclFw122},
    {.key = Key::ACCLACTIVTIME,
     .parts = {hourMin(F::edAccActHourBeg), hourMin(F::edAccActMinBeg), hourMin(F::edAccActHourEnd), hourMin(F::edAccActMinEnd)},
     .read = kAccl, .write = kAcclFw122, .allOrNothing = true},
    {.key = Key::ACCLALARMCALL, .parts = {tri(F::cbCallOnNumber)}, .read = kAcclFw144, .write = kAcclFw144},
    {.key = Key::CHANGEPROFILE, .parts = {choice(F::cbProfile)}},
    {.key = Key::GPSEN, .parts = {strictFlag(F::cbOnlyGPSEn)}},
    {.key = Key::GPSPERIOD, .parts = {hourMin(F::edGPSHour), hourMin(F::edGPSMin)}},
    {.key = Key::ADCINFO, .codec = Codec::AdcInfo, .read = kTrackerOnly, .write = kNeverWritten},
    {.key = Key::SETCP, .codec = Codec::ControlZone, .ruleAfterRead = F::cbCZ_En_Control},
    {.key = Key::SETTIME, .codec = Codec::Time},
}};
// clang-format on

constexpr const char *kNames[] = {
#define KVMT_KEY_NAME(name) #name,
    KVMT_SETTINGS_KEYS(KVMT_KEY_NAME)
#undef KVMT_KEY_NAME
};

const Entry &entry(Key key)
{
    return kEntries[size_t(key)];
}

constexpr bool entriesInKeyOrder()
{
    for (size_t i = 0; i < kEntries.size(); ++i) {
        if (kEntries[i].key != Key(i))
            return false;
    }
    return true;
}
static_assert(entriesInKeyOrder(), "one entry per key, in the order of Key");

bool gateOpen(const Gate &gate, const TrackerIdentity &identity, Source source)
{
    if (gate.bits & Never)
        return false;
    if ((gate.bits & TrackerOnly) && source != Source::Tracker)
        return false;
    if ((gate.bits & NeedsAccelerometer) && identity.accelerometerPresent == 0)
        return false;
    return identity.firmwareVersion >= gate.minFirmware && identity.serialUnsigned() >= gate.minSerial;
}

// The control-zone flags, bit 0 upwards.
constexpr std::array<F, 5> kZoneFlags = {F::cbCZ_Server_En, F::cbCZ_SMTP_En, F::cbCZ_SMS_En, F::cbCZ_In, F::cbCZ_Out};
constexpr int kMaxRadius = 10000000;
// From this firmware on SETTIME carries the summer-time item.
constexpr quint32 kSummerTimeFirmware = 135;

} // namespace

LocalTime systemLocalTime()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {now, QTimeZone::systemTimeZone().standardTimeOffset(now) / 60};
}

QString noPinText()
{
    return fromCp1251(QByteArray(kNoPinBytes));
}

QString noPinShownText()
{
    return QStringLiteral("----");
}

qint32 microDegrees(const QString &text)
{
    const std::optional<double> degrees = decimalNumber(text);
    if (!degrees)
        return 0;
    const double product = *degrees * 1000000.0;
    const double rounded = product > 0 ? std::trunc(product + 0.5) : std::trunc(product - 0.5);
    if (rounded >= double(INT_MAX))
        return INT_MAX;
    if (rounded <= double(INT_MIN))
        return INT_MIN;
    return qint32(rounded);
}

int wholeNumber(const QString &text)
{
    return strictInt(QStringView(text)).value_or(0);
}

KeyTable::KeyTable(DeviceSettings &settings, TrackerIdentity &identity, EventLog &log, LocalClock clock)
    : m_settings(settings)
    , m_identity(identity)
    , m_log(log)
    , m_clock(std::move(clock))
{
}

const char *KeyTable::name(Key key)
{
    return kNames[size_t(key)];
}

QByteArray KeyTable::query(Key key)
{
    return QByteArray(name(key)) + "=?;";
}

bool KeyTable::readGateOpen(Key key, Source source) const
{
    return gateOpen(entry(key).read, m_identity, source);
}

bool KeyTable::writeGateOpen(Key key, Source target) const
{
    return gateOpen(entry(key).write, m_identity, target);
}

QString KeyTable::errorLine(Key key)
{
    return QString::fromLatin1(name(key)) + QStringLiteral(" error");
}

void KeyTable::logKeyError(Key key)
{
    m_log.logEvent(errorLine(key), LogError);
}

bool KeyTable::applyRead(Key key, Source source, const QByteArray &replyKey, const QByteArray &value)
{
    // A locked tracker's refusal carries no value: taking its empty one
    // would wipe the window's texts. The members keep what they hold; the
    // read counts the refusal itself.
    if (source == Source::Tracker && replyKey == kLockedReply)
        return true;
    const Entry &s = entry(key);
    bool complete = true;
    bool rejected = false;
    switch (s.codec) {
    case Codec::Items:
        complete = applyItems(s, value, Pass::Read);
        break;
    case Codec::Accelerometer:
        complete = applyAccelerometer(source, replyKey, value);
        break;
    case Codec::OptionalFlag:
        complete = applyOptionalFlag(s, source, replyKey, value, Pass::Read);
        break;
    case Codec::MapFormat:
        complete = applyMapFormat(value, Pass::Read);
        break;
    case Codec::AdcInfo:
        complete = applyAdcInfo(replyKey, value);
        break;
    case Codec::ControlZone:
        complete = applyControlZone(value);
        break;
    case Codec::Time:
        complete = applyTime(source, value, &rejected);
        break;
    }
    // ACCLEN is read only to learn the accelerometer: like an unanswered
    // one, a garbled one says nothing (the read still counts it).
    if ((!complete || rejected) && key != Key::ACCLEN)
        logKeyError(key);
    if (s.afterRead)
        s.afterRead(m_settings);
    if (s.ruleAfterRead != kNone)
        m_settings.runRule(s.ruleAfterRead);
    return complete;
}

void KeyTable::applyEcho(Key key, const QByteArray &replyKey, const QByteArray &value)
{
    const Entry &s = entry(key);
    switch (s.codec) {
    case Codec::Items:
    case Codec::Accelerometer: // in an echo ACCLEN is a plain 0/1 flag
        applyItems(s, value, Pass::Echo);
        break;
    case Codec::OptionalFlag:
        applyOptionalFlag(s, Source::Tracker, replyKey, value, Pass::Echo);
        break;
    case Codec::MapFormat:
        applyMapFormat(value, Pass::Echo);
        break;
    case Codec::Time:
        if (replyKey.startsWith("WRONG"))
            logKeyError(key);
        else
            m_settings.setText(F::edTimeSync, fromCp1251(value));
        break;
    case Codec::AdcInfo:     // never written
    case Codec::ControlZone: // the tracker's echo is not applied
        break;
    }
    if (s.ruleAfterEcho != kNone)
        m_settings.runRule(s.ruleAfterEcho);
}

bool KeyTable::applyItems(const KeyEntry &keyEntry, const QByteArray &value, Pass pass)
{
    const Items items(value);
    const int count = keyEntry.slotCount();
    std::array<std::optional<int>, 4> numbers{};
    bool allParse = true;
    for (int i = 0; i < count; ++i) {
        const Slot &slot = keyEntry.parts[size_t(i)];
        if (slot.kind == Item::Text || slot.kind == Item::Pin) {
            allParse = allParse && items.has(i);
            continue;
        }
        // A strict flag is the whole value; other numbers are read from the
        // leading digits of their item.
        const QByteArrayView item = items.at(i);
        numbers[size_t(i)] = slot.kind == Item::FlagStrict ? strictInt(i == count - 1 && items.has(i) ? items.rest(i) : item)
                                                           : leadingInt(item);
        allParse = allParse && numbers[size_t(i)].has_value();
    }
    if (keyEntry.allOrNothing && !allParse)
        return false;
    bool strictFailed = false;

    for (int i = 0; i < count; ++i) {
        const Slot &slot = keyEntry.parts[size_t(i)];
        const std::optional<int> n = numbers[size_t(i)];
        switch (slot.kind) {
        case Item::Text:
        case Item::Pin: {
            if (!items.has(i))
                break;
            // Only a last item may hold commas of its own (addresses, templates).
            const QByteArrayView raw = i == count - 1 ? items.rest(i) : items.at(i);
            const bool noPin = slot.kind == Item::Pin && pass == Pass::Read && raw == QByteArrayView(kNoPinBytes);
            m_settings.setText(slot.field, noPin ? noPinShownText() : fromCp1251(raw.toByteArray()));
            break;
        }
        case Item::FlagStrict:
            // A flag that is no number is reported rather than guessed: it
            // usually means the tracker did not take the key ("NO_CMD").
            if (!n)
                strictFailed = true;
            else
                m_settings.setChecked(slot.field, *n == 1);
            break;
        case Item::FlagIsOne:
            if (n)
                m_settings.setChecked(slot.field, *n == 1);
            break;
        case Item::FlagNonZero:
            if (n)
                m_settings.setChecked(slot.field, *n != 0);
            break;
        case Item::FlagBit0:
            if (n)
                m_settings.setChecked(slot.field, (*n & 1) != 0);
            break;
        case Item::FlagTri:
            if (n == 0 || n == 1)
                m_settings.setChecked(slot.field, *n == 1);
            break;
        case Item::Choice:
            // An entry the list does not have would leave it without a
            // selection, and the next write would send -1.
            if (n && *n >= 0 && *n < m_settings.items(slot.field).size())
                m_settings.setIndex(slot.field, *n);
            break;
        case Item::Clock:
            if (n)
                m_settings.setText(slot.field, pass == Pass::Read ? QString::asprintf("%02d", *n) : QString::number(*n));
            break;
        case Item::Number:
            if (n)
                m_settings.setText(slot.field, QString::number(*n));
            break;
        case Item::Mode:
            if (n && (allParse || !keyEntry.modeNeedsAll))
                m_settings.setChecked((*n & 1) ? slot.field : slot.other, true);
            break;
        case Item::Unused:
            break;
        }
    }
    // A read reports every item that is missing or no number (the caller
    // logs it); an echo only a strict flag, as it always has.
    if (pass == Pass::Echo && strictFailed)
        logKeyError(keyEntry.key);
    return allParse;
}

QByteArray KeyTable::itemsValue(const KeyEntry &keyEntry) const
{
    QByteArrayList parts;
    for (int i = 0; i < keyEntry.slotCount(); ++i) {
        const Slot &slot = keyEntry.parts[size_t(i)];
        switch (slot.kind) {
        case Item::Text:
        case Item::Pin:
            parts.append(toCp1251(m_settings.text(slot.field)));
            break;
        case Item::FlagStrict:
        case Item::FlagIsOne:
        case Item::FlagNonZero:
        case Item::FlagBit0:
        case Item::FlagTri:
        case Item::Mode:
            parts.append(m_settings.isChecked(slot.field) ? "1" : "0");
            break;
        case Item::Choice:
            parts.append(decimal(m_settings.index(slot.field)));
            break;
        case Item::Clock:
        case Item::Number:
            parts.append(decimal(wholeNumber(m_settings.text(slot.field))));
            break;
        case Item::Unused:
            break;
        }
    }
    return parts.join(',');
}

bool KeyTable::applyAccelerometer(Source source, const QByteArray &replyKey, const QByteArray &value)
{
    const Items items(value);
    const std::optional<int> inUse = leadingInt(items.at(0));
    if (source == Source::Tracker) {
        const std::optional<int> present = leadingInt(items.at(1));
        if (inUse && present)
            m_identity.accelerometerPresent = *present;
        if (replyKey == kNoCmd) {
            m_identity.accelerometerPresent = 0;
            m_settings.setVisible(F::TabSheet5, false);
            m_log.logEvent(QCoreApplication::translate("kvmt::KeyTable", "Прошивка не поддерживает акселерометр"),
                           LogError);
            return true;
        }
        if (replyKey != kAcclReplyKey)
            return inUse && present;
        if (present)
            m_settings.setVisible(F::TabSheet5, *present != 0);
        if (!present)
            return false;
    }
    // From a file only the first item counts: a file never decides whether
    // the tracker has an accelerometer.
    if (inUse)
        m_settings.setChecked(F::cbAcclEn, *inUse != 0);
    m_settings.runRule(F::cbAcclEn);
    return inUse.has_value();
}

bool KeyTable::applyOptionalFlag(const KeyEntry &keyEntry, Source source, const QByteArray &replyKey,
                                 const QByteArray &value, Pass pass)
{
    // Older firmware does not know the key; when reading, the check box then
    // disappears, an echo only clears it.
    const F field = keyEntry.parts[0].field;
    if (source == Source::Tracker && replyKey == kNoCmd) {
        m_settings.setChecked(field, false);
        if (pass == Pass::Read)
            m_settings.setVisible(field, false);
        return true;
    }
    if (pass == Pass::Read)
        m_settings.setVisible(field, true);
    const std::optional<int> n = leadingInt(value);
    if (n)
        m_settings.setChecked(field, *n == 1);
    return n.has_value();
}

bool KeyTable::applyMapFormat(const QByteArray &value, Pass pass)
{
    static constexpr F kRadios[] = {F::rbGoogle, F::rbYandex, F::rbCoordinate};
    const std::optional<int> format = leadingInt(value);
    if (!format)
        return false;
    // A number the list has no radio for is an answer that changes nothing.
    if (*format < 0 || *format > 2)
        return true;
    m_settings.setChecked(kRadios[*format], true);
    if (pass == Pass::Echo)
        return true;
    m_settings.setEnabled(F::edMapFormat_1, *format == 0);
    m_settings.setEnabled(F::edMapFormat_2, *format == 1);
    return true;
}

bool KeyTable::applyAdcInfo(const QByteArray &replyKey, const QByteArray &value)
{
    if (replyKey == kNoCmd) {
        m_settings.setText(F::Ubattery, QStringLiteral("---"));
        m_settings.setText(F::Temper, QStringLiteral("---"));
        return true;
    }
    const Items items(value);
    const std::optional<int> millivolts = leadingInt(items.at(0));
    const std::optional<int> celsius = leadingInt(items.at(1));
    if (millivolts)
        m_settings.setText(F::Ubattery, QString::asprintf("%.2f V", double(quint32(*millivolts)) / 1000.0));
    if (celsius)
        m_settings.setText(F::Temper, QString::number(*celsius) + QStringLiteral("°C"));
    return millivolts && celsius;
}

bool KeyTable::applyControlZone(const QByteArray &value)
{
    const Items items(value);
    std::array<int, 5> n{};
    for (size_t i = 0; i < n.size(); ++i) {
        const std::optional<int> item = leadingInt(items.at(qsizetype(i)));
        if (!item)
            return false; // the sequence still runs the zone's rule
        n[i] = *item;
    }
    m_settings.setChecked(F::cbCZ_En_Control, n[0] == 1);
    m_settings.setText(F::edLat, QString::asprintf("%.6f", n[1] * 0.000001));
    m_settings.setText(F::edLon, QString::asprintf("%.6f", n[2] * 0.000001));
    m_settings.setText(F::edRadius, QString::number(std::min(n[3], kMaxRadius)));
    for (size_t bit = 0; bit < kZoneFlags.size(); ++bit)
        m_settings.setChecked(kZoneFlags[bit], (n[4] >> bit) & 1);
    return true;
}

bool KeyTable::applyTime(Source source, const QByteArray &value, bool *rejected)
{
    std::array<int, 7> n{};
    const int count = timeNumbers(value, &n);
    const bool summerItem = m_identity.firmwareVersion >= kSummerTimeFirmware;
    // Missing is what this tracker sends and the value lacks. A file may
    // come from firmware that never sent the summer-time item, and a
    // surplus item is no missing one: both are only rejected.
    const int needed = source == Source::Tracker && summerItem ? 7 : 6;
    if (count != (summerItem ? 7 : 6)) {
        m_settings.setText(F::edTimeSync, QString());
        m_settings.setText(F::edTimeZone, QString());
        *rejected = true;
        // A window that holds no clock (never read, or a rejected one)
        // writes an empty time into its profile files: such a file must
        // load again, its time being replaced when it is written anyway.
        const bool ownEmptyTime = source == Source::File && value.startsWith(',');
        return count >= needed || ownEmptyTime;
    }
    m_settings.setText(F::edTimeSync, QString::asprintf("%02d:%02d,%02d.%02d.%04d", n[0], n[1], n[2], n[3], n[4]));
    m_settings.setText(F::edTimeZone, QString::number(n[5]));
    if (summerItem)
        m_settings.setChecked(F::cbAutoSummerTime, n[6] != 0);
    return true;
}

QList<Field> KeyTable::fields(Key key)
{
    const Entry &s = entry(key);
    QList<Field> found;
    for (int i = 0; i < s.slotCount(); ++i) {
        found.append(s.parts[size_t(i)].field);
        if (s.parts[size_t(i)].other != kNone)
            found.append(s.parts[size_t(i)].other);
    }
    switch (s.codec) {
    case Codec::MapFormat:
        found += {F::rbGoogle, F::rbYandex, F::rbCoordinate};
        break;
    case Codec::ControlZone:
        found += {F::cbCZ_En_Control, F::edLat, F::edLon, F::edRadius};
        found += QList<Field>(kZoneFlags.begin(), kZoneFlags.end());
        break;
    case Codec::Time:
        found += {F::cbAutoTimeSync, F::edTimeSync, F::edTimeZone, F::cbAutoSummerTime};
        break;
    case Codec::Items:
    case Codec::Accelerometer:
    case Codec::OptionalFlag:
    case Codec::AdcInfo:
        break;
    }
    return found;
}

QList<std::pair<Field, QString>> KeyTable::textItems(Key key, const QString &value)
{
    const Entry &s = entry(key);
    if (s.codec != Codec::Items)
        return {};
    const int count = s.slotCount();
    QList<std::pair<Field, QString>> found;
    qsizetype start = 0;
    for (int i = 0; i < count && start >= 0; ++i) {
        const qsizetype comma = value.indexOf(u',', start);
        const bool last = i == count - 1 || comma < 0;
        const Slot &slot = s.parts[size_t(i)];
        if (slot.kind == Item::Text || slot.kind == Item::Pin)
            found.append({slot.field, last ? value.mid(start) : value.mid(start, comma - start)});
        start = last ? -1 : comma + 1;
    }
    return found;
}

QByteArray KeyTable::controlZoneValue() const
{
    int flags = 0;
    for (size_t bit = 0; bit < kZoneFlags.size(); ++bit)
        flags |= m_settings.isChecked(kZoneFlags[bit]) ? (1 << bit) : 0;
    return QByteArrayList{m_settings.isChecked(F::cbCZ_En_Control) ? "1" : "0",
                          decimal(microDegrees(m_settings.text(F::edLat))),
                          decimal(microDegrees(m_settings.text(F::edLon))),
                          decimal(wholeNumber(m_settings.text(F::edRadius))), decimal(flags)}
        .join(',');
}

QByteArray KeyTable::timeValue() const
{
    QByteArray time;
    int zone = 0;
    if (m_settings.isChecked(F::cbAutoTimeSync)) {
        const LocalTime now = m_clock();
        const QDate date = now.local.date();
        const QTime clockTime = now.local.time();
        // No leading zeros: the tracker reads the numbers, not the layout.
        time = decimal(clockTime.hour()) + ':' + decimal(clockTime.minute()) + ',' + decimal(date.day()) + '.'
             + decimal(date.month()) + '.' + decimal(date.year());
        zone = now.standardOffsetMinutes / 60; // cut toward zero: UTC-3:30 gives -3
    } else {
        time = toCp1251(m_settings.text(F::edTimeSync));
        zone = wholeNumber(m_settings.text(F::edTimeZone));
    }
    QByteArray value = time + ',' + decimal(zone);
    if (m_identity.firmwareVersion >= kSummerTimeFirmware)
        value += m_settings.isChecked(F::cbAutoSummerTime) ? ",1" : ",0";
    return value;
}

QByteArray KeyTable::command(Key key) const
{
    const Entry &s = entry(key);
    QByteArray value;
    switch (s.codec) {
    case Codec::Items:
    case Codec::Accelerometer:
    case Codec::OptionalFlag:
        value = itemsValue(s);
        break;
    case Codec::MapFormat:
        value = m_settings.isChecked(F::rbYandex) ? "1" : m_settings.isChecked(F::rbCoordinate) ? "2" : "0";
        break;
    case Codec::ControlZone:
        value = controlZoneValue();
        break;
    case Codec::Time:
        value = timeValue();
        break;
    case Codec::AdcInfo:
        return {};
    }
    return QByteArray(name(key)) + '=' + value + ';';
}

} // namespace kvmt
