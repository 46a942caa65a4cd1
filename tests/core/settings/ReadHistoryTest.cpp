// Protects the backups of tracker reads: a complete read leaves a copy that
// loads like any profile file, an incomplete or refused read leaves none,
// old copies are pruned without touching anyone else's files, and the
// tracker's serial cannot steer a copy out of its folder.
#include "Configurator.h"
#include "settings/ReadHistory.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

QStringList names(const QStringList &paths)
{
    QStringList result;
    for (const QString &path : paths)
        result.append(QFileInfo(path).fileName());
    return result;
}

// Ticks one second per copy, from a fixed moment.
ReadHistory::Clock ticking(QDateTime start, int stepSeconds = 1)
{
    return [now = start.addSecs(-stepSeconds), stepSeconds]() mutable {
        now = now.addSecs(stepSeconds);
        return now;
    };
}

const QDateTime kMorning(QDate(2026, 12, 9), QTime(7, 30, 0));

class ReadHistoryTest : public TrackerTest
{
protected:
    // A window's worth of program, its folder in a scratch directory.
    void connect(const QString &scenarioText)
    {
        home.plug(scenarioText);
        configurator.setExeDir(folder.path());
        configurator.history().setClock(ticking(kMorning));
        configurator.monitor().devtimerTimer();
        ASSERT_TRUE(configurator.isConnected());
    }

    QStringList copies(const QString &serial = QStringLiteral("5001500")) const
    {
        return ReadHistory::copies(folder.path(), serial);
    }

    QTemporaryDir folder;
    RecordingEventLog log;
    ScriptedPrompts prompts;
    Configurator configurator{log, prompts, {QStringLiteral(KVMT_TEST_BIN_DIR)}};
};

} // namespace

TEST_F(ReadHistoryTest, CompleteReadLeavesADatedCopyThatIsTheSavedProfile)
{
    connect(scenario() + QStringLiteral("\n[settings]\nGSMAPN=internet.before\nSMTPTO3=third@korvel-mt.ru\n"));
    ASSERT_EQ(names(copies()), QStringList{QStringLiteral("5001500_2026-12-09_07-30-00.atc")});
    EXPECT_EQ(QFileInfo(copies().first()).absolutePath(), QDir(folder.filePath(QStringLiteral("history/5001500"))).absolutePath());

    // Byte for byte what the save command writes from the same window, but
    // for the clock, which follows the computer's minute.
    const auto withoutClock = [](QByteArray bytes) {
        const qsizetype at = bytes.indexOf("SETTIME=");
        return at < 0 ? bytes : bytes.remove(at, bytes.indexOf("\r\n", at) - at);
    };
    const QByteArray copy = readAll(copies().first());
    prompts.saveFileName = folder.filePath(QStringLiteral("saved"));
    configurator.N5Click();
    EXPECT_EQ(withoutClock(copy), withoutClock(readAll(folder.filePath(QStringLiteral("saved.atc")))));
    EXPECT_TRUE(copy.contains("SETTIME="));
    EXPECT_TRUE(copy.contains("GSMAPN=internet.before;\r\n"));

    // Nothing about the copy in the log: it is a by-product of the read.
    for (const LogLine &line : log.lines())
        EXPECT_FALSE(line.text.contains(QStringLiteral("history"))) << line.text.toStdString();
}

