#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

#include "device/LinkFlags.h"
#include "log/EventLog.h"
#include "settings/SettingsBuffer.h"
#include "settings/WriteSequence.h"

namespace kvmt {

class CommandChannel;
class DeviceSettings;
class KeyTable;

// Keeps what a tracker held at each complete read as a dated profile file,
// "history/<serial>/<serial>_<yyyy-MM-dd_HH-mm-ss>.atc" under the program's
// folder, so that a bad write can always be undone by loading the copy from
// before it. The newest copies of each tracker are kept, older ones pruned.
// The files are exactly what saving the settings to a file gives, so the
// load command reads them like any other profile.
class ReadHistory
{
public:
    static constexpr int kDefaultKeep = 50;

    using Clock = std::function<QDateTime()>;

    ReadHistory(CommandChannel &channel, KeyTable &keys, DeviceSettings &settings, EventLog &log,
                int keep = kDefaultKeep);

    // The clock that dates the copies; the computer's local time by default.
    void setClock(Clock clock) { m_clock = std::move(clock); }

    // Writes the copy of the settings just read from the tracker into
    // exeDir's history and prunes that tracker's old copies. Returns the
    // file written, or an empty string when there is no program folder or
    // the file could not be written (that is logged as an error).
    QString keep(const QString &exeDir);

    // That tracker's copies, oldest first; only names this class makes.
    static QStringList copies(const QString &exeDir, const QString &serial);
    static QString folder(const QString &exeDir, const QString &serial);

private:
    // Only failures reach the event log: the copy is a by-product of the
    // read, and the write sequence's own start line would read as if the
    // settings had been written somewhere.
    class ErrorsOnly : public EventLog
    {
    public:
        explicit ErrorsOnly(EventLog &log) : m_log(log) {}
        void logEvent(const QString &text, int kind) override;
        void clear() override {}

    private:
        EventLog &m_log;
    };

    void prune(const QString &exeDir, const QString &serial);

    DeviceSettings &m_settings;
    ErrorsOnly m_errors;
    // A buffer of its own: the one the load command filled stays as it was.
    SettingsBuffer m_buffer;
    LinkFlags m_noLink;
    WriteSequence m_fileWriter;
    int m_keep;
    Clock m_clock;
};

} // namespace kvmt
