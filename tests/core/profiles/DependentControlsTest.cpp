// Protects which controls a switch enables and disables, whoever flips it.
#include "profiles/EditingRules.h"
#include "settings/TrackerIdentity.h"

#include "QtPrinters.h"
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <vector>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class DependentControlsTest : public ::testing::Test
{
protected:
    bool allEnabled(std::initializer_list<Field> fields) const
    {
        return std::all_of(fields.begin(), fields.end(), [this](Field f) { return settings.isEnabled(f); });
    }
    bool noneEnabled(std::initializer_list<Field> fields) const
    {
        return std::none_of(fields.begin(), fields.end(), [this](Field f) { return settings.isEnabled(f); });
    }

    DeviceSettings settings;
    TrackerIdentity identity;
    ScriptedPrompts prompts;
    EditingRules rules{settings, identity, prompts};
};

struct SwitchCase {
    const char *name;
    Field sw;
    std::vector<Field> dependents;
};

class EnabledEqualsCheckedTest : public DependentControlsTest, public ::testing::WithParamInterface<SwitchCase>
{
};

} // namespace

TEST_P(EnabledEqualsCheckedTest, DependentsFollowTheSwitchBothWays)
{
    const SwitchCase &c = GetParam();
    settings.setChecked(c.sw, true);
    settings.setChecked(c.sw, false);
    for (const F f : c.dependents)
        EXPECT_FALSE(settings.isEnabled(f)) << DeviceSettings::name(f).toStdString();
    EXPECT_TRUE(settings.isEnabled(c.sw));
    settings.setChecked(c.sw, true);
    for (const F f : c.dependents)
        EXPECT_TRUE(settings.isEnabled(f)) << DeviceSettings::name(f).toStdString();
}

TEST_P(EnabledEqualsCheckedTest, RunningTheRuleBringsAnUnchangedSwitchIntoLine)
{
    // At design the dependents are enabled although the switch is clear.
    const SwitchCase &c = GetParam();
    ASSERT_FALSE(settings.isChecked(c.sw));
    settings.runRule(c.sw);
    for (const F f : c.dependents)
        EXPECT_FALSE(settings.isEnabled(f)) << DeviceSettings::name(f).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Switches, EnabledEqualsCheckedTest,
    ::testing::Values(
        SwitchCase{"SmsChannel", F::cbSentSMS,
                   {F::Label22, F::Label32, F::edSMSMin, F::edSMSHour, F::rbTimeIn, F::rbEveryTime}},
        SwitchCase{"ServerChannel", F::cbSentServer,
                   {F::Label29, F::Label30, F::edServerMin, F::edServerHour, F::rbTimeInSrv, F::rbEveryTimeSrv}},
        SwitchCase{"EmailChannel", F::cbSentSMTP,
                   {F::Label10, F::Label17, F::edSMTPMin, F::edSMTPHour, F::rbTimeInSMTP, F::rbEveryTimeSMTP}},
        SwitchCase{"GpsChannel", F::cbOnlyGPSEn, {F::Label47, F::Label36, F::edGPSMin, F::Label35, F::edGPSHour}},
        SwitchCase{"SmsGateway", F::cbSMSGateEn, {F::Label18, F::edSMSGate}},
        SwitchCase{"ProfileOnCall", F::cbChangeProfile, {F::cbProfile_Call}},
        SwitchCase{"AlertSms", F::cbAcclSendSMS, {F::cbFastSMS}},
        SwitchCase{"Accelerometer", F::cbAcclEn,
                   {F::Label60, F::Label24, F::cbAcclSense, F::edAccSenTimeOut, F::GroupBox2, F::GroupBox12,
                    F::cbAcclSendSMS, F::cbFastSMS, F::cbAcclSendSrv, F::cbAcclSendEmail, F::cbCallOnNumber,
                    F::Label54, F::Label55, F::Label56, F::Label57, F::Label58, F::Label59, F::edAccActHourBeg,
                    F::edAccActMinBeg, F::edAccActHourEnd, F::edAccActMinEnd}},
        SwitchCase{"ControlZone", F::cbCZ_En_Control,
                   {F::cbCZ_SMS_En, F::cbCZ_Server_En, F::cbCZ_SMTP_En, F::Label49, F::Label50, F::Label51, F::edLat,
                    F::edLon, F::edRadius, F::cbCZ_Out, F::cbCZ_In}}),
    [](const ::testing::TestParamInfo<SwitchCase> &info) { return std::string(info.param.name); });

