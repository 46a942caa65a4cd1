#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"

#include <QCoreApplication>

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
    // The Save button's write and read back, taken apart: once the tracker
    // answered SAVECONFIG the settings are stored, and an interrupt during
    // the check read changes nothing about the write's own verdict.
    Configurator &configurator = session.configurator;
    const int errorsBefore = session.log.errorCount();
    configurator.writeSettings(false);
    const bool taken = session.log.errorCount() == errorsBefore;
    const bool stored = configurator.writer().lastSaved();
    if (!stored && session.interrupted(err))
        return ExitInterrupted;
    if (!configurator.stop().requested()) {
        configurator.log().logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Чтение параметров"),
                                    LogSuccess);
        configurator.readSettings(false);
    }
    if (configurator.stop().requested()) {
        err << "kvmtconf-cli write: interrupted after the tracker stored the settings (SAVECONFIG was answered "
               "and the automatic copy kept); the check read was stopped, so what the tracker now holds was not "
               "read back"
            << Qt::endl;
        return taken ? ExitOk : ExitNotTaken;
    }
    return session.log.errorCount() == errorsBefore ? ExitOk : ExitNotTaken;
}

} // namespace

std::unique_ptr<CliCommand> makeWriteCommand()
{
    return std::make_unique<WriteCommand>();
}

} // namespace kvmt
