#pragma once

#include <QIODevice>
#include <QObject>

#include <functional>
#include <memory>

#include "device/LinkFlags.h"
#include "shell/LogPortSearch.h"

namespace kvmt {

class CDC_LOG;

// Why a port did not open, as far as the person can do something about it.
enum class PortOpenError { None, PermissionDenied, Other };

// A port as an opener hands it over: open, or null with the reason.
struct OpenedPort {
    OpenedPort(std::unique_ptr<QIODevice> device = nullptr)
        : device(std::move(device))
        , error(this->device ? PortOpenError::None : PortOpenError::Other)
    {
    }
    OpenedPort(PortOpenError error)
        : error(error)
    {
    }
    std::unique_ptr<QIODevice> device;
    PortOpenError error;
};

// The tracker's debug log: finding its serial port, opening it, and the
// reader that follows it while the log window is shown. Headless; the log
// window shows textReceived and calls windowShown/stop.
class CdcLog : public QObject
{
    Q_OBJECT

public:
    // Opens and configures a port; no device, and why, when it cannot.
    using PortOpener = std::function<OpenedPort(const QString &location)>;

    explicit CdcLog(LinkFlags &flags, QObject *parent = nullptr);
    ~CdcLog() override;

    // Tests open their own ports and poll faster; the behaviour stays.
    void setPortOpener(PortOpener opener) { m_opener = std::move(opener); }
    void setPollInterval(int ms) { m_pollMs = ms; }

    // openCdcLog without the window: searches `ports` for the tracker's
    // debug port, opens it and sets LogPortOpen. True when the log window is
    // to be shown now; false when the log is already open, no port matched
    // or the port could not be opened. Only a refusal for lack of permission
    // is reported (accessDenied), once per program run: the person can fix
    // that, and pressing the button again must not repeat the lecture.
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
    static OpenedPort openSerialPort(const QString &location);

    // What the person is told when the port at `location`, owned by the
    // group `group` (empty when unknown), may not be opened.
    static QString permissionMessage(const QString &location, const QString &group);

signals:
    // Debug text of the current reader, in the order read, on this object's
    // thread. Line ends are "\n".
    void textReceived(const QString &text);
    // The debug port was found but may not be opened by this user; the
    // message names the port and how to get access. For the event log.
    void accessDenied(const QString &message);

private:
    LinkFlags &m_flags;
    PortOpener m_opener;
    int m_pollMs;
    std::unique_ptr<QIODevice> m_port; // open, not yet handed to a reader
    std::unique_ptr<CDC_LOG> m_reader;
    int m_generation = 0;
    bool m_accessDeniedReported = false;
};

} // namespace kvmt
