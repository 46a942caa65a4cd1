#include "shell/Restart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace kvmt {

namespace {

// The folder as the updater expects it: without trailing separators, except
// the root folder, which would otherwise become nothing at all.
QString folderWithoutTrailingSeparators(const QString &programPath)
{
    QString folder = QDir::toNativeSeparators(QFileInfo(programPath).absolutePath());
    const QChar separator = QDir::separator();
    while (folder.endsWith(separator) && folder.size() > 1)
        folder.chop(1);
    return folder;
}

} // namespace

QString updaterName()
{
    return QStringLiteral("RWUpdate");
}

LaunchCommand restartCommand(const QString &programPath, const QStringList &folderEntries,
                             const QStringList &programArguments)
{
    const QString folder = folderWithoutTrailingSeparators(programPath);
    if (folderEntries.contains(updaterName())) {
        return {QDir(folder).filePath(updaterName()),
                {folder, QDir::toNativeSeparators(programPath), QStringLiteral("justrestart")},
                folder};
    }
    return {programPath, programArguments, folder};
}

LaunchCommand restartCommandForThisProgram(const QStringList &programArguments)
{
    const QString programPath = QCoreApplication::applicationFilePath();
    const QStringList entries = QDir(QCoreApplication::applicationDirPath()).entryList(QDir::Files | QDir::Executable);
    return restartCommand(programPath, entries, programArguments);
}

bool launchDetached(const LaunchCommand &command)
{
    return QProcess::startDetached(command.program, command.arguments, command.workingDirectory);
}

} // namespace kvmt
