#include "shell/CommandConsole.h"

#include "device/DeviceLink.h"
#include "log/EventLog.h"
#include "text/Cp1251.h"

namespace kvmt {

namespace {

// The boot loader accepts the flash queries only after this unlock code.
constexpr char kBootProtection[] = "PROTECTION,7150369248105736$";

// Which items of a protection command are passwords; the others (the
// switch of SECURESETUP, a "?" query) are shown.
bool isPasswordItem(const QString &key, qsizetype item, const QString &text)
{
    if (text == QLatin1String("?"))
        return false;
    if (key == QLatin1String("SECURESETUP"))
        return item > 0;
    return key == QLatin1String("SECUREOFFTMP") || key == QLatin1String("SECUREPASSCHANGE")
        || key == QLatin1String("SECURERESET");
}

} // namespace

QString CommandConsole::maskedPasswords(const QString &command)
{
    // A line may hold several commands; each is masked on its own.
    QStringList commands = command.split(u';');
    for (QString &one : commands) {
        const qsizetype equals = one.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = one.left(equals).trimmed().toUpper();
        QStringList items = one.mid(equals + 1).split(u',');
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (isPasswordItem(key, i, items[i]))
                items[i] = QStringLiteral("****");
        }
        one = one.left(equals + 1) + items.join(u',');
    }
    return commands.join(u';');
}

QString CommandConsole::unsendableReason(const QString &command)
{
    const QByteArray bytes = toCp1251(command);
    if (fromCp1251(bytes) != command)
        return QStringLiteral("it holds characters the tracker's character set (Windows-1251) cannot hold");
    if (bytes.contains('\0'))
        return QStringLiteral("it holds a NUL character");
    if (bytes.size() > kBufferSize - 1) {
        return QStringLiteral("it is %1 bytes long; the console sends at most %2")
            .arg(bytes.size())
            .arg(kBufferSize - 1);
    }
    return {};
}

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
    m_log.logEvent(u'\n' + (m_echoMasked ? maskedPasswords(command) : command), LogSuccess);
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
