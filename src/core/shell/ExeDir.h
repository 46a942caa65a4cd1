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
// The platform's rule between the program's folder and the data folder:
// a writable folder on Linux, the portable marker on Windows.
QString choosePlatformExeDir(const QString &programDir, const QString &dataDir);

// Creates the data folder when it is missing. One the program makes is its
// owner's only: the automatic copies, password lists and read backups it
// will hold carry the tracker's passwords. A folder that already exists, or
// a portable install's own folder, keeps the mode its owner gave it.
void makeDataFolder(const QString &path);

// Whether a file can be created in `dir`: tried, not guessed from the mode
// bits (they say nothing for root, nor for read-only mounts).
bool folderIsWritable(const QString &dir);

} // namespace kvmt
