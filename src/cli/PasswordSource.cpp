#include "cli/PasswordSource.h"

#include "cli/ProcessPrivacy.h"

#include <QFile>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
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

#ifdef Q_OS_UNIX

// The longest line taken, as the password field of the window holds.
constexpr qsizetype kTypedLimit = 63;

int g_wake[2] = {-1, -1};
struct sigaction g_beforeInt;
struct sigaction g_beforeTerm;
struct sigaction g_beforeQuit;
struct sigaction g_beforeCont;
// The terminal as it was before the question turned its echo off.
termios g_echoing{};
volatile sig_atomic_t g_echoOff = 0;

void callBefore(const struct sigaction &before, int signal, siginfo_t *info, void *context)
{
    if (before.sa_flags & SA_SIGINFO) {
        if (before.sa_sigaction)
            before.sa_sigaction(signal, info, context);
    } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
        before.sa_handler(signal);
    }
}

extern "C" void onSignalWhileAsking(int signal, siginfo_t *info, void *context)
{
    const int savedErrno = errno;
    // The tool's own handler still hears of it, so the run knows it was
    // interrupted.
    callBefore(signal == SIGINT ? g_beforeInt : g_beforeTerm, signal, info, context);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_wake[1], &byte, 1);
    errno = savedErrno;
}

// Ctrl+\ quits as it always does, but not with the person's typing left
// invisible in the shell that comes back.
extern "C" void onQuitWhileAsking(int)
{
    const int savedErrno = errno;
    if (g_echoOff)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &g_echoing);
    // Raised again once this handler returns, now with the action before.
    ::sigaction(SIGQUIT, &g_beforeQuit, nullptr);
    ::raise(SIGQUIT);
    errno = savedErrno;
}

// Stopped (Ctrl+Z) and continued, the terminal has the echo the shell gave
// it back: the question turns it off again and asks again, so that what is
// typed after `fg` stays hidden.
extern "C" void onContinueWhileAsking(int)
{
    const int savedErrno = errno;
    if (g_echoOff) {
        termios silent = g_echoing;
        silent.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &silent);
        static const char prompt[] = "\nkvmtconf-cli: the tracker's password: ";
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, prompt, sizeof prompt - 1);
    }
    errno = savedErrno;
}

// While it lives, SIGINT and SIGTERM also wake the question's wait through
// a pipe: the handlers in place restart interrupted calls (an exchange with
// the tracker must not be cut short), and the signal may be taken by any
// thread, so an EINTR alone would not end the question.
class WakeOnStop
{
public:
    WakeOnStop()
    {
        if (::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0) {
            g_wake[0] = g_wake[1] = -1;
            return;
        }
        struct sigaction action {};
        action.sa_sigaction = onSignalWhileAsking;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_SIGINFO;
        m_int = install(SIGINT, action, &g_beforeInt);
        m_term = install(SIGTERM, action, &g_beforeTerm);
        struct sigaction quit {};
        quit.sa_handler = onQuitWhileAsking;
        sigemptyset(&quit.sa_mask);
        m_quit = install(SIGQUIT, quit, &g_beforeQuit);
        struct sigaction resume {};
        resume.sa_handler = onContinueWhileAsking;
        sigemptyset(&resume.sa_mask);
        resume.sa_flags = SA_RESTART;
        m_cont = install(SIGCONT, resume, &g_beforeCont);
    }
    ~WakeOnStop()
    {
        if (m_int)
            ::sigaction(SIGINT, &g_beforeInt, nullptr);
        if (m_term)
            ::sigaction(SIGTERM, &g_beforeTerm, nullptr);
        if (m_quit)
            ::sigaction(SIGQUIT, &g_beforeQuit, nullptr);
        if (m_cont)
            ::sigaction(SIGCONT, &g_beforeCont, nullptr);
        if (g_wake[0] >= 0) {
            ::close(g_wake[0]);
            ::close(g_wake[1]);
            g_wake[0] = g_wake[1] = -1;
        }
    }
    WakeOnStop(const WakeOnStop &) = delete;
    WakeOnStop &operator=(const WakeOnStop &) = delete;

    int fd() const { return g_wake[0]; }

private:
    // A signal the run ignores stays ignored.
    static bool install(int signal, const struct sigaction &action, struct sigaction *before)
    {
        if (::sigaction(signal, nullptr, before) != 0 || before->sa_handler == SIG_IGN)
            return false;
        return ::sigaction(signal, &action, nullptr) == 0;
    }

    bool m_int = false;
    bool m_term = false;
    bool m_quit = false;
    bool m_cont = false;
};

#endif

} // namespace

PasswordSource::PasswordSource(Terminal terminal)
    : m_terminal(std::move(terminal))
{
}

void PasswordSource::setGiven(const QByteArray &password)
{
    m_given = password;
    keepOutOfCoreDumps();
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
    setGiven(firstLine(text));
    return true;
}

std::optional<QByteArray> PasswordSource::password()
{
    if (m_given)
        return m_given;
    if (qEnvironmentVariableIsSet("KVMT_PASSWORD")) {
        keepOutOfCoreDumps();
        return qgetenv("KVMT_PASSWORD");
    }
    if (!m_asked) {
        m_asked = true;
        if (m_terminal)
            m_typed = m_terminal();
        if (m_typed.password)
            keepOutOfCoreDumps();
    }
    return m_typed.password;
}

PasswordSource::Typed PasswordSource::askOnTerminal()
{
#ifdef Q_OS_UNIX
    if (!isatty(STDIN_FILENO))
        return {};
    termios saved{};
    const bool quiet = tcgetattr(STDIN_FILENO, &saved) == 0;
    // What is typed is in memory from the first key on, also when the quit
    // key ends the tool with a core dump before the line is complete.
    keepOutOfCoreDumps();
    Typed typed;
    QByteArray line;
    {
        // The echo goes off only while the signals that end the question
        // or the tool are heard, and comes back before they are not.
        const WakeOnStop wake;
        if (quiet) {
            g_echoing = saved;
            g_echoOff = 1;
            termios silent = saved;
            silent.c_lflag &= ~tcflag_t(ECHO);
            tcsetattr(STDIN_FILENO, TCSANOW, &silent);
        }
        std::fputs("kvmtconf-cli: the tracker's password: ", stderr);
        std::fflush(stderr);
        for (;;) {
            pollfd waits[2] = {{STDIN_FILENO, POLLIN, 0}, {wake.fd(), POLLIN, 0}};
            if (::poll(waits, wake.fd() >= 0 ? 2 : 1, -1) < 0) {
                if (errno == EINTR)
                    continue;
                break;
            }
            if (waits[1].revents != 0) {
                typed.interrupted = true;
                break;
            }
            char c = 0;
            const ssize_t got = ::read(STDIN_FILENO, &c, 1);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            if (c == '\n')
                break;
            if (line.size() < kTypedLimit)
                line.append(c);
        }
        if (quiet) {
            tcsetattr(STDIN_FILENO, TCSANOW, &saved);
            g_echoOff = 0;
        }
    }
    std::fputs("\n", stderr);
    if (line.endsWith('\r'))
        line.chop(1);
    // A line cut off by the end of input still counts, as fgets gives it.
    if (!typed.interrupted && !line.isEmpty())
        typed.password = line;
    return typed;
#else
    return {};
#endif
}

} // namespace kvmt
