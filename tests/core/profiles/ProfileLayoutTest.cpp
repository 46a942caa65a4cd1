// Protects the profile page: what each profile shows, hides, forces and
// frees, the switch rules its forced states run, and a profile picked with
// and without a tracker.
#include "profiles/EditingRules.h"
#include "profiles/ProfileLayout.h"
#include "profiles/ProfileSelection.h"

#include "../settings/SequenceRig.h"
#include "QtPrinters.h"
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

using namespace kvmt;
using namespace kvmt::test;

namespace {

using Channel = ProfileLayout::Channel;
constexpr F kNone = F::Count;

// How a profile treats one channel, as the profile table has it.
struct ChannelRow {
    enum Term { Off, Fixed, Free } term = Off;
    int top = 0;
    const char16_t *caption = nullptr;
    enum Mode { None, Period, Time } mode = None;
    bool minutes = false;
};

ChannelRow off()
{
    return {};
}
ChannelRow fixedAt(int top, const char16_t *caption, ChannelRow::Mode mode, bool minutes)
{
    return {ChannelRow::Fixed, top, caption, mode, minutes};
}
ChannelRow freeAt(int top)
{
    return {ChannelRow::Free, top};
}

struct ProfileRow {
    int index;
    const char *name;
    std::array<ChannelRow, 4> channels; // GPS, SMS, server, e-mail
};

const std::array<ProfileRow, 7> &profileTable()
{
    static const std::array<ProfileRow, 7> rows = {{
        {0, "SLP", {fixedAt(52, u"Просыпаться с периодом", ChannelRow::None, false), off(), off(), off()}},
        {1, "CAR", {off(), fixedAt(52, u"Отправлять в", ChannelRow::Time, true), off(), off()}},
        {2,
         "CRG",
         {off(), fixedAt(52, u"Отправлять с периодом", ChannelRow::Period, false),
          fixedAt(132, u"Отправлять с периодом", ChannelRow::Period, false), off()}},
        {3,
         "TKR",
         {fixedAt(52, u"Определять координаты с периодом", ChannelRow::None, true), off(),
          fixedAt(132, u"Отправлять с периодом", ChannelRow::Period, false), off()}},
        {4,
         "SRH",
         {off(), fixedAt(52, u"Отправлять с периодом", ChannelRow::Period, true),
          fixedAt(132, u"Отправлять с периодом", ChannelRow::Period, true), off()}},
        {5, "USR1", {freeAt(52), freeAt(132), freeAt(212), freeAt(292)}},
        {6, "USR2", {freeAt(52), freeAt(132), freeAt(212), freeAt(292)}},
    }};
    return rows;
}

// The controls a channel's switch enables, as its rule does.
std::vector<F> switchedControls(const Channel &c)
{
    std::vector<F> controls{c.hoursLabel, c.hours, c.minutesLabel, c.minutes};
    if (c.periodMode == kNone)
        controls.push_back(F::Label47);
    else
        controls.insert(controls.end(), {c.periodMode, c.timeMode});
    return controls;
}

std::string nameOf(F f)
{
    return DeviceSettings::name(f).toStdString();
}

class ProfileLayoutTest : public ::testing::Test
{
protected:
    void select(int profile)
    {
        settings.setIndex(F::cbProfile, profile);
        layout.applyProfileLayout();
    }
    // All channels sending or all silent, laid out freely.
    void startFree(bool sending)
    {
        for (int id = 0; id < ProfileLayout::ChannelCount; ++id)
            settings.setChecked(ProfileLayout::channel(ProfileLayout::ChannelId(id)).sendSwitch, sending);
        select(ProfileUser1);
    }

    DeviceSettings settings;
    TrackerIdentity identity;
    ScriptedPrompts prompts;
    EditingRules rules{settings, identity, prompts};
    ProfileLayout layout{settings};
};

struct LayoutCase {
    int profile;
    bool sendingBefore;
};

class ProfileTableTest : public ProfileLayoutTest, public ::testing::WithParamInterface<LayoutCase>
{
};

} // namespace

