// Protects the comparison behind diff and provisioning: which keys a write
// sends for a firmware, and which values count as the same.
#include "provision/PendingChanges.h"
#include "provision/Provisioning.h"
#include "provision/WrittenValues.h"

#include "Configurator.h"
#include "device/TurningWait.h"
#include "QtPrinters.h"
#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/KeyTable.h"
#include "settings/TrackerIdentity.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

QList<Key> keysOf(const WrittenValues &values)
{
    QList<Key> keys;
    for (const WrittenValue &value : values)
        keys.append(value.key);
    return keys;
}

class WrittenValuesTest : public ::testing::Test
{
protected:
    WrittenValuesTest()
    {
        identity.serialNumber = 5001500;
        identity.firmwareVersion = 144;
        identity.accelerometerPresent = 1;
    }
    // 14:07 on 2 March 2015 at UTC+3.
    static LocalTime fixedClock() { return {QDateTime(QDate(2015, 3, 2), QTime(14, 7)), 180}; }

    DeviceSettings settings;
    TrackerIdentity identity;
    RecordingEventLog log;
    KeyTable keys{settings, identity, log, fixedClock};
};

struct GateCase {
    const char *name;
    qint32 serial;
    quint32 firmware;
    int accelerometer;
    QList<Key> present;
    QList<Key> absent;
};

class WriteGates : public WrittenValuesTest, public ::testing::WithParamInterface<GateCase>
{
};

TEST_P(WriteGates, OnlyKeysTheWriteSendsToThisTracker)
{
    const GateCase &c = GetParam();
    identity.serialNumber = c.serial;
    identity.firmwareVersion = c.firmware;
    identity.accelerometerPresent = c.accelerometer;
    const QList<Key> sent = keysOf(writtenValues(keys, settings, identity, ValueSide::Written));
    for (const Key key : c.present)
        EXPECT_TRUE(sent.contains(key)) << KeyTable::name(key);
    for (const Key key : c.absent)
        EXPECT_FALSE(sent.contains(key)) << KeyTable::name(key);
    EXPECT_FALSE(sent.contains(Key::ADCINFO)) << "never written";
}

INSTANTIATE_TEST_SUITE_P(
    Firmware, WriteGates,
    ::testing::Values(
        GateCase{"newest", 5001500, 144, 1,
                 {Key::GSMPIN, Key::CHANGEPROFILEONCALL, Key::SMTPSSLEN, Key::MAPTEMPLATE1, Key::ACCLEN,
                  Key::ACCLACTIVTIME, Key::ACCLALARMCALL, Key::SETTIME, Key::SETCP, Key::CHANGEPROFILE},
                 {}},
        GateCase{"old_without_accelerometer", 5001499, 131, 0, {Key::GSMPIN, Key::SETTIME, Key::DATAWITHUSB},
                 {Key::CHANGEPROFILEONCALL, Key::SMTPSSLEN, Key::MAPTEMPLATE1, Key::LBSDISABLE, Key::ACCLEN,
                  Key::ACCLSETUPSEND, Key::ACCLSENSELEV}},
        // The read asks every accelerometer key; the write only these two.
        GateCase{"accelerometer_on_121", 5001500, 121, 1, {Key::ACCLEN, Key::ACCLSETUPSEND},
                 {Key::ACCLSENSELEV, Key::FASTMOVEDETECT, Key::ACCLSENSETIMEOUT, Key::ACCLACTIVTIME,
                  Key::ACCLALARMCALL}}),
    [](const ::testing::TestParamInfo<GateCase> &info) { return std::string(info.param.name); });

