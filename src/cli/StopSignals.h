#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace kvmt {

class SequenceStop;

// SIGINT and SIGTERM turned into an event of the Qt event loop while an
// instance lives: the handler only writes a byte to a pipe, and `onStop` runs
// later from the loop, between two trackers, never in the middle of an
// exchange. The previous handlers come back when the instance goes.
// One instance at a time. A sequence running without the loop (a read in
// a single command) is told at once through `sequence`, set from the
// handler itself, and ends after the exchange in progress; with
// `signalsToStopSequence` 2 only a second signal tells it (provisioning lets
// the tracker being written finish on the first).
class StopSignals
{
public:
    explicit StopSignals(std::function<void()> onStop, SequenceStop *sequence = nullptr,
                         int signalsToStopSequence = 1);
    ~StopSignals();
    StopSignals(const StopSignals &) = delete;
    StopSignals &operator=(const StopSignals &) = delete;

    // The sequence that signals stop from now on (none: nullptr). When
    // enough signals came already, it is told at once.
    void setSequence(SequenceStop *sequence);

    // A signal came in since the instance was made (also before any event
    // loop ran).
    bool stopRequested();
    // Signals so far, counted in the handler.
    int signalCount() const;

private:
    void drain();

    std::function<void()> m_onStop;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_stopped = false;
};

} // namespace kvmt
