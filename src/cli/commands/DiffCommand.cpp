#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"
#include "provision/Provisioning.h"

#include <QJsonArray>
#include <QJsonObject>

namespace kvmt {

namespace {

class DiffCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int DiffCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &out = context.out;
    QTextStream &err = context.err;
    QStringList rest;
    bool json = false;
    for (const QString &option : options) {
        if (option == QLatin1String("--json"))
            json = true;
        else
            rest.append(option);
    }
    QString file;
    PasswordSource password(context.terminal);
    if (!fileAndPassword("diff", rest, &file, password, err))
        return ExitUsage;
    CliSession session(err, password, context.libraryDirs);
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

} // namespace

std::unique_ptr<CliCommand> makeDiffCommand()
{
    return std::make_unique<DiffCommand>();
}

} // namespace kvmt
