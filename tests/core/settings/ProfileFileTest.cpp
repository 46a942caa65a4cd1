// Protects the profile files: what the load and save commands ask, write and
// read, the files they refuse, and a file that carries a tracker's settings
// to the window and back unchanged.
#include "Configurator.h"
#include "profiles/EditingRules.h"
#include "settings/ProfileFile.h"

#include "ScriptedPrompts.h"
#include "SequenceRig.h"
#include "TrackerFixture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

// A file whose reading stops short of the size it claims, as a file cut
// while it is read does.
class ShortFile final : public QBuffer
{
public:
    ShortFile(const QByteArray &bytes, qint64 claimedSize)
        : m_claimed(claimedSize)
    {
        setData(bytes);
        open(QIODevice::ReadOnly);
    }
    qint64 size() const override { return m_claimed; }

private:
    qint64 m_claimed;
};

class ProfileFileTest : public ::testing::Test
{
protected:
    ProfileFileTest() { rig.settings.setChecked(F::cbAutoTimeSync, false); }

    QString path(const QString &name) const { return dir.filePath(name); }
    // Saves the window under `name` (".atc" is added) and returns the bytes.
    QByteArray save(const QString &name)
    {
        prompts.saveFileName = path(name);
        file.N5Click();
        return readAll(path(name) + QStringLiteral(".atc"));
    }
    void load(const QString &name)
    {
        prompts.openFileName = path(name);
        rig.log.clear();
        file.N4Click();
    }
    // Lines the read logged between its two notice lines.
    QStringList readErrors() const { return rig.errorLines(); }

    SequenceRig rig;
    ScriptedPrompts prompts;
    EditingRules rules{rig.settings, rig.identity, prompts};
    ProfileFile file{rig.buffer, rig.reader, rig.writer, rig.settings, rig.log, prompts};
    QTemporaryDir dir;
};

} // namespace

TEST_F(ProfileFileTest, SaveProposesTheDeviceNameAndAlwaysAppendsTheSuffix)
{
    rig.settings.setText(F::edDevName, QStringLiteral("TRK01"));
    writeAll(path(QStringLiteral("a.atc")), "kept");

    EXPECT_FALSE(save(QStringLiteral("TRK01")).isEmpty());
    EXPECT_FALSE(save(QStringLiteral("a.atc")).isEmpty());

    ASSERT_EQ(prompts.fileDialogs.size(), 2);
    EXPECT_EQ(prompts.fileDialogs[0].title, QStringLiteral("Сохранить профиль настроек"));
    EXPECT_EQ(prompts.fileDialogs[0].filter, QStringLiteral("Profile files (*.atc)|*.ATC"));
    EXPECT_EQ(prompts.fileDialogs[0].initialName, QStringLiteral("TRK01"));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("TRK01.atc"))));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("a.atc.atc"))));
    EXPECT_EQ(readAll(path(QStringLiteral("a.atc"))), QByteArray("kept"));
    EXPECT_EQ(rig.log.lines().last(), (LogLine{QStringLiteral("Профиль настроек  сохранен в файле"), LogNotice}));
}

TEST_F(ProfileFileTest, CancelledDialogsDoNothing)
{
    file.N5Click();
    file.N4Click();
    EXPECT_EQ(prompts.fileDialogs.size(), 2);
    EXPECT_TRUE(rig.log.lines().isEmpty());
    EXPECT_TRUE(dir.isValid() && QDir(dir.path()).isEmpty());
    EXPECT_TRUE(rig.tracker.commands.isEmpty());
}

