// The benchmarks run inside a QApplication on the offscreen platform: the
// window's own figures need one, and the sequences' timers an event loop.
// Their data (copies, backups) goes to a temporary folder.
#include <QApplication>

#include "TemporaryDataFolder.h"

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const kvmt::test::TemporaryDataFolder dataFolder;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
