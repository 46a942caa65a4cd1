#include "ManualScreens.h"

#include "device/UserPrompts.h"
#include "shell/IniFile.h"
#include "shell/Language.h"
#include "shell/ProgramSettings.h"
#include "ui/PendingChangesView.h"
#include "ui/TForm1.h"
#include "ui/TFormPass.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

namespace kvmt::manual {

namespace {

// The pictures show a session as it goes, not dialogs: nothing is asked.
class SilentPrompts final : public UserPrompts
{
public:
    void showError(const QString &, const QString &) override {}
    void showMessage(const QString &) override {}
    std::optional<QByteArray> askDevicePassword() override { return std::nullopt; }
    void closeProgram() override {}
};

// One virtual tracker, fresh from the factory, for the whole run. The device
// library keeps the home folder it first saw, so it is set once.
const QTemporaryDir &trackerHome()
{
    static QTemporaryDir home = [] {
        QTemporaryDir dir;
        qputenv("KVTRACKER_HOME", QFile::encodeName(dir.path()));
        QDir(dir.path()).mkpath(QStringLiteral("attached"));
        QFile scenario(QDir(dir.path()).filePath(QStringLiteral("attached/0001-5001500.ini")));
        if (scenario.open(QIODevice::WriteOnly))
            scenario.write("[tracker]\nserial=5001500\nversion=KVMT-1.44\naccelerometer=1\nprotected=0\n");
        return dir;
    }();
    return home;
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

// The tracker's clock and the computer's both read `clock`, in the tracker's
// zone: the clock field as the window shows the tracker's reply (set on the
// widget only: the model keeps what was read, so nothing counts as changed),
// and the time a write would take from the computer, which the list of
// changes shows.
void pinClock(TForm1 &window, const QDateTime &clock)
{
    const int zone = window.configurator().settings().text(F::edTimeZone).toInt();
    const QDateTime shown = clock.toOffsetFromUtc(zone * 3600);
    if (auto *time = window.findChild<QLineEdit *>(QStringLiteral("edTimeSync")))
        time->setText(shown.toString(QStringLiteral("HH:mm,dd.MM.yyyy")));
    window.configurator().keyTable().setClock([shown, zone] {
        return LocalTime{QDateTime(shown.date(), shown.time()), zone * 60};
    });
}

QImage grab(QWidget *widget)
{
    settle();
    return widget->grab().toImage();
}

} // namespace

QMap<QString, QImage> takeScreens(const QString &binDir, int languageId, const QDateTime &clock)
{
    trackerHome();
    // The window's own settings file, so that the language menu shows the
    // edition's language checked.
    QTemporaryDir exeDir;
    IniFile ini;
    ini.setValue(u"COMMON", u"Language", languageName(languageId));
    ini.save(programSettingsPath(exeDir.path()));

    SilentPrompts prompts;
    TForm1::Options options;
    options.libraryDirs = {binDir};
    options.prompts = &prompts;
    options.watchDevices = false;
    options.exeDir = exeDir.path();
    // The service parameter shows the console's field on the last page.
    options.arguments = {QStringLiteral("cmd")};
    TForm1 window(options);
    window.show();
    settle();
    window.configurator().monitor().devtimerTimer();
    pinClock(window, clock);

    QMap<QString, QImage> screens;
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("PageControl1"));
    auto *setup = window.findChild<QTabWidget *>(QStringLiteral("pcSetup"));
    pages->setCurrentIndex(0);
    screens.insert(QStringLiteral("window"), grab(&window));

    pages->setCurrentIndex(1);
    static const char *const kSetupPages[] = {"gsm", "sms", "server", "mail", "accelerometer",
                                              "security", "zone", "misc"};
    for (int i = 0; i < setup->count() && i < int(std::size(kSetupPages)); ++i) {
        setup->setCurrentIndex(i);
        screens.insert(QString::fromLatin1(kSetupPages[i]), grab(&window));
    }

    // A console command and its raw reply in the log pane.
    setup->setCurrentIndex(setup->count() - 1);
    window.configurator().settings().setText(F::edCmd, QStringLiteral("VERSION=?;"));
    window.configurator().console().send(QStringLiteral("VERSION=?;"));
    screens.insert(QStringLiteral("console"), grab(&window));

    pages->setCurrentIndex(2);
    screens.insert(QStringLiteral("summary"), grab(&window));

    TFormPass password(&window);
    password.show();
    screens.insert(QStringLiteral("password"), grab(&password));
    password.hide();

    // Two fields edited since the read: marked on the page and listed.
    pages->setCurrentIndex(1);
    setup->setCurrentIndex(0);
    window.configurator().settings().setText(F::edAPN, QStringLiteral("fleet.apn"));
    window.configurator().settings().setText(F::edAPNLogin, QStringLiteral("fleet"));
    screens.insert(QStringLiteral("marks"), grab(&window));
    ChangesDialog changes(window.configurator().pendingChanges(), window.configurator().settings(), &window);
    changes.show();
    screens.insert(QStringLiteral("changes"), grab(&changes));
    changes.hide();

    window.close();
    settle();
    return screens;
}

} // namespace kvmt::manual
