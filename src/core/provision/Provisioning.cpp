#include "provision/Provisioning.h"

#include "Configurator.h"

#include <QCoreApplication>

namespace kvmt {

QList<Key> keysReported(const QList<LogLine> &lines)
{
    QList<Key> keys;
    for (int i = 0; i < int(Key::Count); ++i) {
        const Key key = Key(i);
        const QString line = KeyTable::errorLine(key);
        const bool reported = std::any_of(lines.begin(), lines.end(), [&line](const LogLine &logged) {
            return logged.kind == LogError && logged.text == line;
        });
        if (reported)
            keys.append(key);
    }
    return keys;
}

std::optional<QList<KeyDifference>> differencesToFile(Configurator &configurator, const QString &file,
                                                      const QList<Key> &unanswered)
{
    const WrittenValues held = writtenValues(configurator.keyTable(), configurator.settings(),
                                             configurator.identity(), ValueSide::Held);
    if (configurator.profileFile().load(file) != ProfileFile::LoadOutcome::Read)
        return std::nullopt;
    const WrittenValues written = writtenValues(configurator.keyTable(), configurator.settings(),
                                                configurator.identity(), ValueSide::Written);
    return pendingDifferences(held, written, unanswered);
}

ProvisionResult provisionConnected(Configurator &configurator, const LogTap &tap, const QString &file)
{
    ProvisionResult result;
    result.serial = configurator.settings().text(F::pSerial);
    if (configurator.profileFile().load(file) != ProfileFile::LoadOutcome::Read) {
        result.status = ProvisionResult::Status::BadFile;
        return result;
    }
    const WrittenValues intended = writtenValues(configurator.keyTable(), configurator.settings(),
                                                 configurator.identity(), ValueSide::Written);

    // The Save button's write and read back, taken apart so that the lines
    // of each can be told from the other's.
    const qsizetype writeStart = tap.lines().size();
    configurator.writeSettings(false);
    const QList<LogLine> writeLines = tap.lines().mid(writeStart);
    configurator.log().logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Чтение параметров"), LogSuccess);
    configurator.readSettings(false);
    const QList<LogLine> sessionLines = tap.lines().mid(writeStart);

    result.saved = std::none_of(writeLines.begin(), writeLines.end(), [](const LogLine &line) {
        return line.kind == LogError && line.text == QLatin1String("SAVECONFIG error");
    });
    // A key without an answer in either direction is not known to be right,
    // even when the read back happens to match.
    QList<Key> failed;
    for (const Key key : keysReported(sessionLines)) {
        const bool sent = std::any_of(intended.begin(), intended.end(),
                                      [key](const WrittenValue &value) { return value.key == key; });
        if (sent)
            failed.append(key);
    }
    const WrittenValues readBack = writtenValues(configurator.keyTable(), configurator.settings(),
                                                 configurator.identity(), ValueSide::Held);
    for (const KeyDifference &difference : differences(readBack, intended, ClockItems::Ignore)) {
        if (!failed.contains(difference.key))
            failed.append(difference.key);
    }
    std::sort(failed.begin(), failed.end());
    for (const Key key : failed)
        result.failedKeys.append(QString::fromLatin1(KeyTable::name(key)));
    result.status = failed.isEmpty() && result.saved ? ProvisionResult::Status::Done : ProvisionResult::Status::Failed;
    return result;
}

} // namespace kvmt
