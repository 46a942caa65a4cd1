// Protects the connection monitor: detection, identification, firmware
// gates and the reset on loss, against virtual trackers.
#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include "Configurator.h"
#include "device/ConnectionMonitor.h"
#include "log/EventLog.h"
#include "settings/DeviceSettings.h"
#include "settings/ReadHistory.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class MonitorTest : public TrackerTest
{
protected:
    void SetUp() override
    {
        TrackerTest::SetUp();
        monitor.setHooks({[this] { steps.append(QStringLiteral("read")); },
                          [this] { steps.append(QStringLiteral("summary")); },
                          [this] { steps.append(QStringLiteral("layout")); },
                          [this] { steps.append(QStringLiteral("stop-log")); },
                          {}});
    }

    bool logged(const QString &text, int kind) const { return log.lines().contains(LogLine{text, kind}); }

    DeviceSettings settings;
    RecordingEventLog log;
    ScriptedPrompts prompts;
    TrackerIdentity identity;
    LinkFlags flags;
    ConnectionMonitor monitor{link, settings, log, prompts, identity, flags};
    QStringList steps;
};

} // namespace

TEST_F(MonitorTest, NewConnectionIdentifiesReadsAndEnablesTheWindow)
{
    home.plug(scenario(QStringLiteral("5001600"), QStringLiteral("KVMT-1.44")));
    monitor.devtimerTimer();

    EXPECT_TRUE(flags.testFlag(LinkFlag::Present));
    EXPECT_TRUE(flags.testFlag(LinkFlag::Connected));
    EXPECT_EQ(settings.text(F::pSerial), QStringLiteral("5001600"));
    EXPECT_EQ(settings.text(F::pVersion), QStringLiteral("KVMT-1.44"));
    EXPECT_EQ(identity.serialNumber, 5001600);
    EXPECT_EQ(identity.firmwareVersion, 144u);
    ASSERT_FALSE(log.lines().isEmpty());
    EXPECT_EQ(log.lines().first(), (LogLine{QStringLiteral("Чтение параметров"), LogSuccess}));
    EXPECT_EQ(steps, (QStringList{QStringLiteral("read"), QStringLiteral("summary"), QStringLiteral("layout")}));
    EXPECT_TRUE(settings.isEnabled(F::btSave));
    EXPECT_TRUE(settings.isVisible(F::btTestSMS));
    EXPECT_TRUE(settings.isEnabled(F::btOnOffPIN));
    EXPECT_EQ(home.commands(QStringLiteral("5001600")).mid(0, 3),
              (QStringList{QStringLiteral("NUMBER=?;"), QStringLiteral("VERSION=?;"), QStringLiteral("SECURESETUP=?;")}));
}

TEST_F(MonitorTest, ConnectedTrackerIsReopenedButNotIdentifiedAgain)
{
    home.plug(scenario());
    monitor.devtimerTimer();
    const QStringList before = home.commands(QStringLiteral("5001500"));
    const RW_HANDLE first = link.handle();
    monitor.devtimerTimer();
    // Only its serial is asked, to know it is still the tracker shown.
    EXPECT_EQ(home.commands(QStringLiteral("5001500")), before + QStringList{QStringLiteral("NUMBER=?;")});
    EXPECT_EQ(steps.count(QStringLiteral("read")), 1);
    EXPECT_TRUE(flags.testFlag(LinkFlag::Connected));
    // The handle of the earlier run is given back, not leaked.
    ASSERT_NE(link.handle(), first);
    uint32_t written = 0;
    EXPECT_NE(library.api().write(first, "NUMBER=?;", 9, &written), 0);
}

TEST_F(MonitorTest, ATrackerThatStoppedAnsweringStaysTheOneShown)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("answer_limit=3")}));
    monitor.devtimerTimer();
    log.clear();
    monitor.devtimerTimer();
    EXPECT_TRUE(flags.testFlag(LinkFlag::Connected));
    EXPECT_EQ(settings.text(F::pSerial), QStringLiteral("5001500"));
    EXPECT_EQ(steps.count(QStringLiteral("read")), 1);
    EXPECT_EQ(home.commands(QStringLiteral("5001500")).size(), 4) << "its serial asked once, no identification";
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(MonitorTest, OnlyTheFirstListedTrackerIsOpened)
{
    home.plug(scenario(QStringLiteral("5001001")));
    home.plug(scenario(QStringLiteral("5001002")));
    monitor.devtimerTimer();
    EXPECT_EQ(settings.text(F::pSerial), QStringLiteral("5001001"));
    EXPECT_TRUE(home.commands(QStringLiteral("5001002")).isEmpty());
}

