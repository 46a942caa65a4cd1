#include "profiles/FieldRules.h"

#include <array>

#include "device/UserPrompts.h"
#include "profiles/ProfileLayout.h"
#include "text/Numbers.h"

#include <QCoreApplication>

namespace kvmt {

namespace {

// A period of up to 27 days.
constexpr int kMaxPeriodHours = 648;
constexpr int kMaxHourOfDay = 23;
constexpr int kMaxMinute = 59;
// Shortest GPS period, in minutes, where the hours may be 0.
constexpr int kMinGpsMinutes = 10;
constexpr int kMinOnLineMinutes = 3;
constexpr int kMaxOnLineMinutes = 10;
constexpr int kMaxStopDelayMinutes = 180;
constexpr int kMaxTimeZone = 12;

constexpr std::array kRuledFields{
    F::edSMSHour,       F::edSMSMin,       F::edServerHour,    F::edServerMin,    F::edSMTPHour,
    F::edSMTPMin,       F::edGPSHour,      F::edGPSMin,        F::edOnLineTime,   F::edAccActHourBeg,
    F::edAccActMinBeg,  F::edAccActHourEnd, F::edAccActMinEnd, F::edAccSenTimeOut, F::edTimeZone,
    F::rbTimeIn,        F::rbTimeInSrv,    F::rbTimeInSMTP,
};

} // namespace

FieldRules::FieldRules(DeviceSettings &settings, UserPrompts &prompts)
    : m_settings(settings)
    , m_prompts(prompts)
{
    install();
}

FieldRules::~FieldRules()
{
    for (const F field : kRuledFields)
        m_settings.setRule(field, {});
}

QString FieldRules::notAnIntegerMessage(const QString &text)
{
    return QCoreApplication::translate("kvmt::FieldRules", "\"%1\" не является целым числом").arg(text);
}

void FieldRules::install()
{
    m_settings.setRule(F::edSMSHour, [this] {
        const std::optional<int> n = ownNumber(F::edSMSHour);
        if (!n)
            return;
        int limit = kMaxPeriodHours;
        if (profile() == ProfileCargo) {
            m_settings.setText(F::edSMSMin, QStringLiteral("0"));
            limit = kMaxHourOfDay;
        } else if (profile() == ProfileSearch) {
            limit = kMaxHourOfDay;
        }
        channelHours(F::edSMSHour, F::rbTimeIn, *n, limit);
    });
    m_settings.setRule(F::edServerHour, [this] {
        const std::optional<int> n = ownNumber(F::edServerHour);
        if (!n)
            return;
        int limit = kMaxPeriodHours;
        if (profile() == ProfileCargo || profile() == ProfileTracker)
            m_settings.setText(F::edServerMin, QStringLiteral("0"));
        else if (profile() == ProfileSearch)
            limit = kMaxHourOfDay;
        channelHours(F::edServerHour, F::rbTimeInSrv, *n, limit);
    });
    m_settings.setRule(F::edSMTPHour, [this] {
        if (const std::optional<int> n = ownNumber(F::edSMTPHour))
            channelHours(F::edSMTPHour, F::rbTimeInSMTP, *n, kMaxPeriodHours);
    });

    const auto capped = [this](Field field, int limit) {
        m_settings.setRule(field, [this, field, limit] {
            if (const std::optional<int> n = ownNumber(field))
                capAt(field, *n, limit);
        });
    };
    capped(F::edSMSMin, kMaxMinute);
    capped(F::edServerMin, kMaxMinute);
    capped(F::edSMTPMin, kMaxMinute);
    // No rule relates the window's start to its end: a window across
    // midnight is ordinary.
    capped(F::edAccActHourBeg, kMaxHourOfDay);
    capped(F::edAccActHourEnd, kMaxHourOfDay);
    capped(F::edAccActMinBeg, kMaxMinute);
    capped(F::edAccActMinEnd, kMaxMinute);
    capped(F::edAccSenTimeOut, kMaxStopDelayMinutes);

    m_settings.setRule(F::edGPSHour, [this] { gpsHours(); });
    m_settings.setRule(F::edGPSMin, [this] { gpsMinutes(); });
    m_settings.setRule(F::edOnLineTime, [this] { onLineTime(); });
    m_settings.setRule(F::edTimeZone, [this] { timeZone(); });

    // Only the time-of-day buttons re-check: a period may be longer than a
    // time of day, never the other way round.
    m_settings.setRule(F::rbTimeIn, [this] { modeRecheck(F::edSMSHour); });
    m_settings.setRule(F::rbTimeInSrv, [this] { modeRecheck(F::edServerHour); });
    m_settings.setRule(F::rbTimeInSMTP, [this] { modeRecheck(F::edSMTPHour); });
}

std::optional<int> FieldRules::ownNumber(Field field)
{
    const QString text = m_settings.text(field);
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<int> n = strictInt(text);
    if (!n)
        m_prompts.showMessage(notAnIntegerMessage(text));
    return n;
}

std::optional<int> FieldRules::numberIn(Field field) const
{
    return strictInt(m_settings.text(field));
}

void FieldRules::capAt(Field field, int value, int limit)
{
    if (value > limit)
        m_settings.setText(field, QString::number(limit));
}

void FieldRules::raiseTo(Field field, int value, int floor)
{
    if (value < floor)
        m_settings.setText(field, QString::number(floor));
}

int FieldRules::profile() const
{
    return m_settings.index(F::cbProfile);
}

void FieldRules::channelHours(Field hours, Field timeMode, int value, int periodLimit)
{
    capAt(hours, value, m_settings.isChecked(timeMode) ? kMaxHourOfDay : periodLimit);
}

void FieldRules::modeRecheck(Field hours)
{
    if (const std::optional<int> n = ownNumber(hours))
        capAt(hours, *n, kMaxHourOfDay);
}

void FieldRules::gpsHours()
{
    const std::optional<int> n = ownNumber(F::edGPSHour);
    if (!n)
        return;
    int limit = kMaxPeriodHours;
    switch (profile()) {
    case ProfileSleep:
        // The sleeping tracker wakes up in whole hours, at least one.
        raiseTo(F::edGPSHour, *n, 1);
        m_settings.setText(F::edGPSMin, QStringLiteral("0"));
        break;
    case ProfileTracker:
        limit = kMaxHourOfDay;
        if (*n == 0)
            shortGpsPeriod();
        break;
    case ProfileUser1:
    case ProfileUser2:
        if (*n == 0)
            shortGpsPeriod();
        break;
    default:
        break;
    }
    // The value as it was when the rule started, not after the raise above.
    capAt(F::edGPSHour, *n, limit);
}

void FieldRules::gpsMinutes()
{
    const std::optional<int> n = ownNumber(F::edGPSMin);
    if (!n)
        return;
    capAt(F::edGPSMin, *n, kMaxMinute);
    const int p = profile();
    if ((p == ProfileTracker || p == ProfileUser1 || p == ProfileUser2) && numberIn(F::edGPSHour) == 0)
        shortGpsPeriod();
}

// With no whole hours the period must still be at least the minimum.
void FieldRules::shortGpsPeriod()
{
    if (const std::optional<int> minutes = numberIn(F::edGPSMin); minutes && *minutes < kMinGpsMinutes)
        m_settings.setText(F::edGPSMin, QString::number(kMinGpsMinutes));
}

void FieldRules::onLineTime()
{
    const std::optional<int> n = ownNumber(F::edOnLineTime);
    if (!n)
        return;
    capAt(F::edOnLineTime, *n, kMaxOnLineMinutes);
    if (const std::optional<int> now = numberIn(F::edOnLineTime))
        raiseTo(F::edOnLineTime, *now, kMinOnLineMinutes);
}

void FieldRules::timeZone()
{
    const QString text = m_settings.text(F::edTimeZone);
    if (text.isEmpty())
        return;
    // Never fails: a sign typed before its digits reads as 0 and stays.
    const int n = strictInt(text).value_or(0);
    raiseTo(F::edTimeZone, n, -kMaxTimeZone);
    capAt(F::edTimeZone, n, kMaxTimeZone);
}

} // namespace kvmt