TEST_F(ReadHistoryTest, PasswordBearingFilesTheProgramKeepsAreTheOwnersOnly)
{
    // Owner, group and others; Qt's "user" bits repeat whichever applies to us.
    const auto mode = [](const QString &path) { return int(QFile::permissions(path)) & 0xF0FF; };
    constexpr int kOwnerFile = 0x6000;   // rw-------
    constexpr int kOwnerFolder = 0x7000; // rwx------
    // An automatic copy left world-readable by an earlier version.
    const QString autoCopy = folder.filePath(QStringLiteral("5001500.atc"));
    QFile old(autoCopy);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.close();
    ASSERT_TRUE(QFile::setPermissions(autoCopy, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther
                                                    | QFileDevice::ReadGroup));
    connect(scenario());
    configurator.btSaveClick();

    ASSERT_EQ(copies().size(), 2);
    EXPECT_EQ(mode(autoCopy), kOwnerFile) << "tightened when rewritten";
    EXPECT_EQ(mode(copies().first()), kOwnerFile);
    EXPECT_EQ(mode(folder.filePath(QStringLiteral("history"))), kOwnerFolder);
    EXPECT_EQ(mode(folder.filePath(QStringLiteral("history/5001500"))), kOwnerFolder);
    EXPECT_EQ(mode(folder.filePath(QStringLiteral("ATG"))), kOwnerFolder);

    // A profile the user saves is the user's to share: no mode forced on it.
    prompts.saveFileName = folder.filePath(QStringLiteral("shared"));
    configurator.N5Click();
    QFile plain(folder.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(mode(folder.filePath(QStringLiteral("shared.atc"))), mode(plain.fileName()));
}

TEST_F(ReadHistoryTest, CopyFromBeforeAWriteRestoresWhatTheTrackerHeld)
{
    connect(scenario() + QStringLiteral("\n[settings]\nGSMAPN=internet.before\n"));
    configurator.settings().setText(F::edAPN, QStringLiteral("internet.after"));
    configurator.btSaveClick();
    // One copy from the connection's read, one from the read after the write.
    const QStringList kept = copies();
    ASSERT_EQ(kept.size(), 2);
    EXPECT_TRUE(readAll(kept.at(0)).contains("GSMAPN=internet.before;"));
    EXPECT_TRUE(readAll(kept.at(1)).contains("GSMAPN=internet.after;"));

    // Undo: load the earlier copy and write it.
    prompts.openFileName = kept.at(0);
    configurator.N4Click();
    EXPECT_EQ(configurator.settings().text(F::edAPN), QStringLiteral("internet.before"));
    configurator.btSaveClick();
    EXPECT_TRUE(home.commands(QStringLiteral("5001500")).contains(QStringLiteral("GSMAPN=internet.before;")));
    EXPECT_TRUE(readAll(copies().last()).contains("GSMAPN=internet.before;"));
}

TEST_F(ReadHistoryTest, ReadWithAnUnansweredKeyIsNoBackup)
{
    connect(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("silent=SMTPTO3")}));
    EXPECT_EQ(copies(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("history/5001500"))));
}

