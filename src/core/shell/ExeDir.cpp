#include "shell/ExeDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kvmt {

namespace {

// /usr and below, /bin, /sbin: where packages install programs.
bool isSystemProgramDir(const QString &programDir)
{
    const QString dir = QDir::cleanPath(programDir);
    for (const QString &system : {QStringLiteral("/usr"), QStringLiteral("/bin"), QStringLiteral("/sbin")}) {
        if (dir == system || dir.startsWith(system + QLatin1Char('/')))
            return true;
    }
    return false;
}

} // namespace

void makeDataFolder(const QString &path)
{
    if (QDir(path).exists())
        return;
    if (QDir().mkpath(path))
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString chooseExeDir(const QString &programDir, const QString &dataDir,
                     const std::function<bool(const QString &)> &isWritable)
{
    // Root may write to /usr/bin, but the settings, copies and password
    // lists of a packaged program belong to the user, not among the
    // system's files.
    if (isSystemProgramDir(programDir))
        return dataDir;
    return isWritable(programDir) ? programDir : dataDir;
}

bool folderIsWritable(const QString &dir)
{
    if (dir.isEmpty() || !QDir(dir).exists())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".kvmtconf-probe-XXXXXX")));
    return probe.open();
}

QString chooseMarkedExeDir(const QString &programDir, const QString &dataDir)
{
    return QFile::exists(QDir(programDir).filePath(QLatin1String(PortableMarker))) ? programDir : dataDir;
}

QString programExeDir()
{
    const QString named = qEnvironmentVariable("KVMT_DATA_DIR");
    if (!named.isEmpty()) {
        makeDataFolder(named);
        return named;
    }
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString chosen = choosePlatformExeDir(QCoreApplication::applicationDirPath(), dataDir);
    if (chosen == dataDir)
        makeDataFolder(dataDir);
    return chosen;
}

} // namespace kvmt
