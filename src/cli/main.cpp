// kvmtconf-cli: the configurator without a window.
#include "cli/CliTool.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList libraryDirs = {exeDir, QDir(exeDir).filePath(QStringLiteral("../lib/kvmtconf"))};
    return kvmt::runCli(QCoreApplication::arguments().mid(1), out, err, libraryDirs);
}
