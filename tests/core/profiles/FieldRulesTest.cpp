// Protects the bounds of the period, time and other numeric fields: what
// they hold after their rules is what a save writes to the tracker.
#include "profiles/EditingRules.h"
#include "settings/TrackerIdentity.h"

#include "QtPrinters.h"
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class FieldRulesTest : public ::testing::Test
{
protected:
    void selectProfile(int index) { settings.setIndex(F::cbProfile, index); }
    // As the keyboard would: one character after the other from an empty
    // field, each one a change of its own.
    QStringList type(Field field, const QString &keys)
    {
        settings.setText(field, QString());
        QStringList shown;
        for (const QChar key : keys) {
            settings.setText(field, settings.text(field) + key);
            shown.append(settings.text(field));
        }
        return shown;
    }
    QString text(Field field) const { return settings.text(field); }
    void set(Field field, QStringView value) { settings.setText(field, value.toString()); }

    DeviceSettings settings;
    TrackerIdentity identity;
    ScriptedPrompts prompts;
    EditingRules rules{settings, identity, prompts};
};

} // namespace

TEST_F(FieldRulesTest, TypingIntoThePeriodHoursShowsEachDigitUntilTheBoundReplacesThem)
{
    selectProfile(5);
    EXPECT_EQ(type(F::edSMSHour, QStringLiteral("700")),
              (QStringList{QStringLiteral("7"), QStringLiteral("70"), QStringLiteral("648")}));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(FieldRulesTest, TimeModeCapsTheHoursAtTheLastHourOfTheDay)
{
    selectProfile(5);
    settings.setChecked(F::rbTimeIn, true);
    set(F::edSMSHour, u"25");
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("23"));
    set(F::edSMSHour, u"23");
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("23"));
    settings.setChecked(F::rbTimeInSMTP, true);
    set(F::edSMTPHour, u"100");
    EXPECT_EQ(text(F::edSMTPHour), QStringLiteral("23"));
}

TEST_F(FieldRulesTest, SwitchingToTimeModeRechecksTheHoursButPeriodModeDoesNot)
{
    selectProfile(5);
    set(F::edServerHour, u"100");
    settings.setChecked(F::rbTimeInSrv, true);
    EXPECT_EQ(text(F::edServerHour), QStringLiteral("23"));

    settings.setChecked(F::rbEveryTimeSrv, true);
    set(F::edServerHour, u"100");
    settings.setChecked(F::rbEveryTimeSrv, true);
    EXPECT_EQ(text(F::edServerHour), QStringLiteral("100"));

    // Each channel re-checks only its own hours.
    set(F::edSMSHour, u"40");
    set(F::edSMTPHour, u"50");
    settings.setChecked(F::rbTimeInSMTP, true);
    EXPECT_EQ(text(F::edSMTPHour), QStringLiteral("23"));
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("40"));
}

TEST_F(FieldRulesTest, ModeRecheckLeavesAnEmptyHourFieldAlone)
{
    set(F::edSMSHour, u"");
    settings.setChecked(F::rbTimeIn, true);
    EXPECT_EQ(text(F::edSMSHour), QString());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(FieldRulesTest, TrackerProfileRaisesShortGpsPeriodsOnlyWhileTheHoursAreZero)
{
    selectProfile(3);
    set(F::edGPSHour, u"30");
    EXPECT_EQ(text(F::edGPSHour), QStringLiteral("23"));

    set(F::edGPSHour, u"0");
    set(F::edGPSMin, u"5");
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("10"));

    set(F::edGPSHour, u"1");
    set(F::edGPSMin, u"5");
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("5"));
    // Back to no hours: the minutes are raised by the hours' rule.
    set(F::edGPSHour, u"0");
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("10"));
}

TEST_F(FieldRulesTest, ShortGpsPeriodLeavesEmptyFieldsAlone)
{
    selectProfile(5);
    set(F::edGPSMin, u"");
    set(F::edGPSHour, u"0");
    EXPECT_EQ(text(F::edGPSMin), QString());
    set(F::edGPSHour, u"");
    set(F::edGPSMin, u"3");
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("3"));
}

