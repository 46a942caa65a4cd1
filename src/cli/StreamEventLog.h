#pragma once

#include <QTextStream>

#include "log/EventLog.h"

namespace kvmt {

// Event log lines as "KIND: text", one per line, for a terminal or a script.
class StreamEventLog final : public EventLog
{
public:
    explicit StreamEventLog(QTextStream &out)
        : m_out(out)
    {
    }
    void logEvent(const QString &text, int kind) override
    {
        write(text, kind);
        if (kind == LogError)
            ++m_errors;
    }
    // Lines as the log's own, not counted among its errors: what a message
    // box tells in the window.
    void write(const QString &text, int kind)
    {
        // The window spaces its pane with line breaks inside a text (the
        // console's echo of a command starts with one); here each line of
        // the text is a "KIND: text" line of its own, and a blank one, mere
        // spacing, is left out.
        for (QStringView line : QStringView(text).split(u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            if (!line.isEmpty())
            {
                m_out << logKindName(kind) << ": ";
                if (!m_tracker.isEmpty())
                    m_out << m_tracker << ": ";
                m_out << line << Qt::endl;
            }
        }
    }
    // Red lines so far: keys without an answer, refused values, files not written.
    int errorCount() const { return m_errors; }
    // A terminal keeps what it showed; nothing to clear.
    void clear() override {}
    // In a run over several trackers, the one each line is about (its serial
    // once known, its device name before); empty: none is named.
    void setTracker(const QString &tracker) { m_tracker = tracker; }
    const QString &tracker() const { return m_tracker; }

private:
    QTextStream &m_out;
    QString m_tracker;
    int m_errors = 0;
};

} // namespace kvmt
