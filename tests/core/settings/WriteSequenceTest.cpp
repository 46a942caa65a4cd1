// Protects the write sequence: the commands and file lines it produces, how
// echoes and locked trackers are handled, and where its files land.
#include "SequenceRig.h"
#include "TrackerFixture.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

const QByteArrayList kFullWriteOrder = {
    "GSMPIN", "GSMAPNUSER", "GSMAPN", "GSMAPNPASS", "CHANGEPROFILEONCALL", "SERVER", "SERVERPORT", "SERVERPASS",
    "SERVEREN", "SERVERPERIOD", "SMTPSSLEN", "SMTPSERVER", "SMTPPORT", "SMTPLOGIN", "SMTPPASS", "SMTPFROM",
    "SMTPTO1", "SMTPTO2", "SMTPTO3", "SMTPTO4", "SMTPEN", "SMTPPERIOD", "TRUSTNUMBER", "SMSNUMBER1", "SMSNUMBER2",
    "SMSNUMBER3", "SMSGATE", "SMSEN", "SMSPERIOD", "DEVNAME", "DELAYOFF", "MAPFORMAT", "MAPTEMPLATE1",
    "MAPTEMPLATE2", "LBSDISABLE", "DEBUGINFO", "DATAWITHUSB", "INDOFF", "ACCLEN", "ACCLSETUPSEND", "ACCLSENSELEV",
    "FASTMOVEDETECT", "ACCLSENSETIMEOUT", "ACCLACTIVTIME", "ACCLALARMCALL", "BALANCENUM", "BALANCELEVEL", "GPSEN",
    "GPSPERIOD", "SETTIME", "SETCP", "CHANGEPROFILE",
};

QByteArray readFile(const QString &path)
{
    return readAll(path, QByteArrayLiteral("<missing>"));
}

QByteArrayList linesOf(const QByteArray &bytes)
{
    QByteArrayList lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(1); // the CR
    return lines;
}

} // namespace

TEST(WriteSequence, TrackerGetsEveryKeyInOrderAndTheCopyHoldsTheSameLines)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.reader.readSettings(false);
    rig.tracker.commands.clear();
    rig.log.clear();

    EXPECT_TRUE(rig.writer.writeSettings(false));
    EXPECT_EQ(rig.tracker.sentKeys(), kFullWriteOrder + QByteArrayList{"SAVECONFIG"});
    EXPECT_EQ(rig.log.lines(), (QList<LogLine>{{QStringLiteral("Запись параметров"), LogSuccess}}));

    const QByteArray copy = readFile(rig.exeDir.filePath(QStringLiteral("5001500.atc")));
    EXPECT_EQ(copy, rig.buffer.filled());
    QByteArrayList expected = {"NUMBER=5001500;", "VERSION=KVMT-1.44;"};
    expected += rig.tracker.commands.mid(0, kFullWriteOrder.size());
    EXPECT_EQ(linesOf(copy), expected);
    EXPECT_EQ(readFile(rig.exeDir.filePath(QStringLiteral("ATG/5001500.atg"))),
              "Korvel database 1.3\r\n1 records\r\n5001500:\tPASSWORD=secret;");
    // The list holds the server password: nobody but its owner reads it.
    EXPECT_EQ(QFile::permissions(rig.exeDir.filePath(QStringLiteral("ATG/5001500.atg")))
                  & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
}

TEST(WriteSequence, WhatWasReadIsWrittenBackUnchanged)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.settings.setChecked(F::cbAutoTimeSync, false);
    rig.reader.readSettings(false);
    const auto stored = rig.tracker.values;
    rig.writer.writeSettings(false);
    for (const QByteArray &key : kFullWriteOrder) {
        // The time is sent as shown, and ACCLEN is read with the presence
        // item the command does not carry; everything else goes back byte
        // for byte.
        if (key != "SETTIME" && key != "ACCLEN") {
            EXPECT_EQ(rig.tracker.values.value(key), stored.value(key)) << key.constData();
        }
    }
    EXPECT_EQ(rig.tracker.values.value("SETTIME"), "09:05,03.07.2015,3,1");
    EXPECT_EQ(rig.tracker.values.value("ACCLEN"), "1");
}

