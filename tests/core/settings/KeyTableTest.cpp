// Protects the key table: how each answer lands in the members and how each
// command is built, including the odd values the tracker and older firmware
// send.
#include "SequenceRig.h"

#include <gtest/gtest.h>

#include <climits>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class KeyTableTest : public ::testing::Test
{
protected:
    DeviceSettings settings;
    TrackerIdentity identity;
    RecordingEventLog log;
    LocalTime now = fixedClock();
    KeyTable keys{settings, identity, log, [this] { return now; }};

    void read(Key key, const QByteArray &value, const QByteArray &replyKey = {})
    {
        keys.applyRead(key, Source::Tracker, replyKey.isEmpty() ? QByteArray(KeyTable::name(key)) : replyKey, value);
    }
};

const QByteArray kNoPin("\xFF\xFF\xFF\xFF");

} // namespace

TEST_F(KeyTableTest, NoPinValueShowsAsDashesAndIsSentAsFourFFBytes)
{
    read(Key::GSMPIN, kNoPin);
    EXPECT_EQ(settings.text(F::edPinCode), QStringLiteral("----"));
    read(Key::GSMPIN, "0000");
    EXPECT_EQ(settings.text(F::edPinCode), QStringLiteral("0000"));

    settings.setText(F::edPinCode, noPinText());
    EXPECT_EQ(keys.command(Key::GSMPIN), "GSMPIN=" + kNoPin + ';');
    settings.setText(F::edPinCode, QStringLiteral("4321"));
    EXPECT_EQ(keys.command(Key::GSMPIN), "GSMPIN=4321;");
}

TEST_F(KeyTableTest, PeriodsShowTwoDigitsWhenReadAndSetTheModeOnlyFromAThirdItem)
{
    settings.setChecked(F::rbEveryTimeSrv, true);
    read(Key::SERVERPERIOD, "2,30");
    EXPECT_EQ(settings.text(F::edServerHour), QStringLiteral("02"));
    EXPECT_EQ(settings.text(F::edServerMin), QStringLiteral("30"));
    EXPECT_TRUE(settings.isChecked(F::rbEveryTimeSrv));
    read(Key::SERVERPERIOD, "2,30,1");
    EXPECT_TRUE(settings.isChecked(F::rbTimeInSrv));
    EXPECT_EQ(keys.command(Key::SERVERPERIOD), "SERVERPERIOD=2,30,1;");

    read(Key::SMSPERIOD, "1,5,3"); // bit 0 of the mode decides
    EXPECT_TRUE(settings.isChecked(F::rbTimeIn));
    // Hours that are no number go out as 0, as the summary shows them.
    for (const char *hours : {"99999999999", "1e2", " 500"}) {
        settings.setText(F::edServerHour, QString::fromLatin1(hours));
        EXPECT_EQ(keys.command(Key::SERVERPERIOD), "SERVERPERIOD=0,30,1;") << hours;
    }

    keys.applyEcho(Key::SMTPPERIOD, "SMTPPERIOD", "7,5,0");
    EXPECT_EQ(settings.text(F::edSMTPHour), QStringLiteral("7"));
    EXPECT_EQ(settings.text(F::edSMTPMin), QStringLiteral("5"));
    EXPECT_TRUE(settings.isChecked(F::rbEveryTimeSMTP));

    // Activity window: all four items or nothing.
    read(Key::ACCLACTIVTIME, "8,0,20");
    EXPECT_EQ(settings.text(F::edAccActHourBeg), QStringLiteral("0"));
    read(Key::ACCLACTIVTIME, "8,0,20,30");
    EXPECT_EQ(settings.text(F::edAccActHourBeg), QStringLiteral("08"));
    EXPECT_EQ(keys.command(Key::ACCLACTIVTIME), "ACCLACTIVTIME=8,0,20,30;");
}

TEST_F(KeyTableTest, ValuesOutsideTheirRangeChangeNothing)
{
    const QStringList before = snapshot(settings);
    read(Key::MAPFORMAT, "5");
    read(Key::ACCLSENSELEV, "7");
    read(Key::INDOFF, "2");
    read(Key::FASTMOVEDETECT, "-1");
    read(Key::CHANGEPROFILE, "9");
    EXPECT_EQ(snapshot(settings), before);
    EXPECT_TRUE(log.lines().isEmpty());
}

