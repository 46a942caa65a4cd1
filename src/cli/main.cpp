// kvmtconf-cli: the configurator without a window.
#include "cli/CliTool.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The window's name: both keep MT.ini, the automatic copies, the password
    // lists and the read backups in the same data folder.
    QCoreApplication::setApplicationName(QStringLiteral("KVMTConf"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QStringList libraryDirs = {exeDir, QDir(exeDir).filePath(QStringLiteral("../lib/kvmtconf"))};
    return kvmt::runCli(QCoreApplication::arguments().mid(1), out, err, libraryDirs,
                        kvmt::PasswordSource::askOnTerminal);
}