TEST_F(ReadHistoryTest, LockedTrackerAnsweringDevlockIsNoBackup)
{
    // No password given: the tracker stays locked and every reply of the
    // read after the write is "DEVLOCK;".
    connect(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    prompts.answerYes = true; // nothing read: Save asks first
    configurator.btSaveClick();
    EXPECT_TRUE(home.commands(QStringLiteral("5001500")).contains(QStringLiteral("GSMAPN=?;")));
    EXPECT_EQ(copies(), QStringList());
    // The refusals are no red lines of their own: one line at the end says
    // the values shown are not the tracker's.
    QStringList locked;
    for (const LogLine &line : log.lines())
        if (line.kind == LogError && line.text.startsWith(QStringLiteral("Трекер заблокирован")))
            locked.append(line.text);
    EXPECT_EQ(locked, (QStringList{QStringLiteral("Трекер заблокирован паролем: не записано настроек: 45"),
                                   QStringLiteral("Трекер заблокирован паролем: не считано настроек: 46")}));
}

TEST_F(ReadHistoryTest, ReadsFromAProfileFileAreNotBackedUp)
{
    QFile file(folder.filePath(QStringLiteral("some.atc")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("GSMAPN=from.file;\r\n");
    file.close();
    configurator.setExeDir(folder.path());
    prompts.openFileName = file.fileName();
    configurator.N4Click();
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(QStringLiteral("history"))));
}

namespace {

// The copies themselves, without a tracker: the model is filled by hand.
class HistoryFilesTest : public ::testing::Test
{
protected:
    QTemporaryDir folder;
    RecordingEventLog log;
    ScriptedPrompts prompts;
    Configurator configurator{log, prompts, {}};
    DeviceSettings &settings = configurator.settings();
};

} // namespace

TEST_F(HistoryFilesTest, OldCopiesArePrunedAndForeignFilesKept)
{
    settings.setText(F::pSerial, QStringLiteral("5001777"));
    ReadHistory history(configurator.link(), configurator.keyTable(), settings, log, 3);
    history.setClock(ticking(kMorning, 60));
    const QString dir = ReadHistory::folder(folder.path(), QStringLiteral("5001777"));
    ASSERT_TRUE(QDir().mkpath(dir));
    for (const char *foreign : {"notes.txt", "5001777_before-firmware-update.atc", "5001777_2020-01-01_00-00-00.atc.bak"}) {
        QFile file(QDir(dir).filePath(QString::fromLatin1(foreign)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    for (int i = 0; i < 5; ++i)
        ASSERT_FALSE(history.keep(folder.path()).isEmpty());

    EXPECT_EQ(names(ReadHistory::copies(folder.path(), QStringLiteral("5001777"))),
              (QStringList{QStringLiteral("5001777_2026-12-09_07-32-00.atc"), QStringLiteral("5001777_2026-12-09_07-33-00.atc"),
                           QStringLiteral("5001777_2026-12-09_07-34-00.atc")}));
    for (const char *foreign : {"notes.txt", "5001777_before-firmware-update.atc", "5001777_2020-01-01_00-00-00.atc.bak"})
        EXPECT_TRUE(QFileInfo::exists(QDir(dir).filePath(QString::fromLatin1(foreign)))) << foreign;
}

TEST_F(HistoryFilesTest, ReadsWithinOneSecondKeepEveryCopyInOrder)
{
    settings.setText(F::pSerial, QStringLiteral("5001500"));
    ReadHistory history(configurator.link(), configurator.keyTable(), settings, log, 12);
    history.setClock([] { return kMorning; });
    QStringList written;
    for (int i = 0; i < 11; ++i) {
        settings.setText(F::edAPN, QStringLiteral("apn%1").arg(i));
        written.append(history.keep(folder.path()));
    }
    const QStringList kept = ReadHistory::copies(folder.path(), QStringLiteral("5001500"));
    ASSERT_EQ(kept, written);
    EXPECT_EQ(QFileInfo(kept.at(0)).fileName(), QStringLiteral("5001500_2026-12-09_07-30-00.atc"));
    EXPECT_EQ(QFileInfo(kept.at(1)).fileName(), QStringLiteral("5001500_2026-12-09_07-30-00_002.atc"));
    EXPECT_TRUE(readAll(kept.last()).contains("GSMAPN=apn10;"));
}

TEST_F(HistoryFilesTest, SerialCannotLeadOutOfTheHistoryFolder)
{
    for (const QString &serial : {QStringLiteral("../../escape"), QStringLiteral("/etc/x"), QStringLiteral("..")}) {
        settings.setText(F::pSerial, serial);
        ReadHistory history(configurator.link(), configurator.keyTable(), settings, log);
        const QString path = history.keep(folder.path());
        ASSERT_FALSE(path.isEmpty()) << serial.toStdString();
        const QString inside = QDir(folder.filePath(QStringLiteral("history"))).canonicalPath() + QLatin1Char('/');
        EXPECT_TRUE(QFileInfo(path).canonicalFilePath().startsWith(inside)) << path.toStdString();
    }
}

TEST_F(HistoryFilesTest, FolderThatCannotBeMadeIsAnErrorNotACopy)
{
    settings.setText(F::pSerial, QStringLiteral("5001500"));
    // A plain file where the history folder belongs.
    QFile blocker(folder.filePath(QStringLiteral("history")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ReadHistory history(configurator.link(), configurator.keyTable(), settings, log);
    EXPECT_TRUE(history.keep(folder.path()).isEmpty());
    ASSERT_FALSE(log.lines().isEmpty());
    EXPECT_EQ(log.lines().last().kind, LogError);
    EXPECT_TRUE(history.keep(QString()).isEmpty());
}
