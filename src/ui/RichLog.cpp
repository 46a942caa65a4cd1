#include "ui/RichLog.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace kvmt {

namespace {

// An empty document cannot tell "no lines" from "one empty line".
constexpr char kHasLines[] = "kvmtHasLines";

} // namespace

void colourText(QTextEdit *pane, int start, const QColor &colour, int length)
{
    if (length <= 0)
        return;
    // A cursor of our own on the document: the pane's cursor, and with it
    // the user's selection, stays as it is.
    QTextCursor range(pane->document());
    const int end = range.document()->characterCount() - 1;
    range.setPosition(qBound(0, start, end));
    range.setPosition(qBound(0, start + length, end), QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setForeground(colour);
    range.mergeCharFormat(format);
}

void appendColouredLine(QTextEdit *pane, const QString &text, int kind, int plainLength)
{
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    if (pane->property(kHasLines).toBool())
        cursor.insertBlock();
    pane->setProperty(kHasLines, true);
    const int start = cursor.position();
    // Inserted plain: the new line must not inherit the colour of the line
    // before it.
    QTextCharFormat plain;
    plain.setForeground(QColor(logColour(LogPlain)));
    cursor.insertText(text, plain);

    if (QScrollBar *bar = pane->verticalScrollBar())
        bar->setValue(bar->maximum());
    plainLength = qBound(0, plainLength, int(text.size()));
    colourText(pane, start + plainLength, QColor(logColour(kind)), int(text.size()) - plainLength);
}

void clearLines(QTextEdit *pane)
{
    pane->clear();
    pane->setProperty(kHasLines, false);
}

} // namespace kvmt
