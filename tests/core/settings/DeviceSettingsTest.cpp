// Protects the settings model: which changes run a member's rule, and the
// state the window binds to.
#include "settings/DeviceSettings.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace kvmt;

namespace {

struct Counter {
    int runs = 0;
    DeviceSettings::Rule rule()
    {
        return [this] { ++runs; };
    }
};

} // namespace

TEST(DeviceSettings, TextRuleRunsOnlyWhenTheTextDiffers)
{
    DeviceSettings settings;
    Counter change;
    settings.setRule(F::edServerPort, change.rule());
    settings.setText(F::edServerPort, QStringLiteral("8080"));
    settings.setText(F::edServerPort, QStringLiteral("8080"));
    EXPECT_EQ(change.runs, 1);
    // A value set by program is not cut at the typing limit.
    settings.setText(F::edServerPort, QStringLiteral("1234567"));
    EXPECT_EQ(settings.text(F::edServerPort), QStringLiteral("1234567"));
    EXPECT_EQ(change.runs, 2);
}

TEST(DeviceSettings, FlagRuleRunsWhenTheStateChanges)
{
    DeviceSettings settings;
    Counter click;
    settings.setRule(F::cbAcclEn, click.rule());
    settings.setChecked(F::cbAcclEn, false);
    EXPECT_EQ(click.runs, 0);
    settings.setChecked(F::cbAcclEn, true);
    settings.setChecked(F::cbAcclEn, true);
    settings.setChecked(F::cbAcclEn, false);
    EXPECT_EQ(click.runs, 2);
}

TEST(DeviceSettings, RadioRuleRunsWhenItBecomesSetAndTheGroupStaysExclusive)
{
    DeviceSettings settings;
    Counter timeIn;
    Counter everyTime;
    settings.setRule(F::rbTimeIn, timeIn.rule());
    settings.setRule(F::rbEveryTime, everyTime.rule());
    ASSERT_TRUE(settings.isChecked(F::rbEveryTime));
    settings.setChecked(F::rbTimeIn, true);
    EXPECT_TRUE(settings.isChecked(F::rbTimeIn));
    EXPECT_FALSE(settings.isChecked(F::rbEveryTime));
    EXPECT_EQ(timeIn.runs, 1);
    EXPECT_EQ(everyTime.runs, 0); // cleared, not clicked
    settings.setChecked(F::rbTimeIn, true);
    EXPECT_EQ(timeIn.runs, 1);
    // Other groups are untouched.
    EXPECT_TRUE(settings.isChecked(F::rbEveryTimeSrv));
    EXPECT_TRUE(settings.isChecked(F::rbGoogle));
}

TEST(DeviceSettings, ChoiceRunsNothingAndOutOfRangeMeansNoSelection)
{
    DeviceSettings settings;
    Counter change;
    settings.setRule(F::cbProfile, change.rule());
    settings.setIndex(F::cbProfile, 3);
    EXPECT_EQ(settings.index(F::cbProfile), 3);
    EXPECT_EQ(change.runs, 0);
    settings.setIndex(F::cbProfile, 7);
    EXPECT_EQ(settings.index(F::cbProfile), -1);
}

TEST(DeviceSettings, ProfileEntriesCanBeRenamedRemovedAndAddedBack)
{
    DeviceSettings settings;
    settings.setIndex(F::cbProfile, 6);
    settings.truncateItems(F::cbProfile, 5);
    EXPECT_EQ(settings.items(F::cbProfile).size(), 5);
    EXPECT_EQ(settings.index(F::cbProfile), -1);
    settings.setItem(F::cbProfile, 5, QStringLiteral("Пользовательский (USR)"));
    EXPECT_EQ(settings.items(F::cbProfile).size(), 6);
    EXPECT_EQ(settings.items(F::cbProfile).at(4), QStringLiteral("Поиск (SRH)"));
}

TEST(DeviceSettings, DesignStateMatchesAFreshWindow)
{
    DeviceSettings settings;
    EXPECT_EQ(settings.text(F::pSerial), QStringLiteral("--------"));
    EXPECT_EQ(settings.text(F::pVersion), QStringLiteral("-------"));
    EXPECT_EQ(settings.text(F::edMapFormat_2), QStringLiteral("Яндекс карты"));
    EXPECT_TRUE(settings.isChecked(F::cbAutoTimeSync));
    EXPECT_FALSE(settings.isVisible(F::cbSSL));
    EXPECT_FALSE(settings.isVisible(F::btOpenLog));
    EXPECT_FALSE(settings.isEnabled(F::btSave));
    EXPECT_TRUE(settings.isVisible(F::TabSheet5));
    EXPECT_FALSE(settings.isEnabled(F::GroupBox2));
    EXPECT_EQ(settings.items(F::cbProfile_Call).at(1), QStringLiteral("Авто (Car)"));
    EXPECT_EQ(settings.items(F::cbProfile).at(1), QStringLiteral("Авто (CAR)"));
    EXPECT_EQ(DeviceSettings::info(F::edMapFormat_1).limit, 96);
}

TEST(DeviceSettings, NamesRoundTripAndUnknownNamesAreRejected)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        EXPECT_EQ(DeviceSettings::fieldByName(DeviceSettings::name(field)), field);
    }
    EXPECT_FALSE(DeviceSettings::fieldByName(u"edNoSuchField"));
}

TEST(DeviceSettings, ViewIsToldOfEveryRealChangeOnly)
{
    DeviceSettings settings;
    QSignalSpy spy(&settings, &DeviceSettings::fieldChanged);
    settings.setVisible(F::cbSSL, false);
    settings.setEnabled(F::btSave, false);
    EXPECT_EQ(spy.count(), 0);
    settings.setVisible(F::cbSSL, true);
    settings.setTop(F::GroupBox1, 52);
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(spy.at(0).at(0).value<Field>(), F::cbSSL);
}

TEST(DeviceSettings, RuleMayCorrectItsOwnFieldAndRunsAgain)
{
    DeviceSettings settings;
    int runs = 0;
    settings.setRule(F::edOnLineTime, [&] {
        ++runs;
        if (settings.text(F::edOnLineTime).toInt() < 3)
            settings.setText(F::edOnLineTime, QStringLiteral("3"));
    });
    settings.setText(F::edOnLineTime, QStringLiteral("1"));
    EXPECT_EQ(settings.text(F::edOnLineTime), QStringLiteral("3"));
    EXPECT_EQ(runs, 2);
}
