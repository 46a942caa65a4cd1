// Protects the read and write sequences end to end against the virtual
// tracker behind the device library, as the connection monitor starts them.
#include "ScriptedPrompts.h"
#include "SequenceRig.h"
#include "TrackerFixture.h"

#include "device/ConnectionMonitor.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class TrackerSequenceTest : public TrackerTest
{
protected:
    void SetUp() override
    {
        TrackerTest::SetUp();
        ConnectionMonitor::Hooks hooks;
        hooks.readSettings = [this] { reader.readSettings(false); };
        monitor.setHooks(hooks);
        writer.setExeDir(exeDir.path());
    }

    QStringList errorLines() const { return test::errorLines(log); }

    DeviceSettings settings;
    RecordingEventLog log;
    ScriptedPrompts prompts;
    TrackerIdentity identity;
    LinkFlags flags;
    SettingsBuffer buffer;
    KeyTable keys{settings, identity, log, fixedClock};
    ReadSequence reader{link, buffer, keys, settings, identity, log};
    WriteSequence writer{link, buffer, keys, settings, flags, log};
    ConnectionMonitor monitor{link, settings, log, prompts, identity, flags};
    QTemporaryDir exeDir;
};

} // namespace

TEST_F(TrackerSequenceTest, ConnectionReadsEverythingAndASaveSurvivesTheReadBack)
{
    home.plug(scenario(QStringLiteral("5001500"), QStringLiteral("KVMT-1.44")));
    monitor.devtimerTimer();
    ASSERT_TRUE(flags.testFlag(LinkFlag::Connected));
    EXPECT_EQ(errorLines(), QStringList());
    EXPECT_EQ(identity.accelerometerPresent, 1);
    EXPECT_TRUE(settings.isVisible(F::TabSheet5));
    EXPECT_TRUE(settings.isVisible(F::cbSSL));
    EXPECT_EQ(settings.text(F::Ubattery), QStringLiteral("4.12 V"));
    EXPECT_EQ(settings.items(F::cbProfile).size(), 7);

    settings.setText(F::edServerPort, QStringLiteral("6060"));
    settings.setText(F::edAPN, QStringLiteral("internet.test"));
    log.clear();
    writer.btSaveClick(reader);
    EXPECT_EQ(errorLines(), QStringList());
    EXPECT_EQ(settings.text(F::edServerPort), QStringLiteral("6060"));
    EXPECT_EQ(settings.text(F::edAPN), QStringLiteral("internet.test"));
    EXPECT_TRUE(home.commands(QStringLiteral("5001500")).contains(QStringLiteral("SAVECONFIG=1;")));

    QFile copy(exeDir.filePath(QStringLiteral("5001500.atc")));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_TRUE(copy.readAll().contains("\r\nSERVERPORT=6060;\r\n"));
    EXPECT_TRUE(QFile::exists(exeDir.filePath(QStringLiteral("ATG/5001500.atg"))));
}

TEST_F(TrackerSequenceTest, SilentKeysAreReportedAndOldFirmwareIsNotAskedNewKeys)
{
    home.plug(scenario(QStringLiteral("5001499"), QStringLiteral("KVMT-1.31"), {QStringLiteral("silent=GSMAPN")}));
    monitor.devtimerTimer();
    EXPECT_TRUE(errorLines().contains(QStringLiteral("GSMAPN error")));
    EXPECT_EQ(settings.items(F::cbProfile).size(), 6);
    EXPECT_FALSE(settings.isVisible(F::cbSSL));
    for (const QString &command : home.commands(QStringLiteral("5001499"))) {
        for (const char *key : {"MAPTEMPLATE1", "LBSDISABLE", "CHANGEPROFILEONCALL", "SMTPSSLEN", "ACCLALARMCALL"})
            EXPECT_FALSE(command.startsWith(QLatin1String(key))) << command.toStdString();
    }
}
