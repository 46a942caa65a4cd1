#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"

namespace kvmt {

namespace {

// One raw command through the service console, as an engineer types it into
// the window's console field.
class ConsoleCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int ConsoleCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &out = context.out;
    QTextStream &err = context.err;
    PasswordSource password(context.terminal);
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
    // Sent as written or not at all: the tracker would store a cut or
    // re-spelled command's values without a word.
    const QString unsendable = CommandConsole::unsendableReason(*command);
    if (!unsendable.isEmpty()) {
        err << "kvmtconf-cli console: the command cannot be sent as written: " << unsendable << Qt::endl;
        return ExitUsage;
    }
    CliSession session(err, password, context.libraryDirs);
    // Standard error is kept in scroll-back and log files.
    session.configurator.console().setEchoMasked(true);
    // The console needs the tracker identified and unlocked, not read: the
    // window's "do not read at connection" box, ticked for this session.
    session.configurator.settings().setChecked(F::cbReadSetup, true);
    session.configurator.monitor().setIdentifyingOnly(true);
    if (const int failed = takeUpTracker(session, err))
        return failed;
    const qsizetype before = session.tap.lines().size();
    session.configurator.console().send(*command);
    // The console shows a reply as one notice line; no line means no reply.
    const QList<LogLine> shown = session.tap.lines().mid(before);
    const auto reply = std::find_if(shown.begin(), shown.end(),
                                    [](const LogLine &line) { return line.kind == LogNotice; });
    // A reply that came in spite of the interrupt is still shown: it is the
    // tracker's answer to what was sent.
    if (reply != shown.end()) {
        out << reply->text << '\n';
        out.flush();
    }
    if (session.interrupted(err))
        return ExitInterrupted;
    if (reply == shown.end()) {
        err << "kvmtconf-cli console: the tracker did not answer" << Qt::endl;
        return ExitNoReply;
    }
    return ExitOk;
}

} // namespace

std::unique_ptr<CliCommand> makeConsoleCommand()
{
    return std::make_unique<ConsoleCommand>();
}

} // namespace kvmt
