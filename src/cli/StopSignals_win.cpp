// Ctrl+C, Ctrl+Break and closing the console on Windows, through
// SetConsoleCtrlHandler, with the stop rules of SIGINT and SIGTERM on Linux:
// a sequence running without the event loop is told at once, and `onStop`
// runs later from the loop. The handler runs on a thread the system makes
// for it, so it only sets atomics and posts to the loop.
#include "cli/StopSignals.h"

#include "settings/SequenceStop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <atomic>

#include <windows.h>

namespace kvmt {

namespace {

std::atomic<SequenceStop *> g_sequence{nullptr};
// Events so far, and the ones not yet seen by the instance.
std::atomic<int> g_signals{0};
std::atomic<bool> g_signalled{false};
std::atomic<int> g_signalsToStopSequence{1};
// Where the handler posts the stop to the event loop; null while no instance
// lives.
std::atomic<QObject *> g_receiver{nullptr};
std::function<void()> *g_deliver = nullptr;
// Set when the instance goes: the end a closing console waits for.
std::atomic<HANDLE> g_finished{nullptr};

BOOL WINAPI onConsoleControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        break;
    default:
        return FALSE;
    }
    const int count = g_signals.fetch_add(1) + 1;
    if (count >= g_signalsToStopSequence.load()) {
        if (SequenceStop *sequence = g_sequence.load())
            sequence->request();
    }
    g_signalled.store(true);
    if (QObject *receiver = g_receiver.load()) {
        QMetaObject::invokeMethod(receiver, [] {
            if (g_deliver)
                (*g_deliver)();
        }, Qt::QueuedConnection);
    }
    // Closing the console ends the process once the handler returns: give
    // the tool the few seconds Windows allows to end the exchange in
    // progress and leave the tracker as a stop does.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        if (const HANDLE finished = g_finished.load())
            WaitForSingleObject(finished, 4500);
    }
    return TRUE;
}

} // namespace

StopSignals::StopSignals(std::function<void()> onStop, SequenceStop *sequence, int signalsToStopSequence)
    : m_onStop(std::move(onStop))
{
    g_signals.store(0);
    g_signalsToStopSequence.store(signalsToStopSequence);
    g_signalled.store(false);
    g_sequence.store(sequence);
    g_finished.store(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_deliver = new std::function<void()>([this] {
        drain();
        if (m_stopped && m_onStop)
            m_onStop();
    });
    g_receiver.store(QCoreApplication::instance());
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

StopSignals::~StopSignals()
{
    SetConsoleCtrlHandler(onConsoleControl, FALSE);
    g_receiver.store(nullptr);
    g_sequence.store(nullptr);
    // A stop posted but not yet delivered finds nothing to call.
    delete g_deliver;
    g_deliver = nullptr;
    if (const HANDLE finished = g_finished.exchange(nullptr)) {
        SetEvent(finished);
        // A handler still waiting on it returns at once once it is closed.
        CloseHandle(finished);
    }
}

void StopSignals::setSequence(SequenceStop *sequence)
{
    g_sequence.store(sequence);
    if (sequence && signalCount() >= g_signalsToStopSequence.load())
        sequence->request();
}

int StopSignals::signalCount() const
{
    return g_signals.load();
}

void StopSignals::drain()
{
    if (g_signalled.exchange(false))
        m_stopped = true;
}

bool StopSignals::stopRequested()
{
    drain();
    return m_stopped;
}

} // namespace kvmt
