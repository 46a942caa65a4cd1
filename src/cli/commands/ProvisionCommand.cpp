#include "cli/commands/Commands.h"

#include "cli/CliSupport.h"
#include "provision/Provisioning.h"
#include "provision/TrackerRoster.h"
#include "text/VisibleText.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

namespace kvmt {

namespace {

struct ProvisionOptions {
    explicit ProvisionOptions(const PasswordSource::Terminal &terminal)
        : password(terminal)
    {
    }
    QString file;
    // Asked at most once for the whole run, not once per tracker.
    PasswordSource password;
    QList<qint32> serials;
    bool wait = false;
    int count = 0; // 0: no limit
    QString valuesPath;
    std::optional<ValuesTable> values;
    bool requireValues = false;
    bool json = false;
};

// What became of one tracker, as its line and its JSON entry tell it.
struct TrackerOutcome {
    QString serial;
    QString result;
    bool saved = false;
    QStringList keys;           // not taken, or (bad-values) refused
    QList<TableValue> taken;    // the table's values written to it
};

// The serial is the tracker's own text, the table's cells and headers and
// the file names the person's: none may break a line apart or reach the
// terminal as an escape sequence.
QString printable(const QString &text)
{
    return visibleText(text);
}

// While it lives, a second interrupt stops this session's sequence.
class SequenceStopArmed
{
public:
    SequenceStopArmed(StopSignals &stops, SequenceStop &stop)
        : m_signals(stops)
        , m_stop(stop)
    {
        rearm();
    }
    ~SequenceStopArmed() { m_signals.setSequence(nullptr); }
    SequenceStopArmed(const SequenceStopArmed &) = delete;
    SequenceStopArmed &operator=(const SequenceStopArmed &) = delete;
    void rearm() { m_signals.setSequence(&m_stop); }

private:
    StopSignals &m_signals;
    SequenceStop &m_stop;
};

class Provisioner
{
public:
    Provisioner(ProvisionOptions &options, QTextStream &out, QTextStream &err, const QStringList &libraryDirs)
        : m_options(options)
        , m_out(out)
        , m_err(err)
        , m_libraryDirs(libraryDirs)
        , m_roster(libraryDirs)
    {
    }

    int run()
    {
        if (!m_roster.loadLibrary()) {
            m_err << "kvmtconf-cli: the device access library (libKVUSB.so) could not be loaded: "
                  << m_roster.library().lastError() << Qt::endl;
            return ExitNoLibrary;
        }
        QEventLoop loop;
        // The first interrupt lets the tracker being written finish; a
        // second ends its sequence after the exchange in progress.
        StopSignals stops([&loop] { loop.quit(); }, nullptr, 2);
        m_stops = &stops;
        provisionNew(stops);
        if (m_options.wait && !finished() && !stops.stopRequested()) {
            m_roster.watch(ConnectionMonitor::kIntervalMs);
            QObject::connect(&m_roster, &TrackerRoster::trackersChanged, &loop, [this, &stops, &loop] {
                provisionNew(stops);
                if (finished() || stops.stopRequested())
                    loop.quit();
            });
            loop.exec();
        }
        const int rowsLeft = reportRowsLeft();
        m_err << "kvmtconf-cli provision: " << m_done << " of " << m_done + m_failed << " trackers provisioned"
              << Qt::endl;
        if (m_options.json)
            printJson(document(), m_out);
        m_stops = nullptr;
        // Without --wait the attached trackers are the whole job: an
        // interrupt that left some untouched is no success.
        const int notReached = m_options.wait ? 0 : m_notBegun;
        if (notReached > 0) {
            m_err << "kvmtconf-cli provision: interrupted; " << notReached
                  << " attached trackers were not reached (nothing was sent to them)" << Qt::endl;
        }
        if (m_interrupted || notReached > 0)
            return ExitInterrupted;
        if (m_failed > 0 || rowsLeft > 0)
            return ExitProvisionFailed;
        if (m_done == 0 && !m_options.wait) {
            m_err << "kvmtconf-cli: no " << (m_options.serials.isEmpty() ? "" : "chosen ") << "tracker is attached"
                  << Qt::endl;
            return ExitNoTracker;
        }
        return ExitOk;
    }

private:
    bool finished() const
    {
        if (m_options.count > 0 && m_done + m_failed >= m_options.count)
            return true;
        // Waiting with --require-values, the table is the list of vehicles
        // to do; without a wait, each attached tracker still gets its line.
        if (m_options.wait && m_options.requireValues && m_options.serials.isEmpty()) {
            const QList<ValuesRow> &rows = m_options.values->rows();
            return std::all_of(rows.begin(), rows.end(), [this](const ValuesRow &row) {
                return row.serial == 0 || m_rowsUsed.contains(row.row);
            });
        }
        if (m_options.serials.isEmpty())
            return false;
        return std::all_of(m_options.serials.begin(), m_options.serials.end(),
                           [this](qint32 serial) { return m_handled.contains(serial); });
    }

