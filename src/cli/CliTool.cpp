#include "cli/CliTool.h"

#include "shell/SessionClose.h"

#include "Configurator.h"
#include "cli/CliPrompts.h"
#include "cli/PasswordSource.h"
#include "cli/StopSignals.h"
#include "cli/StreamEventLog.h"
#include "cli/SummaryPrinter.h"
#include "provision/Provisioning.h"
#include "provision/TrackerRoster.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QThread>

namespace kvmt {

namespace {

enum Exit : int {
    ExitOk = 0,
    ExitUsage = 1,
    ExitDifferences = 2,
    ExitNoLibrary = 3,
    ExitNoTracker = 4,
    ExitRefused = 5,
    ExitTimeLimit = 6,
    ExitTestFailed = 7,
    ExitBadFile = 8,
    ExitNotWritten = 9,
    ExitNotTaken = 10,
    ExitNoReply = 11,
    ExitProvisionFailed = 12,
    ExitNotRead = 13,
    ExitUnanswered = 14,
    ExitNoVerdict = 15,
    ExitInterrupted = 16,
    ExitBadTable = 17,
};

// What every command needs besides its options.
struct CliEnv {
    QStringList libraryDirs;
    PasswordSource::Terminal terminal;
};

const char kUsage[] =
    "Usage: kvmtconf-cli COMMAND [OPTIONS]\n"
    "\n"
    "Commands:\n"
    "  read [--password-file FILE] [--json]\n"
    "                          identify the first attached tracker, read its\n"
    "                          settings and print them as name=value lines\n"
    "  test smtp|sms|server [--password-file FILE] [--time-limit SECONDS]\n"
    "       [--interval MS]    run one of the tracker's communication tests with\n"
    "                          the settings it holds, polling every MS (1000)\n"
    "                          until the tracker ends it or SECONDS (300) pass\n"
    "  load FILE [--json]      read a profile file (*.atc) into the settings as\n"
    "                          the window's load command does, without a\n"
    "                          tracker, and print them as name=value lines\n"
    "  summary [--password-file FILE] [--colour] [--json]\n"
    "                          the plain-language summary of the attached\n"
    "                          tracker's settings: each value coloured on a\n"
    "                          terminal (or with --colour), else each line\n"
    "                          starts with the value's KIND\n"
    "  save FILE [--password-file FILE]\n"
    "                          read the attached tracker and write its settings\n"
    "                          to the profile file FILE (.atc is added unless\n"
    "                          the name ends in it, in any case)\n"
    "  write FILE [--password-file FILE]\n"
    "                          load the profile file FILE and write it to the\n"
    "                          attached tracker as the Save button does, then\n"
    "                          read the tracker back\n"
    "  diff FILE [--password-file FILE] [--json]\n"
    "                          read the attached tracker and list the keys that\n"
    "                          writing FILE would change, one per line:\n"
    "                          KEY<tab>tracker's value<tab>file's value\n"
    "  console COMMAND [--password-file FILE]\n"
    "                          send COMMAND to the attached tracker exactly as\n"
    "                          given (write the = and ; yourself) and print the\n"
    "                          tracker's reply as the service console shows it\n"
    "  provision FILE [--serial N]... [--password-file FILE] [--wait] [--count N]\n"
    "       [--values TABLE.csv [--require-values]] [--json]\n"
    "                          write FILE to every attached tracker in turn (or\n"
    "                          to those with the serials given), read each back\n"
    "                          and print one line per tracker:\n"
    "                          SERIAL<tab>RESULT<tab>saved|not-saved<tab>KEYS\n"
    "                          With --values, each tracker's row of the table\n"
    "                          (first column serial, the others keys of the\n"
    "                          profile file) replaces the file's values, and the\n"
    "                          line ends in <tab>VALUES, the count taken; with\n"
    "                          --require-values a tracker without a row is\n"
    "                          skipped. With --wait, then provision every\n"
    "                          tracker plugged in until interrupted (Ctrl+C),\n"
    "                          until N trackers are done (--count), or until\n"
    "                          every serial given (or, with --require-values,\n"
    "                          every serial of the table) is done\n"
    "\n"
    "Options:\n"
    "  --help                  show this text\n"
    "  --version               show the program version\n"
    "  --json                  print one JSON document instead of lines\n"
    "  --password-file FILE    a protected tracker's password: the first line of\n"
    "                          FILE; else KVMT_PASSWORD, else asked on the\n"
    "                          terminal without echo\n"
    "  --password PIN          the same, visible to every local user\n"
    "\n"
    "Event log lines go to standard error as \"KIND: text\" (error, success,\n"
    "notice, plain). Exit codes: 0 done (diff: no differences), 1 usage,\n"
    "2 diff found differences, 3 no device library, 4 no tracker attached,\n"
    "5 password missing or refused, 6 the test did not end within its time\n"
    "limit, 7 the tracker reported the test failed, 8 the profile file could\n"
    "not be read, 9 the profile file could not be written, 10 the tracker did\n"
    "not take every setting, 11 the tracker did not answer the console\n"
    "command, 12 provision: at least one tracker was not provisioned, 13 the\n"
    "tracker was identified but its settings were not read, 14 the tracker\n"
    "left settings unanswered, 15 the test ended without a verdict, 16\n"
    "interrupted (Ctrl+C): the exchange in progress was finished, nothing\n"
    "more was sent and no file was written, 17 provision: the values table\n"
    "could not be read.\n";

bool isPrintedMember(Field field)
{
    // Controls without a value, and captions the profile page rewrites,
    // are window state, not settings.
    return DeviceSettings::info(field).kind != FieldKind::Control
        && !DeviceSettings::name(field).startsWith(QLatin1String("Label"));
}

void printMembers(const DeviceSettings &settings, QTextStream &out)
{
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        if (isPrintedMember(field))
            out << DeviceSettings::name(field) << '=' << settings.valueText(field) << '\n';
    }
    out.flush();
}

QJsonObject membersJson(const DeviceSettings &settings)
{
    QJsonObject members;
    for (int i = 0; i < kFieldCount; ++i) {
        const Field field = Field(i);
        if (isPrintedMember(field))
            members.insert(DeviceSettings::name(field), settings.valueText(field));
    }
    return members;
}

// The tracker a document is about, as identified.
void addTracker(QJsonObject *document, const DeviceSettings &settings)
{
    document->insert(QStringLiteral("serial"), settings.text(F::pSerial));
    document->insert(QStringLiteral("firmware"), settings.text(F::pVersion));
}

void printJson(const QJsonObject &document, QTextStream &out)
{
    out << QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Indented));
    out.flush();
}

