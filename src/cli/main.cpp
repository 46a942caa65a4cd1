// kvmtconf-cli: the configurator without a window.
#include "cli/CliTool.h"
#include "cli/Console.h"
#include "shell/LibrarySwitch.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // The window's name: both keep MT.ini, the automatic copies, the password
    // lists and the read backups in the same data folder.
    QCoreApplication::setApplicationName(QStringLiteral("KVMTConf"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    kvmt::prepareConsole();
    // "--virtual-tracker" picks the virtual tracker's library instead of the
    // maker's.
    const kvmt::LibraryChoice library =
        kvmt::chooseDeviceLibrary(QCoreApplication::arguments().mid(1), QCoreApplication::applicationDirPath());
    return kvmt::runCli(library.arguments, out, err, library.libraryDirs, kvmt::askPasswordWithoutEcho);
}
