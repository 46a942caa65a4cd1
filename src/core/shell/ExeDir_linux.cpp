// Where the running program keeps its files on Linux: beside the program
// when it may write there, unless it is installed among the system's files.
#include "shell/ExeDir.h"

namespace kvmt {

QString choosePlatformExeDir(const QString &programDir, const QString &dataDir)
{
    return chooseExeDir(programDir, dataDir, folderIsWritable);
}

} // namespace kvmt