TEST_F(ProfileFileTest, FileBeforeAnyTrackerIsTheWindowByteForByte)
{
    rig.flags = {};
    rig.settings.setText(F::edTimeSync, QStringLiteral("9:05,03.07.2015"));
    const QByteArray expected =
        "NUMBER=--------;\r\nVERSION=-------;\r\nGSMPIN=;\r\nGSMAPNUSER=;\r\nGSMAPN=;\r\nGSMAPNPASS=;\r\n"
        "SERVER=;\r\nSERVERPORT=;\r\nSERVERPASS=;\r\nSERVEREN=0;\r\nSERVERPERIOD=0,0,0;\r\nSMTPSERVER=;\r\n"
        "SMTPPORT=;\r\nSMTPLOGIN=;\r\nSMTPPASS=;\r\nSMTPFROM=;\r\nSMTPTO1=;\r\nSMTPTO2=;\r\nSMTPTO3=;\r\n"
        "SMTPTO4=;\r\nSMTPEN=0;\r\nSMTPPERIOD=0,0,0;\r\nTRUSTNUMBER=0;\r\nSMSNUMBER1=;\r\nSMSNUMBER2=;\r\n"
        "SMSNUMBER3=;\r\nSMSGATE=;\r\nSMSEN=0,0;\r\nSMSPERIOD=0,0,0;\r\nDEVNAME=;\r\nDELAYOFF=0;\r\n"
        "MAPFORMAT=0;\r\nDEBUGINFO=0;\r\nDATAWITHUSB=0;\r\nINDOFF=0;\r\nBALANCENUM=,0,0;\r\nBALANCELEVEL=0;\r\n"
        "GPSEN=0;\r\nGPSPERIOD=0,0;\r\nSETTIME=9:05,03.07.2015,0;\r\nSETCP=0,0,0,0,0;\r\nCHANGEPROFILE=0;\r\n";
    const QByteArray first = save(QStringLiteral("one"));
    EXPECT_EQ(first, expected);
    EXPECT_EQ(save(QStringLiteral("two")), first);
    EXPECT_TRUE(rig.tracker.commands.isEmpty());
}

TEST_F(ProfileFileTest, NoPinIsStoredAsItsFourBytesAndShownAgainAfterwards)
{
    rig.settings.setText(F::edPinCode, QStringLiteral("----"));
    EXPECT_TRUE(save(QStringLiteral("pin")).contains("\r\nGSMPIN=\xFF\xFF\xFF\xFF;\r\n"));
    EXPECT_EQ(rig.settings.text(F::edPinCode), QStringLiteral("----"));
    rig.settings.setText(F::edPinCode, QStringLiteral("1234"));
    load(QStringLiteral("pin.atc"));
    EXPECT_EQ(rig.settings.text(F::edPinCode), QStringLiteral("----"));
}

TEST_F(ProfileFileTest, SaveThatCannotLandIsNotReportedAsSaved)
{
    prompts.saveFileName = path(QStringLiteral("no-such-folder/profile"));
    file.N5Click();
    EXPECT_FALSE(rig.errorLines().isEmpty());
    for (const LogLine &line : rig.log.lines())
        EXPECT_NE(line.text, QStringLiteral("Профиль настроек  сохранен в файле"));
}

TEST_F(ProfileFileTest, SaveReplacesAnExistingFileWhole)
{
    writeAll(path(QStringLiteral("p.atc")), QByteArray(2900, 'x'));
    const QByteArray saved = save(QStringLiteral("p"));
    EXPECT_TRUE(saved.startsWith("NUMBER="));
    EXPECT_EQ(saved.size(), rig.buffer.fillLength());
    // Written through a temporary file: no stray copy stays beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("p.atc")});
}

TEST_F(ProfileFileTest, LoadAsksWithItsOwnTitleAndReadsBetweenTwoNotices)
{
    fillTracker(rig.tracker, 144);
    rig.identify(5001500, 144);
    rig.reader.readSettings(false);
    save(QStringLiteral("full"));
    rig.settings.setText(F::edServerIP, QStringLiteral("elsewhere"));

    load(QStringLiteral("full.atc"));
    ASSERT_EQ(prompts.fileDialogs.size(), 2);
    EXPECT_EQ(prompts.fileDialogs[1].title, QStringLiteral("Открыть файлы настроек"));
    EXPECT_EQ(prompts.fileDialogs[1].filter, QStringLiteral("Text files (*.atc)|*.ATC"));
    EXPECT_EQ(prompts.fileDialogs[1].initialName, QStringLiteral("*.atc"));
    EXPECT_EQ(rig.settings.text(F::edServerIP), QStringLiteral("srv.example.net"));
    EXPECT_EQ(rig.buffer.loadedLength(), QFileInfo(path(QStringLiteral("full.atc"))).size());
    EXPECT_EQ(rig.log.lines().first(), (LogLine{QStringLiteral("Чтение настроек из файла"), LogNotice}));
    EXPECT_EQ(rig.log.lines().last(), (LogLine{QStringLiteral("Настройки из файла считаны"), LogNotice}));
    EXPECT_EQ(readErrors(), QStringList());
}

