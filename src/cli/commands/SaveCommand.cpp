#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"

namespace kvmt {

namespace {

class SaveCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int SaveCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &err = context.err;
    QString file;
    PasswordSource password(context.terminal);
    if (!fileAndPassword("save", options, &file, password, err))
        return ExitUsage;
    CliSession session(err, password, context.libraryDirs);
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

} // namespace

std::unique_ptr<CliCommand> makeSaveCommand()
{
    return std::make_unique<SaveCommand>();
}

} // namespace kvmt