// What the key's row needs and what an older firmware never sends: an item
// missing or no number makes the answer one the read cannot rely on, with
// its line, while the items that did parse still go in.
TEST_F(KeyTableTest, AnswerShortOfAnItemOrWithAnItemThatIsNoNumberIsNoWholeAnswer)
{
    struct Case {
        Key key;
        QByteArray value;
        bool whole;
        Source source = Source::Tracker;
        QByteArray replyKey = {};
        quint32 firmware = 144;
    };
    const Case cases[] = {
        {Key::SERVERPERIOD, "2,30,1", true},
        {Key::SERVERPERIOD, "99999999999,30,1", false},
        {Key::SERVERPERIOD, ",30,1", false},
        {Key::SERVERPERIOD, "2,30", false},
        {Key::GPSPERIOD, "5", false},
        {Key::DELAYOFF, "x", false},
        {Key::DELAYOFF, "", false},
        {Key::BALANCENUM, "*102#", false},
        {Key::BALANCENUM, "*102#,1,0", true},
        {Key::SMSEN, "1", false},
        {Key::CHANGEPROFILEONCALL, "1,", false},
        {Key::ACCLACTIVTIME, "8,0,20", false},
        {Key::SETCP, "1,55755826,37617300,500", false},
        {Key::MAPFORMAT, "", false},
        {Key::MAPFORMAT, "5", true}, // a number it has no radio for: changes nothing
        {Key::TRUSTNUMBER, "", false},
        {Key::TRUSTNUMBER, "", true, Source::Tracker, "NO_CMD"},
        {Key::ADCINFO, "4120", false},
        {Key::ACCLEN, "1", false, Source::Tracker, "#ACCLEN"},
        {Key::ACCLEN, "1", true, Source::File},
        {Key::SETTIME, "9:5,3.7.2015,3", false},
        {Key::SETTIME, "9:5,3.7.2015,3", true, Source::Tracker, {}, 134},
        // A file may come from firmware that never sent the summer-time item.
        {Key::SETTIME, "9:5,3.7.2015,3", true, Source::File},
        {Key::GSMAPN, "", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(KeyTable::name(c.key)) + "=" + c.value.toStdString());
        identity.firmwareVersion = c.firmware;
        log.clear();
        const QByteArray replyKey = c.replyKey.isEmpty() ? QByteArray(KeyTable::name(c.key)) : c.replyKey;
        EXPECT_EQ(keys.applyRead(c.key, c.source, replyKey, c.value), c.whole);
        // ACCLEN has no line when unanswered, and none when garbled.
        if (!c.whole && c.key != Key::ACCLEN) {
            EXPECT_EQ(log.lines(), (QList<LogLine>{{KeyTable::errorLine(c.key), LogError}}));
        } else if (c.key == Key::ACCLEN) {
            EXPECT_TRUE(log.lines().isEmpty());
        }
    }
    // The items that parse still go in; the others keep their values.
    settings.setChecked(F::rbTimeInSrv, true);
    read(Key::SERVERPERIOD, "99999999999,45,0");
    EXPECT_EQ(settings.text(F::edServerMin), QStringLiteral("45"));
    EXPECT_TRUE(settings.isChecked(F::rbTimeInSrv));
}

TEST_F(KeyTableTest, BalanceNumberSplitsTheRequestFromItsTwoFlags)
{
    settings.setChecked(F::cbBalanceSMS, true);
    read(Key::BALANCENUM, "*100#,1,0");
    EXPECT_EQ(settings.text(F::edBalanceNum), QStringLiteral("*100#"));
    EXPECT_TRUE(settings.isChecked(F::cbBalanceSMTP));
    EXPECT_FALSE(settings.isChecked(F::cbBalanceSMS));
    EXPECT_EQ(keys.command(Key::BALANCENUM), "BALANCENUM=*100#,1,0;");

    read(Key::BALANCENUM, "*102#"); // no flags: they stay
    EXPECT_EQ(settings.text(F::edBalanceNum), QStringLiteral("*102#"));
    EXPECT_TRUE(settings.isChecked(F::cbBalanceSMTP));
}

TEST_F(KeyTableTest, TextValuesKeepTheirCommasAndCyrillic)
{
    read(Key::MAPTEMPLATE1, "http://m.example/?ll=%s,%s");
    EXPECT_EQ(settings.text(F::edMapFormat_1), QStringLiteral("http://m.example/?ll=%s,%s"));
    settings.setText(F::edDevName, QStringLiteral("Трек"));
    EXPECT_EQ(keys.command(Key::DEVNAME), QByteArray("DEVNAME=\xD2\xF0\xE5\xEA;"));
}

