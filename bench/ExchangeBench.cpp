// Cost of the command exchange against a virtual tracker that answers at
// once: what the program adds to the link's own time.
#include "device/DeviceLibrary.h"
#include "device/DeviceLink.h"
#include "device/ReplySplit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace kvmt;

namespace {

// One zero-latency tracker in a private home, opened once for all runs.
struct Bench {
    Bench()
    {
        qputenv("KVTRACKER_HOME", QFile::encodeName(home.path()));
        QDir(home.path()).mkpath(QStringLiteral("attached"));
        QFile scenario(QDir(home.path()).filePath(QStringLiteral("attached/0001-5001500.ini")));
        if (scenario.open(QIODevice::WriteOnly))
            scenario.write("[tracker]\nserial=5001500\nversion=KVMT-1.44\naccelerometer=1\nprotected=0\n");
        scenario.close();
        if (library.load()) {
            QList<QByteArray> names;
            if (link.listDevices(&names) == 0 && !names.isEmpty())
                opened = link.openDevice(names.first()) == 0;
        }
    }

    QTemporaryDir home;
    SteadyClock clock;
    DeviceLibrary library{{QStringLiteral(KVMT_BENCH_BIN_DIR)}};
    DeviceLink link{library, clock};
    bool opened = false;
};

Bench &bench()
{
    static Bench instance;
    return instance;
}

void BM_CommandExchange(benchmark::State &state)
{
    Bench &b = bench();
    if (!b.opened) {
        state.SkipWithError("virtual tracker could not be opened");
        return;
    }
    for (auto _ : state) {
        b.link.sendCommand("GSMAPN=?;");
        benchmark::DoNotOptimize(b.link.receiveReply());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CommandExchange);

void BM_ReplySplit(benchmark::State &state)
{
    const QByteArray reply("SERVERPERIOD=12,30,1;");
    for (auto _ : state)
        benchmark::DoNotOptimize(splitReply(reply));
}
BENCHMARK(BM_ReplySplit);

} // namespace
