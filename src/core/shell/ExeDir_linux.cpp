// Where the running program keeps its files on Linux: beside the program
// when it may write there, unless it is installed among the system's files.
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
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString chosen = chooseExeDir(QCoreApplication::applicationDirPath(), dataDir, folderIsWritable);
    if (chosen == dataDir)
        makeDataFolder(dataDir);
    return chosen;
}

} // namespace kvmt