enum class Taken { No, Yes, Bad };

// --password PIN or --password-file FILE at options[i]; i moves past the
// value when one was taken.
Taken takePasswordOption(const char *command, const QStringList &options, qsizetype &i, PasswordSource &password,
                         QTextStream &err)
{
    const bool hasValue = i + 1 < options.size();
    if (options[i] == QLatin1String("--password") && hasValue) {
        password.setGiven(options[++i].toLatin1());
        return Taken::Yes;
    }
    if (options[i] == QLatin1String("--password-file") && hasValue) {
        const QString path = options[++i];
        QString error;
        if (password.setFromFile(path, &error))
            return Taken::Yes;
        err << "kvmtconf-cli " << command << ": cannot read the password file " << path << ": " << error << Qt::endl;
        return Taken::Bad;
    }
    return Taken::No;
}

// A configurator as the tool runs it: log lines on standard error, the
// password from its source.
struct CliSession {
    // Interruptible: Ctrl+C and SIGTERM end the sequence under way after
    // the exchange in progress. Not for provisioning, which has its own
    // handling of both, between trackers.
    CliSession(QTextStream &err, PasswordSource &password, const QStringList &libraryDirs, bool interruptible = true)
        : log(err)
        , tap(log)
        , prompts(err, password)
        , configurator(tap, prompts, libraryDirs)
    {
        if (interruptible)
            stops.emplace(std::function<void()>{}, &configurator.stop());
    }
    // Leaves as the window does: a protected tracker is locked again.
    ~CliSession()
    {
        // Interrupted, the person is waiting: a tracker that stopped
        // answering must not hold the tool for another full time-out.
        if (configurator.stop().requested())
            configurator.link().setTimeouts(kInterruptedCloseMs, kInterruptedCloseMs);
        closeSession(configurator.cdcLog(), configurator.link(), configurator.flags());
    }
    static constexpr uint32_t kInterruptedCloseMs = 100;
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    bool interrupted(QTextStream &err)
    {
        if (!configurator.stop().requested())
            return false;
        err << "kvmtconf-cli: interrupted; the exchange in progress was finished and nothing more was sent"
            << Qt::endl;
        return true;
    }

    StreamEventLog log;
    LogTap tap;
    CliPrompts prompts;
    Configurator configurator;
    std::optional<StopSignals> stops;
};

