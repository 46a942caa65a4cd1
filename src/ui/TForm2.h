#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace kvmt {

// The window of the tracker's debug output (the "CDC log"): a read-only
// text that the port reader fills, beside the main window.
class TForm2 : public QDialog
{
    Q_OBJECT

public:
    explicit TForm2(QWidget *parent = nullptr);

    QPlainTextEdit *logText() const { return m_log; }
    QPushButton *startStopButton() const { return m_startStop; }

    static constexpr int kWidth = 645;
    static constexpr int kHeight = 404;

private:
    QPlainTextEdit *m_log;
    QPushButton *m_startStop;
};

} // namespace kvmt