TEST_P(ProfileTableTest, EveryControlOfTheFourGroupsFollowsTheProfileTable)
{
    const LayoutCase param = GetParam();
    const ProfileRow &row = profileTable()[size_t(param.profile)];
    startFree(param.sendingBefore);
    // Modes the free layout must leave alone.
    settings.setChecked(F::rbTimeInSMTP, true);
    select(row.index);

    for (int id = 0; id < ProfileLayout::ChannelCount; ++id) {
        const Channel &c = ProfileLayout::channel(ProfileLayout::ChannelId(id));
        const ChannelRow &expect = row.channels[size_t(id)];
        SCOPED_TRACE(std::string(row.name) + " / " + nameOf(c.group));
        switch (expect.term) {
        case ChannelRow::Off:
            EXPECT_FALSE(settings.isVisible(c.group));
            EXPECT_FALSE(settings.isChecked(c.sendSwitch));
            // Greyed by the switch's rule when the layout switched it off.
            for (const F f : switchedControls(c))
                EXPECT_EQ(settings.isEnabled(f), false) << nameOf(f);
            break;
        case ChannelRow::Fixed: {
            EXPECT_TRUE(settings.isVisible(c.group));
            EXPECT_EQ(settings.top(c.group), expect.top);
            EXPECT_TRUE(settings.isChecked(c.sendSwitch));
            EXPECT_FALSE(settings.isVisible(c.sendSwitch));
            EXPECT_TRUE(settings.isVisible(c.caption));
            EXPECT_EQ(settings.text(c.caption), QString::fromUtf16(expect.caption));
            EXPECT_EQ(settings.top(c.caption), 37);
            for (const F f : {c.hoursLabel, c.hours}) {
                EXPECT_TRUE(settings.isVisible(f)) << nameOf(f);
                EXPECT_TRUE(settings.isEnabled(f)) << nameOf(f);
            }
            for (const F f : {c.minutesLabel, c.minutes}) {
                EXPECT_EQ(settings.isVisible(f), expect.minutes) << nameOf(f);
                EXPECT_TRUE(settings.isEnabled(f)) << nameOf(f);
            }
            if (expect.mode == ChannelRow::None) {
                EXPECT_FALSE(settings.isVisible(F::Label47));
                EXPECT_EQ(settings.isEnabled(F::Label47), row.index != ProfileTracker);
            } else {
                const F forced = expect.mode == ChannelRow::Time ? c.timeMode : c.periodMode;
                const F other = expect.mode == ChannelRow::Time ? c.periodMode : c.timeMode;
                EXPECT_TRUE(settings.isChecked(forced));
                EXPECT_FALSE(settings.isEnabled(forced));
                EXPECT_FALSE(settings.isChecked(other));
                EXPECT_FALSE(settings.isVisible(forced));
                EXPECT_FALSE(settings.isVisible(other));
            }
            break;
        }
        case ChannelRow::Free:
            EXPECT_TRUE(settings.isVisible(c.group));
            EXPECT_EQ(settings.top(c.group), expect.top);
            EXPECT_TRUE(settings.isVisible(c.sendSwitch));
            EXPECT_TRUE(settings.isEnabled(c.sendSwitch));
            EXPECT_EQ(settings.isChecked(c.sendSwitch), param.sendingBefore);
            if (c.caption != kNone) {
                EXPECT_FALSE(settings.isVisible(c.caption));
            }
            for (const F f : switchedControls(c)) {
                EXPECT_TRUE(settings.isVisible(f)) << nameOf(f);
                EXPECT_EQ(settings.isEnabled(f), param.sendingBefore) << nameOf(f);
            }
            break;
        }
    }
    if (row.channels[0].term == ChannelRow::Free) {
        EXPECT_TRUE(settings.isChecked(F::rbEveryTime));
        EXPECT_TRUE(settings.isChecked(F::rbTimeInSMTP));
    }
}

INSTANTIATE_TEST_SUITE_P(SevenProfiles, ProfileTableTest,
                         ::testing::ValuesIn([] {
                             std::vector<LayoutCase> cases;
                             for (int p = 0; p < 7; ++p)
                                 for (const bool sending : {true, false})
                                     cases.push_back({p, sending});
                             return cases;
                         }()),
                         [](const ::testing::TestParamInfo<LayoutCase> &info) {
                             return std::string(profileTable()[size_t(info.param.profile)].name)
                                  + (info.param.sendingBefore ? "_FromSending" : "_FromSilent");
                         });

