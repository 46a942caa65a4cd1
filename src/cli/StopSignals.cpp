#include "cli/StopSignals.h"

#include "settings/SequenceStop.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kvmt {

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<SequenceStop *> g_sequence{nullptr};
std::atomic<int> g_signals{0};
int g_signalsToStopSequence = 1;
struct sigaction g_previousInt;
struct sigaction g_previousTerm;

static_assert(std::atomic<SequenceStop *>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "used from the signal handler");

extern "C" void onStopSignal(int)
{
    // The handler may land in the middle of any call that reports through
    // errno; that call's caller must still find its own value there.
    const int savedErrno = errno;
    const int count = g_signals.fetch_add(1, std::memory_order_relaxed) + 1;
    if (count >= g_signalsToStopSequence) {
        if (SequenceStop *sequence = g_sequence.load(std::memory_order_relaxed))
            sequence->request();
    }
    const char byte = 1;
    // Async-signal-safe; a full pipe already holds a stop.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(std::function<void()> onStop, SequenceStop *sequence, int signalsToStopSequence)
    : m_onStop(std::move(onStop))
{
    g_signals.store(0);
    g_signalsToStopSequence = signalsToStopSequence;
    g_sequence.store(sequence);
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
    // Restarted: an exchange with the tracker is finished, not cut short by
    // an EINTR the device library may not expect. The password prompt makes
    // its own wait interruptible.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &g_previousInt);
    ::sigaction(SIGTERM, &action, &g_previousTerm);
}

StopSignals::~StopSignals()
{
    g_sequence.store(nullptr);
    if (g_pipe[0] < 0)
        return;
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    m_notifier.reset();
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignals::setSequence(SequenceStop *sequence)
{
    g_sequence.store(sequence);
    if (sequence && signalCount() >= g_signalsToStopSequence)
        sequence->request();
}

int StopSignals::signalCount() const
{
    return g_signals.load(std::memory_order_relaxed);
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
