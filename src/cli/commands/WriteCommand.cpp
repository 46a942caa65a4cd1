#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"

namespace kvmt {

namespace {

class WriteCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int WriteCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &err = context.err;
    QString file;
    PasswordSource password(context.terminal);
    if (!fileAndPassword("write", options, &file, password, err))
        return ExitUsage;
    CliSession session(err, password, context.libraryDirs);
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

} // namespace

std::unique_ptr<CliCommand> makeWriteCommand()
{
    return std::make_unique<WriteCommand>();
}

} // namespace kvmt
