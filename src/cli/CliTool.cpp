#include "cli/CliTool.h"

#include "Configurator.h"
#include "cli/CliPrompts.h"
#include "cli/StreamEventLog.h"

namespace kvmt {

namespace {

enum Exit : int {
    ExitOk = 0,
    ExitUsage = 1,
    ExitNoLibrary = 3,
    ExitNoTracker = 4,
    ExitRefused = 5,
};

const char kUsage[] =
    "Usage: kvmtconf-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  read [--password PIN]   identify the first attached tracker, read its\n"
    "                          settings and print them as name=value lines\n"
    "\n"
    "Options:\n"
    "  --help                  show this text\n"
    "  --version               show the program version\n"
    "\n"
    "Event log lines go to standard error as \"KIND: text\" (error, success,\n"
    "notice, plain). Exit codes: 0 done, 1 usage, 3 no device library,\n"
    "4 no tracker attached, 5 password missing or refused.\n";

QString memberValue(const DeviceSettings &settings, Field field)
{
    switch (DeviceSettings::info(field).kind) {
    case FieldKind::Text:
        return settings.text(field);
    case FieldKind::Flag:
    case FieldKind::Radio:
        return settings.isChecked(field) ? QStringLiteral("1") : QStringLiteral("0");
    case FieldKind::Choice:
        return QString::number(settings.index(field));
    case FieldKind::Control:
        break;
    }
    return {};
}

void printMembers(const DeviceSettings &settings, QTextStream &out)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        if (DeviceSettings::info(field).kind == FieldKind::Control)
            continue;
        out << DeviceSettings::name(field) << '=' << memberValue(settings, field) << '\n';
    }
    out.flush();
}

int commandRead(const QStringList &options, QTextStream &out, QTextStream &err, const QStringList &libraryDirs)
{
    std::optional<QByteArray> password;
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (options[i] == QLatin1String("--password") && i + 1 < options.size()) {
            password = options[++i].toLatin1();
        } else {
            err << "kvmtconf-cli read: unknown option " << options[i] << Qt::endl;
            return ExitUsage;
        }
    }
    StreamEventLog log(err);
    CliPrompts prompts(err, password);
    Configurator configurator(log, prompts, libraryDirs);
    // One monitor run, straight away: no timers, no device notices.
    configurator.monitor().devtimerTimer();
    if (!configurator.library().isLoaded()) {
        err << "kvmtconf-cli: the device access library (libKVUSB.so) could not be loaded: "
            << configurator.library().lastError() << Qt::endl;
        return ExitNoLibrary;
    }
    if (!configurator.isConnected()) {
        err << "kvmtconf-cli: no tracker is attached" << Qt::endl;
        return ExitNoTracker;
    }
    if (prompts.passwordMissing()) {
        err << "kvmtconf-cli: the tracker's settings are password-protected; give --password PIN" << Qt::endl;
        return ExitRefused;
    }
    if (prompts.closeRequested())
        return ExitRefused;
    printMembers(configurator.settings(), out);
    return ExitOk;
}

} // namespace

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, const QStringList &libraryDirs)
{
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")) {
        (arguments.isEmpty() ? err : out) << kUsage;
        return arguments.isEmpty() ? ExitUsage : ExitOk;
    }
    const QString command = arguments.first();
    const QStringList options = arguments.mid(1);
    if (command == QLatin1String("--version")) {
        out << "kvmtconf-cli " << KVMT_VERSION_STRING << Qt::endl;
        return ExitOk;
    }
    if (command == QLatin1String("read"))
        return commandRead(options, out, err, libraryDirs);
    err << "kvmtconf-cli: unknown command " << command << "\n\n" << kUsage;
    return ExitUsage;
}

} // namespace kvmt
