#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "log/EventLog.h"
#include "provision/ValuesTable.h"
#include "provision/WrittenValues.h"

namespace kvmt {

class Configurator;

// Passes every line on and keeps a copy, so that a tool can tell afterwards
// which keys a sequence reported.
class LogTap final : public EventLog
{
public:
    explicit LogTap(EventLog &next)
        : m_next(next)
    {
    }
    void logEvent(const QString &text, int kind) override
    {
        m_lines.append({text, kind});
        m_next.logEvent(text, kind);
    }
    // The copy survives: a clear of the window's pane is no reason to forget.
    void clear() override { m_next.clear(); }
    const QList<LogLine> &lines() const { return m_lines; }

private:
    EventLog &m_next;
    QList<LogLine> m_lines;
};

// Keys named by "KEY error" lines among `lines`, in key-table order.
QList<Key> keysReported(const QList<LogLine> &lines);

struct ProvisionResult {
    enum class Status {
        Done,       // every key taken and stored
        Failed,     // some key not taken, or the settings not stored
        BadFile,    // the profile file could not be loaded
        BadValues,  // a table value would not be written as given: nothing sent
    };
    Status status = Status::Failed;
    QString serial;
    // Keys that got no answer, were refused, or read back otherwise than sent.
    QStringList failedKeys;
    // SAVECONFIG was answered: the settings are in the tracker's flash.
    bool saved = false;
    // BadValues: each value refused, by its key's name.
    QList<CellProblem> refusedValues;
};

// Writes the profile file to the configurator's tracker, which must be
// connected, identified and unlocked, then reads it back and compares. The
// file is loaded first, with the tracker's identity, exactly as a load after
// connecting does; a file with an entry the load cannot take is BadFile.
// Each key is judged by what the write and the read back report of it
// themselves, a locked tracker's refusals included.
//
// `values` (a table row's) take the place of the file's own lines for their
// keys before the load, so that they pass the same editing rules. Unless each
// is then written exactly as given (its key is written to this tracker, and
// the rules neither refuse nor change it), nothing is sent.
ProvisionResult provisionConnected(Configurator &configurator, const QString &file,
                                   const QList<TableValue> &values = {});

// What writing the profile file would change on the configurator's tracker
// (connected and read): loads the file as a load after connecting does and
// lists what the window's "Changes" list would then show: the write
// against what the tracker reported at the end of its read (before any rule
// of the connection touched the members), its unanswered keys as unknown.
// Nothing is sent. nullopt when the file could not be loaded.
std::optional<QList<KeyDifference>> differencesToFile(Configurator &configurator, const QString &file);

} // namespace kvmt
