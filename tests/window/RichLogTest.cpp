// Protects the coloured log pane: colours by kind, only the new line
// coloured, the user's selection untouched.
#include "ui/RichLog.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

#include "QtPrinters.h"

using namespace kvmt;

namespace {

QColor colourAt(QTextEdit &pane, int position)
{
    QTextCursor cursor(pane.document());
    cursor.setPosition(position);
    cursor.setPosition(position + 1, QTextCursor::KeepAnchor);
    return cursor.charFormat().foreground().color();
}

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);
const QColor kBlack(0, 0, 0);

} // namespace

TEST(RichLog, KindsHaveTheirColoursAndUnknownKindsAreBlack)
{
    QTextEdit pane;
    LogPane log(&pane);
    log.logEvent(QStringLiteral("err"), LogError);
    log.logEvent(QStringLiteral("ok"), LogSuccess);
    log.logEvent(QStringLiteral("note"), LogNotice);
    log.logEvent(QStringLiteral("zero"), 0);
    log.logEvent(QStringLiteral("seven"), 7);
    const QTextDocument *doc = pane.document();
    ASSERT_EQ(doc->blockCount(), 5);
    EXPECT_EQ(colourAt(pane, doc->findBlockByNumber(0).position()), kRed);
    EXPECT_EQ(colourAt(pane, doc->findBlockByNumber(1).position()), kGreen);
    EXPECT_EQ(colourAt(pane, doc->findBlockByNumber(2).position()), kBlue);
    EXPECT_EQ(colourAt(pane, doc->findBlockByNumber(3).position()), kBlack);
    EXPECT_EQ(colourAt(pane, doc->findBlockByNumber(4).position() + 4), kBlack);
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("err\nok\nnote\nzero\nseven"));
}

TEST(RichLog, NewLinesNeverRecolourOlderOnes)
{
    QTextEdit pane;
    LogPane log(&pane);
    log.logEvent(QStringLiteral("GSMAPN error"), LogError);
    log.logEvent(QStringLiteral("plain after red"), LogPlain);
    log.logEvent(QStringLiteral("Пароль OK"), LogSuccess);
    const QTextDocument *doc = pane.document();
    const QTextBlock first = doc->findBlockByNumber(0);
    EXPECT_EQ(colourAt(pane, first.position() + first.length() - 2), kRed);
    const QTextBlock second = doc->findBlockByNumber(1);
    for (int i = 0; i < second.length() - 1; ++i)
        EXPECT_EQ(colourAt(pane, second.position() + i), kBlack) << i;
}

TEST(RichLog, EmptyTextAddsAnEmptyLine)
{
    QTextEdit pane;
    LogPane log(&pane);
    log.logEvent(QString(), LogError);
    log.logEvent(QStringLiteral("next"), LogNotice);
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("\nnext"));
    EXPECT_EQ(colourAt(pane, 1), kBlue);
}

TEST(RichLog, LeadingLineBreakShowsAsEmptyLineThenTheText)
{
    QTextEdit pane;
    LogPane log(&pane);
    log.logEvent(QStringLiteral("before"), LogPlain);
    log.logEvent(QStringLiteral("\nNUMBER=?;"), LogSuccess);
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("before\n\nNUMBER=?;"));
    const QTextBlock command = pane.document()->findBlockByNumber(2);
    EXPECT_EQ(colourAt(pane, command.position()), kGreen);
    EXPECT_EQ(colourAt(pane, command.position() + 8), kGreen);
}

TEST(RichLog, UsersSelectionSurvivesNewLines)
{
    QTextEdit pane;
    LogPane log(&pane);
    log.logEvent(QStringLiteral("first line"), LogPlain);
    log.logEvent(QStringLiteral("second line"), LogPlain);
    QTextCursor selection(pane.document());
    selection.setPosition(2);
    selection.setPosition(8, QTextCursor::KeepAnchor);
    pane.setTextCursor(selection);
    log.logEvent(QStringLiteral("third line"), LogError);
    EXPECT_EQ(pane.textCursor().selectionStart(), 2);
    EXPECT_EQ(pane.textCursor().selectionEnd(), 8);
    EXPECT_EQ(pane.textCursor().selectedText(), QStringLiteral("rst li"));
}

TEST(RichLog, SummaryLineColoursOnlyTheValue)
{
    QTextEdit pane;
    appendColouredLine(&pane, QStringLiteral("Сервер: 1.2.3.4"), LogSuccess, 8);
    EXPECT_EQ(colourAt(pane, 0), kBlack);
    EXPECT_EQ(colourAt(pane, 7), kBlack);
    EXPECT_EQ(colourAt(pane, 8), kGreen);
    EXPECT_EQ(colourAt(pane, 14), kGreen);
}

TEST(RichLog, ClearingStartsAfreshWithoutAnEmptyFirstLine)
{
    QTextEdit pane;
    LogPane log(&pane);
    log.logEvent(QStringLiteral("a"), LogPlain);
    log.clear();
    log.logEvent(QStringLiteral("b"), LogPlain);
    EXPECT_EQ(pane.toPlainText(), QStringLiteral("b"));
}