TEST_F(MonitorTest, LostConnectionResetsTheWindow)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44")));
    monitor.devtimerTimer();
    settings.setVisible(F::cbSSL, true);
    home.unplugAll();
    monitor.devtimerTimer();

    EXPECT_FALSE(flags.testFlag(LinkFlag::Connected));
    EXPECT_FALSE(flags.testFlag(LinkFlag::Present));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(steps.contains(QStringLiteral("stop-log")));
    EXPECT_EQ(settings.text(F::pSerial), QStringLiteral("---------"));
    EXPECT_EQ(settings.text(F::pVersion), QStringLiteral("---------"));
    EXPECT_EQ(settings.text(F::Ubattery), QStringLiteral("---"));
    EXPECT_FALSE(settings.isVisible(F::cbSSL));
    EXPECT_FALSE(settings.isEnabled(F::btSave));
    EXPECT_FALSE(settings.isVisible(F::btSrvTest));
    EXPECT_FALSE(settings.isEnabled(F::edResetLockMp));
    EXPECT_FALSE(settings.isEnabled(F::edMapFormat_1));
    EXPECT_EQ(settings.items(F::cbProfile).size(), 5);
    // Identity is kept for profile files read later.
    EXPECT_EQ(identity.firmwareVersion, 144u);
}

TEST_F(MonitorTest, IdleRunClearsTheLogAndFindsNothing)
{
    log.logEvent(QStringLiteral("old"), LogPlain);
    monitor.devtimerTimer();
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_FALSE(flags.testFlag(LinkFlag::Connected));
    EXPECT_TRUE(steps.isEmpty());
}

TEST_F(MonitorTest, MissingLibraryIsReportedAndTheTimerStaysOff)
{
    DeviceLibrary none({}, QStringLiteral("KVUSB_not_installed_anywhere"));
    DeviceLink idle(none, clock);
    ConnectionMonitor lonely(idle, settings, log, prompts, identity, flags);
    lonely.setIntervals(1);
    lonely.devtimerTimer();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(prompts.errors[0].caption, QStringLiteral("Korvel Firmware Loader"));
    EXPECT_EQ(prompts.errors[0].text, QStringLiteral("Драйвер устройств RW не установлен."));
    EXPECT_FALSE(lonely.isRunPending());
    // The next notice tries again, and says so again.
    lonely.WMDeviceChange();
    QSignalSpy finished(&lonely, &ConnectionMonitor::runFinished);
    ASSERT_TRUE(finished.wait(2000));
    EXPECT_EQ(prompts.errors.size(), 2);

    // Notices while the box is open open no box over it: one run follows
    // when it is closed.
    prompts.whileShowing = [&lonely] {
        for (int i = 0; i < 3; ++i)
            lonely.devtimerTimer();
    };
    lonely.devtimerTimer();
    EXPECT_EQ(prompts.errors.size(), 3);
    prompts.whileShowing = {};
    EXPECT_TRUE(lonely.isRunPending());
    ASSERT_TRUE(finished.wait(2000));
    EXPECT_EQ(prompts.errors.size(), 4);

    // A box of the window's own holds runs the same way until it closes.
    lonely.holdRuns();
    lonely.devtimerTimer();
    EXPECT_EQ(prompts.errors.size(), 4);
    lonely.releaseRuns();
    ASSERT_TRUE(finished.wait(2000));
    EXPECT_EQ(prompts.errors.size(), 5);
}

