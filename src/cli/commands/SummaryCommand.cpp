#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"
#include "cli/SummaryPrinter.h"

#include <QJsonObject>

namespace kvmt {

namespace {

class SummaryCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int SummaryCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &out = context.out;
    QTextStream &err = context.err;
    PasswordSource password(context.terminal);
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
    CliSession session(err, password, context.libraryDirs);
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

} // namespace

std::unique_ptr<CliCommand> makeSummaryCommand()
{
    return std::make_unique<SummaryCommand>();
}

} // namespace kvmt
