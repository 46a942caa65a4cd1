// The page of the operating profiles: the profile list and one group per
// reporting channel. The profile layout moves, hides and captions these
// controls at run time; the positions here are the free layout of the
// user profiles, where every channel is shown.
#include "ui/pages/PageKit.h"
#include "ui/pages/SettingsPages.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kvmt {

namespace {

using namespace pages;

// Positions inside a channel's group box.
constexpr int kGroupLeft = 32;
constexpr int kGroupWidth = 633;
constexpr int kGroupHeight = 74;
constexpr int kSwitchLeft = 24;
constexpr int kSwitchTop = 37;
constexpr int kModeLeft = 342;
constexpr int kPeriodTop = 22;
constexpr int kTimeTop = 45;
constexpr int kHoursLeft = 499;
constexpr int kMinutesLeft = 567;
constexpr int kFieldTop = 39;
constexpr int kFieldWidth = 32;
constexpr int kUnitTop = 20;
// The profile caption replaces the sending check box when a profile fixes
// the channel; it needs room for the longest caption a profile gives it.
// It starts at the check box's left edge: the layout that shows it moves it
// down onto the check box's line but never sideways.
constexpr QRect kCaptionGeometry{kSwitchLeft, 17, 300, 18};

struct Channel {
    const char *group;
    const char *switchName;
    const char *hoursLabel;
    const char *hours;
    const char *minutesLabel;
    const char *minutes;
    const char *caption; // nullptr: the channel has no profile caption
    int top;
};

// Hours and minutes fields with their captions centred above them.
void addPeriodFields(QGroupBox *group, const Channel &channel)
{
    const auto addField = [group](const char *labelName, const QString &unit, const char *fieldName, int left) {
        QLabel *label = addLabel(group, labelName, unit, 0, kUnitTop);
        label->move(left + (kFieldWidth - label->width()) / 2, kUnitTop);
        addEdit(group, fieldName, {left, kFieldTop, kFieldWidth, kEditHeight}, Qt::AlignCenter);
    };
    addField(channel.hoursLabel, WindowText::tr("Часы"), channel.hours, kHoursLeft);
    addField(channel.minutesLabel, WindowText::tr("Минуты"), channel.minutes, kMinutesLeft);
    if (channel.caption)
        addLabel(group, channel.caption, QString::fromLatin1(channel.caption), kCaptionGeometry);
}

QGroupBox *addChannel(QWidget *page, const Channel &channel, const QString &title, const QString &switchText)
{
    QGroupBox *group = addGroup(page, channel.group, title, {kGroupLeft, channel.top, kGroupWidth, kGroupHeight});
    addCheck(group, channel.switchName, switchText, kSwitchLeft, kSwitchTop);
    addPeriodFields(group, channel);
    return group;
}

void addModes(QGroupBox *group, const char *period, const char *time)
{
    addRadio(group, period, WindowText::tr("Период:"), kModeLeft, kPeriodTop);
    addRadio(group, time, WindowText::tr("Время:"), kModeLeft, kTimeTop);
}

} // namespace

void buildProfilesPage(QWidget *page)
{
    preparePage(page);
    addList(page, "cbProfile", {32, 22, 228, kEditHeight});

    const Channel gps{"gbGPSPeriod", "cbOnlyGPSEn", "Label35", "edGPSHour", "Label36", "edGPSMin", "Label62", 52};
    QGroupBox *group = addChannel(page, gps, WindowText::tr("GPS"), WindowText::tr("Разрешить отдельно включать GPS"));
    // The GPS channel has no time of day; a plain caption stands where the
    // other channels have their mode buttons.
    addLabel(group, "Label47", WindowText::tr("Период"), 360, 42);

    const Channel sms{"GroupBox1", "cbSentSMS", "Label22", "edSMSHour", "Label32", "edSMSMin", "Label63", 132};
    group = addChannel(page, sms, WindowText::tr("SMS"), WindowText::tr("Отправлять  SMS"));
    addModes(group, "rbEveryTime", "rbTimeIn");

    const Channel server{"gbServerPeriod", "cbSentServer", "Label29", "edServerHour", "Label30", "edServerMin",
                         "Label64",        212};
    group = addChannel(page, server, WindowText::tr("Сервер"), WindowText::tr("Отправлять на сервер"));
    addModes(group, "rbEveryTimeSrv", "rbTimeInSrv");

    const Channel mail{"gbSMTPPeriod", "cbSentSMTP", "Label10", "edSMTPHour", "Label17", "edSMTPMin", nullptr, 292};
    group = addChannel(page, mail, WindowText::tr("Электронная почта"), WindowText::tr("Отправлять на EMail"));
    addModes(group, "rbEveryTimeSMTP", "rbTimeInSMTP");
}

} // namespace kvmt
