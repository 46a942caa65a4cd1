// Protects which characters can be typed into each filtered field.
#include "profiles/KeyFilters.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kvmt;

namespace {

struct FilteredField {
    Field field;
    const char16_t *extras;
};

class KeyFilterFieldTest : public ::testing::TestWithParam<FilteredField>
{
};

constexpr char16_t kCtrlA = 1, kCtrlX = 24, kCtrlZ = 26, kEnter = 13;

} // namespace

TEST_P(KeyFilterFieldTest, DigitsAndEditingKeysPassEverythingElseButItsExtrasIsDropped)
{
    const FilteredField &p = GetParam();
    const QStringView extras(p.extras);
    for (char16_t c = u'0'; c <= u'9'; ++c)
        EXPECT_TRUE(acceptsTypedChar(p.field, QChar(c)));
    for (const char16_t c : {KeyFilter::kBackspace, KeyFilter::kCopy, KeyFilter::kPaste})
        EXPECT_TRUE(acceptsTypedChar(p.field, QChar(c))) << int(c);
    for (const QChar c : extras)
        EXPECT_TRUE(acceptsTypedChar(p.field, c)) << QString(c).toStdString();
    for (const char16_t c : {u'a', u'Z', u'ж', u' ', kEnter, kCtrlX, kCtrlA, kCtrlZ, u'+', u'-', u'.', u',', u':',
                             u'e', u'٣' /* a digit of another script */}) {
        if (!extras.contains(QChar(c))) {
            EXPECT_FALSE(acceptsTypedChar(p.field, QChar(c))) << int(c);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFilteredField, KeyFilterFieldTest,
    ::testing::Values(FilteredField{F::edPinCode, u""}, FilteredField{F::Passw, u""}, FilteredField{F::NewPassM, u""},
                      FilteredField{F::OldPass_, u""}, FilteredField{F::NewPass_, u""},
                      FilteredField{F::edServerPort, u""}, FilteredField{F::edSMTPPort, u""},
                      FilteredField{F::edOnLineTime, u""}, FilteredField{F::edSMSHour, u""},
                      FilteredField{F::edSMSMin, u""}, FilteredField{F::edServerHour, u""},
                      FilteredField{F::edGPSHour, u""}, FilteredField{F::edServerMin, u""},
                      FilteredField{F::edGPSMin, u""}, FilteredField{F::edSMTPHour, u""},
                      FilteredField{F::edSMTPMin, u""}, FilteredField{F::edBalanceLevel, u""},
                      FilteredField{F::edAccSenTimeOut, u""}, FilteredField{F::edAccActHourBeg, u""},
                      FilteredField{F::edAccActMinBeg, u""}, FilteredField{F::edAccActHourEnd, u""},
                      FilteredField{F::edAccActMinEnd, u""}, FilteredField{F::edRadius, u""},
                      FilteredField{F::edSMSNumber1, u"+"}, FilteredField{F::edSMSNumber2, u"+"},
                      FilteredField{F::edSMSNumber3, u"+"}, FilteredField{F::edSMSGate, u"+"},
                      FilteredField{F::edLat, u".-"}, FilteredField{F::edLon, u".-"},
                      FilteredField{F::edTimeZone, u"-"}, FilteredField{F::edTimeSync, u":,."}),
    [](const ::testing::TestParamInfo<FilteredField> &info) {
        return DeviceSettings::name(info.param.field).toStdString();
    });

TEST(KeyFilters, FieldsWithoutAFilterTakeAnyCharacter)
{
    for (const F field : {F::edAPN, F::edServerIP, F::edMasterPass, F::edDevName, F::edMapFormat_1, F::edCmd}) {
        EXPECT_EQ(keyFilterFor(field), nullptr) << DeviceSettings::name(field).toStdString();
        EXPECT_TRUE(acceptsTypedChar(field, QChar(u'ж')));
        EXPECT_TRUE(acceptsTypedChar(field, QChar(kCtrlX)));
        // A value ends at ';': typed into a value it would cut it. The
        // console writes the protocol itself.
        EXPECT_EQ(acceptsTypedChar(field, QChar(u';')), field == F::edCmd);
    }
    EXPECT_FALSE(acceptsTypedChar(F::edSMSNumber1, QChar(u';')));
}

// Text that arrives whole from elsewhere is held to what typing could give:
// the same filter, nothing no key types, no more than the field keeps.
TEST(KeyFilters, AWholeTextPassesOnlyWhatTypingCouldGive)
{
    EXPECT_FALSE(typingRefusal(F::edPinCode, u"1234"));
    EXPECT_FALSE(typingRefusal(F::edDevName, u"Фургон 7"));
    EXPECT_FALSE(typingRefusal(F::edSMSHour, u"123456789")) << "no limit";
    const auto length = typingRefusal(F::edPinCode, u"12345");
    ASSERT_TRUE(length);
    EXPECT_EQ(length->kind, TypingRefusal::Kind::Length);
    EXPECT_EQ(length->limit, 4);
    // Backspace passes the filter as a key, never as a character of a text.
    for (const auto &[field, text, refused] : {std::tuple{F::edPinCode, u"12a4", u'a'},
                                               std::tuple{F::edPinCode, u"12\b4", u'\b'},
                                               std::tuple{F::edSMSNumber1, u"+7 900", u' '},
                                               std::tuple{F::edDevName, u"VAN\n1", u'\n'},
                                               std::tuple{F::edAPN, u"a;b", u';'}}) {
        const auto found = typingRefusal(field, QStringView(text));
        ASSERT_TRUE(found) << DeviceSettings::name(field).toStdString();
        EXPECT_EQ(found->kind, TypingRefusal::Kind::Character);
        EXPECT_EQ(found->character, QChar(refused));
    }
}
