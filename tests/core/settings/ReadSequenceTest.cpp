// Protects the read sequence: which keys are asked in which order for which
// tracker, the lines it logs, and that a file is read like a tracker.
#include "SequenceRig.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

const QByteArrayList kFullReadOrder = {
    "ACCLEN", "GSMPIN", "GSMAPN", "GSMAPNPASS", "GSMAPNUSER", "CHANGEPROFILEONCALL", "SERVER", "SERVERPORT",
    "SERVERPASS", "SERVEREN", "SERVERPERIOD", "SMTPSSLEN", "SMTPSERVER", "SMTPPORT", "SMTPLOGIN", "SMTPPASS",
    "SMTPFROM", "SMTPTO1", "SMTPTO2", "SMTPTO3", "SMTPTO4", "SMTPEN", "SMTPPERIOD", "TRUSTNUMBER", "SMSNUMBER1",
    "SMSNUMBER2", "SMSNUMBER3", "SMSGATE", "SMSEN", "SMSPERIOD", "DEVNAME", "DELAYOFF", "MAPFORMAT",
    "MAPTEMPLATE1", "MAPTEMPLATE2", "LBSDISABLE", "INDOFF", "DEBUGINFO", "DATAWITHUSB", "BALANCENUM",
    "BALANCELEVEL", "ACCLSENSELEV", "FASTMOVEDETECT", "ACCLSETUPSEND", "ACCLSENSETIMEOUT", "ACCLACTIVTIME",
    "ACCLALARMCALL", "CHANGEPROFILE", "GPSEN", "GPSPERIOD", "ADCINFO", "SETCP", "SETTIME",
};

} // namespace

TEST(ReadSequence, FullTrackerIsAskedEveryKeyInOrderAndFillsTheMembers)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.reader.readSettings(false);

    EXPECT_EQ(rig.tracker.sentKeys(), kFullReadOrder);
    for (const QByteArray &command : rig.tracker.commands)
        EXPECT_TRUE(command.endsWith("=?;")) << command.constData();
    EXPECT_TRUE(rig.log.lines().isEmpty());

    const DeviceSettings &s = rig.settings;
    EXPECT_EQ(s.text(F::edServerIP), QStringLiteral("srv.example.net"));
    EXPECT_EQ(s.text(F::edServerMin), QStringLiteral("30"));
    EXPECT_TRUE(s.isChecked(F::rbTimeInSrv));
    EXPECT_EQ(s.index(F::cbProfile_Call), 3);
    EXPECT_EQ(s.index(F::cbProfile), 2);
    EXPECT_EQ(s.index(F::cbAcclSense), 3);
    EXPECT_TRUE(s.isChecked(F::rbYandex));
    EXPECT_TRUE(s.isEnabled(F::edMapFormat_2));
    EXPECT_FALSE(s.isEnabled(F::edMapFormat_1));
    EXPECT_TRUE(s.isVisible(F::cbSSL));
    EXPECT_EQ(s.text(F::Ubattery), QStringLiteral("4.15 V"));
    EXPECT_EQ(s.text(F::edTimeSync), QStringLiteral("09:05,03.07.2015"));
    EXPECT_TRUE(s.isChecked(F::cbAutoSummerTime));
    EXPECT_EQ(s.items(F::cbProfile).mid(5), (QStringList{QStringLiteral("Пользовательский 1 (USR1)"),
                                                         QStringLiteral("Пользовательский 2 (USR2)")}));
}

TEST(ReadSequence, OldFirmwareWithoutAccelerometerSupportHidesWhatItLacks)
{
    SequenceRig rig;
    rig.identify(5001499, 131, 1);
    fillTracker(rig.tracker, 131);
    rig.tracker.unknown = {"ACCLEN", "TRUSTNUMBER", "DATAWITHUSB", "ADCINFO"};
    rig.settings.setText(F::Ubattery, QStringLiteral("4.00 V"));
    rig.reader.readSettings(false);

    EXPECT_EQ(rig.errorLines(), QStringList{QStringLiteral("Прошивка не поддерживает акселерометр")});
    EXPECT_EQ(rig.identity.accelerometerPresent, 0);
    EXPECT_FALSE(rig.settings.isVisible(F::TabSheet5));
    EXPECT_FALSE(rig.settings.isVisible(F::cbCommandsWithoutParole));
    EXPECT_FALSE(rig.settings.isVisible(F::cbSendDataUSB));
    EXPECT_EQ(rig.settings.text(F::Ubattery), QStringLiteral("---"));
    EXPECT_EQ(rig.settings.text(F::Temper), QStringLiteral("---"));
    EXPECT_FALSE(rig.settings.isVisible(F::cbSSL)); // below the serial threshold it is left alone
    for (const QByteArray &key : rig.tracker.sentKeys()) {
        EXPECT_FALSE(key.startsWith("ACCL") && key != "ACCLEN") << key.constData();
        EXPECT_NE(key, "SMTPSSLEN");
        EXPECT_NE(key, "MAPTEMPLATE1");
    }
}

TEST(ReadSequence, SilentTrackerLogsOneErrorLinePerKeyExceptAccelerometer)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    for (const QByteArray &key : kFullReadOrder)
        rig.tracker.silent.insert(key);
    const QStringList before = snapshot(rig.settings);
    rig.reader.readSettings(false);

    QStringList expected;
    for (const QByteArray &key : kFullReadOrder.mid(1))
        expected.append(QString::fromLatin1(key + " error"));
    EXPECT_EQ(rig.errorLines(), expected);
    EXPECT_EQ(rig.log.lines().size(), expected.size());
    // Only what the sequence does whatever the answers: cbSSL shown, the
    // profile names of the firmware.
    QStringList after = snapshot(rig.settings);
    EXPECT_NE(after, before);
    rig.settings.setVisible(F::cbSSL, false);
    EXPECT_EQ(snapshot(rig.settings), before);
}