TEST(WriteSequence, SavedFileReadsBackIntoTheSameMembers)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.reader.readSettings(false);
    rig.writer.setSaveFileName(rig.exeDir.filePath(QStringLiteral("TRK01.atc")));
    ASSERT_TRUE(rig.writer.writeSettings(true));
    // With automatic time the file holds the clock at the moment of saving.
    rig.settings.setText(F::edTimeSync, QStringLiteral("14:07,02.03.2015"));
    const QStringList written = snapshot(rig.settings);

    SequenceRig other;
    other.identity = rig.identity;
    ASSERT_EQ(other.buffer.load(readFile(rig.exeDir.filePath(QStringLiteral("TRK01.atc")))),
              SettingsBuffer::LoadResult::Loaded);
    other.reader.readSettings(true);
    other.settings.setText(F::pSerial, rig.settings.text(F::pSerial));
    other.settings.setText(F::pVersion, rig.settings.text(F::pVersion));
    for (const F f : {F::Ubattery, F::Temper}) // never in a file
        other.settings.setText(f, rig.settings.text(f));
    EXPECT_EQ(snapshot(other.settings), written);
    EXPECT_TRUE(other.errorLines().isEmpty()) << other.errorLines().join(u'\n').toStdString();
}

class NoPinByTarget : public ::testing::TestWithParam<bool>
{
};

TEST_P(NoPinByTarget, DashesAreSentAsFourFFBytesAndShownAgain)
{
    const bool toFile = GetParam();
    SequenceRig rig;
    rig.identify(5001500, 144);
    rig.settings.setText(F::edPinCode, QStringLiteral("----"));
    rig.writer.setSaveFileName(rig.exeDir.filePath(QStringLiteral("p.atc")));
    rig.writer.writeSettings(toFile);

    const QByteArray line("GSMPIN=\xFF\xFF\xFF\xFF;");
    EXPECT_EQ(linesOf(rig.buffer.filled()).value(2), line);
    EXPECT_EQ(rig.settings.text(F::edPinCode), QStringLiteral("----"));
    EXPECT_EQ(rig.tracker.commands.value(0), toFile ? QByteArray() : line);
}

INSTANTIATE_TEST_SUITE_P(WriteSequence, NoPinByTarget, ::testing::Values(false, true));

TEST(WriteSequence, LockedTrackerChangesNothingKeepsTheCopyAndWritesNoList)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    rig.settings.setText(F::edServerPass, QStringLiteral("pw"));
    rig.settings.setText(F::edServerHour, QStringLiteral("05"));
    rig.tracker.locked = true;
    const QStringList before = snapshot(rig.settings);
    rig.writer.writeSettings(false);

    EXPECT_EQ(snapshot(rig.settings), before);
    // No line per refused key; one says none was taken, and "DEVLOCK;" to
    // SAVECONFIG is no acknowledgement: nothing stored, no password list.
    EXPECT_EQ(rig.errorLines(), (QStringList{QStringLiteral("Трекер заблокирован паролем: не записано настроек: %1")
                                                 .arg(kFullWriteOrder.size()),
                                             QStringLiteral("SAVECONFIG error")}));
    EXPECT_EQ(rig.writer.lastNotTaken().size(), kFullWriteOrder.size());
    EXPECT_FALSE(rig.writer.lastSaved());
    EXPECT_FALSE(QFile::exists(rig.exeDir.filePath(QStringLiteral("ATG/5001500.atg"))));
    EXPECT_TRUE(linesOf(readFile(rig.exeDir.filePath(QStringLiteral("5001500.atc")))).contains("SERVERPERIOD=5,0,0;"));
}