    void provisionNew(StopSignals &stops)
    {
        const QList<QByteArray> names = m_roster.takeNew();
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QByteArray &name = names[i];
            if (finished())
                return;
            if (stops.stopRequested()) {
                m_notBegun += int(names.size() - i);
                return;
            }
            std::optional<qint32> serial;
            if (!m_options.serials.isEmpty()) {
                serial = m_roster.serialOf(name);
                if (!serial || !m_options.serials.contains(*serial))
                    continue;
            }
            provisionOne(name, serial);
        }
    }

    void provisionOne(const QByteArray &name, std::optional<qint32> chosenSerial)
    {
        TrackerOutcome outcome;
        outcome.serial = chosenSerial ? QString::number(*chosenSerial) : QString::fromLatin1(name);
        {
            CliSession session(m_err, m_options.password, m_libraryDirs, false);
            SequenceStopArmed armed(*m_stops, session.configurator.stop());
            session.log.setTracker(printable(outcome.serial));
            session.configurator.monitor().setDeviceName(name);
            const int taken = takeUpTracker(session, m_err);
            // Taking up the connection cleared the stop: a second interrupt
            // that came during it still counts for the write.
            armed.rearm();
            if (session.configurator.isConnected()) {
                outcome.serial = session.configurator.settings().text(F::pSerial);
                session.log.setTracker(printable(outcome.serial));
                answerRowsOf(parseSerialNumber(outcome.serial.toLatin1()));
            }
            if (taken == ExitInterrupted)
                outcome.result = QStringLiteral("interrupted");
            else if (taken == ExitRefused)
                outcome.result = QStringLiteral("refused");
            else if (taken == ExitNotRead)
                outcome.result = QStringLiteral("unread");
            else if (taken != ExitOk)
                outcome.result = QStringLiteral("gone");
            else
                provisionTaken(session, &outcome);
            // The session ends here: the tracker is told the configurator
            // leaves (and a protected one locks again) before the next starts.
        }
        if (outcome.result == QLatin1String("interrupted"))
            m_interrupted = true;
        if (chosenSerial)
            m_handled.insert(*chosenSerial);
        (outcome.result == QLatin1String("ok") ? m_done : m_failed) += 1;
        report(outcome);
    }

    // The tracker is identified and read: its row of the table decides what
    // is written.
    void provisionTaken(CliSession &session, TrackerOutcome *outcome)
    {
        const ValuesRow *row =
            m_options.values ? m_options.values->rowFor(parseSerialNumber(outcome->serial.toLatin1())) : nullptr;
        if (m_options.requireValues && !row) {
            outcome->result = QStringLiteral("no-values");
            return;
        }
        if (row && !row->problems.isEmpty()) {
            refuse(*row, row->problems, outcome);
            return;
        }
        const QList<TableValue> values = row ? row->values : QList<TableValue>{};
        const ProvisionResult provisioned =
            provisionConnected(session.configurator, m_options.file, values);
        switch (provisioned.status) {
        case ProvisionResult::Status::BadValues:
            refuse(*row, provisioned.refusedValues, outcome);
            return;
        case ProvisionResult::Status::BadFile:
            outcome->result = QStringLiteral("bad-file");
            return;
        case ProvisionResult::Status::Done:
            outcome->result = QStringLiteral("ok");
            break;
        case ProvisionResult::Status::Failed:
            outcome->result = QStringLiteral("failed");
            break;
        }
        outcome->saved = provisioned.saved;
        outcome->keys = provisioned.failedKeys;
        outcome->taken = values;
        // A second interrupt: the write (or its check read) was cut short,
        // so neither "ok" nor a list of failed keys would be the truth.
        if (session.configurator.stop().requested()) {
            outcome->result = QStringLiteral("interrupted");
            outcome->keys.clear();
            m_err << "kvmtconf-cli provision: interrupted twice; "
                  << (provisioned.saved ? "the settings were stored, the check read was stopped"
                                        : "SAVECONFIG was not sent: the settings sent so far are active but not "
                                          "stored until the tracker is written again or unplugged")
                  << Qt::endl;
        }
    }