TEST_F(WrittenValuesTest, TheShownNoPinIsTheNoPinTheWriteSends)
{
    // The time from the computer's clock would differ from the empty fields.
    settings.setChecked(F::cbAutoTimeSync, false);
    settings.setText(F::edPinCode, noPinShownText());
    const WrittenValues shown = writtenValues(keys, settings, identity, ValueSide::Written);
    settings.setText(F::edPinCode, noPinText());
    const WrittenValues stored = writtenValues(keys, settings, identity, ValueSide::Held);
    const auto pin = [](const WrittenValues &values) {
        return std::find_if(values.begin(), values.end(), [](const WrittenValue &v) { return v.key == Key::GSMPIN; })
            ->value;
    };
    EXPECT_EQ(pin(shown), QByteArray(kNoPinBytes));
    EXPECT_EQ(pin(stored), QByteArray(kNoPinBytes));
    for (const KeyDifference &d : differences(stored, shown, ClockItems::CompareWhenSetByHand))
        ADD_FAILURE() << KeyTable::name(d.key) << ": " << d.held.toStdString() << " / " << d.written.toStdString();
    EXPECT_EQ(displayValue(Key::GSMPIN, QByteArray(kNoPinBytes)), QStringLiteral("----"));
    // Only GSMPIN's no-PIN bytes are shown so.
    EXPECT_NE(displayValue(Key::DEVNAME, QByteArray(kNoPinBytes)), QStringLiteral("----"));

    settings.setText(F::edPinCode, QStringLiteral("1234"));
    const QList<KeyDifference> found =
        differences(stored, writtenValues(keys, settings, identity, ValueSide::Written), ClockItems::Ignore);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found.first(), (KeyDifference{Key::GSMPIN, QByteArray(kNoPinBytes), "1234"}));
}

TEST_F(WrittenValuesTest, TimeFromTheComputerIsTheClockForTheWriteAndTheFieldsForTheTracker)
{
    settings.setChecked(F::cbAutoTimeSync, true);
    settings.setText(F::edTimeSync, QStringLiteral("09:05,01.12.2026"));
    settings.setText(F::edTimeZone, QStringLiteral("3"));
    const auto settime = [](const WrittenValues &values) {
        return *std::find_if(values.begin(), values.end(), [](const WrittenValue &v) { return v.key == Key::SETTIME; });
    };
    const WrittenValue written = settime(writtenValues(keys, settings, identity, ValueSide::Written));
    EXPECT_EQ(written.value, "14:7,2.3.2015,3,0");
    EXPECT_TRUE(written.clockFromComputer);
    const WrittenValue held = settime(writtenValues(keys, settings, identity, ValueSide::Held));
    EXPECT_EQ(held.value, "09:05,01.12.2026,3,0");
    EXPECT_FALSE(held.clockFromComputer);

    settings.setChecked(F::cbAutoTimeSync, false);
    const WrittenValue byHand = settime(writtenValues(keys, settings, identity, ValueSide::Written));
    EXPECT_EQ(byHand.value, "09:05,01.12.2026,3,0");
    EXPECT_FALSE(byHand.clockFromComputer);
}

struct TimeCase {
    const char *name;
    QByteArray held;
    QByteArray written;
    bool fromComputer;
    ClockItems clock;
    bool differs;
};

class TimeComparison : public ::testing::TestWithParam<TimeCase>
{
};

TEST_P(TimeComparison, ClockItemsCountOnlyWhenSetByHand)
{
    const TimeCase &c = GetParam();
    const WrittenValues held = {{Key::SETTIME, c.held, false}};
    const WrittenValues written = {{Key::SETTIME, c.written, c.fromComputer}};
    EXPECT_EQ(!differences(held, written, c.clock).isEmpty(), c.differs);
}

constexpr auto kCompare = ClockItems::CompareWhenSetByHand;
INSTANTIATE_TEST_SUITE_P(
    SetTime, TimeComparison,
    ::testing::Values(
        TimeCase{"leading_zeros_are_formatting", "10:05,09.12.2026,3,0", "10:5,9.12.2026,3,0", false, kCompare, false},
        TimeCase{"another_time_by_hand", "10:05,09.12.2026,3,0", "11:00,01.01.2020,3,0", false, kCompare, true},
        TimeCase{"computer_clock_is_now", "10:05,09.12.2026,3,0", "11:00,01.01.2020,3,0", true, kCompare, false},
        TimeCase{"computer_zone_counts", "10:05,09.12.2026,3,0", "10:5,9.12.2026,0,0", true, kCompare, true},
        TimeCase{"summer_time_counts", "10:05,09.12.2026,3,0", "10:5,9.12.2026,3,1", true, kCompare, true},
        TimeCase{"read_back_ignores_the_running_clock", "10:06,09.12.2026,3", "10:05,09.12.2026,3", false,
                 ClockItems::Ignore, false},
        TimeCase{"read_back_still_checks_the_zone", "10:06,09.12.2026,3", "10:05,09.12.2026,2", false,
                 ClockItems::Ignore, true},
        TimeCase{"no_time_at_all_compared_as_text", "", "", true, ClockItems::Ignore, false},
        TimeCase{"no_time_against_a_time", "", "10:05,09.12.2026,3", true, ClockItems::Ignore, true}),
    [](const ::testing::TestParamInfo<TimeCase> &info) { return std::string(info.param.name); });