TEST_F(MonitorTest, BurstOfNoticesGivesOneRun)
{
    monitor.setIntervals(5);
    QSignalSpy finished(&monitor, &ConnectionMonitor::runFinished);
    for (int i = 0; i < 10; ++i)
        monitor.WMDeviceChange();
    ASSERT_TRUE(finished.wait(2000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(finished.wait(50));
    EXPECT_EQ(monitor.runCount(), 1);
}

TEST_F(MonitorTest, StartUpRunComesAfterTheStartTimerHandsOver)
{
    monitor.setIntervals(1);
    QSignalSpy finished(&monitor, &ConnectionMonitor::runFinished);
    monitor.start();
    EXPECT_TRUE(monitor.runCount() == 0);
    ASSERT_TRUE(finished.wait(2000));
    EXPECT_EQ(monitor.runCount(), 1);
}

TEST_F(MonitorTest, NumberThatIsNotANumberIsShownAndCountsAsZero)
{
    home.plug(scenario(QStringLiteral("SN-12")));
    monitor.devtimerTimer();
    EXPECT_EQ(settings.text(F::pSerial), QStringLiteral("SN-12"));
    EXPECT_EQ(identity.serialNumber, 0);
    EXPECT_TRUE(logged(QStringLiteral("NUMBER = 0"), LogError));
}

TEST_F(MonitorTest, SilentIdentityKeysAreReportedAndSilentSecuritySkipsTheRead)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"),
                       {QStringLiteral("silent=NUMBER,VERSION,SECURESETUP")}));
    monitor.devtimerTimer();
    EXPECT_TRUE(logged(QStringLiteral("NUMBER error"), LogError));
    EXPECT_TRUE(logged(QStringLiteral("VERSION error"), LogError));
    EXPECT_FALSE(steps.contains(QStringLiteral("read")));
    // The rest of the connection still happens.
    EXPECT_TRUE(flags.testFlag(LinkFlag::Connected));
    EXPECT_TRUE(settings.isEnabled(F::btSave));
}

TEST_F(MonitorTest, OnlyAMissingOrGarbledSecurityAnswerLeavesTheTrackerUnread)
{
    using Id = ConnectionMonitor::Identification;
    const QString noVerdict = QStringLiteral("Трекер не ответил на пароль. Настройки не считаны");
    struct Case {
        QStringList scenario;
        Id outcome;
        bool read;
        bool noVerdictLine;
    };
    const Case cases[] = {
        // Old firmware without protection: "NO_CMD" is an answer, read as 0.
        {{QStringLiteral("no_cmd=SECURESETUP")}, Id::SettingsRead, true, false},
        {{QStringLiteral("silent=SECURESETUP")}, Id::NoProtectionAnswer, false, false},
        // Noise is no answer either; "DEVLOCK;" is a lock: the password is
        // asked for, and given, the settings are read.
        {{QStringLiteral("fault=garbage"), QStringLiteral("fault_at=3")}, Id::NoProtectionAnswer, false, false},
        {{QStringLiteral("fault=devlock"), QStringLiteral("fault_at=3")}, Id::SettingsRead, true, false},
        {{QStringLiteral("protected=1"), QStringLiteral("silent=SECUREOFFTMP")}, Id::NoPasswordVerdict, false, true},
        {{QStringLiteral("protected=1"), QStringLiteral("no_cmd=SECUREOFFTMP")}, Id::NoPasswordVerdict, false, true},
        {{QStringLiteral("protected=1")}, Id::SettingsRead, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.scenario.join(u' ').toStdString());
        home.reset();
        log.clear();
        steps.clear();
        flags = {};
        settings.setChecked(F::cbPINCode, true);
        prompts.password = QByteArray("1234");
        home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), c.scenario));
        monitor.devtimerTimer();
        EXPECT_EQ(monitor.lastIdentification(), c.outcome);
        EXPECT_EQ(steps.contains(QStringLiteral("read")), c.read);
        EXPECT_EQ(logged(noVerdict, LogError), c.noVerdictLine);
        EXPECT_EQ(prompts.closeRequests, 0);
    }
    EXPECT_EQ(prompts.passwordRequests, 4);
}

TEST_F(MonitorTest, ReadSetupBoxSkipsTheRead)
{
    settings.setChecked(F::cbReadSetup, true);
    home.plug(scenario());
    monitor.devtimerTimer();
    EXPECT_FALSE(steps.contains(QStringLiteral("read")));
    EXPECT_TRUE(steps.contains(QStringLiteral("layout")));
}

TEST_F(MonitorTest, ProtectedTrackerAsksForThePassword)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    prompts.password = QByteArray("1234");
    monitor.devtimerTimer();
    EXPECT_EQ(prompts.passwordRequests, 1);
    EXPECT_TRUE(settings.isChecked(F::cbPINCode));
    EXPECT_TRUE(logged(QStringLiteral("Пароль OK"), LogSuccess));
    EXPECT_TRUE(steps.contains(QStringLiteral("read")));
    EXPECT_TRUE(home.commands(QStringLiteral("5001500")).contains(QStringLiteral("SECUREOFFTMP=1234;")));
}

TEST_F(MonitorTest, CancelledPasswordLeavesTheTrackerConnectedAndUnread)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    monitor.devtimerTimer();
    EXPECT_TRUE(logged(QStringLiteral("Неверный пароль. Доступ не возможен"), LogError));
    EXPECT_FALSE(steps.contains(QStringLiteral("read")));
    EXPECT_TRUE(flags.testFlag(LinkFlag::Connected));
    EXPECT_TRUE(settings.isEnabled(F::btSave));
    EXPECT_EQ(prompts.closeRequests, 0);
}