TEST_F(KeyTableTest, StrictFlagThatIsNoNumberIsReportedAndKept)
{
    read(Key::SERVEREN, "1");
    EXPECT_TRUE(settings.isChecked(F::cbSentServer));
    read(Key::SERVEREN, "1,0");
    read(Key::SERVEREN, "");
    EXPECT_TRUE(settings.isChecked(F::cbSentServer));
    EXPECT_EQ(log.lines(), (QList<LogLine>{{QStringLiteral("SERVEREN error"), LogError},
                                           {QStringLiteral("SERVEREN error"), LogError}}));
    read(Key::SERVEREN, "2"); // a number, but not 1
    EXPECT_FALSE(settings.isChecked(F::cbSentServer));
}

TEST_F(KeyTableTest, ControlZoneReadShowsDegreesAndCapsTheRadius)
{
    read(Key::SETCP, "1,55755826,-37617300,20000000,21");
    EXPECT_TRUE(settings.isChecked(F::cbCZ_En_Control));
    EXPECT_EQ(settings.text(F::edLat), QStringLiteral("55.755826"));
    EXPECT_EQ(settings.text(F::edLon), QStringLiteral("-37.617300"));
    EXPECT_EQ(settings.text(F::edRadius), QStringLiteral("10000000"));
    // 21 = bits 0, 2 and 4.
    EXPECT_TRUE(settings.isChecked(F::cbCZ_Server_En));
    EXPECT_FALSE(settings.isChecked(F::cbCZ_SMTP_En));
    EXPECT_TRUE(settings.isChecked(F::cbCZ_SMS_En));
    EXPECT_FALSE(settings.isChecked(F::cbCZ_In));
    EXPECT_TRUE(settings.isChecked(F::cbCZ_Out));

    int ruleRuns = 0;
    settings.setRule(F::cbCZ_En_Control, [&] { ++ruleRuns; });
    read(Key::SETCP, "0,1,2,3"); // four items: nothing applied, the rule still runs
    EXPECT_TRUE(settings.isChecked(F::cbCZ_En_Control));
    EXPECT_EQ(ruleRuns, 1);

    settings.setText(F::edLat, QStringLiteral("55.7558268"));
    settings.setText(F::edLon, QStringLiteral("-37.6173"));
    settings.setText(F::edRadius, QString());
    EXPECT_EQ(keys.command(Key::SETCP), "SETCP=1,55755827,-37617300,0,21;");
}

