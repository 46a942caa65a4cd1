#include "shell/CommandConsole.h"

#include "device/DeviceLink.h"
#include "log/EventLog.h"
#include "text/Cp1251.h"

namespace kvmt {

namespace {

// The boot loader accepts the flash queries only after this unlock code.
constexpr char kBootProtection[] = "PROTECTION,7150369248105736$";

} // namespace

CommandConsole::CommandConsole(DeviceLink &link, EventLog &log, const LinkFlags &flags)
    : m_link(link)
    , m_log(log)
    , m_flags(flags)
{
}

QByteArray CommandConsole::fitBuffer(const QByteArray &bytes)
{
    const qsizetype nul = bytes.indexOf('\0');
    return bytes.left(qMin(nul < 0 ? bytes.size() : nul, kBufferSize - 1));
}

bool CommandConsole::send(const QString &command)
{
    if (!m_flags.testFlag(LinkFlag::Connected))
        return false;
    const std::optional<DeviceLink::Claim> claim = m_link.claim();
    if (!claim)
        return false;
    m_log.logEvent(u'\n' + command, LogSuccess);
    // Exactly as typed: the engineer writes the "=" and ";" himself.
    m_link.sendCommand(fitBuffer(toCp1251(command)));
    m_history.add(command);
    if (m_link.receiveReply() != 0)
        return true;
    m_log.logEvent(fromCp1251(fitBuffer(m_link.replyBuffer())), LogNotice);
    return true;
}

void CommandConsole::Button1Click()
{
    const std::optional<DeviceLink::Claim> claim = m_link.claim();
    if (!claim)
        return;
    m_link.sendCommand("START_BOOT_LOADER");
    if (m_link.receiveReply() == 0)
        m_log.logEvent(fromCp1251(m_link.replyKey()), LogSuccess);
}

void CommandConsole::Button2Click()
{
    const std::optional<DeviceLink::Claim> claim = m_link.claim();
    if (!claim)
        return;
    m_link.sendCommand(kBootProtection);
    m_link.sendCommand("FL_GET_RATE$");
    m_link.receiveRaw();
    m_link.sendCommand("FL_GET_NUM$");
    m_link.receiveRaw();
}

} // namespace kvmt