TEST_F(MonitorTest, WrongPasswordClosesTheProgram)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    prompts.password = QByteArray("9999");
    monitor.devtimerTimer();
    EXPECT_TRUE(logged(QStringLiteral("Неверный пароль. Доступ не возможен"), LogError));
    EXPECT_EQ(prompts.closeRequests, 1);
    EXPECT_FALSE(steps.contains(QStringLiteral("read")));
}

TEST_F(MonitorTest, UnprotectedTrackerClearsTheProtectionBoxOfTheLastOne)
{
    settings.setChecked(F::cbPINCode, true);
    home.plug(scenario());
    monitor.devtimerTimer();
    EXPECT_FALSE(settings.isChecked(F::cbPINCode));
    EXPECT_EQ(prompts.passwordRequests, 0);
}

TEST_F(MonitorTest, RunDuringThePasswordDialogWaitsForIdentification)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44"), {QStringLiteral("protected=1")}));
    prompts.password = QByteArray("1234");
    int nestedRuns = 0;
    prompts.whileAsking = [&] {
        monitor.devtimerTimer(); // a device notice's run, delivered by the dialog's loop
        nestedRuns = monitor.runCount();
    };
    monitor.devtimerTimer();
    EXPECT_EQ(nestedRuns, 1);
    EXPECT_TRUE(monitor.isRunPending());
    EXPECT_TRUE(steps.contains(QStringLiteral("read")));
}

