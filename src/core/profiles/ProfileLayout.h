#pragma once

#include <QCoreApplication>
#include <QString>

#include "settings/DeviceSettings.h"

namespace kvmt {

// The operating profiles, numbered as the tracker numbers them in
// READPROFILE, CHANGEPROFILE and CHANGEPROFILEONCALL.
enum ProfileIndex : int {
    ProfileSleep = 0,   // SLP
    ProfileCar = 1,     // CAR
    ProfileCargo = 2,   // CRG
    ProfileTracker = 3, // TKR
    ProfileSearch = 4,  // SRH
    ProfileUser1 = 5,   // USR1
    ProfileUser2 = 6,   // USR2
    ProfileCount = 7,
};

// Lays out the profile page for the selected profile: channels the profile
// does not use are switched off and hidden, the ones it uses move to the
// top, take the profile's caption and have their mode forced; the user
// profiles show every channel with every switch free.
//
// The layout changes switches through the model, so each forced change runs
// the switch's own rule (fields enabled or disabled, an hour re-checked
// against a time of day) exactly as a click would; a switch already in the
// forced state runs nothing.
class ProfileLayout
{
    Q_DECLARE_TR_FUNCTIONS(kvmt::ProfileLayout)

public:
    explicit ProfileLayout(DeviceSettings &settings);

    void applyProfileLayout();

    // One reporting channel of the page.
    struct Channel {
        Field group;
        Field sendSwitch;
        Field periodMode; // the "Период:" button; Count for the GPS channel
        Field timeMode;   // the "Время:" button; Count for the GPS channel
        Field hoursLabel;
        Field hours;
        Field minutesLabel;
        Field minutes;
        Field caption; // the profile caption label; Count for e-mail
        int freeTop;   // where the channel stands when every channel is shown
    };
    enum ChannelId { Gps, Sms, Server, Mail, ChannelCount };
    static const Channel &channel(ChannelId id);

private:
    enum class Mode { None, Period, Time };
    struct Fixed {
        int top;
        QString caption;
        Mode mode;
        bool minutes;
    };

    void off(const Channel &c);
    void fixed(const Channel &c, const Fixed &how);
    void free(const Channel &c);

    DeviceSettings &m_settings;
};

} // namespace kvmt
