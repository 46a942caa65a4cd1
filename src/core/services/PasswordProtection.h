#pragma once

#include <QByteArrayView>
#include <QCoreApplication>

#include <functional>
#include <optional>

#include "device/LinkFlags.h"

namespace kvmt {

class CommandChannel;
class DeviceSettings;
class EventLog;

// The tracker's settings password, from the "Security" page: switching the
// protection on and off, changing the password, setting a new one with the
// master password, and showing or masking what is typed. Each action is one
// exchange. Passwords go to the tracker only, never into the log.
class PasswordProtection
{
    Q_DECLARE_TR_FUNCTIONS(kvmt::PasswordProtection)

public:
    PasswordProtection(CommandChannel &channel, DeviceSettings &settings, EventLog &log, const LinkFlags &flags);

    void btOnOffPINClick();
    void btChangePINClick();
    void edResetLockMpClick();
    // Installed as the rule of cbViewPassEn: it runs for the person's click
    // and for a change by program alike.
    void cbViewPassEnClick();

    // Told after the tracker accepted a switch, a change or a new password:
    // it is unlocked for this connection from then on.
    void setAccepted(std::function<void()> told) { m_accepted = std::move(told); }

private:
    bool requireConnection();
    // Logs the answer to a change or a reset: a refusal, or the number that
    // tells whether the old or master password was right. False when the
    // answer held no such number: the person's fields then stay.
    bool reportNewPassword(std::optional<int> accepted, const QString &refused, const QString &wrongProof,
                           const char *key);
    // Runs the accepted hook when the answer just reported took the new
    // password; after the fields are emptied, so a read it starts finds
    // them as the person will.
    void tellIfTaken();

    CommandChannel &m_channel;
    DeviceSettings &m_settings;
    EventLog &m_log;
    const LinkFlags &m_flags;
    std::function<void()> m_accepted;
    bool m_newPasswordTaken = false;
};

// "%d,%d" as the tracker answers a protection switch: state and acceptance.
struct SwitchReply {
    int state = 0;
    int accepted = 0;
};
std::optional<SwitchReply> parseSwitchReply(QByteArrayView value);

} // namespace kvmt