TEST(WriteSequence, SilentTrackerReportsEveryKeyAndWritesNoPasswordList)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    for (const QByteArray &key : kFullWriteOrder + QByteArrayList{"SAVECONFIG"})
        rig.tracker.silent.insert(key);
    rig.writer.writeSettings(false);

    QStringList expected;
    for (const QByteArray &key : kFullWriteOrder + QByteArrayList{"SAVECONFIG"})
        expected.append(QString::fromLatin1(key + " error"));
    EXPECT_EQ(rig.errorLines(), expected);
    EXPECT_FALSE(QFile::exists(rig.exeDir.filePath(QStringLiteral("ATG/5001500.atg"))));
    EXPECT_TRUE(QFile::exists(rig.exeDir.filePath(QStringLiteral("5001500.atc"))));
}

TEST(WriteSequence, EchoesShowWhatTheTrackerStored)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    rig.tracker.rawReplies = {{"SERVER", "SERVER=stored.example;"},
                              {"SERVERPERIOD", "SERVERPERIOD=3,7,1;"},
                              {"TRUSTNUMBER", "NO_CMD"},
                              {"SETTIME", "WRONG;"},
                              {"SETCP", "SETCP=0,0,0,0,0;"},
                              {"MAPFORMAT", "MAPFORMAT=2;"}};
    rig.settings.setChecked(F::cbCommandsWithoutParole, true);
    rig.settings.setChecked(F::cbCZ_En_Control, true);
    rig.writer.writeSettings(false);

    EXPECT_EQ(rig.settings.text(F::edServerIP), QStringLiteral("stored.example"));
    EXPECT_EQ(rig.settings.text(F::edServerHour), QStringLiteral("3"));
    EXPECT_TRUE(rig.settings.isChecked(F::rbTimeInSrv));
    EXPECT_FALSE(rig.settings.isChecked(F::cbCommandsWithoutParole));
    EXPECT_TRUE(rig.settings.isVisible(F::cbCommandsWithoutParole));
    EXPECT_TRUE(rig.settings.isChecked(F::cbCZ_En_Control)); // the zone's echo is not applied
    EXPECT_TRUE(rig.settings.isChecked(F::rbCoordinate));
    EXPECT_EQ(rig.errorLines(), QStringList{QStringLiteral("SETTIME error")});
}

TEST(WriteSequence, FileWithoutTrackerCarriesTheDashesAndNoGatedKey)
{
    SequenceRig rig;
    rig.flags = {};
    rig.writer.setSaveFileName(rig.exeDir.filePath(QStringLiteral("none.atc")));
    ASSERT_TRUE(rig.writer.writeSettings(true));
    EXPECT_TRUE(rig.tracker.commands.isEmpty());

    const QByteArrayList lines = linesOf(readFile(rig.exeDir.filePath(QStringLiteral("none.atc"))));
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "NUMBER=--------;");
    EXPECT_EQ(lines[1], "VERSION=-------;");
    QByteArrayList keys;
    for (const QByteArray &line : lines.mid(2))
        keys.append(line.left(line.indexOf('=')));
    QByteArrayList ungated = kFullWriteOrder;
    for (const char *gated : {"CHANGEPROFILEONCALL", "SMTPSSLEN", "MAPTEMPLATE1", "MAPTEMPLATE2", "LBSDISABLE",
                              "ACCLEN", "ACCLSETUPSEND", "ACCLSENSELEV", "FASTMOVEDETECT", "ACCLSENSETIMEOUT",
                              "ACCLACTIVTIME", "ACCLALARMCALL"})
        ungated.removeAll(gated);
    EXPECT_EQ(keys, ungated);
    EXPECT_TRUE(lines.contains("SETTIME=14:7,2.3.2015,3;"));

    // To the tracker nothing at all happens while none is connected.
    rig.log.clear();
    EXPECT_FALSE(rig.writer.writeSettings(false));
    EXPECT_TRUE(rig.log.lines().isEmpty());
    EXPECT_TRUE(rig.tracker.commands.isEmpty());
}