TEST_F(FieldRulesTest, SleepProfileClearedGpsHoursStayEmptyAndZeroBecomesOneHour)
{
    selectProfile(0);
    set(F::edGPSMin, u"45");
    set(F::edGPSHour, u"");
    EXPECT_EQ(text(F::edGPSHour), QString());
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("45"));
    set(F::edGPSHour, u"0");
    EXPECT_EQ(text(F::edGPSHour), QStringLiteral("1"));
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("0"));
}

// Fields whose bounds depend on nothing else: what a change to `typed`
// leaves in the field.
struct OneFieldCase {
    Field field;
    const char16_t *typed;
    const char16_t *kept;
};

class OneFieldBoundsTest : public FieldRulesTest, public ::testing::WithParamInterface<OneFieldCase>
{
};

TEST_P(OneFieldBoundsTest, ChangeLeavesTheBoundedValueWithoutAMessage)
{
    const OneFieldCase &c = GetParam();
    set(c.field, u"");
    set(c.field, c.typed);
    EXPECT_EQ(text(c.field), QString::fromUtf16(c.kept));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    OnLineTime, OneFieldBoundsTest,
    ::testing::Values(OneFieldCase{F::edOnLineTime, u"2", u"3"}, OneFieldCase{F::edOnLineTime, u"11", u"10"},
                      OneFieldCase{F::edOnLineTime, u"0", u"3"}, OneFieldCase{F::edOnLineTime, u"3", u"3"},
                      OneFieldCase{F::edOnLineTime, u"10", u"10"}, OneFieldCase{F::edOnLineTime, u"-4", u"3"},
                      OneFieldCase{F::edOnLineTime, u"2147483647", u"10"}));
// The time zone never fails: a sign typed before its digits reads as 0.
INSTANTIATE_TEST_SUITE_P(
    TimeZone, OneFieldBoundsTest,
    ::testing::Values(OneFieldCase{F::edTimeZone, u"-13", u"-12"}, OneFieldCase{F::edTimeZone, u"13", u"12"},
                      OneFieldCase{F::edTimeZone, u"-12", u"-12"}, OneFieldCase{F::edTimeZone, u"12", u"12"},
                      OneFieldCase{F::edTimeZone, u"-", u"-"}, OneFieldCase{F::edTimeZone, u"5-", u"5-"},
                      OneFieldCase{F::edTimeZone, u"--", u"--"}, OneFieldCase{F::edTimeZone, u"abc", u"abc"},
                      OneFieldCase{F::edTimeZone, u"-999", u"-12"},
                      OneFieldCase{F::edTimeZone, u"99999999999", u"99999999999"}));
// No rule relates the window's start to its end: 22:00 to 06:00 is kept.
INSTANTIATE_TEST_SUITE_P(
    Accelerometer, OneFieldBoundsTest,
    ::testing::Values(OneFieldCase{F::edAccActHourBeg, u"24", u"23"}, OneFieldCase{F::edAccActHourEnd, u"24", u"23"},
                      OneFieldCase{F::edAccActMinBeg, u"60", u"59"}, OneFieldCase{F::edAccActMinEnd, u"60", u"59"},
                      OneFieldCase{F::edAccActHourBeg, u"22", u"22"}, OneFieldCase{F::edAccActHourEnd, u"06", u"06"},
                      OneFieldCase{F::edAccSenTimeOut, u"181", u"180"},
                      OneFieldCase{F::edAccSenTimeOut, u"180", u"180"}));
// Minutes of the three sending channels.
INSTANTIATE_TEST_SUITE_P(
    Minutes, OneFieldBoundsTest,
    ::testing::Values(OneFieldCase{F::edSMSMin, u"60", u"59"}, OneFieldCase{F::edServerMin, u"60", u"59"},
                      OneFieldCase{F::edSMTPMin, u"60", u"59"}, OneFieldCase{F::edSMTPMin, u"059", u"059"}));

