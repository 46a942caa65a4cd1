#include "cli/CliTool.h"

#include "shell/SessionClose.h"

#include "Configurator.h"
#include "cli/CliPrompts.h"
#include "cli/StreamEventLog.h"
#include "cli/SummaryPrinter.h"

#include <QElapsedTimer>
#include <QThread>

namespace kvmt {

namespace {

enum Exit : int {
    ExitOk = 0,
    ExitUsage = 1,
    ExitNoLibrary = 3,
    ExitNoTracker = 4,
    ExitRefused = 5,
    ExitTimeLimit = 6,
    ExitTestFailed = 7,
    ExitBadFile = 8,
    ExitNotWritten = 9,
    ExitNotTaken = 10,
};

const char kUsage[] =
    "Usage: kvmtconf-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  read [--password PIN]   identify the first attached tracker, read its\n"
    "                          settings and print them as name=value lines\n"
    "  test smtp|sms|server [--password PIN] [--time-limit SECONDS]\n"
    "       [--interval MS]    run one of the tracker's communication tests with\n"
    "                          the settings it holds, polling every MS (1000)\n"
    "                          until the tracker ends it or SECONDS (300) pass\n"
    "  load FILE               read a profile file (*.atc) into the settings as\n"
    "                          the window's load command does, without a\n"
    "                          tracker, and print them as name=value lines\n"
    "  summary [--password PIN] [--colour]\n"
    "                          the plain-language summary of the attached\n"
    "                          tracker's settings: each value coloured on a\n"
    "                          terminal (or with --colour), else each line\n"
    "                          starts with the value's KIND\n"
    "  save FILE [--password PIN]\n"
    "                          read the attached tracker and write its settings\n"
    "                          to the profile file FILE (.atc is added when\n"
    "                          missing)\n"
    "  write FILE [--password PIN]\n"
    "                          load the profile file FILE and write it to the\n"
    "                          attached tracker as the Save button does, then\n"
    "                          read the tracker back\n"
    "\n"
    "Options:\n"
    "  --help                  show this text\n"
    "  --version               show the program version\n"
    "\n"
    "Event log lines go to standard error as \"KIND: text\" (error, success,\n"
    "notice, plain). Exit codes: 0 done, 1 usage, 3 no device library,\n"
    "4 no tracker attached, 5 password missing or refused, 6 the test did not\n"
    "end within its time limit, 7 the tracker reported the test failed,\n"
    "8 the profile file could not be read, 9 the profile file could not be\n"
    "written, 10 the tracker did not take every setting.\n";

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
        // Controls without a value, and captions the profile page rewrites,
        // are window state, not settings.
        if (DeviceSettings::info(field).kind == FieldKind::Control
            || DeviceSettings::name(field).startsWith(QLatin1String("Label")))
            continue;
        out << DeviceSettings::name(field) << '=' << memberValue(settings, field) << '\n';
    }
    out.flush();
}

// A configurator as the tool runs it: log lines on standard error, the
// password from the command line.
struct CliSession {
    CliSession(QTextStream &err, const std::optional<QByteArray> &password, const QStringList &libraryDirs)
        : log(err)
        , prompts(err, password)
        , configurator(log, prompts, libraryDirs)
    {
    }
    // Leaves as the window does: a protected tracker is locked again.
    ~CliSession() { closeSession(configurator.cdcLog(), configurator.link(), configurator.flags()); }
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    StreamEventLog log;
    CliPrompts prompts;
    Configurator configurator;
};

// One monitor run with the tracker: ExitOk once it is identified and read,
// else the exit code that says why not.
int takeUpTracker(CliSession &session, QTextStream &err);

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
    CliSession session(err, password, libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    printMembers(session.configurator.settings(), out);
    return ExitOk;
}

int takeUpTracker(CliSession &session, QTextStream &err)
{
    Configurator &configurator = session.configurator;
    const CliPrompts &prompts = session.prompts;
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
    return ExitOk;
}

std::optional<CommTest> testNamed(const QString &name)
{
    if (name == QLatin1String("smtp"))
        return CommTest::Smtp;
    if (name == QLatin1String("sms"))
        return CommTest::Sms;
    if (name == QLatin1String("server"))
        return CommTest::Server;
    return std::nullopt;
}

