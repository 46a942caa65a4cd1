#pragma once

#include <QColor>
#include <QString>

#include "log/EventLog.h"

class QTextEdit;

namespace kvmt {

// Sets the colour of `length` characters from `start` without disturbing the
// user's selection in the pane.
void colourText(QTextEdit *pane, int start, const QColor &colour, int length);

// Appends `text` as the new last line of the pane, scrolls it into view and
// colours it by kind from `plainLength` on; the characters before keep the
// plain colour (the summary colours only the value after its label).
void appendColouredLine(QTextEdit *pane, const QString &text, int kind, int plainLength = 0);
void clearLines(QTextEdit *pane);

// The event log pane `mLog` as the core's event log.
class LogPane final : public EventLog
{
public:
    explicit LogPane(QTextEdit *pane)
        : m_pane(pane)
    {
    }
    void logEvent(const QString &text, int kind) override { appendColouredLine(m_pane, text, kind); }
    void clear() override { clearLines(m_pane); }

private:
    QTextEdit *m_pane;
};

} // namespace kvmt