TEST_F(FieldRulesTest, ReplacementWritesThePlainNumberButLeadingZerosWithinBoundsStay)
{
    selectProfile(5);
    set(F::edSMSMin, u"07");
    set(F::edServerHour, u"0700");
    EXPECT_EQ(text(F::edSMSMin), QStringLiteral("07"));
    EXPECT_EQ(text(F::edServerHour), QStringLiteral("648"));
}

TEST_F(FieldRulesTest, ClearingAnyRuledFieldLeavesItEmptyWithoutCorrectionOrMessage)
{
    // CRG zeroes the SMS minutes on every change of the hours that it reads.
    selectProfile(2);
    set(F::edSMSMin, u"30");
    for (const F field : {F::edSMSHour, F::edSMSMin, F::edServerHour, F::edServerMin, F::edSMTPHour, F::edSMTPMin,
                          F::edGPSHour, F::edGPSMin, F::edOnLineTime, F::edAccActHourBeg, F::edAccActMinBeg,
                          F::edAccActHourEnd, F::edAccActMinEnd, F::edAccSenTimeOut, F::edTimeZone}) {
        set(field, u"");
        EXPECT_EQ(text(field), QString()) << DeviceSettings::name(field).toStdString();
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(FieldRulesTest, TextThatIsNoIntegerStaysAndIsReportedOnce)
{
    selectProfile(2);
    set(F::edSMSMin, u"30");
    // The summary shows such hours as 0 and Save sends 0.
    for (const char16_t *pasted : {u"abc", u"99999999999", u"2147483648", u"12 ", u"+", u"0x10", u"1e2", u" 500"}) {
        prompts.messages.clear();
        set(F::edSMSHour, pasted);
        EXPECT_EQ(text(F::edSMSHour), QString::fromUtf16(pasted));
        ASSERT_EQ(prompts.messages.size(), 1) << QString::fromUtf16(pasted).toStdString();
        EXPECT_TRUE(prompts.messages.first().contains(QString::fromUtf16(pasted)));
    }
    // The rule stopped before the profile's step.
    EXPECT_EQ(text(F::edSMSMin), QStringLiteral("30"));
}

TEST_F(FieldRulesTest, NegativeNumbersAreCorrectedOnlyWhereTheFieldHasALowerBound)
{
    selectProfile(5);
    set(F::edSMSHour, u"-5");
    set(F::edAccSenTimeOut, u"-2147483648");
    set(F::edGPSHour, u"-1");
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("-5"));
    EXPECT_EQ(text(F::edAccSenTimeOut), QStringLiteral("-2147483648"));
    EXPECT_EQ(text(F::edGPSHour), QStringLiteral("-1"));
    EXPECT_TRUE(prompts.messages.isEmpty());

    selectProfile(0);
    set(F::edGPSHour, u"-3");
    EXPECT_EQ(text(F::edGPSHour), QStringLiteral("1"));
}

TEST_F(FieldRulesTest, PickingAnotherProfileDoesNotRecheckWhatTheFieldsHold)
{
    selectProfile(5);
    set(F::edSMSHour, u"100");
    selectProfile(2);
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("100"));
    set(F::edSMSHour, u"101");
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("23"));
}

// How each profile bounds the period-mode hours and what it does to the
// minutes beside them.
struct ProfileBounds {
    int profile;
    const char *name;
    int smsHours;
    int serverHours;
    int gpsHours;
    bool smsZeroesMinutes;
    bool serverZeroesMinutes;
    bool gpsShortPeriod; // no GPS period under 10 minutes
    bool gpsAtLeastOneHour;
};

class ProfileBoundsTest : public FieldRulesTest, public ::testing::WithParamInterface<ProfileBounds>
{
protected:
    void SetUp() override { selectProfile(GetParam().profile); }
    static QString number(int n) { return QString::number(n); }
};

