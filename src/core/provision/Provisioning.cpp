#include "provision/Provisioning.h"

#include "Configurator.h"

#include "text/Cp1251.h"
#include "text/VisibleText.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>

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

std::optional<QList<KeyDifference>> differencesToFile(Configurator &configurator, const QString &file)
{
    if (configurator.profileFile().load(file) != ProfileFile::LoadOutcome::Read)
        return std::nullopt;
    return configurator.pendingChanges().differences();
}

namespace {

// The profile file's lines with `values` in place of the file's own for
// their keys; keys the file lacks are added at its end.
QByteArray withValues(QByteArray file, const QList<TableValue> &values)
{
    QByteArrayList lines = file.split('\n');
    for (const TableValue &value : values) {
        const QByteArray prefix = QByteArray(KeyTable::name(value.key)) + '=';
        const QByteArray line = prefix + toCp1251(value.value) + ';';
        bool replaced = false;
        for (QByteArray &existing : lines) {
            if (existing.startsWith(prefix)) {
                existing = line + (existing.endsWith('\r') ? "\r" : "");
                replaced = true;
            }
        }
        if (!replaced) {
            // Entries end in CR LF, the last one too.
            if (!lines.isEmpty() && lines.last().isEmpty())
                lines.removeLast();
            // A last entry the file left without its line end gets one: run
            // on into the added entry, it would no longer be an entry.
            if (!lines.isEmpty() && !lines.last().endsWith('\r'))
                lines.last().append('\r');
            lines.append(line + '\r');
            lines.append(QByteArray());
        }
    }
    return lines.join('\n');
}

// Loads the file with the table's values in it. Values the load would not
// write as given are returned; so is the reason the load failed.
std::optional<QList<CellProblem>> loadWithValues(Configurator &configurator, const QString &path,
                                                 const QList<TableValue> &values)
{
    QFile file(path);
    // Without values, or with a file the load refuses anyway, the load
    // itself runs and tells why.
    if (values.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() > SettingsBuffer::kCapacity) {
        if (configurator.profileFile().load(path) != ProfileFile::LoadOutcome::Read)
            return std::nullopt;
        return QList<CellProblem>{};
    }
    QByteArray bytes = withValues(file.readAll(), values);
    if (bytes.size() > SettingsBuffer::kCapacity) {
        return QList<CellProblem>{{QString(),
                                   QStringLiteral("with this row's values the profile is %1 bytes, more than a "
                                                  "tracker's settings hold (%2)")
                                       .arg(bytes.size())
                                       .arg(SettingsBuffer::kCapacity)}};
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    if (configurator.profileFile().loadFrom(buffer) != ProfileFile::LoadOutcome::Read)
        return std::nullopt;

    const WrittenValues loaded = writtenValues(configurator.keyTable(), configurator.settings(),
                                               configurator.identity(), ValueSide::Written);
    QList<CellProblem> refused;
    for (const TableValue &value : values) {
        const QString column = QString::fromLatin1(KeyTable::name(value.key));
        const auto written = std::find_if(loaded.begin(), loaded.end(),
                                          [&value](const WrittenValue &w) { return w.key == value.key; });
        if (written == loaded.end()) {
            refused.append({column,
                            QStringLiteral("not written to this tracker (firmware %1): empty the cell for it")
                                .arg(configurator.settings().text(F::pVersion)),
                            value.column});
            continue;
        }
        if (written->clockFromComputer) {
            refused.append({column, QStringLiteral("the file takes the time from the computer's clock"),
                            value.column});
            continue;
        }
        // The editing rules corrected it, as they would have while it was
        // typed: a value beyond its field's range, or one the tracker reads
        // otherwise than it stands.
        const QString sent = displayValue(value.key, written->value);
        if (sent != value.value) {
            refused.append({column,
                            QStringLiteral("%1 would be written as %2: give the value the window keeps")
                                .arg(quotedExcerpt(value.value), quotedExcerpt(sent)),
                            value.column});
        }
    }
    return refused;
}

} // namespace

ProvisionResult provisionConnected(Configurator &configurator, const QString &file,
                                   const QList<TableValue> &values)
{
    ProvisionResult result;
    result.serial = configurator.settings().text(F::pSerial);
    const std::optional<QList<CellProblem>> refused = loadWithValues(configurator, file, values);
    if (!refused) {
        result.status = ProvisionResult::Status::BadFile;
        return result;
    }
    if (!refused->isEmpty()) {
        result.status = ProvisionResult::Status::BadValues;
        result.refusedValues = *refused;
        return result;
    }
    const WrittenValues intended = writtenValues(configurator.keyTable(), configurator.settings(),
                                                 configurator.identity(), ValueSide::Written);

    // The Save button's write and read back, each judged by what it
    // reports itself: a locked tracker's "DEVLOCK;" is no red line, yet no
    // key it refused was taken, and a read it refused shows the members as
    // they were, which would compare equal to what was meant.
    configurator.writeSettings(false);
    const QList<Key> notWritten = configurator.writer().lastNotTaken();
    result.saved = configurator.writer().lastSaved();
    // A stop (the tool's second interrupt) leaves the check read out too:
    // every key it would have checked counts as not known to be right.
    const bool checked = !configurator.stop().requested();
    if (checked) {
        configurator.log().logEvent(QCoreApplication::translate("kvmt::WriteSequence", "Чтение параметров"),
                                    LogSuccess);
        configurator.readSettings(false);
    }
    const QList<Key> &notReadBack = configurator.reader().lastUnansweredKeys();

    // A key without an answer in either direction is not known to be right,
    // even when the read back happens to match.
    QList<Key> failed;
    for (const WrittenValue &value : intended) {
        if (notWritten.contains(value.key) || notReadBack.contains(value.key))
            failed.append(value.key);
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
    // Without the check read nothing is known to be right.
    result.status = failed.isEmpty() && result.saved && checked ? ProvisionResult::Status::Done
                                                                : ProvisionResult::Status::Failed;
    return result;
}

} // namespace kvmt
