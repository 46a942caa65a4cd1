#pragma once

#include "Configurator.h"
#include "cli/CliPrompts.h"
#include "cli/PasswordSource.h"
#include "cli/StopSignals.h"
#include "cli/StreamEventLog.h"
#include "provision/Provisioning.h"

#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

#include <optional>

// What the commands of kvmtconf-cli share: the exit codes, the session with
// one tracker, the option forms every command takes and the output forms.
namespace kvmt {

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

// Where a command writes and what it needs besides its options: results go
// to `out`, log lines and errors to `err`, so that tests run the tool
// in-process against buffers.
struct CliContext {
    QTextStream &out;
    QTextStream &err;
    QStringList libraryDirs;
    PasswordSource::Terminal terminal;
};

// One command of the tool: its options and its run.
class CliCommand
{
public:
    virtual ~CliCommand() = default;
    // `options` exclude the command's name; returns the exit code.
    virtual int execute(const QStringList &options, const CliContext &context) = 0;
};

// Settings members as the tool prints them: controls without a value, and
// captions the profile page rewrites, are window state, not settings.
void printMembers(const DeviceSettings &settings, QTextStream &out);
QJsonObject membersJson(const DeviceSettings &settings);
// The tracker a document is about, as identified.
void addTracker(QJsonObject *document, const DeviceSettings &settings);
void printJson(const QJsonObject &document, QTextStream &out);

enum class Taken { No, Yes, Bad };

// --password PIN or --password-file FILE at options[i]; i moves past the
// value when one was taken.
Taken takePasswordOption(const char *command, const QStringList &options, qsizetype &i, PasswordSource &password,
                         QTextStream &err);
// FILE and the password options, in any order.
bool fileAndPassword(const char *command, const QStringList &options, QString *file, PasswordSource &password,
                     QTextStream &err);

// A configurator as the tool runs it: log lines on standard error, the
// password from its source.
struct CliSession {
    // Interruptible: Ctrl+C and SIGTERM end the sequence under way after
    // the exchange in progress. Not for provisioning, which has its own
    // handling of both, between trackers.
    CliSession(QTextStream &err, PasswordSource &password, const QStringList &libraryDirs, bool interruptible = true);
    // Leaves as the window does: a protected tracker is locked again.
    ~CliSession();
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    bool interrupted(QTextStream &err);

    static constexpr uint32_t kInterruptedCloseMs = 100;

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

} // namespace kvmt
