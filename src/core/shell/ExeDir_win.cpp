// Where the running program keeps its files on Windows: %APPDATA%\KVMTConf
// unless the program is a portable copy, told by the marker file beside it.
// A writable program folder proves nothing there: a 32-bit program's writes
// under Program Files may be redirected into a per-user VirtualStore, and
// under wine every folder is writable.
#include "shell/ExeDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace kvmt {

QString programExeDir()
{
    const QString named = qEnvironmentVariable("KVMT_DATA_DIR");
    if (!named.isEmpty()) {
        makeDataFolder(named);
        return named;
    }
    // With no organisation name this is %APPDATA%\KVMTConf.
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString chosen = chooseMarkedExeDir(QCoreApplication::applicationDirPath(), dataDir);
    if (chosen == dataDir)
        makeDataFolder(dataDir);
    return chosen;
}

} // namespace kvmt
