#pragma once

#include <QIODevice>
#include <QObject>

#include <functional>
#include <memory>

#include "device/LinkFlags.h"
#include "shell/LogPortSearch.h"

namespace kvmt {

class CDC_LOG;

// The tracker's debug log: finding its serial port, opening it, and the
// reader that follows it while the log window is shown. Headless; the log
// window shows textReceived and calls windowShown/stop.
class CdcLog : public QObject
{
    Q_OBJECT

public:
    // Opens and configures a port; null when it cannot be opened.
    using PortOpener = std::function<std::unique_ptr<QIODevice>(const QString &location)>;

    explicit CdcLog(LinkFlags &flags, QObject *parent = nullptr);
    ~CdcLog() override;

    // Tests open their own ports and poll faster; the behaviour stays.
    void setPortOpener(PortOpener opener) { m_opener = std::move(opener); }
    void setPollInterval(int ms) { m_pollMs = ms; }

    // openCdcLog without the window: searches `ports` for the tracker's
    // debug port, opens it and sets LogPortOpen. True when the log window is
    // to be shown now; false when the log is already open, no port matched
    // or the port could not be opened (nothing is reported).
    bool open(const QList<SerialPortEntry> &ports);
    // The log window was shown: a new reader takes the open port.
    void windowShown();
    // Every way of ending the log (window closed, tracker lost, program
    // ended): the reader stops and has closed the port when this returns;
    // LogPortOpen is clear. Text it read and not yet shown is dropped.
    void stop();

    bool isReading() const { return m_reader != nullptr; }
    // How many readers were started: each showing starts a fresh one.
    int readersStarted() const { return m_generation; }

    // The port as QSerialPort opens it for the tracker: 38400 8N1, no flow
    // control, DTR on, RTS off.
    static std::unique_ptr<QIODevice> openSerialPort(const QString &location);

signals:
    // Debug text of the current reader, in the order read, on this object's
    // thread. Line ends are "\n".
    void textReceived(const QString &text);

private:
    LinkFlags &m_flags;
    PortOpener m_opener;
    int m_pollMs;
    std::unique_ptr<QIODevice> m_port; // open, not yet handed to a reader
    std::unique_ptr<CDC_LOG> m_reader;
    int m_generation = 0;
};

} // namespace kvmt
