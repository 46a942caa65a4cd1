#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"

#include <QJsonObject>

namespace kvmt {

namespace {

class ReadCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int ReadCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &out = context.out;
    QTextStream &err = context.err;
    PasswordSource password(context.terminal);
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
    CliSession session(err, password, context.libraryDirs);
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

} // namespace

std::unique_ptr<CliCommand> makeReadCommand()
{
    return std::make_unique<ReadCommand>();
}

} // namespace kvmt