// Two trackers, A shown in the window, B taken up when A goes: whatever way
// it happens, B is identified and read before anything is written into it,
// and nothing of B is filed under A's serial.
TEST(TrackerSwap, AnotherTrackerIsIdentifiedAndReadNeverTakenForTheOneShown)
{
    const QString a = QStringLiteral("5001501");
    const QString b = QStringLiteral("5001502");
    const QStringList identification{QStringLiteral("NUMBER=?;"), QStringLiteral("VERSION=?;"),
                                     QStringLiteral("SECURESETUP=?;")};
    struct Case {
        const char *name;
        std::function<void(TrackerHome &, Configurator &)> swap;
        bool aRead; // A's read was complete, so it has its backup
    };
    const auto plugA = [&](TrackerHome &home, const QStringList &extra) {
        home.plug(scenario(a, QStringLiteral("KVMT-1.44"), extra) + QStringLiteral("[settings]\nGSMAPN=apn.of.a\n"));
    };
    const auto plugB = [&](TrackerHome &home) {
        home.plug(scenario(b) + QStringLiteral("[settings]\nGSMAPN=apn.of.b\n"));
    };
    const Case cases[] = {
        // Both notices come while A's read waits: the one run after it finds
        // a tracker where the connected one was.
        {"A pulled out during its read, B plugged before the next run",
         [&](TrackerHome &home, Configurator &core) {
             plugA(home, {QStringLiteral("fault=unplug"), QStringLiteral("fault_at=20")});
             core.monitor().devtimerTimer();
             plugB(home);
         },
         false},
        // No wait at all: B, attached after A, is listed first once A goes.
        {"A read, B attached too, A unplugged",
         [&](TrackerHome &home, Configurator &core) {
             plugA(home, {});
             core.monitor().devtimerTimer();
             plugB(home);
             core.monitor().devtimerTimer();
             home.unplug(a);
         },
         true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TrackerHome &home = TrackerHome::instance();
        home.reset();
        QTemporaryDir exeDir;
        RecordingEventLog log;
        ScriptedPrompts prompts;
        Configurator core(log, prompts, {QStringLiteral(KVMT_TEST_BIN_DIR)});
        core.setExeDir(exeDir.path());
        c.swap(home, core);
        ASSERT_EQ(core.settings().text(F::pSerial), a);
        const QStringList aBackups = QDir(ReadHistory::folder(exeDir.path(), a)).entryList(QDir::Files);
        EXPECT_EQ(aBackups.size(), c.aRead ? 1 : 0);

        core.monitor().devtimerTimer();
        ASSERT_TRUE(core.isConnected());
        EXPECT_EQ(core.settings().text(F::pSerial), b);
        EXPECT_EQ(home.commands(b).mid(0, 3), identification);
        EXPECT_TRUE(home.commands(b).contains(QStringLiteral("GSMAPN=?;"))) << "B is read";
        EXPECT_EQ(core.settings().text(F::edAPN), QStringLiteral("apn.of.b"));
        EXPECT_TRUE(core.settings().isEnabled(F::btSave));
        EXPECT_EQ(QDir(ReadHistory::folder(exeDir.path(), a)).entryList(QDir::Files), aBackups);
        EXPECT_EQ(QDir(ReadHistory::folder(exeDir.path(), b)).entryList(QDir::Files).size(), 1);

        ASSERT_TRUE(core.btSaveClick());
        const QStringList written = home.commands(b);
        EXPECT_TRUE(written.contains(QStringLiteral("GSMAPN=apn.of.b;")));
        EXPECT_TRUE(written.contains(QStringLiteral("SAVECONFIG=1;")));
        for (const QString &command : written)
            EXPECT_FALSE(command.contains(QStringLiteral("apn.of.a"))) << qPrintable(command);
        EXPECT_FALSE(QFile::exists(QDir(exeDir.path()).filePath(a + QStringLiteral(".atc"))));
        EXPECT_TRUE(QFile::exists(QDir(exeDir.path()).filePath(b + QStringLiteral(".atc"))));
        EXPECT_FALSE(QFile::exists(QDir(exeDir.path()).filePath(QStringLiteral("ATG/") + a + QStringLiteral(".atg"))));
    }
}

struct GateCase {
    const char *version;
    quint32 firmware;
    bool summerTime;
    bool templates;
    bool callGroup;
};

class FirmwareGateTest : public MonitorTest, public ::testing::WithParamInterface<GateCase>
{
};

TEST_P(FirmwareGateTest, ControlsFollowTheFirmware)
{
    const GateCase &c = GetParam();
    settings.setText(F::edMapFormat_1, QStringLiteral("custom"));
    home.plug(scenario(QStringLiteral("5001500"), QString::fromLatin1(c.version)));
    monitor.devtimerTimer();
    EXPECT_EQ(identity.firmwareVersion, c.firmware);
    EXPECT_EQ(settings.isVisible(F::cbAutoSummerTime), c.summerTime);
    EXPECT_EQ(settings.isEnabled(F::edMapFormat_1), c.templates);
    EXPECT_EQ(settings.isEnabled(F::edMapFormat_2), c.templates);
    EXPECT_EQ(settings.isVisible(F::GroupBox13), c.callGroup);
    EXPECT_EQ(settings.isVisible(F::cbCallOnNumber), c.callGroup);
    EXPECT_EQ(settings.text(F::edMapFormat_1), c.templates ? QStringLiteral("custom") : QStringLiteral("Google Maps"));
}

INSTANTIATE_TEST_SUITE_P(
    Versions, FirmwareGateTest,
                         ::testing::Values(GateCase{"KVMT-1.21", 121, false, false, false},
                                           GateCase{"KVMT-1.31", 131, false, false, false},
                                           GateCase{"KVMT-1.32", 132, false, true, false},
                                           GateCase{"KVMT-1.40", 140, false, true, false},
                                           GateCase{"KVMT-1.41", 141, true, true, false},
                                           GateCase{"KVMT-1.43", 143, true, true, false},
                                           GateCase{"KVMT-1.44", 144, true, true, true}),
    [](const auto &info) { return "Firmware" + std::to_string(info.param.firmware); });

TEST(FirmwareVersion, ParsedLikeTheTrackerWritesIt)
{
    EXPECT_EQ(parseFirmwareVersion("KVMT-1.44"), 144u);
    EXPECT_EQ(parseFirmwareVersion("KVMT-2.05"), 205u);
    EXPECT_EQ(parseFirmwareVersion("KVMT-1"), 100u);
    EXPECT_EQ(parseFirmwareVersion("KVMT-1.44beta"), 144u);
    EXPECT_EQ(parseFirmwareVersion("1.44"), 0u);
    EXPECT_EQ(parseFirmwareVersion("kvmt-1.44"), 0u);
    EXPECT_EQ(parseFirmwareVersion(""), 0u);
}

TEST(SerialNumber, SignedDecimalOrZero)
{
    EXPECT_EQ(parseSerialNumber("5001500"), 5001500);
    EXPECT_EQ(parseSerialNumber("-1"), -1);
    EXPECT_EQ(parseSerialNumber("50015OO"), 0);
    EXPECT_EQ(parseSerialNumber(""), 0);
    EXPECT_EQ(parseSerialNumber("99999999999"), 0);
}
