// A full read of every setting against a virtual tracker whose replies take
// 2 ms to arrive, as a link of that kind would: the time the user waits,
// to be set against the exchange count times the round trip.
#include "Configurator.h"
#include "ScriptedPrompts.h"
#include "log/EventLog.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kvmt;

namespace {

// A private tracker home with one tracker whose replies come 2 ms late.
bool plugSlow(const QTemporaryDir &home, bool trace)
{
    qputenv("KVTRACKER_HOME", QFile::encodeName(home.path()));
    QDir(home.path()).mkpath(QStringLiteral("attached"));
    QFile scenario(QDir(home.path()).filePath(QStringLiteral("attached/0001-5001500.ini")));
    if (!scenario.open(QIODevice::WriteOnly))
        return false;
    scenario.write("[tracker]\nserial=5001500\nversion=KVMT-1.44\naccelerometer=1\nprotected=0\nlatency_ms=2\n");
    scenario.write(trace ? "trace=1\n" : "trace=0\n");
    return true;
}

bool connectWithoutReading(Configurator &configurator)
{
    configurator.settings().setChecked(F::cbReadSetup, true);
    configurator.monitor().devtimerTimer();
    return configurator.isConnected();
}

// How many commands one full read sends, from the tracker's own trace.
qsizetype exchangesPerRead()
{
    QTemporaryDir home;
    if (!plugSlow(home, true))
        return 0;
    RecordingEventLog log;
    test::ScriptedPrompts prompts;
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
    configurator.readSettings(false);
    return commands() - before;
}

void BM_FullReadWith2msLatency(benchmark::State &state)
{
    const qsizetype exchanges = exchangesPerRead();
    QTemporaryDir home;
    QTemporaryDir exeDir;
    RecordingEventLog log;
    test::ScriptedPrompts prompts;
    if (!plugSlow(home, false)) {
        state.SkipWithError("cannot write the scenario");
        return;
    }
    Configurator configurator(log, prompts, {QStringLiteral(KVMT_BENCH_BIN_DIR)});
    configurator.setExeDir(exeDir.path());
    if (exchanges == 0 || !connectWithoutReading(configurator)) {
        state.SkipWithError("virtual tracker could not be connected");
        return;
    }
    for (auto _ : state)
        configurator.readSettings(false);
    state.counters["exchanges"] = double(exchanges);
}
BENCHMARK(BM_FullReadWith2msLatency)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