TEST_F(ProfileLayoutTest, CargoAfterUserProfileSwitchesSmsOnAndForcesThePeriod)
{
    startFree(true);
    settings.setChecked(F::cbSentSMS, false);
    ASSERT_FALSE(settings.isEnabled(F::edSMSHour));
    select(ProfileCargo);
    EXPECT_TRUE(settings.isChecked(F::cbSentSMS));
    EXPECT_TRUE(settings.isEnabled(F::edSMSHour));
    EXPECT_FALSE(settings.isVisible(F::edSMSMin));
    EXPECT_FALSE(settings.isVisible(F::rbEveryTime));
    EXPECT_FALSE(settings.isVisible(F::rbTimeIn));
    EXPECT_TRUE(settings.isChecked(F::rbEveryTime));
    EXPECT_FALSE(settings.isEnabled(F::rbEveryTime));
    EXPECT_EQ(settings.text(F::Label63), QStringLiteral("Отправлять с периодом"));
}

TEST_F(ProfileLayoutTest, CarForcesTheTimeOfDayAndItsHourLimit)
{
    startFree(true);
    settings.setText(F::edSMSHour, QStringLiteral("30"));
    ASSERT_TRUE(settings.isChecked(F::rbEveryTime));
    select(ProfileCar);
    EXPECT_TRUE(settings.isChecked(F::rbTimeIn));
    EXPECT_EQ(settings.text(F::edSMSHour), QStringLiteral("23"));
}

TEST_F(ProfileLayoutTest, HiddenMinutesKeepTheirValueUntilTheHoursChange)
{
    startFree(true);
    settings.setText(F::edSMSMin, QStringLiteral("45"));
    settings.setText(F::edServerMin, QStringLiteral("15"));
    settings.setText(F::edGPSMin, QStringLiteral("30"));
    for (const int profile : {ProfileCargo, ProfileSleep, ProfileTracker}) {
        select(profile);
        EXPECT_EQ(settings.text(F::edSMSMin), QStringLiteral("45")) << profile;
        EXPECT_EQ(settings.text(F::edServerMin), QStringLiteral("15")) << profile;
        EXPECT_EQ(settings.text(F::edGPSMin), QStringLiteral("30")) << profile;
    }
    select(ProfileCargo);
    settings.setText(F::edSMSHour, QStringLiteral("5"));
    EXPECT_EQ(settings.text(F::edSMSMin), QStringLiteral("0"));
}

TEST_F(ProfileLayoutTest, UserProfileAfterCarFreesTheTimeButtonOfASendingChannel)
{
    startFree(true);
    select(ProfileCar);
    ASSERT_FALSE(settings.isEnabled(F::rbTimeIn));
    select(ProfileUser1);
    EXPECT_TRUE(settings.isEnabled(F::rbTimeIn));
    EXPECT_TRUE(settings.isVisible(F::rbTimeIn));
    EXPECT_TRUE(settings.isChecked(F::rbTimeIn));
}

TEST_F(ProfileLayoutTest, TrackerProfileGreysThePeriodCaptionUntilAUserProfileFreesIt)
{
    startFree(true);
    select(ProfileTracker);
    EXPECT_FALSE(settings.isEnabled(F::Label47));
    select(ProfileUser2);
    EXPECT_TRUE(settings.isEnabled(F::Label47));
    EXPECT_TRUE(settings.isVisible(F::Label47));
}

TEST_F(ProfileLayoutTest, WithoutSelectionOnlyTheCaptionsMove)
{
    startFree(true);
    select(ProfileCar);
    settings.setIndex(F::cbProfile, 7); // not in the list: no selection
    ASSERT_EQ(settings.index(F::cbProfile), -1);
    for (const F caption : {F::Label62, F::Label63, F::Label64})
        settings.setTop(caption, -1);
    const QStringList before = snapshot(settings);
    layout.applyProfileLayout();
    EXPECT_EQ(snapshot(settings), before);
    EXPECT_EQ(settings.top(F::GroupBox1), 52);
    for (const F caption : {F::Label62, F::Label63, F::Label64})
        EXPECT_EQ(settings.top(caption), 37) << nameOf(caption);
}

namespace {

class ProfileSelectionTest : public ::testing::Test
{
protected:
    ProfileSelectionTest()
    {
        fillTracker(rig.tracker, 144);
        rig.identify(5001500, 144);
    }
    SequenceRig rig;
    ScriptedPrompts prompts;
    EditingRules rules{rig.settings, rig.identity, prompts};
    ProfileLayout layout{rig.settings};
    ProfileSelection selection{rig.tracker, rig.settings, rig.flags, rig.log, rig.reader, layout};
};

} // namespace