// One monitor run with the tracker: ExitOk once it is identified and read
// (or only identified, with the "do not read" box ticked), else the exit
// code that says why not.
int takeUpTracker(CliSession &session, QTextStream &err);
// Whether the read at connection got an answer for every key; says how many
// it did not.
bool readComplete(CliSession &session, QTextStream &err);

int commandRead(const QStringList &options, QTextStream &out, QTextStream &err, const CliEnv &env)
{
    PasswordSource password(env.terminal);
    bool json = false;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const Taken taken = takePasswordOption("read", options, i, password, err);
        if (taken == Taken::Bad)
            return ExitUsage;
        if (taken == Taken::Yes)
            continue;
        if (options[i] == QLatin1String("--json")) {
            json = true;
        } else {
            err << "kvmtconf-cli read: unknown option " << options[i] << Qt::endl;
            return ExitUsage;
        }
    }
    CliSession session(err, password, env.libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    if (json) {
        QJsonObject document;
        addTracker(&document, session.configurator.settings());
        document.insert(QStringLiteral("members"), membersJson(session.configurator.settings()));
        printJson(document, out);
    } else {
        printMembers(session.configurator.settings(), out);
    }
    return readComplete(session, err) ? ExitOk : ExitUnanswered;
}

bool readComplete(CliSession &session, QTextStream &err)
{
    const int unanswered = session.configurator.reader().lastUnanswered();
    if (unanswered > 0) {
        err << "kvmtconf-cli: the tracker left " << unanswered
            << " settings unanswered; their values are not the tracker's" << Qt::endl;
    }
    return unanswered == 0;
}

int takeUpTracker(CliSession &session, QTextStream &err)
{
    Configurator &configurator = session.configurator;
    const CliPrompts &prompts = session.prompts;
    // One monitor run, straight away: no timers, no device notices.
    configurator.monitor().devtimerTimer();
    if (session.interrupted(err))
        return ExitInterrupted;
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
        err << "kvmtconf-cli: the tracker's settings are password-protected; give --password-file FILE, set "
               "KVMT_PASSWORD or run on a terminal to be asked"
            << Qt::endl;
        return ExitRefused;
    }
    if (prompts.closeRequested())
        return ExitRefused;
    using Id = ConnectionMonitor::Identification;
    switch (configurator.monitor().lastIdentification()) {
    case Id::SettingsRead:
    case Id::ReadSkipped:
        return ExitOk;
    case Id::NoProtectionAnswer:
        err << "kvmtconf-cli: the tracker did not answer whether it is password-protected; its settings were not read"
            << Qt::endl;
        return ExitNotRead;
    case Id::NoPasswordVerdict:
        err << "kvmtconf-cli: the tracker gave no verdict on the password; its settings were not read" << Qt::endl;
        return ExitNotRead;
    default:
        err << "kvmtconf-cli: the tracker's identification ended early; its settings were not read" << Qt::endl;
        return ExitNotRead;
    }
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