TEST(Differences, KeysOnlyOneSideSendsAreDifferences)
{
    const WrittenValues held = {{Key::GSMAPN, "a", false}, {Key::DEVNAME, "KVMT", false}, {Key::SERVER, "s", false}};
    const WrittenValues written = {{Key::GSMAPN, "a", false}, {Key::DEVNAME, "VAN", false}, {Key::SMSGATE, "+7", false}};
    const QList<KeyDifference> found = differences(held, written, ClockItems::CompareWhenSetByHand);
    ASSERT_EQ(found.size(), 3);
    EXPECT_EQ(found[0], (KeyDifference{Key::DEVNAME, "KVMT", "VAN"}));
    EXPECT_EQ(found[1], (KeyDifference{Key::SMSGATE, {}, "+7"}));
    EXPECT_EQ(found[2], (KeyDifference{Key::SERVER, "s", {}}));
}

TEST(KeysReported, OnlyRedKeyErrorLinesName)
{
    const QList<LogLine> lines = {{QStringLiteral("GSMAPN error"), LogError},
                                  {QStringLiteral("SERVER error"), LogNotice},
                                  {QStringLiteral("SAVECONFIG error"), LogError},
                                  {QStringLiteral("DEVNAME error!"), LogError},
                                  {QStringLiteral("SETTIME error"), LogError}};
    EXPECT_EQ(keysReported(lines), (QList<Key>{Key::GSMAPN, Key::SETTIME}));
}

} // namespace

namespace {

// The members behind a key are marked one by one: both radios of a mode
// switched, none once set back; a key the tracker did not answer has its
// members marked whatever they hold; a load keeps the tracker as reference.
TEST_F(WrittenValuesTest, PendingChangesMarkTheMembersOfEachListedKey)
{
    PendingChanges pending(settings, keys, identity);
    pending.takeTrackerRead({Key::SMSGATE});
    EXPECT_TRUE(pending.isMarked(F::edSMSGate) && pending.isUnanswered(F::edSMSGate));
    const bool timeIn = settings.isChecked(F::rbTimeIn);
    settings.setChecked(timeIn ? F::rbEveryTime : F::rbTimeIn, true);
    pending.beforeFileLoad();
    pending.refreshNow();
    EXPECT_EQ(pending.reference(), PendingChanges::Reference::Tracker);
    EXPECT_TRUE(pending.isMarked(F::rbTimeIn) && pending.isMarked(F::rbEveryTime));
    EXPECT_FALSE(pending.isMarked(F::edSMSHour));
    QList<Key> listed;
    for (const KeyDifference &difference : pending.differences())
        listed.append(difference.key);
    // The computer's zone (UTC+3) is not the one read: SETTIME too.
    EXPECT_EQ(listed, QList<Key>({Key::SMSGATE, Key::SMSPERIOD, Key::SETTIME}));
    settings.setChecked(timeIn ? F::rbTimeIn : F::rbEveryTime, true);
    pending.refreshNow();
    EXPECT_FALSE(pending.isMarked(F::rbTimeIn) || pending.isMarked(F::rbEveryTime)) << "set back as read";
}

// Every key a write sends is made of members: none can change unmarked.
TEST_F(WrittenValuesTest, EveryWrittenKeyNamesItsMembers)
{
    for (const WrittenValue &value : writtenValues(keys, settings, identity, ValueSide::Written))
        EXPECT_FALSE(KeyTable::fields(value.key).isEmpty()) << KeyTable::name(value.key);
}

QList<Field> markedFields(const PendingChanges &pending)
{
    QList<Field> marked;
    for (int i = 0; i < kFieldCount; ++i) {
        if (pending.isMarked(Field(i)))
            marked.append(Field(i));
    }
    return marked;
}

// A bold caption the list does not explain would send the person looking
// for a change Save does not make.
void expectEveryMarkListed(const PendingChanges &pending)
{
    const QList<KeyDifference> listed = pending.differences();
    for (const Field field : markedFields(pending)) {
        EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
                                [field](const KeyDifference &d) { return KeyTable::fields(d.key).contains(field); }))
            << DeviceSettings::name(field).toStdString();
    }
}