TEST_P(ProfileBoundsTest, SmsHoursInPeriodMode)
{
    const ProfileBounds &p = GetParam();
    set(F::edSMSMin, u"30");
    set(F::edSMSHour, u"700");
    EXPECT_EQ(text(F::edSMSHour), number(p.smsHours));
    EXPECT_EQ(text(F::edSMSMin), p.smsZeroesMinutes ? QStringLiteral("0") : QStringLiteral("30"));
    // A value equal to the bound stays.
    set(F::edSMSHour, u"");
    set(F::edSMSHour, number(p.smsHours));
    EXPECT_EQ(text(F::edSMSHour), number(p.smsHours));
}

TEST_P(ProfileBoundsTest, ServerHoursInPeriodMode)
{
    const ProfileBounds &p = GetParam();
    set(F::edServerMin, u"30");
    set(F::edServerHour, u"700");
    EXPECT_EQ(text(F::edServerHour), number(p.serverHours));
    EXPECT_EQ(text(F::edServerMin), p.serverZeroesMinutes ? QStringLiteral("0") : QStringLiteral("30"));
}

TEST_P(ProfileBoundsTest, EmailHoursIgnoreTheProfile)
{
    set(F::edSMTPMin, u"30");
    set(F::edSMTPHour, u"700");
    EXPECT_EQ(text(F::edSMTPHour), QStringLiteral("648"));
    EXPECT_EQ(text(F::edSMTPMin), QStringLiteral("30"));
}

TEST_P(ProfileBoundsTest, TimeModeIsTheLastHourOfTheDayInEveryProfile)
{
    settings.setChecked(F::rbTimeIn, true);
    settings.setChecked(F::rbTimeInSrv, true);
    set(F::edSMSHour, u"24");
    set(F::edServerHour, u"24");
    EXPECT_EQ(text(F::edSMSHour), QStringLiteral("23"));
    EXPECT_EQ(text(F::edServerHour), QStringLiteral("23"));
}

TEST_P(ProfileBoundsTest, GpsHours)
{
    const ProfileBounds &p = GetParam();
    set(F::edGPSMin, u"5");
    set(F::edGPSHour, u""); // "0" at design: setting it again would change nothing
    set(F::edGPSHour, u"0");
    EXPECT_EQ(text(F::edGPSHour), p.gpsAtLeastOneHour ? QStringLiteral("1") : QStringLiteral("0"));
    const QString minutes = p.gpsAtLeastOneHour ? QStringLiteral("0")
                            : p.gpsShortPeriod  ? QStringLiteral("10")
                                                : QStringLiteral("5");
    EXPECT_EQ(text(F::edGPSMin), minutes);
    set(F::edGPSHour, u"700");
    EXPECT_EQ(text(F::edGPSHour), number(p.gpsHours));
}

TEST_P(ProfileBoundsTest, GpsMinutes)
{
    const ProfileBounds &p = GetParam();
    set(F::edGPSHour, u"1");
    set(F::edGPSMin, u"60");
    EXPECT_EQ(text(F::edGPSMin), QStringLiteral("59"));
    if (p.gpsAtLeastOneHour)
        return; // the hours cannot be 0 here
    set(F::edGPSHour, u"0");
    set(F::edGPSMin, u"9");
    EXPECT_EQ(text(F::edGPSMin), p.gpsShortPeriod ? QStringLiteral("10") : QStringLiteral("9"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryProfile, ProfileBoundsTest,
    ::testing::Values(ProfileBounds{-1, "None", 648, 648, 648, false, false, false, false},
                      ProfileBounds{0, "SLP", 648, 648, 648, false, false, false, true},
                      ProfileBounds{1, "CAR", 648, 648, 648, false, false, false, false},
                      ProfileBounds{2, "CRG", 23, 648, 648, true, true, false, false},
                      ProfileBounds{3, "TKR", 648, 648, 23, false, true, true, false},
                      ProfileBounds{4, "SRH", 23, 23, 648, false, false, false, false},
                      ProfileBounds{5, "USR1", 648, 648, 648, false, false, true, false},
                      ProfileBounds{6, "USR2", 648, 648, 648, false, false, true, false}),
    [](const ::testing::TestParamInfo<ProfileBounds> &info) { return std::string(info.param.name); });
