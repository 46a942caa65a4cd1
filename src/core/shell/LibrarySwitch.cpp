#include "shell/LibrarySwitch.h"

#include "device/DeviceLibrary.h"

#include <QDir>
#include <QFile>

namespace kvmt {

LibraryChoice chooseDeviceLibrary(const QStringList &arguments, const QString &programDir)
{
    LibraryChoice choice;
    const QDir dir(programDir);
    const QString virtualFolder = dir.filePath(QStringLiteral("virtual-tracker"));
    const QString packagedFolder = QDir::cleanPath(dir.filePath(QStringLiteral("../lib/kvmtconf")));
    for (const QString &argument : arguments) {
        if (argument == QLatin1String(VirtualTrackerSwitch))
            choice.virtualTracker = true;
        else
            choice.arguments.append(argument);
    }
    if (!choice.virtualTracker) {
        choice.libraryDirs = {programDir, packagedFolder};
        return choice;
    }
    const QString fileName = deviceLibraryFileName(QStringLiteral("KVUSB"));
    // The folders that only ever hold the virtual tracker: its own folder
    // beside the program (Windows), the packaged one (Linux). A Linux build
    // tree keeps it beside the program, where no maker ships a library.
    QStringList folders = {virtualFolder, packagedFolder};
#if !defined(Q_OS_WIN)
    folders.append(programDir);
#endif
    for (const QString &folder : folders) {
        const QString candidate = QDir(folder).filePath(fileName);
        if (QFile::exists(candidate)) {
            choice.libraryDirs = {candidate};
            return choice;
        }
    }
    // Named all the same: loading it fails and the program says that no
    // library is installed, rather than taking whatever the search finds.
    choice.libraryDirs = {QDir(virtualFolder).filePath(fileName)};
    return choice;
}

} // namespace kvmt
