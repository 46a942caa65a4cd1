#pragma once

#include <QByteArray>
#include <QString>

#include "device/LinkFlags.h"
#include "shell/CommandHistory.h"

namespace kvmt {

class DeviceLink;
class EventLog;

// The service console: one raw command typed by an engineer, sent as it is,
// and the tracker's unsplit reply shown in the event log. Also the two
// boot-loader commands of the service buttons.
class CommandConsole
{
public:
    // Commands and shown replies pass through 128-byte buffers of the
    // tracker tools; what does not fit is cut, never overrun.
    static constexpr qsizetype kBufferSize = 128;
    // Capacity of each raw read of the flash queries.
    static constexpr qsizetype kRawCapacity = 539;

    CommandConsole(DeviceLink &link, EventLog &log, const LinkFlags &flags);

    // btSkipClick and Enter in edCmd. Only while a tracker is connected and
    // no other sequence holds the link; otherwise nothing at all happens.
    // Returns whether it was sent.
    bool send(const QString &command);
    // Button1Click ("BOOT"): starts the tracker's boot loader.
    void Button1Click();
    // Button2Click: the boot loader's flash queries; nothing is shown.
    void Button2Click();

    CommandHistory &history() { return m_history; }

    // The echo line shows passwords typed in a command as stars. The window
    // shows the command as typed (the person sees the field anyway); a tool
    // whose log goes to a file or a terminal's scroll-back masks them.
    void setEchoMasked(bool masked) { m_echoMasked = masked; }
    // The command with the password items of the protection commands
    // (SECUREOFFTMP, SECURESETUP, SECUREPASSCHANGE, SECURERESET) as "****".
    static QString maskedPasswords(const QString &command);
    // Why the command would not reach the tracker as written: a character
    // Windows-1251 cannot hold, or more bytes than the console's buffer.
    // Empty when it goes as it is.
    static QString unsendableReason(const QString &command);

    // Text as it fits a console buffer: up to the first NUL, at most
    // kBufferSize - 1 bytes (the buffer keeps its terminating NUL).
    static QByteArray fitBuffer(const QByteArray &bytes);

private:
    DeviceLink &m_link;
    EventLog &m_log;
    const LinkFlags &m_flags;
    CommandHistory m_history;
    bool m_echoMasked = false;
};

} // namespace kvmt
