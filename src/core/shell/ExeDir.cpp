#include "shell/ExeDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kvmt {

QString chooseExeDir(const QString &programDir, const QString &dataDir,
                     const std::function<bool(const QString &)> &isWritable)
{
    return isWritable(programDir) ? programDir : dataDir;
}

bool folderIsWritable(const QString &dir)
{
    if (dir.isEmpty() || !QDir(dir).exists())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".kvmtconf-probe-XXXXXX")));
    return probe.open();
}

QString programExeDir()
{
    const QString dataDir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString chosen = chooseExeDir(QCoreApplication::applicationDirPath(), dataDir, folderIsWritable);
    if (chosen == dataDir)
        QDir().mkpath(dataDir);
    return chosen;
}

} // namespace kvmt
