#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kvmt {

class CdcLog;

// The window of the tracker's debug output (the "CDC log"): a read-only
// text that the port reader fills, beside the main window. Showing it starts
// a fresh reader; closing it stops the reader, closes the port and empties
// the text.
class TForm2 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);

    QPlainTextEdit *logText() const { return m_log; }
    QPushButton *startStopButton() const { return m_startStop; }

    // The log whose text this window shows and whose reader it starts.
    void attach(CdcLog *cdcLog);
    // Beside `mainWindow` (10 pixels right of it, tops aligned) and shown.
    // Already shown (the tracker was lost and the log opened again): the
    // text stays and a new reader takes the new port.
    void showBeside(const QWidget *mainWindow);

    static constexpr int kWidth = 645;
    static constexpr int kHeight = 404;
    // Lines kept in the text: a log left running for days must not eat the
    // computer's memory.
    static constexpr int kMaxLines = 100000;

protected:
    void showEvent(QShowEvent *event) override;

public slots:
    // Every way the window goes away (its close button, Escape) ends here.
    void done(int result) override;

private:
    void appendText(const QString &text);

    CdcLog *m_cdcLog = nullptr;
    QPlainTextEdit *m_log;
    QPushButton *m_startStop;
};

} // namespace kvmt
