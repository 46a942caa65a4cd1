#pragma once

#include <QString>

#include <functional>

namespace kvmt {

// The program's own folder for MT.ini, the automatic profile copies and the
// "ATG" password lists: the executable's folder when the program may write
// there (a portable install), otherwise the user's data folder for it. A
// program installed in the system's folders always uses the data folder.
QString chooseExeDir(const QString &programDir, const QString &dataDir,
                     const std::function<bool(const QString &)> &isWritable);

// The rule where a writable folder proves nothing (Windows): the program's
// folder only when the portable marker file stands in it, else the data
// folder.
inline constexpr const char *PortableMarker = "KVMTConf.portable";
QString chooseMarkedExeDir(const QString &programDir, const QString &dataDir);

// The same for the running program, by the platform's rule; the data folder is created when it is
// chosen. Needs a QCoreApplication. KVMT_DATA_DIR, when set, names the
// folder outright (tests, a second set of settings on one account).
QString programExeDir();

// Whether a file can be created in `dir`: tried, not guessed from the mode
// bits (they say nothing for root, nor for read-only mounts).
bool folderIsWritable(const QString &dir);

} // namespace kvmt
