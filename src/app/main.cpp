// kvmtconf: the configurator's window.
#include "ui/TForm1.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt would abort with a platform-plugin error; say what is
// wrong and what works instead.
bool displayAvailable()
{
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char *argv[])
{
    if (!displayAvailable()) {
        std::fputs("kvmtconf: no display is available (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                   "Run it on a desktop, or under Xvfb (xvfb-run kvmtconf), or use the headless tool:\n"
                   "    kvmtconf-cli read\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KVMTConf"));
    QApplication::setApplicationVersion(QStringLiteral(KVMT_VERSION_STRING));

    const QString exeDir = QApplication::applicationDirPath();
    kvmt::TForm1::Options options;
    options.libraryDirs = {exeDir, QDir(exeDir).filePath(QStringLiteral("../lib/kvmtconf"))};
    kvmt::TForm1 window(options);
    window.show();
    return app.exec();
}
