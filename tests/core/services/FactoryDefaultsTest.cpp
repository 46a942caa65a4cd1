// Protects the factory values: what the button fills in, in which order, and
// that each value runs the rules a person's change would.
#include "profiles/EditingRules.h"
#include "services/FactoryDefaults.h"
#include "settings/TrackerIdentity.h"

#include "QtPrinters.h"
#include "ScriptedPrompts.h"

#include <gtest/gtest.h>

using namespace kvmt;
using namespace kvmt::test;

namespace {

class FactoryDefaultsTest : public ::testing::Test
{
protected:
    FactoryDefaultsTest() { identity.firmwareVersion = 144; }

    int changesDuring(const std::function<void()> &action)
    {
        int changes = 0;
        const QMetaObject::Connection c =
            QObject::connect(&settings, &DeviceSettings::fieldChanged, [&changes] { ++changes; });
        action();
        QObject::disconnect(c);
        return changes;
    }

    DeviceSettings settings;
    TrackerIdentity identity;
    ScriptedPrompts prompts;
    EditingRules rules{settings, identity, prompts};
    FactoryDefaults defaults{settings};
};

} // namespace

TEST_F(FactoryDefaultsTest, FillsTheFactoryValuesAndLeavesTheRestAlone)
{
    settings.setChecked(F::rbTimeIn, true);
    settings.setText(F::edSMSNumber1, QStringLiteral("+79160000000"));
    settings.setChecked(F::cbBalanceSMS, true);
    settings.setChecked(F::cbInd, true);
    settings.setChecked(F::rbCoordinate, true);
    defaults.btDefaultSetupClick();

    const std::pair<F, const char16_t *> texts[] = {
        {F::edBalanceNum, u"*100#"}, {F::edServerPort, u"2225"}, {F::edServerHour, u"24"}, {F::edServerMin, u"00"},
        {F::edSMTPHour, u"08"},      {F::edSMTPMin, u"00"},      {F::edSMSHour, u"01"},    {F::edSMSMin, u"00"},
        {F::edDevName, u"--------"}, {F::edOnLineTime, u"5"},
    };
    for (const auto &[field, text] : texts)
        EXPECT_EQ(settings.text(field), QString::fromUtf16(text)) << DeviceSettings::name(field).toStdString();
    EXPECT_EQ(settings.text(F::edPinCode), FactoryDefaults::kPin);
    EXPECT_EQ(settings.text(F::edServerIP), FactoryDefaults::kServer);
    for (const F cleared : {F::cbBalanceSMTP, F::cbBalanceSMS, F::cbSentServer, F::cbSentSMTP, F::cbInd,
                            F::rbTimeInSrv, F::rbEveryTimeSMTP, F::rbCoordinate})
        EXPECT_FALSE(settings.isChecked(cleared)) << DeviceSettings::name(cleared).toStdString();
    for (const F set : {F::rbGoogle, F::rbEveryTimeSrv, F::rbTimeInSMTP, F::cbSentSMS})
        EXPECT_TRUE(settings.isChecked(set)) << DeviceSettings::name(set).toStdString();
    // Not the button's business.
    EXPECT_TRUE(settings.isChecked(F::rbTimeIn));
    EXPECT_EQ(settings.text(F::edSMSNumber1), QStringLiteral("+79160000000"));
}

TEST_F(FactoryDefaultsTest, ValuesHaveTheFormTheTrackerExpects)
{
    const auto lowercaseLetters = [](const QString &text) {
        return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'a' && c <= u'z'; });
    };
    EXPECT_EQ(FactoryDefaults::kPin.size(), 4);
    EXPECT_TRUE(std::all_of(FactoryDefaults::kPin.begin(), FactoryDefaults::kPin.end(), [](QChar c) { return c.isDigit(); }));
    EXPECT_EQ(FactoryDefaults::kApnLogin.size(), 3);
    EXPECT_TRUE(lowercaseLetters(FactoryDefaults::kApnLogin));
    EXPECT_EQ(FactoryDefaults::kApnPassword.size(), 3);
    EXPECT_TRUE(lowercaseLetters(FactoryDefaults::kApnPassword));
    EXPECT_EQ(FactoryDefaults::kServerPassword.size(), 8);
    EXPECT_TRUE(lowercaseLetters(FactoryDefaults::kServerPassword));
    for (const QString &host : {FactoryDefaults::kApn, FactoryDefaults::kServer}) {
        EXPECT_TRUE(host.contains(u'.'));
        EXPECT_LE(host.size(), DeviceSettings::info(F::edAPN).limit);
    }
}

TEST_F(FactoryDefaultsTest, EachModeIsSetBeforeItsHoursAreJudged)
{
    // Server in time mode and e-mail in period mode: the hours that follow
    // must be judged by the modes the button sets.
    settings.setChecked(F::rbTimeInSrv, true);
    settings.setChecked(F::rbEveryTimeSMTP, true);
    settings.setText(F::edSMTPHour, QStringLiteral("100"));
    defaults.btDefaultSetupClick();
    EXPECT_EQ(settings.text(F::edServerHour), QStringLiteral("24"));
    EXPECT_EQ(settings.text(F::edSMTPHour), QStringLiteral("08"));
}

TEST_F(FactoryDefaultsTest, SwitchesRunTheirRules)
{
    settings.setChecked(F::cbSentServer, true);
    settings.setChecked(F::cbSentSMS, false);
    settings.setChecked(F::rbYandex, true);
    defaults.btDefaultSetupClick();
    EXPECT_FALSE(settings.isEnabled(F::edServerHour));
    EXPECT_FALSE(settings.isEnabled(F::rbEveryTimeSrv));
    EXPECT_TRUE(settings.isEnabled(F::edSMSHour));
    EXPECT_TRUE(settings.isEnabled(F::rbTimeIn));
    // rbGoogle's rule on firmware 1.44: the Google template is editable.
    EXPECT_TRUE(settings.isEnabled(F::edMapFormat_1));
    EXPECT_FALSE(settings.isEnabled(F::edMapFormat_2));
}

TEST_F(FactoryDefaultsTest, DeviceNameTakesTheSerialPanelWhole)
{
    settings.setText(F::pSerial, QStringLiteral("500150012"));
    defaults.btDefaultSetupClick();
    EXPECT_EQ(settings.text(F::edDevName), QStringLiteral("500150012"));
}

TEST_F(FactoryDefaultsTest, SecondPressChangesNothing)
{
    defaults.btDefaultSetupClick();
    EXPECT_EQ(changesDuring([this] { defaults.btDefaultSetupClick(); }), 0);
}
