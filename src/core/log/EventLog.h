#pragma once

#include <QList>
#include <QString>

namespace kvmt {

// Kinds of event log lines. The kind is an int on purpose: any value other
// than these three is written in black.
enum LogKind : int {
    LogPlain = 0,
    LogError = 1,
    LogSuccess = 2, // starts and good ends of operations
    LogNotice = 3,  // tracker replies shown to the user
};

// 0xAARRGGBB, opaque: the colour of a line of that kind.
quint32 logColour(int kind);
// "error", "success", "notice" or "plain", for text outputs.
const char *logKindName(int kind);

// Where the core reports progress and outcomes, one line per event. The
// window shows them in its log pane, the command-line tool on stderr.
class EventLog
{
public:
    virtual ~EventLog() = default;
    virtual void logEvent(const QString &text, int kind) = 0;
    virtual void clear() = 0;
};

struct LogLine {
    QString text;
    int kind = LogPlain;
    friend bool operator==(const LogLine &, const LogLine &) = default;
};

// Keeps the lines in memory: for tests and for tools that print them later.
class RecordingEventLog : public EventLog
{
public:
    void logEvent(const QString &text, int kind) override { m_lines.append({text, kind}); }
    void clear() override { m_lines.clear(); }
    const QList<LogLine> &lines() const { return m_lines; }

private:
    QList<LogLine> m_lines;
};

} // namespace kvmt