TEST_F(ProfileFileTest, MissingFileIsToldInAMessageBoxAndChangesNothing)
{
    const QStringList before = snapshot(rig.settings);
    load(QStringLiteral("absent.atc"));
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0].text, QStringLiteral("Файл не существует"));
    EXPECT_TRUE(rig.log.lines().isEmpty());
    EXPECT_EQ(snapshot(rig.settings), before);
}

TEST_F(ProfileFileTest, EmptyFileIsLoggedAndChangesNothing)
{
    writeAll(path(QStringLiteral("empty.atc")), {});
    rig.buffer.load("GSMPIN=1111;\r\n");
    const QStringList before = snapshot(rig.settings);
    load(QStringLiteral("empty.atc"));
    EXPECT_EQ(rig.log.lines(), QList<LogLine>{(LogLine{QStringLiteral("Файл пустой"), LogError})});
    EXPECT_EQ(rig.buffer.loadedLength(), 14);
    EXPECT_EQ(snapshot(rig.settings), before);
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(ProfileFileTest, FileLargerThanTheBufferIsRefusedUnread)
{
    rig.buffer.load("GSMPIN=1111;\r\n");
    const QByteArray entry = "GSMAPN=internet;\r\n";
    QByteArray big;
    while (big.size() + entry.size() <= SettingsBuffer::kCapacity)
        big += entry;
    big += QByteArray(SettingsBuffer::kCapacity + 1 - big.size(), ' ');
    writeAll(path(QStringLiteral("big.atc")), big);
    const QStringList before = snapshot(rig.settings);

    load(QStringLiteral("big.atc"));
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].text.contains(QStringLiteral("3000")));
    EXPECT_TRUE(rig.log.lines().isEmpty());
    EXPECT_EQ(rig.buffer.loadedLength(), 14);
    EXPECT_EQ(snapshot(rig.settings), before);
}

TEST_F(ProfileFileTest, FileOfExactlyTheBufferSizeLoads)
{
    QByteArray exact = "GSMAPN=full;\r\n";
    exact += QByteArray(SettingsBuffer::kCapacity - exact.size(), '#');
    writeAll(path(QStringLiteral("exact.atc")), exact);
    load(QStringLiteral("exact.atc"));
    EXPECT_TRUE(prompts.errors.isEmpty());
    EXPECT_EQ(rig.buffer.loadedLength(), SettingsBuffer::kCapacity);
    EXPECT_EQ(rig.settings.text(F::edAPN), QStringLiteral("full"));
}

TEST_F(ProfileFileTest, FileThatCannotBeOpenedIsToldAndNotRead)
{
    // A folder exists but opens as no file, whoever runs the test.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.atc")));
    rig.buffer.load("GSMAPN=stale;\r\n");
    load(QStringLiteral("folder.atc"));
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].text.contains(QStringLiteral("folder.atc")));
    EXPECT_TRUE(rig.log.lines().isEmpty());
    EXPECT_NE(rig.settings.text(F::edAPN), QStringLiteral("stale"));
}

TEST_F(ProfileFileTest, ShortReadReportsEveryKeyMissing)
{
    const QByteArray bytes = "GSMPIN=1234;\r\nGSMAPN=internet;\r\n";
    ShortFile cut(bytes.left(10), bytes.size());
    EXPECT_EQ(file.loadFrom(cut), ProfileFile::LoadOutcome::ShortRead);
    EXPECT_EQ(rig.buffer.loadedLength(), 0);
    EXPECT_TRUE(readErrors().contains(QStringLiteral("GSMPIN error")));
    EXPECT_TRUE(readErrors().contains(QStringLiteral("GSMAPN error")));
    EXPECT_NE(rig.settings.text(F::edPinCode), QStringLiteral("1234"));
    EXPECT_EQ(rig.log.lines().first().text, QStringLiteral("Чтение настроек из файла"));
    EXPECT_EQ(rig.log.lines().last().text, QStringLiteral("Настройки из файла считаны"));
}

