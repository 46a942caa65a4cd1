// Reading a fleet's values table of 100,000 rows: what `provision --values`
// costs before it touches the first tracker. The peak memory of the same
// read is taken by scripts/bench from the command-line tool itself.
#include "provision/ValuesTable.h"

#include <benchmark/benchmark.h>

using namespace kvmt;

namespace {

// As a spreadsheet exports a fleet: a name, a phone number and a port per
// vehicle, every value one the window would take.
QByteArray fleetTable(int rows)
{
    QByteArray csv = "serial;DEVNAME;SMSNUMBER1;SERVERPORT\r\n";
    for (int i = 0; i < rows; ++i)
        csv += QByteArray::number(6000000 + i) + ";VAN-" + QByteArray::number(i % 10000) + ";+7916"
             + QByteArray::number(1000000 + i) + ";4321\r\n";
    return csv;
}

void BM_ValuesTableRead(benchmark::State &state)
{
    const int rows = int(state.range(0));
    const QByteArray csv = fleetTable(rows);
    for (auto _ : state) {
        QString error;
        const std::optional<ValuesTable> table = ValuesTable::parse(csv, &error);
        if (!table || table->rows().size() != rows) {
            state.SkipWithError("the table was not read whole");
            return;
        }
        benchmark::DoNotOptimize(table->rows().data());
    }
    state.counters["bytes"] = double(csv.size());
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_ValuesTableRead)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