TEST(ReadSequence, StopEndsAfterTheExchangeInProgressAndNamesWhatWasNotRead)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.tracker.values["GSMAPN"] = "stopped.apn";
    rig.stopAtCommand(3);
    rig.reader.readSettings(false);
    // The third exchange (GSMAPN) completes and is applied; nothing follows.
    EXPECT_EQ(rig.tracker.commands.size(), 3);
    EXPECT_EQ(rig.settings.text(F::edAPN), QStringLiteral("stopped.apn"));
    const int left = int(kFullReadOrder.size()) - 3;
    EXPECT_EQ(rig.errorLines(), QStringList{QStringLiteral("Чтение остановлено: не считано настроек: %1").arg(left)});
    EXPECT_EQ(rig.reader.lastUnanswered(), left) << "a stopped read is no complete one";
    // A file read does not exchange anything: a stop does not cut it.
    rig.log.clear();
    rig.buffer.load("GSMAPN=from.file;\r\n");
    rig.reader.readSettings(true);
    EXPECT_EQ(rig.settings.text(F::edAPN), QStringLiteral("from.file"));
}

TEST(ReadSequence, ProfileListFollowsTheFirmwareOfEachTracker)
{
    SequenceRig rig;
    rig.identify(5001500, 143);
    fillTracker(rig.tracker, 143);
    rig.reader.readSettings(false);
    EXPECT_EQ(rig.settings.items(F::cbProfile).size(), 6);
    EXPECT_EQ(rig.settings.items(F::cbProfile).last(), QStringLiteral("Пользовательский (USR)"));

    rig.settings.truncateItems(F::cbProfile, 5); // unplugged
    rig.identify(5001500, 144);
    rig.reader.readSettings(false);
    EXPECT_EQ(rig.settings.items(F::cbProfile).size(), 7);
    EXPECT_EQ(rig.settings.items(F::cbProfile)[5], QStringLiteral("Пользовательский 1 (USR1)"));
}

TEST(ReadSequence, ClickRulesRunAfterTheirKeysEvenWhenNothingChanged)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.reader.readSettings(false);

    QMap<QString, int> runs;
    for (const F f : {F::cbAcclEn, F::cbChangeProfile, F::cbSMSGateEn, F::cbCZ_En_Control})
        rig.settings.setRule(f, [&runs, f] { ++runs[DeviceSettings::name(f)]; });
    rig.reader.readSettings(false); // the same answers again: no member changes
    EXPECT_EQ(runs, (QMap<QString, int>{{QStringLiteral("cbAcclEn"), 1},
                                        {QStringLiteral("cbChangeProfile"), 1},
                                        {QStringLiteral("cbSMSGateEn"), 1},
                                        {QStringLiteral("cbCZ_En_Control"), 1}}));
}

TEST(ReadSequence, FileBeforeAnyTrackerSkipsEveryGatedKey)
{
    SequenceRig rig;
    fillTracker(rig.tracker, 144);
    QByteArray file;
    for (const QByteArray &key : kFullReadOrder)
        file += key + '=' + rig.tracker.values.value(key) + ";\r\n";
    ASSERT_EQ(rig.buffer.load(file), SettingsBuffer::LoadResult::Loaded);
    rig.reader.readSettings(true);

    EXPECT_TRUE(rig.tracker.commands.isEmpty());
    EXPECT_EQ(rig.errorLines(), QStringList{QStringLiteral("SETTIME error")}); // seven numbers, firmware 0
    EXPECT_EQ(rig.settings.text(F::edMapFormat_1), QStringLiteral("Google Maps"));
    EXPECT_EQ(rig.settings.index(F::cbProfile_Call), 0);
    EXPECT_EQ(rig.settings.index(F::cbAcclSense), 0);
    EXPECT_TRUE(rig.settings.isChecked(F::cbAcclEn));
    EXPECT_EQ(rig.identity.accelerometerPresent, 0);
    EXPECT_EQ(rig.settings.text(F::Ubattery), QStringLiteral("---"));
    EXPECT_EQ(rig.settings.items(F::cbProfile).size(), 6);
    EXPECT_EQ(rig.settings.text(F::edAPN), QStringLiteral("internet"));
}

TEST(ReadSequence, FileKeyMissingForTheLastTrackersFirmwareIsReported)
{
    SequenceRig rig;
    rig.identify(5001499, 132, 0);
    ASSERT_EQ(rig.buffer.load("GSMPIN=1111;\r\nMAPTEMPLATE2=t2;\r\nGSMPIN=2222;\r\n"),
              SettingsBuffer::LoadResult::Loaded);
    rig.reader.readSettings(true);
    EXPECT_EQ(rig.settings.text(F::edPinCode), QStringLiteral("1111"));
    EXPECT_EQ(rig.settings.text(F::edMapFormat_1), QStringLiteral("Google Maps"));
    EXPECT_EQ(rig.settings.text(F::edMapFormat_2), QStringLiteral("t2"));
    EXPECT_TRUE(rig.errorLines().contains(QStringLiteral("MAPTEMPLATE1 error")));
    EXPECT_FALSE(rig.errorLines().contains(QStringLiteral("MAPTEMPLATE2 error")));
    EXPECT_FALSE(rig.errorLines().contains(QStringLiteral("ADCINFO error"))); // never from a file
}