    // The tracker's line answers for every row of its serial (those refused
    // as giving it twice too), whatever became of it: none is reported as
    // a tracker that was not there.
    void answerRowsOf(qint32 serial)
    {
        if (!m_options.values || serial == 0)
            return;
        for (const ValuesRow &row : m_options.values->rows()) {
            if (row.serial == serial)
                m_rowsUsed.insert(row.row);
        }
    }

    void refuse(const ValuesRow &row, const QList<CellProblem> &problems, TrackerOutcome *outcome)
    {
        outcome->result = QStringLiteral("bad-values");
        for (const CellProblem &problem : problems) {
            tellRowProblem(row, problem);
            if (!problem.column.isEmpty() && !outcome->keys.contains(problem.column))
                outcome->keys.append(problem.column);
        }
    }

    void tellRowProblem(const ValuesRow &row, const CellProblem &problem)
    {
        const QString letters =
            problem.columnIndex >= 0 ? ValuesTable::columnLetters(problem.columnIndex) : QString();
        m_err << "kvmtconf-cli provision: " << printable(m_options.valuesPath) << " row " << row.row;
        if (!letters.isEmpty()) {
            m_err << ", column " << letters;
            if (!problem.column.isEmpty())
                m_err << " (" << visibleExcerpt(problem.column) << ')';
        } else if (!problem.column.isEmpty()) {
            m_err << ", column " << visibleExcerpt(problem.column);
        }
        m_err << ": " << printable(problem.text) << Qt::endl;
        m_rowProblems.append(QJsonObject{{QStringLiteral("row"), row.row},
                                         {QStringLiteral("serial"), row.serialText},
                                         {QStringLiteral("column"), problem.column},
                                         {QStringLiteral("letter"), letters},
                                         {QStringLiteral("problem"), problem.text}});
    }

    void report(const TrackerOutcome &outcome)
    {
        QJsonObject values;
        for (const TableValue &value : outcome.taken)
            values.insert(QString::fromLatin1(KeyTable::name(value.key)), value.value);
        m_trackers.append(QJsonObject{{QStringLiteral("serial"), outcome.serial},
                                      {QStringLiteral("result"), outcome.result},
                                      {QStringLiteral("saved"), outcome.saved},
                                      {QStringLiteral("keys"), QJsonArray::fromStringList(outcome.keys)},
                                      {QStringLiteral("values"), values}});
        if (m_options.json)
            return;
        m_out << printable(outcome.serial) << '\t' << outcome.result << '\t'
              << (outcome.saved ? "saved" : "not-saved") << '\t'
              << (outcome.keys.isEmpty() ? QStringLiteral("-") : printable(outcome.keys.join(u',')));
        if (m_options.values)
            m_out << '\t' << outcome.taken.size();
        m_out << Qt::endl;
    }

    // Rows of the table whose tracker was not provisioned in this run: not
    // attached (or not among the serials chosen), or with no serial at all.
    // Returns how many.
    int reportRowsLeft()
    {
        if (!m_options.values)
            return 0;
        // Beyond a few, a line per row would bury the summary.
        static constexpr qsizetype kRowsTold = 5;
        QList<const ValuesRow *> left;
        for (const ValuesRow &row : m_options.values->rows()) {
            if (m_rowsUsed.contains(row.row))
                continue;
            if (!m_options.serials.isEmpty() && !m_options.serials.contains(row.serial))
                continue;
            // A JSON object per row costs far more than the row itself.
            if (m_options.json)
                m_absent.append(QJsonObject{{QStringLiteral("row"), row.row}, {QStringLiteral("serial"), row.serialText}});
            left.append(&row);
        }
        const QString table = printable(m_options.valuesPath);
        if (left.size() <= kRowsTold) {
            for (const ValuesRow *row : std::as_const(left)) {
                m_err << "kvmtconf-cli provision: " << table << " row " << row->row << ": tracker " << row->serial
                      << " was not attached; nothing was written with this row" << Qt::endl;
            }
        } else {
            QList<int> rows;
            rows.reserve(left.size());
            for (const ValuesRow *row : std::as_const(left))
                rows.append(row->row);
            m_err << "kvmtconf-cli provision: " << table << ": " << left.size()
                  << " rows were not used, their trackers not attached (rows " << ValuesTable::rowList(rows)
                  << "); nothing was written with them" << Qt::endl;
        }
        return int(left.size());
    }

