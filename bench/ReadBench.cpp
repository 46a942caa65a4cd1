// A full read and a full write of every setting against a virtual tracker
// that answers at once, reported per exchange: what the program adds to the
// link's own time. And a full read against a tracker whose replies take 2 ms,
// as a link of that kind would: the time the user waits.
#include "Configurator.h"
#include "ScriptedPrompts.h"
#include "log/EventLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kvmt;

namespace {

// Declines every question: a protected tracker would stay unread.
using SilentPrompts = test::ScriptedPrompts;

// A private tracker home with one tracker plugged in, answering after
// latencyMs.
bool plugOne(const QTemporaryDir &home, bool trace, int latencyMs = 0)
{
    qputenv("KVTRACKER_HOME", QFile::encodeName(home.path()));
    QDir(home.path()).mkpath(QStringLiteral("attached"));
    QFile scenario(QDir(home.path()).filePath(QStringLiteral("attached/0001-5001500.ini")));
    if (!scenario.open(QIODevice::WriteOnly))
        return false;
    scenario.write("[tracker]\nserial=5001500\nversion=KVMT-1.44\naccelerometer=1\nprotected=0\n");
    scenario.write(trace ? "trace=1\n" : "trace=0\n");
    scenario.write(QByteArray("latency_ms=") + QByteArray::number(latencyMs) + '\n');
    return true;
}

// Connected, settings not read yet.
bool connectWithoutReading(Configurator &configurator)
{
    configurator.settings().setChecked(F::cbReadSetup, true);
    configurator.monitor().devtimerTimer();
    return configurator.isConnected();
}

// How many exchanges one full read (or write) makes, from the tracker's own
// trace.
qsizetype exchangesPer(bool write, int latencyMs = 0)
{
    QTemporaryDir home;
    if (!plugOne(home, true, latencyMs))
        return 0;
    RecordingEventLog log;
    SilentPrompts prompts;
    Configurator configurator(log, prompts, {QStringLiteral(KVMT_BENCH_BIN_DIR)});
    if (!connectWithoutReading(configurator))
        return 0;
    QFile trace(QDir(home.path()).filePath(QStringLiteral("trace/5001500.log")));
    const auto commands = [&trace] {
        trace.open(QIODevice::ReadOnly);
        const qsizetype n = trace.readAll().count("> ");
        trace.close();
        return n;
    };
    const qsizetype before = commands();
    QTemporaryDir exeDir;
    configurator.setExeDir(exeDir.path());
    if (write)
        configurator.writeSettings(false);
    else
        configurator.readSettings(false);
    return commands() - before;
}

// Repeats one full read (or write) against a tracker without trace and
// reports the exchange count, and the time per exchange.
void perExchange(benchmark::State &state, bool write, int latencyMs = 0)
{
    const qsizetype exchanges = exchangesPer(write, latencyMs);
    QTemporaryDir home;
    QTemporaryDir exeDir;
    RecordingEventLog log;
    SilentPrompts prompts;
    if (!plugOne(home, false, latencyMs)) {
        state.SkipWithError("cannot write the scenario");
        return;
    }
    Configurator configurator(log, prompts, {QStringLiteral(KVMT_BENCH_BIN_DIR)});
    configurator.setExeDir(exeDir.path());
    if (exchanges == 0 || !connectWithoutReading(configurator)) {
        state.SkipWithError("virtual tracker could not be connected");
        return;
    }
    configurator.readSettings(false);
    for (auto _ : state) {
        if (write)
            configurator.writeSettings(false);
        else
            configurator.readSettings(false);
    }
    state.counters["exchanges"] = double(exchanges);
    state.counters["per_exchange"] = benchmark::Counter(double(exchanges) * double(state.iterations()),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_FullRead(benchmark::State &state)
{
    perExchange(state, false);
}
BENCHMARK(BM_FullRead)->Unit(benchmark::kMillisecond);

// As Save writes, without the read back: every command, the tracker's
// echoes, SAVECONFIG, the automatic copy and the password list.
void BM_FullWrite(benchmark::State &state)
{
    perExchange(state, true);
}
BENCHMARK(BM_FullWrite)->Unit(benchmark::kMillisecond);

void BM_FullReadWith2msLatency(benchmark::State &state)
{
    perExchange(state, false, 2);
}
BENCHMARK(BM_FullReadWith2msLatency)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