TEST_F(ProfileSelectionTest, WithoutTrackerOnlyTheLayoutChanges)
{
    rig.flags = {};
    rig.settings.setIndex(F::cbProfile, ProfileCar);
    selection.cbProfileChange();
    EXPECT_TRUE(rig.tracker.commands.isEmpty());
    EXPECT_TRUE(rig.log.lines().isEmpty());
    EXPECT_FALSE(rig.settings.isVisible(F::gbGPSPeriod));
    EXPECT_EQ(rig.settings.index(F::cbProfile), ProfileCar);
}

TEST_F(ProfileSelectionTest, ConnectedAsksForTheProfileReadsEverythingAndLaysOutWhatWasRead)
{
    rig.tracker.rawReplies.insert("READPROFILE", "READPROFILE=4;");
    rig.tracker.values.insert("CHANGEPROFILE", "4");
    rig.settings.setIndex(F::cbProfile, ProfileSearch);
    selection.cbProfileChange();
    ASSERT_GE(rig.tracker.commands.size(), 2);
    EXPECT_EQ(rig.tracker.commands.first(), QByteArray("READPROFILE=4;"));
    EXPECT_EQ(rig.tracker.commands.at(1), QByteArray("ACCLEN=?;"));
    EXPECT_EQ(rig.log.lines().first(), (LogLine{QStringLiteral("Чтение профиля"), LogPlain}));
    EXPECT_EQ(rig.log.lines().at(1), (LogLine{QStringLiteral("Тип отладочной информации прочитан"), LogSuccess}));
    EXPECT_EQ(rig.errorLines(), QStringList());
    EXPECT_EQ(rig.settings.text(F::edServerIP), QStringLiteral("srv.example.net"));
    // SRH: SMS and server at the top, each with a period in hours and minutes.
    EXPECT_EQ(rig.settings.top(F::GroupBox1), 52);
    EXPECT_EQ(rig.settings.top(F::gbServerPeriod), 132);
    EXPECT_FALSE(rig.settings.isVisible(F::gbGPSPeriod));
}

TEST_F(ProfileSelectionTest, ReplyThatIsNoNumberSelectsTheFirstProfileUntilTheReadSetsIt)
{
    rig.tracker.rawReplies.insert("READPROFILE", "READPROFILE=abc;");
    rig.tracker.silent.insert("CHANGEPROFILE");
    rig.settings.setIndex(F::cbProfile, ProfileTracker);
    selection.cbProfileChange();
    EXPECT_EQ(rig.settings.index(F::cbProfile), ProfileSleep);
    EXPECT_EQ(rig.errorLines(), QStringList{QStringLiteral("CHANGEPROFILE error")});
    EXPECT_TRUE(rig.settings.isVisible(F::gbGPSPeriod));
    EXPECT_EQ(rig.settings.text(F::Label62), QStringLiteral("Просыпаться с периодом"));
}

TEST_F(ProfileSelectionTest, SilentReadProfileIsNotReportedAndTheReadStillRuns)
{
    rig.tracker.silent.insert("READPROFILE");
    rig.settings.setIndex(F::cbProfile, ProfileCar);
    selection.cbProfileChange();
    EXPECT_EQ(rig.log.lines(), QList<LogLine>{(LogLine{QStringLiteral("Чтение профиля"), LogPlain})});
    EXPECT_EQ(rig.errorLines(), QStringList());
    // The read's CHANGEPROFILE (2, CRG) decides the selection and the layout.
    EXPECT_EQ(rig.settings.index(F::cbProfile), ProfileCargo);
    EXPECT_EQ(rig.settings.top(F::gbServerPeriod), 132);
}

TEST_F(ProfileSelectionTest, ProfileSixOnOldFirmwareLeavesNoSelectionAndOnlyMovesTheCaptions)
{
    rig.identify(5001500, 143);
    rig.tracker.values.insert("CHANGEPROFILE", "6");
    rig.tracker.rawReplies.insert("READPROFILE", "READPROFILE=6;");
    rig.settings.setIndex(F::cbProfile, ProfileUser1);
    rig.settings.setVisible(F::gbSMTPPeriod, false);
    selection.cbProfileChange();
    EXPECT_EQ(rig.settings.items(F::cbProfile).size(), 6);
    EXPECT_EQ(rig.settings.index(F::cbProfile), -1);
    EXPECT_FALSE(rig.settings.isVisible(F::gbSMTPPeriod));
    EXPECT_EQ(rig.settings.top(F::Label64), 37);
}
