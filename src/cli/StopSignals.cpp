#include "cli/StopSignals.h"

#include "settings/SequenceStop.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kvmt {

namespace {

int g_pipe[2] = {-1, -1};
SequenceStop *g_sequence = nullptr;
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

extern "C" void onStopSignal(int)
{
    if (g_sequence)
        g_sequence->request();
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a stop.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals(std::function<void()> onStop, SequenceStop *sequence)
    : m_onStop(std::move(onStop))
{
    g_sequence = sequence;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0) {
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
        drain();
        if (m_stopped && m_onStop)
            m_onStop();
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &g_previousInt);
    ::sigaction(SIGTERM, &action, &g_previousTerm);
}

StopSignals::~StopSignals()
{
    g_sequence = nullptr;
    if (g_pipe[0] < 0)
        return;
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignals::drain()
{
    char bytes[16];
    while (g_pipe[0] >= 0 && ::read(g_pipe[0], bytes, sizeof bytes) > 0)
        m_stopped = true;
}

bool StopSignals::stopRequested()
{
    drain();
    return m_stopped;
}

} // namespace kvmt
