// The window against a tracker that has stopped answering: how long the
// window goes without painting during a full read (every reply waited out on
// a worker thread), and how long it takes from Stop to an idle window.
#include "ui/TForm1.h"

#include "ScriptedPrompts.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>

using namespace kvmt;

namespace {

// Identification answered, then nothing: every key of the read waits out
// the read time-out.
bool plugHung(const QTemporaryDir &home)
{
    qputenv("KVTRACKER_HOME", QFile::encodeName(home.path()));
    QDir(home.path()).mkpath(QStringLiteral("attached"));
    QFile scenario(QDir(home.path()).filePath(QStringLiteral("attached/0001-5001500.ini")));
    if (!scenario.open(QIODevice::WriteOnly))
        return false;
    scenario.write("[tracker]\nserial=5001500\nversion=KVMT-1.44\naccelerometer=1\nprotected=0\nanswer_limit=3\n");
    return true;
}

// Records the time of every paint of the window and its children.
class PaintClock final : public QObject
{
public:
    explicit PaintClock(QElapsedTimer &clock)
        : m_clock(clock)
    {
    }
    // Between start (0), every paint and `end`.
    qint64 longestGapMs(qint64 end) const
    {
        qint64 longest = 0;
        qint64 previous = 0;
        for (const qint64 at : m_paints) {
            longest = std::max(longest, at - previous);
            previous = at;
        }
        return std::max(longest, end - previous);
    }
    size_t paints() const { return m_paints.size(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_paints.push_back(m_clock.elapsed());
        return QObject::eventFilter(watched, event);
    }

private:
    QElapsedTimer &m_clock;
    std::vector<qint64> m_paints;
};

struct HungWindow {
    QTemporaryDir home;
    test::ScriptedPrompts prompts;
    std::unique_ptr<TForm1> window;

    bool open(uint32_t readTimeoutMs, bool turning = true)
    {
        if (!plugHung(home))
            return false;
        TForm1::Options options{{QStringLiteral(KVMT_BENCH_BIN_DIR)}, &prompts, false};
        options.turnWhileWaiting = turning;
        window = std::make_unique<TForm1>(options);
        window->show();
        // Identified only: the read comes under the clock.
        window->configurator().settings().setChecked(F::cbReadSetup, true);
        window->configurator().monitor().devtimerTimer();
        window->configurator().link().setTimeouts(readTimeoutMs, readTimeoutMs);
        return window->configurator().isConnected();
    }
};

// The read time-out is shortened to 100 ms so that an iteration takes five
// seconds, not 27: the gap does not depend on it, the waiting does.
// Argument 1: waited on a worker thread, as the program does; 0: in the
// window's thread, as before.
void BM_WindowLongestPaintGapDuringHungRead(benchmark::State &state)
{
    for (auto _ : state) {
        HungWindow hung;
        if (!hung.open(100, state.range(0) != 0)) {
            state.SkipWithError("no hung tracker");
            return;
        }
        QElapsedTimer clock;
        clock.start();
        PaintClock paints(clock);
        qApp->installEventFilter(&paints);
        // The window asks to be painted every 10 ms, as when it is moved or
        // uncovered: a gap then means it could not paint, not that nothing
        // changed.
        QTimer expose;
        QObject::connect(&expose, &QTimer::timeout, hung.window.get(), [&hung] { hung.window->update(); });
        expose.start(10);
        hung.window->configurator().readSettings(false);
        const qint64 whole = clock.elapsed();
        expose.stop();
        qApp->removeEventFilter(&paints);
        state.counters["longest_gap_ms"] = double(paints.longestGapMs(whole));
        state.counters["read_ms"] = double(whole);
        state.counters["paints"] = double(paints.paints());
        state.SetIterationTime(double(whole) / 1000.0);
    }
}
BENCHMARK(BM_WindowLongestPaintGapDuringHungRead)->Arg(1)->Arg(0)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// Stop pressed at a random moment of a wait (here 250 ms into the third key's
// 500 ms time-out): the time until the read has returned and the window is
// idle again.
void BM_WindowStopToIdle(benchmark::State &state)
{
    for (auto _ : state) {
        HungWindow hung;
        if (!hung.open(500)) {
            state.SkipWithError("no hung tracker");
            return;
        }
        auto *stop = hung.window->findChild<QPushButton *>(QStringLiteral("btStop"));
        QElapsedTimer clock;
        qint64 pressedAt = -1;
        QTimer::singleShot(1250, [&] {
            pressedAt = clock.elapsed();
            stop->click();
        });
        clock.start();
        hung.window->configurator().readSettings(false);
        const qint64 idleAt = clock.elapsed();
        if (pressedAt < 0) {
            state.SkipWithError("the read ended before Stop");
            return;
        }
        state.SetIterationTime(double(idleAt - pressedAt) / 1000.0);
        state.counters["stop_to_idle_ms"] = double(idleAt - pressedAt);
    }
}
BENCHMARK(BM_WindowStopToIdle)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
