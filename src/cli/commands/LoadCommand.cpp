#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"

#include <QJsonObject>

namespace kvmt {

namespace {

class LoadCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int LoadCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &out = context.out;
    QTextStream &err = context.err;
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
    CliSession session(err, noPassword, context.libraryDirs);
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

} // namespace

std::unique_ptr<CliCommand> makeLoadCommand()
{
    return std::make_unique<LoadCommand>();
}

} // namespace kvmt
