// The benchmarks run inside a QApplication on the offscreen platform: the
// window's own figures need one, and the sequences' timers an event loop.
// Their data (copies, backups) goes to a temporary folder.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dataDir;
    qputenv("KVMT_DATA_DIR", QFile::encodeName(dataDir.path()));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