TEST_F(ProfileFileTest, LineFeedOnlyFileFailsEveryLookup)
{
    fillTracker(rig.tracker, 144);
    rig.identify(5001500, 144);
    rig.reader.readSettings(false);
    QByteArray bytes = save(QStringLiteral("crlf"));
    bytes.replace("\r\n", "\n");
    writeAll(path(QStringLiteral("lf.atc")), bytes);
    const QString apn = rig.settings.text(F::edAPN);

    load(QStringLiteral("lf.atc"));
    // Every key the read looks up from a file, each with its own line.
    EXPECT_EQ(readErrors().size(), 51);
    for (const char *key : {"GSMPIN", "GSMAPN", "SERVER", "SMSPERIOD", "CHANGEPROFILE", "SETTIME"})
        EXPECT_TRUE(readErrors().contains(QString::fromLatin1(key) + QStringLiteral(" error"))) << key;
    EXPECT_EQ(rig.settings.text(F::edAPN), apn);
}

TEST_F(ProfileFileTest, FirstEntryOfAKeyWins)
{
    writeAll(path(QStringLiteral("twice.atc")), "GSMPIN=1111;\r\nGSMAPN=first;\r\nGSMPIN=2222;\r\n");
    load(QStringLiteral("twice.atc"));
    EXPECT_EQ(rig.settings.text(F::edPinCode), QStringLiteral("1111"));
    EXPECT_EQ(rig.settings.text(F::edAPN), QStringLiteral("first"));
}

namespace {

// Members a profile file never carries: the status line, the battery and
// temperature (never read from a file), the password switch (read with the
// protection state) and the clock switch (a choice of this computer).
bool hasNoKey(Field f)
{
    switch (f) {
    case F::pSerial:
    case F::pVersion:
    case F::Ubattery:
    case F::Temper:
    case F::cbPINCode:
    case F::cbAutoTimeSync:
        return true;
    default:
        return false;
    }
}

QString valueOf(const DeviceSettings &s, Field f)
{
    switch (DeviceSettings::info(f).kind) {
    case FieldKind::Text:
        return s.text(f);
    case FieldKind::Flag:
    case FieldKind::Radio:
        return s.isChecked(f) ? QStringLiteral("set") : QStringLiteral("clear");
    case FieldKind::Choice:
        return QString::number(s.index(f));
    case FieldKind::Control:
        break;
    }
    return {};
}

class ProfileRoundTripTest : public TrackerTest
{
};

} // namespace

TEST_F(ProfileRoundTripTest, FileSavedFromAVirtualTrackerReproducesEveryKeyedMember)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"))
              + QStringLiteral("\n[settings]\nGSMPIN=4321\nSMTPTO3=third@korvel-mt.ru\nSMSPERIOD=5,3,1\n"
                               "SERVERPERIOD=7,5,0\nMAPFORMAT=1\nACCLACTIVTIME=6,5,22,0\nSETCP=1,-33123456,151200000,750,9\n"));
    QTemporaryDir folder;
    RecordingEventLog logA;
    ScriptedPrompts promptsA;
    Configurator source(logA, promptsA, {QStringLiteral(KVMT_TEST_BIN_DIR)});
    source.setExeDir(folder.path());
    source.monitor().devtimerTimer();
    ASSERT_TRUE(source.isConnected());
    // The file is to carry the tracker's clock as read, not this computer's.
    source.settings().setChecked(F::cbAutoTimeSync, false);
    promptsA.saveFileName = folder.filePath(QStringLiteral("tracker"));
    source.N5Click();

    RecordingEventLog logB;
    ScriptedPrompts promptsB;
    Configurator target(logB, promptsB, {});
    target.identity() = source.identity();
    promptsB.openFileName = folder.filePath(QStringLiteral("tracker.atc"));
    target.N4Click();
    EXPECT_EQ(errorLines(logB), QStringList());

    int compared = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field f = Field(i);
        if (DeviceSettings::info(f).kind == FieldKind::Control || hasNoKey(f))
            continue;
        ++compared;
        EXPECT_EQ(valueOf(target.settings(), f), valueOf(source.settings(), f)) << DeviceSettings::name(f).toStdString();
    }
    EXPECT_GT(compared, 80);
    // Read back as a read shows them: two-digit clocks, the reading format.
    EXPECT_EQ(target.settings().text(F::edSMSHour), QStringLiteral("05"));
    EXPECT_EQ(target.settings().text(F::edSMSMin), QStringLiteral("03"));
    EXPECT_EQ(target.settings().text(F::edTimeSync).size(), 16);
    EXPECT_TRUE(target.settings().isChecked(F::rbYandex));
}