int commandTest(const QStringList &options, QTextStream &err, const QStringList &libraryDirs)
{
    const std::optional<CommTest> test = options.isEmpty() ? std::nullopt : testNamed(options.first());
    if (!test) {
        err << "kvmtconf-cli test: name the test: smtp, sms or server" << Qt::endl;
        return ExitUsage;
    }
    std::optional<QByteArray> password;
    qint64 timeLimitMs = 300 * 1000;
    unsigned long intervalMs = CommunicationTests::kPollIntervalMs;
    for (qsizetype i = 1; i < options.size(); ++i) {
        const QString &option = options[i];
        const bool hasValue = i + 1 < options.size();
        bool number = true;
        if (option == QLatin1String("--password") && hasValue) {
            password = options[++i].toLatin1();
        } else if (option == QLatin1String("--time-limit") && hasValue) {
            timeLimitMs = options[++i].toUInt(&number) * qint64(1000);
        } else if (option == QLatin1String("--interval") && hasValue) {
            intervalMs = options[++i].toUInt(&number);
        } else {
            number = false;
        }
        if (!number) {
            err << "kvmtconf-cli test: unknown option or bad value " << option << Qt::endl;
            return ExitUsage;
        }
    }

    CliSession session(err, password, libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;

    // The window's poll timer, driven by hand: nothing else runs here, and a
    // tracker that never reports the end must not keep the tool for ever.
    CommunicationTests &tests = session.configurator.tests();
    QElapsedTimer clock;
    clock.start();
    tests.start(*test);
    for (;;) {
        QThread::msleep(intervalMs);
        tests.poll(*test);
        if (!tests.isPolling(*test))
            break;
        if (clock.elapsed() >= timeLimitMs) {
            tests.timer(*test).stop();
            err << "kvmtconf-cli: the tracker did not end the test within " << timeLimitMs / 1000 << " s"
                << Qt::endl;
            return ExitTimeLimit;
        }
    }
    return tests.verdict(*test) == CommunicationTests::Verdict::Failed ? ExitTestFailed : ExitOk;
}

int commandLoad(const QStringList &options, QTextStream &out, QTextStream &err, const QStringList &libraryDirs)
{
    if (options.size() != 1 || options.first().startsWith(u'-')) {
        err << "kvmtconf-cli load: name one profile file" << Qt::endl;
        return ExitUsage;
    }
    // No tracker is taken up: the file is read as before any tracker was
    // attached, so keys that only some firmware has are not looked up.
    CliSession session(err, std::nullopt, libraryDirs);
    if (session.configurator.profileFile().load(options.first()) != ProfileFile::LoadOutcome::Read)
        return ExitBadFile;
    printMembers(session.configurator.settings(), out);
    return ExitOk;
}

// FILE and --password, in any order.
bool fileAndPassword(const char *command, const QStringList &options, QString *file,
                     std::optional<QByteArray> *password, QTextStream &err)
{
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (options[i] == QLatin1String("--password") && i + 1 < options.size()) {
            *password = options[++i].toLatin1();
        } else if (!options[i].startsWith(u'-') && file->isEmpty()) {
            *file = options[i];
        } else {
            err << "kvmtconf-cli " << command << ": unknown option " << options[i] << Qt::endl;
            return false;
        }
    }
    if (file->isEmpty()) {
        err << "kvmtconf-cli " << command << ": name one profile file" << Qt::endl;
        return false;
    }
    return true;
}

int commandSave(const QStringList &options, QTextStream &err, const QStringList &libraryDirs)
{
    QString file;
    std::optional<QByteArray> password;
    if (!fileAndPassword("save", options, &file, &password, err))
        return ExitUsage;
    CliSession session(err, password, libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    // The window's save always adds the suffix; on a command line the name
    // may already carry it.
    if (file.endsWith(QLatin1String(".atc"), Qt::CaseInsensitive))
        file.chop(4);
    return session.configurator.profileFile().save(file) ? ExitOk : ExitNotWritten;
}

int commandWrite(const QStringList &options, QTextStream &err, const QStringList &libraryDirs)
{
    QString file;
    std::optional<QByteArray> password;
    if (!fileAndPassword("write", options, &file, &password, err))
        return ExitUsage;
    CliSession session(err, password, libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    // Loaded only now: the tracker's identity decides which keys the file
    // holds for it, as when the window loads a file after connecting.
    if (session.configurator.profileFile().load(file) != ProfileFile::LoadOutcome::Read)
        return ExitBadFile;
    const int errorsBefore = session.log.errorCount();
    session.configurator.btSaveClick();
    return session.log.errorCount() == errorsBefore ? ExitOk : ExitNotTaken;
}

int commandSummary(const QStringList &options, QTextStream &out, QTextStream &err, const QStringList &libraryDirs)
{
    std::optional<QByteArray> password;
    bool colours = isColourTerminal(out);
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (options[i] == QLatin1String("--password") && i + 1 < options.size()) {
            password = options[++i].toLatin1();
        } else if (options[i] == QLatin1String("--colour")) {
            colours = true;
        } else {
            err << "kvmtconf-cli summary: unknown option " << options[i] << Qt::endl;
            return ExitUsage;
        }
    }
    CliSession session(err, password, libraryDirs);
    // The connection builds the summary once, as the window's does; a radius
    // that is no integer is told on standard error then.
    std::optional<SettingsSummary> summary;
    QObject::connect(&session.configurator, &Configurator::summaryBuilt,
                     [&summary](const SettingsSummary &built) { summary = built; });
    if (const int failed = takeUpTracker(session, err))
        return failed;
    if (!summary)
        summary = session.configurator.buildSettingsSummary();
    printSummary(*summary, out, colours);
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
    if (command == QLatin1String("test"))
        return commandTest(options, err, libraryDirs);
    if (command == QLatin1String("load"))
        return commandLoad(options, out, err, libraryDirs);
    if (command == QLatin1String("summary"))
        return commandSummary(options, out, err, libraryDirs);
    if (command == QLatin1String("save"))
        return commandSave(options, err, libraryDirs);
    if (command == QLatin1String("write"))
        return commandWrite(options, err, libraryDirs);
    err << "kvmtconf-cli: unknown command " << command << "\n\n" << kUsage;
    return ExitUsage;
}

} // namespace kvmt
