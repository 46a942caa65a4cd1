// Values of the key table as a tracker or a profile file delivers them. For
// every key, what a value puts into the window is written back as a command
// that, read again as a reply or an echo, changes nothing: the window and
// the command reach a fixed point after one round. SETCP, SETTIME, ADCINFO,
// BALANCENUM and the period keys are checked against their numbers too.
#include "device/ReplySplit.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/TrackerIdentity.h"
#include "text/Cp1251.h"
#include "text/Numbers.h"

#include "FuzzCheck.h"
#include "FuzzSettings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDateTime>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

using namespace kvmt;

namespace {

LocalTime fixedClock()
{
    return {QDateTime(QDate(2015, 3, 2), QTime(14, 7)), 180};
}

// The value of a command, read as the tracker's echo of it would be.
QByteArray valueOf(const QByteArray &command)
{
    return splitReply(command).value;
}

QList<QByteArrayView> items(QByteArrayView value)
{
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype comma = value.indexOf(','); comma >= 0; comma = value.indexOf(',', start)) {
        parts.append(value.sliced(start, comma - start));
        start = comma + 1;
    }
    parts.append(value.sliced(start));
    return parts;
}

std::optional<int> itemNumber(QByteArrayView value, qsizetype i)
{
    const QList<QByteArrayView> parts = items(value);
    return i < parts.size() ? leadingInt(parts[i]) : std::nullopt;
}

struct Rig {
    DeviceSettings settings;
    TrackerIdentity identity;
    RecordingEventLog log;
    KeyTable keys{settings, identity, log, fixedClock};

    Rig() { settings.setChecked(F::cbAutoTimeSync, false); }
    int errors() const
    {
        return int(std::count_if(log.lines().cbegin(), log.lines().cend(),
                                 [](const LogLine &line) { return line.kind == LogError; }));
    }
};

void checkControlZone(const QByteArray &value, const QByteArray &command, bool changed)
{
    std::array<std::optional<int>, 5> n;
    for (qsizetype i = 0; i < 5; ++i)
        n[size_t(i)] = itemNumber(value, i);
    const bool allParse = std::all_of(n.cbegin(), n.cend(), [](const std::optional<int> &x) { return x.has_value(); });
    // A zone is taken whole or not at all.
    if (!allParse) {
        FUZZ_CHECK(!changed);
        return;
    }
    // Coordinates survive the trip through the window's six decimals exactly.
    const QByteArray expected = "SETCP=" + QByteArray(*n[0] == 1 ? "1" : "0") + ',' + QByteArray::number(*n[1]) + ','
                              + QByteArray::number(*n[2]) + ',' + QByteArray::number(std::min(*n[3], 10000000)) + ','
                              + QByteArray::number(*n[4] & 31) + ';';
    FUZZ_CHECK(command == expected);
}

void checkTime(const Rig &rig, const QByteArray &value, bool logged)
{
    const QString shown = rig.settings.text(F::edTimeSync);
    if (logged) {
        FUZZ_CHECK(shown.isEmpty() && rig.settings.text(F::edTimeZone).isEmpty());
        return;
    }
    // The hour leads both the tracker's text and the window's.
    FUZZ_CHECK(leadingInt(value) == leadingInt(toCp1251(shown)));
    FUZZ_CHECK(wholeNumber(rig.settings.text(F::edTimeZone)) == itemNumber(value, 2));
}

void checkAdcInfo(const Rig &rig, const QByteArray &value)
{
    if (const std::optional<int> millivolts = itemNumber(value, 0)) {
        const QString volts = rig.settings.text(F::Ubattery);
        FUZZ_CHECK(volts.endsWith(QStringLiteral(" V")));
        bool ok = false;
        const double shown = volts.chopped(2).toDouble(&ok);
        FUZZ_CHECK(ok && std::abs(shown * 1000.0 - double(quint32(*millivolts))) <= 5.0 + 1e-6 * shown * 1000.0);
    }
    if (const std::optional<int> celsius = itemNumber(value, 1)) {
        const QString shown = rig.settings.text(F::Temper);
        FUZZ_CHECK(shown.endsWith(QStringLiteral("°C")) && leadingInt(toCp1251(shown)) == celsius);
    }
}

