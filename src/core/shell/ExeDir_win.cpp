// Where the running program keeps its files on Windows: %APPDATA%\KVMTConf
// unless the program is a portable copy, told by the marker file beside it.
// A writable program folder proves nothing there: a 32-bit program's writes
// under Program Files may be redirected into a per-user VirtualStore, and
// under wine every folder is writable.
#include "shell/ExeDir.h"

namespace kvmt {

QString choosePlatformExeDir(const QString &programDir, const QString &dataDir)
{
    // With no organisation name the data folder is %APPDATA%\KVMTConf.
    return chooseMarkedExeDir(programDir, dataDir);
}

} // namespace kvmt
