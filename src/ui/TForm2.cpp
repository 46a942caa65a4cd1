#include "ui/TForm2.h"

#include "shell/CdcLog.h"
#include "ui/pages/PageKit.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTextCursor>

namespace kvmt {

TForm2::TForm2(QWidget *parent)
    : QDialog(parent)
    , m_log(new QPlainTextEdit(this))
    , m_startStop(new QPushButton(tr("Остановить"), this))
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("CDC Log"));
    setFont(pages::pixelFont(11));
    // A fixed frame: the text and the button have their places.
    setFixedSize(kWidth, kHeight);
    setSizeGripEnabled(false);

    m_log->setObjectName(QStringLiteral("mCDCLog"));
    m_log->setGeometry(0, 0, kWidth, 345);
    m_log->setReadOnly(true);
    m_log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_log->setMaximumBlockCount(kMaxLines);

    m_startStop->setObjectName(QStringLiteral("btLogStartStop"));
    m_startStop->setGeometry(20, 363, 75, 25);
    // A dialog's default button would take Enter typed anywhere in it.
    m_startStop->setAutoDefault(false);
    // "Остановить" stops nothing: the log runs while the window is open.
}

void TForm2::attach(CdcLog *cdcLog)
{
    if (m_cdcLog)
        disconnect(m_cdcLog, nullptr, this, nullptr);
    m_cdcLog = cdcLog;
    if (m_cdcLog)
        connect(m_cdcLog, &CdcLog::textReceived, this, &TForm2::appendText);
}

void TForm2::showBeside(const QWidget *mainWindow)
{
    const QRect frame = mainWindow->frameGeometry();
    move(frame.left() + frame.width() + 10, frame.top());
    if (isVisible()) {
        if (m_cdcLog)
            m_cdcLog->windowShown();
        return;
    }
    show();
}

void TForm2::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // A window restored from the task bar is not a new showing.
    if (!event->spontaneous() && m_cdcLog)
        m_cdcLog->windowShown();
}

void TForm2::done(int result)
{
    if (m_cdcLog)
        m_cdcLog->stop();
    m_log->clear();
    QDialog::done(result);
}

// Continues the last line: the tracker's text arrives in pieces of any size.
void TForm2::appendText(const QString &text)
{
    QScrollBar *bar = m_log->verticalScrollBar();
    const bool following = bar->value() == bar->maximum();
    QTextCursor end(m_log->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    if (following)
        bar->setValue(bar->maximum());
}

} // namespace kvmt
