#include "cli/PasswordSource.h"

#include <QFile>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace kvmt {

namespace {

// A password is four digits; anything near this is no password file.
constexpr qint64 kPasswordFileLimit = 4096;

QByteArray firstLine(const QByteArray &text)
{
    const qsizetype end = text.indexOf('\n');
    QByteArray line = end < 0 ? text : text.left(end);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

PasswordSource::PasswordSource(Terminal terminal)
    : m_terminal(std::move(terminal))
{
}

bool PasswordSource::setFromFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    const QByteArray text = file.read(kPasswordFileLimit + 1);
    if (text.size() > kPasswordFileLimit) {
        *error = QStringLiteral("the file is too large for a password");
        return false;
    }
    m_given = firstLine(text);
    return true;
}

std::optional<QByteArray> PasswordSource::password()
{
    if (m_given)
        return m_given;
    if (qEnvironmentVariableIsSet("KVMT_PASSWORD"))
        return qgetenv("KVMT_PASSWORD");
    if (!m_asked) {
        m_asked = true;
        if (m_terminal)
            m_typed = m_terminal();
    }
    return m_typed;
}

std::optional<QByteArray> PasswordSource::askOnTerminal()
{
#ifdef Q_OS_UNIX
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    termios saved{};
    const bool quiet = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    std::fputs("kvmtconf-cli: the tracker's password: ", stderr);
    std::fflush(stderr);
    char buffer[64] = {};
    const bool read = std::fgets(buffer, sizeof buffer, stdin) != nullptr;
    if (quiet)
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::fputs("\n", stderr);
    const QByteArray line = firstLine(QByteArray(buffer));
    if (!read || line.isEmpty())
        return std::nullopt;
    return line;
#else
    return std::nullopt;
#endif
}

} // namespace kvmt
