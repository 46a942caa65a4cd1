#pragma once

#include <functional>

namespace kvmt {

// How far a read or write has got, key by key, for whoever draws it. Each
// run reports started(total) once, then advanced(done, total) after every
// exchange, then finished() once, also when it ends early. `total` is the
// number of exchanges the run makes given the gates; a read may correct it
// after ACCLEN (the accelerometer keys follow that answer), so a listener
// takes the total of every report. The last advance has done == total.
// Any callback may be empty.
struct SequenceProgress {
    std::function<void(int total)> started;
    std::function<void(int done, int total)> advanced;
    std::function<void()> finished;
};

// Reports finished() however the run leaves its scope.
class ProgressRun
{
public:
    ProgressRun(const SequenceProgress &progress, int total)
        : m_progress(progress)
        , m_total(total)
    {
        if (m_progress.started)
            m_progress.started(m_total);
    }
    ~ProgressRun()
    {
        if (m_progress.finished)
            m_progress.finished();
    }
    ProgressRun(const ProgressRun &) = delete;
    ProgressRun &operator=(const ProgressRun &) = delete;

    // One more exchange done; `remaining` is what the gates leave to do now.
    void advance(int remaining)
    {
        ++m_done;
        m_total = m_done + remaining;
        if (m_progress.advanced)
            m_progress.advanced(m_done, m_total);
    }
    int done() const { return m_done; }

private:
    const SequenceProgress &m_progress;
    int m_done = 0;
    int m_total;
};

} // namespace kvmt