TEST_F(DependentControlsTest, AccelerometerOnEnablesFastSmsUntilTheSmsBoxChangesAgain)
{
    ASSERT_FALSE(settings.isChecked(F::cbAcclSendSMS));
    settings.setChecked(F::cbAcclEn, true);
    EXPECT_TRUE(settings.isEnabled(F::cbFastSMS));
    settings.setChecked(F::cbAcclSendSMS, true);
    settings.setChecked(F::cbAcclSendSMS, false);
    EXPECT_FALSE(settings.isEnabled(F::cbFastSMS));
}

TEST_F(DependentControlsTest, ControlZoneOffKeepsItsGroupBoxesAndItsOwnSwitchUsable)
{
    settings.setChecked(F::cbCZ_En_Control, true);
    settings.setChecked(F::cbCZ_En_Control, false);
    EXPECT_TRUE(allEnabled({F::GroupBox7, F::GroupBox8, F::GroupBox9, F::cbCZ_En_Control}));
    EXPECT_TRUE(noneEnabled({F::edLat, F::edLon, F::edRadius, F::cbCZ_In, F::cbCZ_Out, F::cbCZ_SMS_En}));
}

TEST_F(DependentControlsTest, GroupChildrenLeaveTheGroupBoxAndOtherGroupsAlone)
{
    rules.dependents().setGroupChildrenEnabled(F::GroupBox8, false);
    EXPECT_TRUE(settings.isEnabled(F::GroupBox8));
    EXPECT_TRUE(noneEnabled({F::Label49, F::Label50, F::Label51, F::edLat, F::edLon, F::edRadius}));
    EXPECT_TRUE(allEnabled({F::cbCZ_In, F::cbCZ_SMS_En, F::cbCZ_En_Control}));
}

TEST_F(DependentControlsTest, MapTemplatesFollowTheChoiceFromFirmware132)
{
    identity.firmwareVersion = 132;
    settings.setChecked(F::rbYandex, true);
    EXPECT_TRUE(settings.isEnabled(F::edMapFormat_2));
    EXPECT_FALSE(settings.isEnabled(F::edMapFormat_1));
    settings.setChecked(F::rbGoogle, true);
    EXPECT_TRUE(settings.isEnabled(F::edMapFormat_1));
    EXPECT_FALSE(settings.isEnabled(F::edMapFormat_2));
    settings.setChecked(F::rbCoordinate, true);
    EXPECT_TRUE(noneEnabled({F::edMapFormat_1, F::edMapFormat_2}));
}

TEST_F(DependentControlsTest, OlderFirmwareTemplatesChangeOnlyWhenCoordinatesAreChosen)
{
    identity.firmwareVersion = 131;
    settings.setEnabled(F::edMapFormat_1, true);
    settings.setChecked(F::rbYandex, true);
    EXPECT_TRUE(settings.isEnabled(F::edMapFormat_1));
    EXPECT_FALSE(settings.isEnabled(F::edMapFormat_2));
    settings.setChecked(F::rbCoordinate, true);
    EXPECT_FALSE(settings.isEnabled(F::edMapFormat_1));
}

TEST_F(DependentControlsTest, RulesLeaveTheModelWithTheirOwner)
{
    DeviceSettings own;
    {
        EditingRules scoped(own, identity, prompts);
        own.setChecked(F::cbSMSGateEn, true);
    }
    own.setChecked(F::cbSMSGateEn, false);
    own.setText(F::edSMSHour, QStringLiteral("999"));
    EXPECT_TRUE(own.isEnabled(F::edSMSGate));
    EXPECT_EQ(own.text(F::edSMSHour), QStringLiteral("999"));
}
