#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

namespace kvmt {

// Elapsed milliseconds on a clock that never jumps. Exchanges measure how long
// a read waited with it; tests drive their own.
class MonotonicClock
{
public:
    virtual ~MonotonicClock() = default;
    virtual qint64 nowMs() const = 0;
};

class SteadyClock final : public MonotonicClock
{
public:
    SteadyClock() { m_timer.start(); }
    qint64 nowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

} // namespace kvmt