// The reference through a session as the window lives it: the read at
// connection, Save's read back, the tracker unplugged, then a file loaded
// with no tracker to compare with.
TEST(PendingChangesSession, TheReadSaveLossAndALoadEachSetWhatIsCompared)
{
    TrackerHome::instance().reset();
    TrackerHome::instance().plug(scenario(QStringLiteral("5001261"), QStringLiteral("KVMT-1.44"),
                                          {QStringLiteral("silent=SMSGATE")}));
    RecordingEventLog log;
    ScriptedPrompts prompts;
    Configurator session(log, prompts, {QStringLiteral(KVMT_TEST_BIN_DIR)});
    DeviceSettings &settings = session.settings();
    PendingChanges &pending = session.pendingChanges();
    session.monitor().devtimerTimer();
    ASSERT_EQ(pending.reference(), PendingChanges::Reference::Tracker);
    EXPECT_EQ(session.reader().lastUnansweredKeys(), QList<Key>{Key::SMSGATE});
    const QList<KeyDifference> atRead = pending.differences();
    ASSERT_EQ(atRead.value(0).key, Key::SMSGATE);
    EXPECT_TRUE(atRead.value(0).heldUnknown);

    int told = 0;
    QObject::connect(&pending, &PendingChanges::marksChanged, [&told] { ++told; });
    settings.setText(F::edDevName, QStringLiteral("VAN7"));
    settings.setChecked(F::cbOutputLog, !settings.isChecked(F::cbOutputLog));
    EXPECT_FALSE(pending.isMarked(F::edDevName)) << "the marks follow once the event loop turns";
    QCoreApplication::processEvents();
    EXPECT_EQ(told, 1) << "two edits, one refresh";
    EXPECT_TRUE(pending.isMarked(F::edDevName) && pending.isMarked(F::cbOutputLog));
    EXPECT_EQ(pending.differences().size(), atRead.size() + 2);
    expectEveryMarkListed(pending);

    // A read started again (a profile picked) puts the tracker's values back:
    // the marks follow once, at its end, though the window's event loop
    // turns during every exchange.
    TurningWaiter waiter;
    session.link().setWaiter([&waiter](const std::function<void()> &call) { waiter(call); });
    session.reader().readSettings(false);
    EXPECT_EQ(told, 2);
    EXPECT_FALSE(pending.isMarked(F::edDevName) || pending.isMarked(F::cbOutputLog));

    // Save's read back is the tracker's new state (its clock's zone too):
    // only the key it never answers is still pending.
    settings.setText(F::edDevName, QStringLiteral("VAN7"));
    settings.setChecked(F::cbOutputLog, !settings.isChecked(F::cbOutputLog));
    QCoreApplication::processEvents();
    ASSERT_TRUE(pending.isMarked(F::edDevName));
    session.btSaveClick();
    QCoreApplication::processEvents();
    EXPECT_FALSE(pending.isMarked(F::edDevName) || pending.isMarked(F::cbOutputLog));
    ASSERT_EQ(pending.differences().size(), 1);
    EXPECT_EQ(pending.differences().first(), atRead.first());

    TrackerHome::instance().unplugAll();
    session.monitor().devtimerTimer();
    EXPECT_EQ(pending.reference(), PendingChanges::Reference::None);
    EXPECT_TRUE(markedFields(pending).isEmpty() && pending.differences().isEmpty());

    // No tracker: the file's changes against the members just before it.
    QTemporaryDir dir;
    session.profileFile().load(writeAll(dir.filePath(QStringLiteral("van.atc")),
                                        "DEVNAME=TRUCK;\r\nGSMAPN=fleet.apn;\r\nSERVERPORT="
                                            + settings.text(F::edServerPort).toLatin1() + ";\r\n"));
    QCoreApplication::processEvents();
    EXPECT_EQ(pending.reference(), PendingChanges::Reference::BeforeLoad);
    EXPECT_EQ(markedFields(pending), QList<Field>({F::edAPN, F::edDevName})) << "the same port is no change";
    EXPECT_EQ(pending.referenceText(F::edDevName), QStringLiteral("VAN7"));
    ASSERT_EQ(pending.differences().size(), 2);
    expectEveryMarkListed(pending);
}

} // namespace
