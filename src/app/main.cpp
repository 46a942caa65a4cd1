// kvmtconf: the configurator's window.
#include "app/Display.h"
#include "shell/ExeDir.h"
#include "shell/Language.h"
#include "shell/LibrarySwitch.h"
#include "shell/Restart.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include <cstdio>
#include <exception>


int main(int argc, char *argv[])
{
    if (!kvmt::displayAvailable()) {
        std::fputs("kvmtconf: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                   "Run it on a desktop, or under Xvfb (xvfb-run kvmtconf), or use the headless tool:\n"
                   "    kvmtconf-cli read\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVMTConf"));
    QApplication::setApplicationVersion(QStringLiteral(KVMT_VERSION_STRING));

    try {
        const QString programDir = QApplication::applicationDirPath();
        kvmt::TForm1::Options options;
        // "--virtual-tracker" picks the virtual tracker's library instead of
        // the maker's.
        const kvmt::LibraryChoice library = kvmt::chooseDeviceLibrary(QApplication::arguments().mid(1), programDir);
        options.libraryDirs = library.libraryDirs;
        options.arguments = library.arguments;
        options.exeDir = kvmt::programExeDir();
        options.turnWhileWaiting = true;
        // Installed before any window exists: every caption is translated
        // as it is created.
        const kvmt::InstalledLanguage language(kvmt::startupLanguage(options.exeDir), programDir);
        int result = 0;
        std::optional<kvmt::LaunchCommand> restart;
        {
            // The main window creates the log window; the password dialog
            // follows them.
            kvmt::TForm1 window(options);
            window.show();
            result = app.exec();
            restart = window.restartOnExit();
        }
        // The window has written MT.ini on its way out; the new instance
        // reads it complete.
        if (restart)
            kvmt::launchDetached(*restart);
        return result;
    } catch (const std::exception &error) {
        QMessageBox::critical(nullptr, QStringLiteral("KVMTConf"), QString::fromLocal8Bit(error.what()));
        return 1;
    }
}