    QJsonObject document() const
    {
        QJsonObject document{{QStringLiteral("file"), m_options.file},
                             {QStringLiteral("provisioned"), m_done},
                             {QStringLiteral("trackers"), m_trackers}};
        if (m_options.values) {
            document.insert(QStringLiteral("values"), m_options.valuesPath);
            document.insert(QStringLiteral("absent"), m_absent);
            document.insert(QStringLiteral("rowProblems"), m_rowProblems);
        }
        return document;
    }

    ProvisionOptions &m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    const QStringList &m_libraryDirs;
    // The run's signals, while it runs: each tracker's session is told of a
    // second interrupt through it.
    StopSignals *m_stops = nullptr;
    bool m_interrupted = false;
    // Listed trackers an interrupt kept the run from beginning.
    int m_notBegun = 0;
    TrackerRoster m_roster;
    QSet<qint32> m_handled;
    QSet<int> m_rowsUsed;
    int m_done = 0;
    int m_failed = 0;
    QJsonArray m_trackers;
    QJsonArray m_absent;
    QJsonArray m_rowProblems;
};

class ProvisionCommand final : public CliCommand
{
public:
    int execute(const QStringList &options, const CliContext &context) override;
};

int ProvisionCommand::execute(const QStringList &options, const CliContext &context)
{
    QTextStream &out = context.out;
    QTextStream &err = context.err;
    ProvisionOptions parsed(context.terminal);
    for (qsizetype i = 0; i < options.size(); ++i) {
        const Taken taken = takePasswordOption("provision", options, i, parsed.password, err);
        if (taken == Taken::Bad)
            return ExitUsage;
        if (taken == Taken::Yes)
            continue;
        const QString &option = options[i];
        const bool hasValue = i + 1 < options.size();
        bool good = true;
        if (option == QLatin1String("--serial") && hasValue) {
            const qint32 serial = parseSerialNumber(options[++i].toLatin1());
            good = serial != 0;
            parsed.serials.append(serial);
        } else if (option == QLatin1String("--count") && hasValue) {
            parsed.count = options[++i].toInt(&good);
            good = good && parsed.count > 0;
        } else if (option == QLatin1String("--values") && hasValue && parsed.valuesPath.isEmpty()) {
            parsed.valuesPath = options[++i];
        } else if (option == QLatin1String("--require-values")) {
            parsed.requireValues = true;
        } else if (option == QLatin1String("--json")) {
            parsed.json = true;
        } else if (option == QLatin1String("--wait")) {
            parsed.wait = true;
        } else if (!option.startsWith(u'-') && parsed.file.isEmpty()) {
            parsed.file = option;
        } else {
            good = false;
        }
        if (!good) {
            err << "kvmtconf-cli provision: unknown option or bad value " << option << Qt::endl;
            return ExitUsage;
        }
    }
    if (parsed.file.isEmpty()) {
        err << "kvmtconf-cli provision: name one profile file" << Qt::endl;
        return ExitUsage;
    }
    if (parsed.requireValues && parsed.valuesPath.isEmpty()) {
        err << "kvmtconf-cli provision: --require-values needs --values TABLE.csv" << Qt::endl;
        return ExitUsage;
    }
    // Checked before any tracker is touched; each tracker loads it again
    // with its own identity.
    const QFileInfo info(parsed.file);
    if (!info.isFile() || !info.isReadable()) {
        err << "kvmtconf-cli provision: cannot read the profile file " << printable(parsed.file) << Qt::endl;
        return ExitBadFile;
    }
    if (!parsed.valuesPath.isEmpty()) {
        QString error;
        parsed.values = ValuesTable::read(parsed.valuesPath, &error);
        if (!parsed.values) {
            err << "kvmtconf-cli provision: cannot read the values table " << printable(parsed.valuesPath) << ": "
                << printable(error) << Qt::endl;
            return ExitBadTable;
        }
    }
    Provisioner provisioner(parsed, out, err, context.libraryDirs);
    return provisioner.run();
}

} // namespace

std::unique_ptr<CliCommand> makeProvisionCommand()
{
    return std::make_unique<ProvisionCommand>();
}

} // namespace kvmt