TEST(WriteSequence, SerialFromTheTrackerNeverSteersFilesOutOfTheProgramFolder)
{
    EXPECT_EQ(serialFileStem(QStringLiteral("5001500")), QStringLiteral("5001500"));
    EXPECT_EQ(serialFileStem(QStringLiteral("---------")), QStringLiteral("---------"));
    EXPECT_EQ(serialFileStem(QStringLiteral("../..\\x/y:z")), QStringLiteral("______x_y_z"));

    SequenceRig rig;
    QDir(rig.exeDir.path()).mkdir(QStringLiteral("exe"));
    const QString exe = rig.exeDir.filePath(QStringLiteral("exe"));
    rig.writer.setExeDir(exe);
    rig.settings.setText(F::pSerial, QStringLiteral("../evil"));
    rig.writer.writeSettings(false);

    EXPECT_EQ(QDir(rig.exeDir.path()).entryList(QDir::Files), QStringList());
    EXPECT_TRUE(QFile::exists(exe + QStringLiteral("/___evil.atc")));
    EXPECT_TRUE(readFile(exe + QStringLiteral("/ATG/___evil.atg")).contains("../evil:\tPASSWORD="));
}

TEST(WriteSequence, OverlongLinesAreReportedSentWholeAndLeftOutOfTheFile)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    const QString longLevel(SettingsBuffer::kCapacity, u'9');
    rig.settings.setText(F::edBalanceLevel, longLevel);
    rig.writer.writeSettings(false);

    const QByteArray command = "BALANCELEVEL=" + longLevel.toLatin1() + ';';
    EXPECT_TRUE(rig.tracker.commands.contains(command));
    EXPECT_TRUE(rig.errorLines().contains(
        QStringLiteral("Строка BALANCELEVEL не поместилась в буфер профиля и не будет записана в файл")));
    const QByteArrayList lines = linesOf(readFile(rig.writer.autoCopyPath()));
    EXPECT_EQ(lines.last(), "CHANGEPROFILE=0;"); // the lines after it still fit
    EXPECT_FALSE(lines.contains(command));

    // Saved to a profile file, the same settings make a file that lacks a
    // line: written with what fits, but not reported as saved. A later save
    // that fits again is.
    const QString path = rig.exeDir.filePath(QStringLiteral("p.atc"));
    rig.writer.setSaveFileName(path);
    EXPECT_FALSE(rig.writer.writeSettings(true));
    EXPECT_FALSE(linesOf(readFile(path)).contains(command));
    EXPECT_TRUE(linesOf(readFile(path)).contains("CHANGEPROFILE=0;"));
    rig.settings.setText(F::edBalanceLevel, QStringLiteral("50"));
    EXPECT_TRUE(rig.writer.writeSettings(true));

    // A user profile selected when the tracker was unplugged: its entry left
    // the list, and no number may stand for it in a file.
    rig.settings.setIndex(F::cbProfile, 5);
    rig.settings.truncateItems(F::cbProfile, 5);
    rig.log.clear();
    EXPECT_FALSE(rig.writer.writeSettings(true));
    EXPECT_FALSE(readFile(path).contains("CHANGEPROFILE="));
    EXPECT_EQ(rig.errorLines(),
              QStringList{QStringLiteral("Профиль не выбран: строка CHANGEPROFILE не будет записана")});

    // A ';' in a value, however it got there, would cut it: the key is
    // neither sent nor saved, and the lines after it are whole.
    rig.settings.setIndex(F::cbProfile, 0);
    rig.settings.setText(F::edSMTPPass, QStringLiteral("se;cret"));
    rig.log.clear();
    rig.tracker.commands.clear();
    rig.writer.writeSettings(false);
    EXPECT_FALSE(readFile(rig.writer.autoCopyPath()).contains("SMTPPASS="));
    EXPECT_TRUE(readFile(rig.writer.autoCopyPath()).contains("SMTPFROM="));
    for (const QByteArray &command : rig.tracker.commands)
        EXPECT_FALSE(command.startsWith("SMTPPASS")) << command.toStdString();
    EXPECT_EQ(rig.errorLines(), QStringList{QStringLiteral("Значение SMTPPASS содержит символ «;» и не будет записано")});
}