int commandTest(const QStringList &options, QTextStream &err, const CliEnv &env)
{
    const std::optional<CommTest> test = options.isEmpty() ? std::nullopt : testNamed(options.first());
    if (!test) {
        err << "kvmtconf-cli test: name the test: smtp, sms or server" << Qt::endl;
        return ExitUsage;
    }
    PasswordSource password(env.terminal);
    qint64 timeLimitMs = 300 * 1000;
    unsigned long intervalMs = CommunicationTests::kPollIntervalMs;
    for (qsizetype i = 1; i < options.size(); ++i) {
        const Taken taken = takePasswordOption("test", options, i, password, err);
        if (taken == Taken::Bad)
            return ExitUsage;
        if (taken == Taken::Yes)
            continue;
        const QString &option = options[i];
        const bool hasValue = i + 1 < options.size();
        bool number = true;
        if (option == QLatin1String("--time-limit") && hasValue) {
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

    CliSession session(err, password, env.libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    // The test sends the settings it needs from what was read: a key left
    // unanswered would send the tracker a value it never held.
    if (!readComplete(session, err))
        return ExitUnanswered;

    // The window's poll timer, driven by hand: nothing else runs here, and a
    // tracker that never reports the end must not keep the tool for ever.
    CommunicationTests &tests = session.configurator.tests();
    QElapsedTimer clock;
    clock.start();
    tests.start(*test);
    for (;;) {
        // In slices, so that an interrupt is taken up within one.
        QElapsedTimer slept;
        slept.start();
        while (slept.elapsed() < qint64(intervalMs) && !session.configurator.stop().requested())
            QThread::msleep(std::min<unsigned long>(intervalMs, 20));
        if (session.interrupted(err))
            return ExitInterrupted;
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
    switch (tests.verdict(*test)) {
    case CommunicationTests::Verdict::Passed:
        return ExitOk;
    case CommunicationTests::Verdict::Failed:
        return ExitTestFailed;
    case CommunicationTests::Verdict::None:
        break;
    }
    err << "kvmtconf-cli: the tracker ended the test without telling whether it passed" << Qt::endl;
    return ExitNoVerdict;
}

int commandLoad(const QStringList &options, QTextStream &out, QTextStream &err, const CliEnv &env)
{
    QString file;
    bool json = false;
    for (const QString &option : options) {
        if (option == QLatin1String("--json")) {
            json = true;
        } else if (!option.startsWith(u'-') && file.isEmpty()) {
            file = option;
        } else {
            file.clear();
            break;
        }
    }
    if (file.isEmpty()) {
        err << "kvmtconf-cli load: name one profile file" << Qt::endl;
        return ExitUsage;
    }
    // No tracker is taken up: the file is read as before any tracker was
    // attached, so keys that only some firmware has are not looked up.
    PasswordSource noPassword({});
    CliSession session(err, noPassword, env.libraryDirs);
    if (session.configurator.profileFile().load(file) != ProfileFile::LoadOutcome::Read)
        return ExitBadFile;
    if (json) {
        QJsonObject document;
        document.insert(QStringLiteral("file"), file);
        document.insert(QStringLiteral("members"), membersJson(session.configurator.settings()));
        printJson(document, out);
    } else {
        printMembers(session.configurator.settings(), out);
    }
    return ExitOk;
}

// FILE and the password options, in any order.
bool fileAndPassword(const char *command, const QStringList &options, QString *file, PasswordSource &password,
                     QTextStream &err)
{
    for (qsizetype i = 0; i < options.size(); ++i) {
        const Taken taken = takePasswordOption(command, options, i, password, err);
        if (taken == Taken::Bad)
            return false;
        if (taken == Taken::Yes)
            continue;
        if (!options[i].startsWith(u'-') && file->isEmpty()) {
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

int commandSave(const QStringList &options, QTextStream &err, const CliEnv &env)
{
    QString file;
    PasswordSource password(env.terminal);
    if (!fileAndPassword("save", options, &file, password, err))
        return ExitUsage;
    CliSession session(err, password, env.libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    // A profile of a partial read would later write values the tracker
    // never held into every tracker it is written to.
    if (!readComplete(session, err)) {
        err << "kvmtconf-cli save: " << file << " was not written" << Qt::endl;
        return ExitUnanswered;
    }
    // The window's save always adds the suffix; on a command line the name
    // may already carry it, in any case ("fleet.ATC" is another file than
    // "fleet.atc" here).
    ProfileFile &profiles = session.configurator.profileFile();
    const bool saved = file.endsWith(QLatin1String(".atc"), Qt::CaseInsensitive) ? profiles.saveAs(file)
                                                                                   : profiles.save(file);
    return saved ? ExitOk : ExitNotWritten;
}

int commandWrite(const QStringList &options, QTextStream &err, const CliEnv &env)
{
    QString file;
    PasswordSource password(env.terminal);
    if (!fileAndPassword("write", options, &file, password, err))
        return ExitUsage;
    CliSession session(err, password, env.libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    // Loaded only now: the tracker's identity decides which keys the file
    // holds for it, as when the window loads a file after connecting.
    if (session.configurator.profileFile().load(file) != ProfileFile::LoadOutcome::Read)
        return ExitBadFile;
    const int errorsBefore = session.log.errorCount();
    session.configurator.btSaveClick();
    if (session.interrupted(err))
        return ExitInterrupted;
    return session.log.errorCount() == errorsBefore ? ExitOk : ExitNotTaken;
}

int commandSummary(const QStringList &options, QTextStream &out, QTextStream &err, const CliEnv &env)
{
    PasswordSource password(env.terminal);
    bool colours = isColourTerminal(out);
    bool json = false;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const Taken taken = takePasswordOption("summary", options, i, password, err);
        if (taken == Taken::Bad)
            return ExitUsage;
        if (taken == Taken::Yes)
            continue;
        if (options[i] == QLatin1String("--colour")) {
            colours = true;
        } else if (options[i] == QLatin1String("--json")) {
            json = true;
        } else {
            err << "kvmtconf-cli summary: unknown option " << options[i] << Qt::endl;
            return ExitUsage;
        }
    }
    CliSession session(err, password, env.libraryDirs);
    // The connection builds the summary once, as the window's does; a radius
    // that is no integer is told on standard error then.
    std::optional<SettingsSummary> summary;
    QObject::connect(&session.configurator, &Configurator::summaryBuilt,
                     [&summary](const SettingsSummary &built) { summary = built; });
    if (const int failed = takeUpTracker(session, err))
        return failed;
    if (!summary)
        summary = session.configurator.buildSettingsSummary();
    if (json) {
        QJsonObject document;
        addTracker(&document, session.configurator.settings());
        document.insert(QStringLiteral("complete"), summary->complete());
        document.insert(QStringLiteral("rows"), summaryRowsJson(*summary));
        printJson(document, out);
    } else {
        printSummary(*summary, out, colours);
    }
    return readComplete(session, err) ? ExitOk : ExitUnanswered;
}

// One raw command through the service console, as an engineer types it into
// the window's console field.
int commandConsole(const QStringList &options, QTextStream &out, QTextStream &err, const CliEnv &env)
{
    PasswordSource password(env.terminal);
    std::optional<QString> command;
    for (qsizetype i = 0; i < options.size(); ++i) {
        const Taken taken = takePasswordOption("console", options, i, password, err);
        if (taken == Taken::Bad)
            return ExitUsage;
        if (taken == Taken::Yes)
            continue;
        if (!command && !options[i].isEmpty()) {
            command = options[i];
        } else {
            err << "kvmtconf-cli console: give one command (and --password PIN)" << Qt::endl;
            return ExitUsage;
        }
    }
    if (!command) {
        err << "kvmtconf-cli console: give one command, e.g. \"NUMBER=?;\"" << Qt::endl;
        return ExitUsage;
    }
    CliSession session(err, password, env.libraryDirs);
    // The console needs the tracker identified and unlocked, not read: the
    // window's "do not read at connection" box, ticked for this session.
    session.configurator.settings().setChecked(F::cbReadSetup, true);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    const qsizetype before = session.tap.lines().size();
    session.configurator.console().send(*command);
    // The console shows a reply as one notice line; no line means no reply.
    const QList<LogLine> shown = session.tap.lines().mid(before);
    const auto reply = std::find_if(shown.begin(), shown.end(),
                                    [](const LogLine &line) { return line.kind == LogNotice; });
    if (reply == shown.end()) {
        err << "kvmtconf-cli console: the tracker did not answer" << Qt::endl;
        return ExitNoReply;
    }
    out << reply->text << '\n';
    out.flush();
    return ExitOk;
}

int commandDiff(const QStringList &options, QTextStream &out, QTextStream &err, const CliEnv &env)
{
    QStringList rest;
    bool json = false;
    for (const QString &option : options) {
        if (option == QLatin1String("--json"))
            json = true;
        else
            rest.append(option);
    }
    QString file;
    PasswordSource password(env.terminal);
    if (!fileAndPassword("diff", rest, &file, password, err))
        return ExitUsage;
    CliSession session(err, password, env.libraryDirs);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    const std::optional<QList<KeyDifference>> found = differencesToFile(session.configurator, file);
    if (!found)
        return ExitBadFile;
    if (json) {
        QJsonObject document;
        addTracker(&document, session.configurator.settings());
        document.insert(QStringLiteral("file"), file);
        QJsonArray differences;
        for (const KeyDifference &difference : *found) {
            differences.append(QJsonObject{
                {QStringLiteral("key"), QString::fromLatin1(KeyTable::name(difference.key))},
                {QStringLiteral("tracker"), difference.heldUnknown
                                                ? QJsonValue(QJsonValue::Null)
                                                : QJsonValue(displayValue(difference.key, difference.held))},
                {QStringLiteral("file"), displayValue(difference.key, difference.written)}});
        }
        document.insert(QStringLiteral("differences"), differences);
        printJson(document, out);
    } else {
        for (const KeyDifference &difference : *found) {
            out << KeyTable::name(difference.key) << '\t'
                << (difference.heldUnknown ? QStringLiteral("?") : displayValue(difference.key, difference.held))
                << '\t' << displayValue(difference.key, difference.written) << '\n';
        }
        out.flush();
    }
    return found->isEmpty() ? ExitOk : ExitDifferences;
}

struct ProvisionOptions {
    explicit ProvisionOptions(const PasswordSource::Terminal &terminal)
        : password(terminal)
    {
    }
    QString file;
    // Asked at most once for the whole run, not once per tracker.
    PasswordSource password;
    QList<qint32> serials;
    bool wait = false;
    int count = 0; // 0: no limit
    QString valuesPath;
    std::optional<ValuesTable> values;
    bool requireValues = false;
    bool json = false;
};

// What became of one tracker, as its line and its JSON entry tell it.
struct TrackerOutcome {
    QString serial;
    QString result;
    bool saved = false;
    QStringList keys;           // not taken, or (bad-values) refused
    QList<TableValue> taken;    // the table's values written to it
};

// The serial is the tracker's own text, or the table's: it must not break
// a line apart.
QString printable(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return text;
}

class Provisioner
{
public:
    Provisioner(ProvisionOptions &options, QTextStream &out, QTextStream &err, const QStringList &libraryDirs)
        : m_options(options)
        , m_out(out)
        , m_err(err)
        , m_libraryDirs(libraryDirs)
        , m_roster(libraryDirs)
    {
    }

    int run()
    {
        if (!m_roster.loadLibrary()) {
            m_err << "kvmtconf-cli: the device access library (libKVUSB.so) could not be loaded: "
                  << m_roster.library().lastError() << Qt::endl;
            return ExitNoLibrary;
        }
        QEventLoop loop;
        StopSignals stops([&loop] { loop.quit(); });
        provisionNew(stops);
        if (m_options.wait && !finished() && !stops.stopRequested()) {
            m_roster.watch(ConnectionMonitor::kIntervalMs);
            QObject::connect(&m_roster, &TrackerRoster::trackersChanged, &loop, [this, &stops, &loop] {
                provisionNew(stops);
                if (finished() || stops.stopRequested())
                    loop.quit();
            });
            loop.exec();
        }
        const int rowsLeft = reportRowsLeft();
        m_err << "kvmtconf-cli provision: " << m_done << " of " << m_done + m_failed << " trackers provisioned"
              << Qt::endl;
        if (m_options.json)
            printJson(document(), m_out);
        if (m_failed > 0 || rowsLeft > 0)
            return ExitProvisionFailed;
        if (m_done == 0 && !m_options.wait) {
            m_err << "kvmtconf-cli: no " << (m_options.serials.isEmpty() ? "" : "chosen ") << "tracker is attached"
                  << Qt::endl;
            return ExitNoTracker;
        }
        return ExitOk;
    }

private:
    bool finished() const
    {
        if (m_options.count > 0 && m_done + m_failed >= m_options.count)
            return true;
        // Waiting with --require-values, the table is the list of vehicles
        // to do; without a wait, each attached tracker still gets its line.
        if (m_options.wait && m_options.requireValues && m_options.serials.isEmpty()) {
            const QList<ValuesRow> &rows = m_options.values->rows();
            return std::all_of(rows.begin(), rows.end(), [this](const ValuesRow &row) {
                return row.serial == 0 || m_rowsUsed.contains(row.row);
            });
        }
        if (m_options.serials.isEmpty())
            return false;
        return std::all_of(m_options.serials.begin(), m_options.serials.end(),
                           [this](qint32 serial) { return m_handled.contains(serial); });
    }

    void provisionNew(StopSignals &stops)
    {
        for (const QByteArray &name : m_roster.takeNew()) {
            if (finished() || stops.stopRequested())
                return;
            std::optional<qint32> serial;
            if (!m_options.serials.isEmpty()) {
                serial = m_roster.serialOf(name);
                if (!serial || !m_options.serials.contains(*serial))
                    continue;
            }
            provisionOne(name, serial);
        }
    }

    void provisionOne(const QByteArray &name, std::optional<qint32> chosenSerial)
    {
        TrackerOutcome outcome;
        outcome.serial = chosenSerial ? QString::number(*chosenSerial) : QString::fromLatin1(name);
        {
            CliSession session(m_err, m_options.password, m_libraryDirs, false);
            session.configurator.monitor().setDeviceName(name);
            const int taken = takeUpTracker(session, m_err);
            if (session.configurator.isConnected()) {
                outcome.serial = session.configurator.settings().text(F::pSerial);
                answerRowsOf(parseSerialNumber(outcome.serial.toLatin1()));
            }
            if (taken == ExitRefused)
                outcome.result = QStringLiteral("refused");
            else if (taken == ExitNotRead)
                outcome.result = QStringLiteral("unread");
            else if (taken != ExitOk)
                outcome.result = QStringLiteral("gone");
            else
                provisionTaken(session, &outcome);
            // The session ends here: the tracker is told the configurator
            // leaves (and a protected one locks again) before the next starts.
        }
        if (chosenSerial)
            m_handled.insert(*chosenSerial);
        (outcome.result == QLatin1String("ok") ? m_done : m_failed) += 1;
        report(outcome);
    }

    // The tracker is identified and read: its row of the table decides what
    // is written.
    void provisionTaken(CliSession &session, TrackerOutcome *outcome)
    {
        const ValuesRow *row =
            m_options.values ? m_options.values->rowFor(parseSerialNumber(outcome->serial.toLatin1())) : nullptr;
        if (m_options.requireValues && !row) {
            outcome->result = QStringLiteral("no-values");
            return;
        }
        if (row && !row->problems.isEmpty()) {
            refuse(*row, row->problems, outcome);
            return;
        }
        const QList<TableValue> values = row ? row->values : QList<TableValue>{};
        const ProvisionResult provisioned =
            provisionConnected(session.configurator, session.tap, m_options.file, values);
        switch (provisioned.status) {
        case ProvisionResult::Status::BadValues:
            refuse(*row, provisioned.refusedValues, outcome);
            return;
        case ProvisionResult::Status::BadFile:
            outcome->result = QStringLiteral("bad-file");
            return;
        case ProvisionResult::Status::Done:
            outcome->result = QStringLiteral("ok");
            break;
        case ProvisionResult::Status::Failed:
            outcome->result = QStringLiteral("failed");
            break;
        }
        outcome->saved = provisioned.saved;
        outcome->keys = provisioned.failedKeys;
        outcome->taken = values;
    }

    // The tracker's line answers for every row of its serial (those refused
    // as giving it twice too), whatever became of it: none is reported as
    // a tracker that was not there.
    void answerRowsOf(qint32 serial)
    {
        if (!m_options.values || serial == 0)
            return;
        for (const ValuesRow &row : m_options.values->rows()) {
            if (row.serial == serial)
                m_rowsUsed.insert(row.row);
        }
    }

    void refuse(const ValuesRow &row, const QList<CellProblem> &problems, TrackerOutcome *outcome)
    {
        outcome->result = QStringLiteral("bad-values");
        for (const CellProblem &problem : problems) {
            tellRowProblem(row, problem);
            if (!problem.column.isEmpty() && !outcome->keys.contains(problem.column))
                outcome->keys.append(problem.column);
        }
    }

    void tellRowProblem(const ValuesRow &row, const CellProblem &problem)
    {
        m_err << "kvmtconf-cli provision: " << m_options.valuesPath << " row " << row.row;
        if (!problem.column.isEmpty())
            m_err << ", column " << printable(problem.column);
        m_err << ": " << printable(problem.text) << Qt::endl;
        m_rowProblems.append(QJsonObject{{QStringLiteral("row"), row.row},
                                         {QStringLiteral("serial"), row.serialText},
                                         {QStringLiteral("column"), problem.column},
                                         {QStringLiteral("problem"), problem.text}});
    }

    void report(const TrackerOutcome &outcome)
    {
        QJsonObject values;
        for (const TableValue &value : outcome.taken)
            values.insert(QString::fromLatin1(KeyTable::name(value.key)), value.value);
        m_trackers.append(QJsonObject{{QStringLiteral("serial"), outcome.serial},
                                      {QStringLiteral("result"), outcome.result},
                                      {QStringLiteral("saved"), outcome.saved},
                                      {QStringLiteral("keys"), QJsonArray::fromStringList(outcome.keys)},
                                      {QStringLiteral("values"), values}});
        if (m_options.json)
            return;
        m_out << printable(outcome.serial) << '\t' << outcome.result << '\t'
              << (outcome.saved ? "saved" : "not-saved") << '\t'
              << (outcome.keys.isEmpty() ? QStringLiteral("-") : printable(outcome.keys.join(u',')));
        if (m_options.values)
            m_out << '\t' << outcome.taken.size();
        m_out << Qt::endl;
    }

    // Rows of the table whose tracker was not provisioned in this run: not
    // attached (or not among the serials chosen), or with no serial at all.
    // Returns how many.
    int reportRowsLeft()
    {
        if (!m_options.values)
            return 0;
        int left = 0;
        for (const ValuesRow &row : m_options.values->rows()) {
            if (m_rowsUsed.contains(row.row))
                continue;
            if (row.serial == 0) {
                for (const CellProblem &problem : row.problems)
                    tellRowProblem(row, problem);
                ++left;
                continue;
            }
            if (!m_options.serials.isEmpty() && !m_options.serials.contains(row.serial))
                continue;
            m_err << "kvmtconf-cli provision: " << m_options.valuesPath << " row " << row.row << ": tracker "
                  << row.serial << " was not attached; nothing was written with this row" << Qt::endl;
            m_absent.append(QJsonObject{{QStringLiteral("row"), row.row}, {QStringLiteral("serial"), row.serialText}});
            ++left;
        }
        return left;
    }

    QJsonObject document() const
    {
        QJsonObject document{{QStringLiteral("file"), m_options.file},
                             {QStringLiteral("provisioned"), m_done},
                             {QStringLiteral("trackers"), m_trackers}};
        if (m_options.values) {
            document.insert(QStringLiteral("values"), m_options.valuesPath);
            document.insert(QStringLiteral("absent"), m_absent);
            document.insert(QStringLiteral("rowProblems"), m_rowProblems);
        }
        return document;
    }

    ProvisionOptions &m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    const QStringList &m_libraryDirs;
    TrackerRoster m_roster;
    QSet<qint32> m_handled;
    QSet<int> m_rowsUsed;
    int m_done = 0;
    int m_failed = 0;
    QJsonArray m_trackers;
    QJsonArray m_absent;
    QJsonArray m_rowProblems;
};

int commandProvision(const QStringList &options, QTextStream &out, QTextStream &err, const CliEnv &env)
{
    ProvisionOptions parsed(env.terminal);
    for (qsizetype i = 0; i < options.size(); ++i) {
        const Taken taken = takePasswordOption("provision", options, i, parsed.password, err);
        if (taken == Taken::Bad)
            return ExitUsage;
        if (taken == Taken::Yes)
            continue;
        const QString &option = options[i];
        const bool hasValue = i + 1 < options.size();
        bool good = true;
        if (option == QLatin1String("--serial") && hasValue) {
            const qint32 serial = parseSerialNumber(options[++i].toLatin1());
            good = serial != 0;
            parsed.serials.append(serial);
        } else if (option == QLatin1String("--count") && hasValue) {
            parsed.count = options[++i].toInt(&good);
            good = good && parsed.count > 0;
        } else if (option == QLatin1String("--values") && hasValue && parsed.valuesPath.isEmpty()) {
            parsed.valuesPath = options[++i];
        } else if (option == QLatin1String("--require-values")) {
            parsed.requireValues = true;
        } else if (option == QLatin1String("--json")) {
            parsed.json = true;
        } else if (option == QLatin1String("--wait")) {
            parsed.wait = true;
        } else if (!option.startsWith(u'-') && parsed.file.isEmpty()) {
            parsed.file = option;
        } else {
            good = false;
        }
        if (!good) {
            err << "kvmtconf-cli provision: unknown option or bad value " << option << Qt::endl;
            return ExitUsage;
        }
    }
    if (parsed.file.isEmpty()) {
        err << "kvmtconf-cli provision: name one profile file" << Qt::endl;
        return ExitUsage;
    }
    if (parsed.requireValues && parsed.valuesPath.isEmpty()) {
        err << "kvmtconf-cli provision: --require-values needs --values TABLE.csv" << Qt::endl;
        return ExitUsage;
    }
    // Checked before any tracker is touched; each tracker loads it again
    // with its own identity.
    const QFileInfo info(parsed.file);
    if (!info.isFile() || !info.isReadable()) {
        err << "kvmtconf-cli provision: cannot read the profile file " << parsed.file << Qt::endl;
        return ExitBadFile;
    }
    if (!parsed.valuesPath.isEmpty()) {
        QString error;
        parsed.values = ValuesTable::read(parsed.valuesPath, &error);
        if (!parsed.values) {
            err << "kvmtconf-cli provision: cannot read the values table " << parsed.valuesPath << ": " << error
                << Qt::endl;
            return ExitBadTable;
        }
    }
    Provisioner provisioner(parsed, out, err, env.libraryDirs);
    return provisioner.run();
}

} // namespace

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, const QStringList &libraryDirs,
           PasswordSource::Terminal terminal)
{
    const CliEnv env{libraryDirs, std::move(terminal)};
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
        return commandRead(options, out, err, env);
    if (command == QLatin1String("test"))
        return commandTest(options, err, env);
    if (command == QLatin1String("load"))
        return commandLoad(options, out, err, env);
    if (command == QLatin1String("summary"))
        return commandSummary(options, out, err, env);
    if (command == QLatin1String("save"))
        return commandSave(options, err, env);
    if (command == QLatin1String("write"))
        return commandWrite(options, err, env);
    if (command == QLatin1String("diff"))
        return commandDiff(options, out, err, env);
    if (command == QLatin1String("console"))
        return commandConsole(options, out, err, env);
    if (command == QLatin1String("provision"))
        return commandProvision(options, out, err, env);
    err << "kvmtconf-cli: unknown command " << command << "\n\n" << kUsage;
    return ExitUsage;
}

} // namespace kvmt