void checkPeriod(Key key, const QByteArray &value, const QByteArray &command)
{
    const QByteArray sent = valueOf(command);
    for (qsizetype i = 0; i < 2; ++i) {
        if (const std::optional<int> n = itemNumber(value, i))
            FUZZ_CHECK(strictInt(items(sent).value(i)) == n);
    }
    FUZZ_CHECK(items(sent).size() == (key == Key::GPSPERIOD ? 2 : 3));
}

void checkBalance(const Rig &rig, const QByteArray &value, const QByteArray &command)
{
    const QByteArrayView first = items(value).first();
    FUZZ_CHECK(rig.settings.text(F::edBalanceNum) == fromCp1251(first.toByteArray()));
    const QByteArray sentValue = valueOf(command);
    const QList<QByteArrayView> sent = items(sentValue);
    FUZZ_CHECK(sent.size() == 3 && sent[0] == first);
    for (qsizetype i = 1; i < 3; ++i) {
        if (const std::optional<int> n = itemNumber(value, i))
            FUZZ_CHECK(sent[i] == QByteArrayView((*n & 1) ? "1" : "0"));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const Key key = Key(input.ConsumeIntegralInRange<int>(0, int(Key::Count) - 1));
    static constexpr quint32 kFirmwares[] = {0, 122, 132, 134, 135, 144};
    const quint32 firmware = input.PickValueInArray(kFirmwares);
    const int accelerometer = input.ConsumeIntegralInRange<int>(0, 1);
    const Source source = input.ConsumeBool() ? Source::Tracker : Source::File;
    static constexpr const char *kReplyKeys[] = {nullptr, "NO_CMD", "#ACCLEN", "WRONG"};
    const char *replyKeyChoice = input.PickValueInArray(kReplyKeys);
    const QByteArray replyKey = replyKeyChoice ? QByteArray(replyKeyChoice) : QByteArray(KeyTable::name(key));
    const std::string rest = input.ConsumeRemainingBytesAsString();
    // Values reach the table only through the reply split (or a lookup,
    // which cuts the same way): from the bytes between '=' and the last ';'.
    const QByteArray value = splitReply(QByteArray(KeyTable::name(key)) + '=' + QByteArray(rest.data(), qsizetype(rest.size())) + ';').value;

    Rig rig;
    rig.identity.firmwareVersion = firmware;
    rig.identity.accelerometerPresent = accelerometer;
    const fuzz::MemberValues before = fuzz::memberValues(rig.settings);
    rig.keys.applyRead(key, source, replyKey, value);
    const bool changed = fuzz::memberValues(rig.settings) != before;
    const bool logged = rig.errors() > 0;

    const QByteArray command = rig.keys.command(key);
    if (key == Key::ADCINFO) {
        FUZZ_CHECK(command.isEmpty());
        if (replyKey != "NO_CMD")
            checkAdcInfo(rig, value);
        return 0;
    }
    FUZZ_CHECK(command.startsWith(QByteArray(KeyTable::name(key)) + '=') && command.endsWith(';'));

    switch (key) {
    case Key::SETCP:
        checkControlZone(value, command, changed);
        break;
    case Key::SETTIME:
        checkTime(rig, value, logged);
        break;
    case Key::BALANCENUM:
        checkBalance(rig, value, command);
        break;
    case Key::SERVERPERIOD:
    case Key::SMTPPERIOD:
    case Key::SMSPERIOD:
    case Key::GPSPERIOD:
        checkPeriod(key, value, command);
        break;
    default:
        break;
    }

    // Read back, the command is the same command; one round more changes
    // no member. (Members the value left alone keep their design texts, such
    // as "0" for an hour, until a read shows them as "00".)
    rig.keys.applyRead(key, Source::File, KeyTable::name(key), valueOf(command));
    FUZZ_CHECK(rig.keys.command(key) == command);
    const fuzz::MemberValues settled = fuzz::memberValues(rig.settings);
    rig.keys.applyRead(key, Source::File, KeyTable::name(key), valueOf(command));
    FUZZ_CHECK(fuzz::sameValues(settled, fuzz::memberValues(rig.settings)));
    // The echo of SETTIME shows the tracker's whole answer in the time field.
    if (key != Key::SETTIME) {
        rig.keys.applyEcho(key, KeyTable::name(key), valueOf(command));
        FUZZ_CHECK(rig.keys.command(key) == command);
    }
    return 0;
}
