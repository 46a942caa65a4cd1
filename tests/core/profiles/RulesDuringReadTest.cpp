// Protects that a read from the tracker or a file edits the fields under
// the same rules as a person's typing and clicking.
#include "Configurator.h"
#include "log/EventLog.h"

#include "ScriptedPrompts.h"
#include "TrackerFixture.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class RulesDuringReadTest : public ::testing::Test
{
protected:
    void SetUp() override { TrackerHome::instance().reset(); }

    // Plugs a tracker with these stored settings and lets the monitor
    // connect to it, which reads everything.
    void connectTracker(const QString &stored)
    {
        TrackerHome::instance().plug(scenario() + stored);
        configurator.monitor().devtimerTimer();
        ASSERT_TRUE(configurator.isConnected());
    }
    QString text(Field field) { return configurator.settings().text(field); }

    RecordingEventLog log;
    ScriptedPrompts prompts;
    Configurator configurator{log, prompts, {QStringLiteral(KVMT_TEST_BIN_DIR)}};
};

} // namespace

TEST_F(RulesDuringReadTest, ValuesReadAreBoundedByTheProfileReadBeforeThem)
{
    // The tracker's stored profile is read before the GPS period, so the
    // tracker profile's short-period minimum applies to what follows.
    connectTracker(QStringLiteral("[settings]\nCHANGEPROFILE=3\n[profile3]\nGPSPERIOD=0,5\n"));
    EXPECT_EQ(configurator.settings().index(F::cbProfile), 3);
    EXPECT_EQ(text(F::edGPSHour), QStringLiteral("00"));
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("10"));
}

TEST_F(RulesDuringReadTest, TimeModeReadAfterTheHoursRechecksThem)
{
    connectTracker(QStringLiteral("[settings]\nCHANGEPROFILE=5\nDELAYOFF=1\n[profile5]\nSMSPERIOD=30,0,1\n"));
    EXPECT_TRUE(configurator.settings().isChecked(F::rbTimeIn));
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("23"));
    EXPECT_EQ(text(F::edOnLineTime), QStringLiteral("3"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(RulesDuringReadTest, SwitchesReadSetTheirDependentsChangedOrNot)
{
    connectTracker(QStringLiteral("[settings]\nACCLEN=1\nCHANGEPROFILEONCALL=0,4\nSMSEN=1,0\n"));
    const DeviceSettings &s = configurator.settings();
    // Disabled at design, enabled by the accelerometer switch's rule.
    EXPECT_TRUE(s.isChecked(F::cbAcclEn));
    EXPECT_TRUE(s.isEnabled(F::GroupBox2));
    EXPECT_TRUE(s.isEnabled(F::edAccActHourBeg));
    // Unchanged switches, brought into line by the read's own calls.
    EXPECT_FALSE(s.isChecked(F::cbChangeProfile));
    EXPECT_FALSE(s.isEnabled(F::cbProfile_Call));
    EXPECT_FALSE(s.isChecked(F::cbSMSGateEn));
    EXPECT_FALSE(s.isEnabled(F::edSMSGate));
}

TEST_F(RulesDuringReadTest, TextTheTrackerHoldsThatIsNoNumberIsReportedWithoutStoppingTheRead)
{
    connectTracker(QStringLiteral("[settings]\nACCLSENSETIMEOUT=abc\nSETCP=1,55755826,37617300,500,3\n"));
    EXPECT_EQ(text(F::edAccSenTimeOut), QStringLiteral("abc"));
    EXPECT_EQ(prompts.messages, QStringList{FieldRules::notAnIntegerMessage(QStringLiteral("abc"))});
    // Keys after it were still read.
    EXPECT_EQ(text(F::edRadius), QStringLiteral("500"));
}