TEST(MicroDegrees, RoundHalfAwayFromZeroWithAPointInEveryLocale)
{
    const std::pair<const char *, qint32> cases[] = {
        {"55.755826", 55755826}, {"55.7558268", 55755827}, {"-55.7558268", -55755827}, {"0", 0},
        {"55,75", 0}, {"", 0}, {"-", 0}, {"1e3", 0}, {" 500", 0}, {"0.0000005", 1}, {"-0.0000005", -1},
        {"9999999999", INT_MAX}, {"-9999999999", INT_MIN},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(microDegrees(QString::fromLatin1(text)), expected) << text;
}

TEST_F(KeyTableTest, AccelerometerAnswerDecidesPresenceOnlyFromTheTracker)
{
    int ruleRuns = 0;
    settings.setRule(F::cbAcclEn, [&] { ++ruleRuns; });
    read(Key::ACCLEN, "1,1", "#ACCLEN");
    EXPECT_EQ(identity.accelerometerPresent, 1);
    EXPECT_TRUE(settings.isVisible(F::TabSheet5));
    EXPECT_TRUE(settings.isChecked(F::cbAcclEn));

    keys.applyRead(Key::ACCLEN, Source::File, {}, "0,0");
    EXPECT_EQ(identity.accelerometerPresent, 1);
    EXPECT_FALSE(settings.isChecked(F::cbAcclEn));

    read(Key::ACCLEN, "", "NO_CMD");
    EXPECT_EQ(identity.accelerometerPresent, 0);
    EXPECT_FALSE(settings.isVisible(F::TabSheet5));
    EXPECT_EQ(log.lines().last().text, QStringLiteral("Прошивка не поддерживает акселерометр"));
    EXPECT_EQ(ruleRuns, 4); // each answer but NO_CMD runs it, and so does each change

    keys.applyEcho(Key::ACCLEN, "ACCLEN", "2"); // an echo is a plain 0/1 flag
    EXPECT_FALSE(settings.isChecked(F::cbAcclEn));
}

TEST_F(KeyTableTest, UnknownOptionalKeyHidesItsBoxWhenReadButOnlyClearsItInAnEcho)
{
    read(Key::TRUSTNUMBER, "1");
    EXPECT_TRUE(settings.isChecked(F::cbCommandsWithoutParole));
    keys.applyEcho(Key::TRUSTNUMBER, "NO_CMD", {});
    EXPECT_FALSE(settings.isChecked(F::cbCommandsWithoutParole));
    EXPECT_TRUE(settings.isVisible(F::cbCommandsWithoutParole));
    read(Key::DATAWITHUSB, "", "NO_CMD");
    EXPECT_FALSE(settings.isVisible(F::cbSendDataUSB));
    keys.applyRead(Key::DATAWITHUSB, Source::File, "NO_CMD", "1"); // a file has no NO_CMD
    EXPECT_TRUE(settings.isVisible(F::cbSendDataUSB));
    EXPECT_TRUE(settings.isChecked(F::cbSendDataUSB));
}

TEST_F(KeyTableTest, BatteryIsUnsignedMillivoltsAndTemperatureInDegrees)
{
    read(Key::ADCINFO, "4150,-5");
    EXPECT_EQ(settings.text(F::Ubattery), QStringLiteral("4.15 V"));
    EXPECT_EQ(settings.text(F::Temper), QStringLiteral("-5°C"));
    read(Key::ADCINFO, "-1000,0");
    EXPECT_EQ(settings.text(F::Ubattery), QStringLiteral("4294966.30 V"));
    read(Key::ADCINFO, "", "NO_CMD");
    EXPECT_EQ(settings.text(F::Ubattery), QStringLiteral("---"));
    EXPECT_EQ(settings.text(F::Temper), QStringLiteral("---"));
}

TEST_F(KeyTableTest, AutomaticTimeSendsTheClockWithoutLeadingZerosAndTheStandardOffset)
{
    identity.firmwareVersion = 144;
    EXPECT_EQ(keys.command(Key::SETTIME), "SETTIME=14:7,2.3.2015,3,0;");
    identity.firmwareVersion = 134;
    EXPECT_EQ(keys.command(Key::SETTIME), "SETTIME=14:7,2.3.2015,3;");
    for (const auto &[minutes, zone] : {std::pair{330, "5"}, std::pair{-210, "-3"}, std::pair{-60, "-1"}}) {
        now.standardOffsetMinutes = minutes;
        EXPECT_EQ(keys.command(Key::SETTIME), QByteArray("SETTIME=14:7,2.3.2015,") + zone + ';');
    }

    settings.setChecked(F::cbAutoTimeSync, false);
    settings.setChecked(F::cbAutoSummerTime, true);
    settings.setText(F::edTimeSync, QStringLiteral("12:00,01.01.2020"));
    settings.setText(F::edTimeZone, QStringLiteral("-5"));
    identity.firmwareVersion = 135;
    EXPECT_EQ(keys.command(Key::SETTIME), "SETTIME=12:00,01.01.2020,-5,1;");

    keys.applyEcho(Key::SETTIME, "WRONG", {});
    EXPECT_EQ(log.lines().last().text, QStringLiteral("SETTIME error"));
    EXPECT_EQ(settings.text(F::edTimeSync), QStringLiteral("12:00,01.01.2020"));
    keys.applyEcho(Key::SETTIME, "SETTIME", "1:2,3.4.2021,3,1");
    EXPECT_EQ(settings.text(F::edTimeSync), QStringLiteral("1:2,3.4.2021,3,1"));
}

struct TimeCase {
    quint32 firmware;
    const char *value;
    bool accepted;
};

class SetTimeByFirmware : public KeyTableTest, public ::testing::WithParamInterface<TimeCase>
{
};

TEST_P(SetTimeByFirmware, SixNumbersBelow135SevenFrom135)
{
    identity.firmwareVersion = GetParam().firmware;
    settings.setText(F::edTimeSync, QStringLiteral("old"));
    read(Key::SETTIME, GetParam().value);
    if (GetParam().accepted) {
        EXPECT_EQ(settings.text(F::edTimeSync), QStringLiteral("09:05,03.07.2015"));
        EXPECT_EQ(settings.text(F::edTimeZone), QStringLiteral("3"));
        EXPECT_TRUE(log.lines().isEmpty());
    } else {
        EXPECT_EQ(settings.text(F::edTimeSync), QString());
        EXPECT_EQ(settings.text(F::edTimeZone), QString());
        EXPECT_EQ(log.lines(), (QList<LogLine>{{QStringLiteral("SETTIME error"), LogError}}));
    }
}

INSTANTIATE_TEST_SUITE_P(KeyTable, SetTimeByFirmware,
                         ::testing::Values(TimeCase{134, "9:5,3.7.2015,3", true},
                                           TimeCase{134, "9:5,3.7.2015,3,1", false},
                                           TimeCase{135, "9:5,3.7.2015,3", false},
                                           TimeCase{135, "9:5,3.7.2015,3,1", true},
                                           TimeCase{144, "9:5,3.7.2015,3,0", true},
                                           TimeCase{144, "9:5;3.7.2015,3,0", false}));

struct GateCase {
    qint32 serial;
    quint32 firmware;
    int accelerometer;
    QByteArrayList read;    // gated keys read
    QByteArrayList written; // gated keys written
};

class GatesByIdentity : public KeyTableTest, public ::testing::WithParamInterface<GateCase>
{
};

TEST_P(GatesByIdentity, OpenExactlyForTheTrackersThatHaveTheKey)
{
    identity.serialNumber = GetParam().serial;
    identity.firmwareVersion = GetParam().firmware;
    identity.accelerometerPresent = GetParam().accelerometer;
    static constexpr Key kGated[] = {Key::CHANGEPROFILEONCALL, Key::SMTPSSLEN, Key::MAPTEMPLATE1, Key::LBSDISABLE,
                                     Key::ACCLEN, Key::ACCLSENSELEV, Key::ACCLSETUPSEND, Key::ACCLACTIVTIME,
                                     Key::ACCLALARMCALL};
    QByteArrayList read;
    QByteArrayList written;
    for (const Key key : kGated) {
        if (keys.readGateOpen(key, Source::File))
            read.append(KeyTable::name(key));
        if (keys.writeGateOpen(key, Source::File))
            written.append(KeyTable::name(key));
    }
    EXPECT_EQ(read, GetParam().read);
    EXPECT_EQ(written, GetParam().written);
    EXPECT_TRUE(keys.readGateOpen(Key::ADCINFO, Source::Tracker));
    EXPECT_FALSE(keys.readGateOpen(Key::ADCINFO, Source::File));
    EXPECT_FALSE(keys.writeGateOpen(Key::ADCINFO, Source::Tracker));
}

INSTANTIATE_TEST_SUITE_P(
    KeyTable, GatesByIdentity,
    ::testing::Values(
        // Nothing identified yet: only ACCLEN, which is always read.
        GateCase{0, 0, 0, {"ACCLEN"}, {}},
        GateCase{5001499, 121, 1, {"ACCLEN", "ACCLSENSELEV", "ACCLSETUPSEND", "ACCLACTIVTIME"},
                 {"ACCLEN", "ACCLSETUPSEND"}},
        GateCase{5001500, 132, 1,
                 {"SMTPSSLEN", "MAPTEMPLATE1", "LBSDISABLE", "ACCLEN", "ACCLSENSELEV", "ACCLSETUPSEND", "ACCLACTIVTIME"},
                 {"SMTPSSLEN", "MAPTEMPLATE1", "LBSDISABLE", "ACCLEN", "ACCLSENSELEV", "ACCLSETUPSEND",
                  "ACCLACTIVTIME"}},
        // The serial is compared unsigned: a negative one is above the threshold.
        GateCase{-1, 144, 0, {"CHANGEPROFILEONCALL", "SMTPSSLEN", "MAPTEMPLATE1", "LBSDISABLE", "ACCLEN"},
                 {"CHANGEPROFILEONCALL", "SMTPSSLEN", "MAPTEMPLATE1", "LBSDISABLE"}},
        GateCase{5001500, 144, 1,
                 {"CHANGEPROFILEONCALL", "SMTPSSLEN", "MAPTEMPLATE1", "LBSDISABLE", "ACCLEN", "ACCLSENSELEV",
                  "ACCLSETUPSEND", "ACCLACTIVTIME", "ACCLALARMCALL"},
                 {"CHANGEPROFILEONCALL", "SMTPSSLEN", "MAPTEMPLATE1", "LBSDISABLE", "ACCLEN", "ACCLSENSELEV",
                  "ACCLSETUPSEND", "ACCLACTIVTIME", "ACCLALARMCALL"}}));
