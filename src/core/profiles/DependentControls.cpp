#include "profiles/DependentControls.h"

#include <array>
#include <vector>

#include "settings/TrackerIdentity.h"

namespace kvmt {

namespace {

// Firmware from which the tracker takes its own map templates.
constexpr quint32 kMapTemplateFirmware = 132;

constexpr std::array kAlertsGroup{F::cbAcclSendSMS, F::cbFastSMS, F::cbAcclSendSrv, F::cbAcclSendEmail,
                                  F::cbCallOnNumber};
constexpr std::array kActivityGroup{F::Label54,         F::Label55,        F::Label56,         F::Label57,
                                    F::Label58,         F::Label59,        F::edAccActHourBeg, F::edAccActMinBeg,
                                    F::edAccActHourEnd, F::edAccActMinEnd};
constexpr std::array kZoneSendGroup{F::cbCZ_SMS_En, F::cbCZ_Server_En, F::cbCZ_SMTP_En};
constexpr std::array kZoneCoordinatesGroup{F::Label49, F::Label50, F::Label51, F::edLat, F::edLon, F::edRadius};
constexpr std::array kZoneDirectionGroup{F::cbCZ_Out, F::cbCZ_In};

// Switches with rules, so that the destructor leaves none behind.
constexpr std::array kSwitches{F::cbSentSMS,   F::cbSentServer,  F::cbSentSMTP,    F::cbOnlyGPSEn,
                               F::cbSMSGateEn, F::cbChangeProfile, F::cbAcclSendSMS, F::cbAcclEn,
                               F::cbCZ_En_Control, F::rbGoogle,  F::rbYandex,    F::rbCoordinate};

} // namespace

DependentControls::DependentControls(DeviceSettings &settings, const TrackerIdentity &identity)
    : m_settings(settings)
    , m_identity(identity)
{
    install();
}

DependentControls::~DependentControls()
{
    for (const F sw : kSwitches)
        m_settings.setRule(sw, {});
}

std::span<const Field> DependentControls::groupChildren(Field group)
{
    switch (group) {
    case F::GroupBox2:
        return kAlertsGroup;
    case F::GroupBox12:
        return kActivityGroup;
    case F::GroupBox7:
        return kZoneSendGroup;
    case F::GroupBox8:
        return kZoneCoordinatesGroup;
    case F::GroupBox9:
        return kZoneDirectionGroup;
    default:
        return {};
    }
}

void DependentControls::setGroupChildrenEnabled(Field group, bool enabled)
{
    for (const F child : groupChildren(group))
        m_settings.setEnabled(child, enabled);
}

void DependentControls::enableWithSwitch(Field sw, std::initializer_list<Field> dependents)
{
    m_settings.setRule(sw, [this, sw, list = std::vector<Field>(dependents)] {
        for (const F dependent : list)
            m_settings.setEnabled(dependent, m_settings.isChecked(sw));
    });
}

void DependentControls::install()
{
    enableWithSwitch(F::cbSentSMS, {F::Label22, F::Label32, F::edSMSMin, F::edSMSHour, F::rbTimeIn, F::rbEveryTime});
    enableWithSwitch(F::cbSentServer, {F::Label29, F::Label30, F::edServerMin, F::edServerHour, F::rbTimeInSrv,
                                       F::rbEveryTimeSrv});
    enableWithSwitch(F::cbSentSMTP, {F::Label10, F::Label17, F::edSMTPMin, F::edSMTPHour, F::rbTimeInSMTP,
                                     F::rbEveryTimeSMTP});
    enableWithSwitch(F::cbOnlyGPSEn, {F::Label47, F::Label36, F::edGPSMin, F::Label35, F::edGPSHour});
    enableWithSwitch(F::cbSMSGateEn, {F::Label18, F::edSMSGate});
    enableWithSwitch(F::cbChangeProfile, {F::cbProfile_Call});
    enableWithSwitch(F::cbAcclSendSMS, {F::cbFastSMS});

    // Switching the accelerometer on enables every alert box at once, the
    // fast-SMS box too whatever the SMS box says; it follows the SMS box
    // again at that box's next change.
    m_settings.setRule(F::cbAcclEn, [this] {
        for (const F dependent : {F::Label60, F::Label24, F::cbAcclSense, F::edAccSenTimeOut, F::GroupBox2,
                                  F::GroupBox12})
            m_settings.setEnabled(dependent, m_settings.isChecked(F::cbAcclEn));
        setGroupChildrenEnabled(F::GroupBox2, m_settings.isChecked(F::cbAcclEn));
        setGroupChildrenEnabled(F::GroupBox12, m_settings.isChecked(F::cbAcclEn));
    });
    // The zone's group boxes stay enabled: only what is inside them greys.
    m_settings.setRule(F::cbCZ_En_Control, [this] {
        for (const F group : {F::GroupBox7, F::GroupBox8, F::GroupBox9})
            setGroupChildrenEnabled(group, m_settings.isChecked(F::cbCZ_En_Control));
    });

    for (const F radio : {F::rbGoogle, F::rbYandex, F::rbCoordinate})
        m_settings.setRule(radio, [this, radio] { applyMapTemplate(radio); });
}

void DependentControls::applyMapTemplate(Field selected)
{
    if (selected == F::rbCoordinate) {
        m_settings.setEnabled(F::edMapFormat_1, false);
        m_settings.setEnabled(F::edMapFormat_2, false);
        return;
    }
    // Older firmware has no templates of its own: the fields stay as the
    // connection left them.
    if (m_identity.firmwareVersion < kMapTemplateFirmware)
        return;
    m_settings.setEnabled(F::edMapFormat_1, selected == F::rbGoogle);
    m_settings.setEnabled(F::edMapFormat_2, selected == F::rbYandex);
}

} // namespace kvmt
