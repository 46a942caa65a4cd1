#include "profiles/ProfileLayout.h"

#include <array>
#include <vector>

namespace kvmt {

namespace {

constexpr F kNone = F::Count;

// The caption labels take the place of the channel's sending switch.
constexpr int kCaptionTop = 37;

// Channel tops when a profile shows one or two channels.
constexpr int kFirstTop = 52;
constexpr int kSecondTop = 132;

constexpr std::array<ProfileLayout::Channel, ProfileLayout::ChannelCount> kChannels = {{
    {F::gbGPSPeriod, F::cbOnlyGPSEn, kNone, kNone, F::Label35, F::edGPSHour, F::Label36, F::edGPSMin, F::Label62, 52},
    {F::GroupBox1, F::cbSentSMS, F::rbEveryTime, F::rbTimeIn, F::Label22, F::edSMSHour, F::Label32, F::edSMSMin,
     F::Label63, 132},
    {F::gbServerPeriod, F::cbSentServer, F::rbEveryTimeSrv, F::rbTimeInSrv, F::Label29, F::edServerHour, F::Label30,
     F::edServerMin, F::Label64, 212},
    {F::gbSMTPPeriod, F::cbSentSMTP, F::rbEveryTimeSMTP, F::rbTimeInSMTP, F::Label10, F::edSMTPHour, F::Label17,
     F::edSMTPMin, kNone, 292},
}};

// The GPS channel's stand-in for the mode buttons it does not have.
constexpr F kGpsPeriodLabel = F::Label47;

} // namespace

ProfileLayout::ProfileLayout(DeviceSettings &settings)
    : m_settings(settings)
{
}

const ProfileLayout::Channel &ProfileLayout::channel(ChannelId id)
{
    return kChannels[size_t(id)];
}

void ProfileLayout::applyProfileLayout()
{
    for (const F caption : {F::Label62, F::Label63, F::Label64})
        m_settings.setTop(caption, kCaptionTop);

    const QString wakeUp = tr("Просыпаться с периодом");
    const QString sendAt = tr("Отправлять в");
    const QString sendEvery = tr("Отправлять с периодом");
    const QString locateEvery = tr("Определять координаты с периодом");
    const Channel &gps = channel(Gps);
    const Channel &sms = channel(Sms);
    const Channel &server = channel(Server);
    const Channel &mail = channel(Mail);

    switch (m_settings.index(F::cbProfile)) {
    case ProfileSleep:
        fixed(gps, {kFirstTop, wakeUp, Mode::None, false});
        off(sms);
        off(server);
        off(mail);
        break;
    case ProfileCar:
        off(gps);
        fixed(sms, {kFirstTop, sendAt, Mode::Time, true});
        off(server);
        off(mail);
        break;
    case ProfileCargo:
        off(gps);
        fixed(sms, {kFirstTop, sendEvery, Mode::Period, false});
        fixed(server, {kSecondTop, sendEvery, Mode::Period, false});
        off(mail);
        break;
    case ProfileTracker:
        fixed(gps, {kFirstTop, locateEvery, Mode::None, true});
        m_settings.setEnabled(kGpsPeriodLabel, false);
        off(sms);
        fixed(server, {kSecondTop, sendEvery, Mode::Period, false});
        off(mail);
        break;
    case ProfileSearch:
        off(gps);
        fixed(sms, {kFirstTop, sendEvery, Mode::Period, true});
        fixed(server, {kSecondTop, sendEvery, Mode::Period, true});
        off(mail);
        break;
    case ProfileUser1:
    case ProfileUser2:
        for (const Channel &c : kChannels)
            free(c);
        break;
    default:
        // No selection: only the captions moved.
        break;
    }
}

void ProfileLayout::off(const Channel &c)
{
    // Unchecked first, so that the switch's rule greys the channel's fields
    // before the group goes; its other controls keep their state.
    m_settings.setChecked(c.sendSwitch, false);
    m_settings.setVisible(c.group, false);
}

void ProfileLayout::fixed(const Channel &c, const Fixed &how)
{
    m_settings.setVisible(c.group, true);
    m_settings.setTop(c.group, how.top);
    // Checked before the mode is forced: the switch's rule enables both mode
    // buttons, and the forced one must end disabled.
    m_settings.setChecked(c.sendSwitch, true);
    m_settings.setVisible(c.sendSwitch, false);
    if (c.caption != kNone) {
        m_settings.setText(c.caption, how.caption);
        m_settings.setVisible(c.caption, true);
    }
    if (how.mode == Mode::None) {
        m_settings.setVisible(kGpsPeriodLabel, false);
    } else {
        const F forced = how.mode == Mode::Time ? c.timeMode : c.periodMode;
        const F other = how.mode == Mode::Time ? c.periodMode : c.timeMode;
        m_settings.setChecked(forced, true);
        m_settings.setEnabled(forced, false);
        m_settings.setChecked(other, false);
        m_settings.setVisible(forced, false);
        m_settings.setVisible(other, false);
    }
    m_settings.setVisible(c.minutesLabel, how.minutes);
    m_settings.setVisible(c.minutes, how.minutes);
}

void ProfileLayout::free(const Channel &c)
{
    m_settings.setVisible(c.group, true);
    m_settings.setTop(c.group, c.freeTop);
    m_settings.setVisible(c.sendSwitch, true);
    if (c.caption != kNone)
        m_settings.setVisible(c.caption, false);

    std::vector<F> dependents{c.hoursLabel, c.minutesLabel, c.hours, c.minutes};
    if (c.periodMode == kNone) {
        dependents.push_back(kGpsPeriodLabel);
        m_settings.setEnabled(c.sendSwitch, true);
    } else {
        dependents.push_back(c.periodMode);
        dependents.push_back(c.timeMode);
    }
    const bool sending = m_settings.isChecked(c.sendSwitch);
    for (const F f : dependents) {
        m_settings.setVisible(f, true);
        m_settings.setEnabled(f, sending);
    }
}

} // namespace kvmt