TEST(WriteSequence, StoppedSaveStoresNothingAndKeepsNoFiles)
{
    for (const qsizetype at : {qsizetype(0), qsizetype(5), qsizetype(52), qsizetype(53)}) {
        SCOPED_TRACE(at);
        SequenceRig rig;
        rig.identify(5001500, 144);
        rig.settings.setText(F::edPinCode, QStringLiteral("----"));
        if (at == 0)
            rig.stop.request();
        else
            rig.stopAtCommand(at);
        rig.writer.btSaveClick(rig.reader);
        // The exchange in progress finishes and nothing follows it, not even
        // the read back.
        EXPECT_EQ(rig.tracker.commands.size(), at);
        // Stopped during SAVECONFIG (the 53rd), the settings are stored and
        // the files record them.
        const bool stored = at == 53;
        EXPECT_EQ(rig.tracker.sentKeys().contains("SAVECONFIG"), stored);
        EXPECT_EQ(QFile::exists(rig.writer.autoCopyPath()), stored);
        EXPECT_EQ(QFile::exists(rig.writer.passwordListPath()), stored);
        // What was sent is active in the tracker but not stored: said with
        // what to do. A stored Save only lacks its check read.
        const QStringList stopped{
            stored    ? QStringLiteral("Запись остановлена после SAVECONFIG: чтение для проверки пропущено")
            : at == 0 ? QStringLiteral("Запись остановлена: не записано настроек: 52")
                      : QStringLiteral("Запись остановлена: настроек отправлено, но не сохранено: %1; не отправлено: %2. "
                                    "Нажмите «Сохранить» ещё раз или отключите трекер")
                         .arg(at)
                         .arg(52 - at)};
        EXPECT_EQ(rig.errorLines(), stopped);
        EXPECT_EQ(rig.settings.text(F::edPinCode), QStringLiteral("----")) << "the no-PIN dashes are shown again";
    }
}

TEST(WriteSequence, UnwritableProfileFileIsReported)
{
    SequenceRig rig;
    const QString path = rig.exeDir.filePath(QStringLiteral("no/such/folder/p.atc"));
    rig.writer.setSaveFileName(path);
    EXPECT_FALSE(rig.writer.writeSettings(true));
    EXPECT_EQ(rig.errorLines(), QStringList{QStringLiteral("Не удалось записать файл ") + QDir::toNativeSeparators(path)});
}

TEST(WriteSequence, SaveButtonWritesThenReadsBack)
{
    SequenceRig rig;
    rig.identify(5001500, 144);
    fillTracker(rig.tracker, 144);
    rig.settings.setText(F::edServerPort, QStringLiteral("6060"));
    rig.writer.btSaveClick(rig.reader);

    const qsizetype save = rig.tracker.sentKeys().indexOf("SAVECONFIG");
    ASSERT_GT(save, 0);
    EXPECT_EQ(rig.tracker.commands.mid(save + 1).value(0), "ACCLEN=?;");
    EXPECT_EQ(rig.tracker.commands.size(), save + 1 + 53);
    EXPECT_EQ(rig.log.lines().value(1), (LogLine{QStringLiteral("Чтение параметров"), LogSuccess}));
    EXPECT_EQ(rig.settings.text(F::edServerPort), QStringLiteral("6060"));

    rig.flags = {};
    rig.tracker.commands.clear();
    rig.writer.btSaveClick(rig.reader);
    EXPECT_TRUE(rig.tracker.commands.isEmpty());
}
