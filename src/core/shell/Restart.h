#pragma once

#include <QString>
#include <QStringList>

namespace kvmt {

// A program to start detached, as the language menu's restart needs it.
struct LaunchCommand {
    QString program;
    QStringList arguments;
    QString workingDirectory;
    friend bool operator==(const LaunchCommand &, const LaunchCommand &) = default;
};

// The maker's updater, when it stands beside the program.
QString updaterName();

// How the program starts itself again. With the updater beside it, the
// updater is started with the program's folder, the program's full path and
// "justrestart", in that folder; it waits for this instance to end. Without
// it the program is started anew with the parameters it was given.
// `folderEntries` are the names of the files in the program's folder.
LaunchCommand restartCommand(const QString &programPath, const QStringList &folderEntries,
                             const QStringList &programArguments);

// The same for the running program, looking into its folder.
LaunchCommand restartCommandForThisProgram(const QStringList &programArguments);

// False when the program could not be started.
bool launchDetached(const LaunchCommand &command);

} // namespace kvmt
