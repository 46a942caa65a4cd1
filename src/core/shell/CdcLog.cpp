#include "shell/CdcLog.h"

#include "shell/CDC_LOG.h"

#include <QFileInfo>
#include <QSerialPort>

namespace kvmt {

CdcLog::CdcLog(LinkFlags &flags, QObject *parent)
    : QObject(parent)
    , m_flags(flags)
    , m_opener(&CdcLog::openSerialPort)
    , m_pollMs(CDC_LOG::kPollMs)
{
}

CdcLog::~CdcLog()
{
    stop();
}

OpenedPort CdcLog::openSerialPort(const QString &location)
{
    auto port = std::make_unique<QSerialPort>(location);
    if (!port->open(QIODevice::ReadWrite))
        return port->error() == QSerialPort::PermissionError ? PortOpenError::PermissionDenied
                                                             : PortOpenError::Other;
    port->setBaudRate(QSerialPort::Baud38400);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    // A pseudo-terminal has no modem lines; the port works without them.
    port->setDataTerminalReady(true);
    port->setRequestToSend(false);
    // What the driver holds beyond one read stays there until the next poll.
    port->setReadBufferSize(CDC_LOG::kReadSize);
    // The log shows what the tracker says from now on, as a USB port does:
    // text written while nobody listened (a pseudo-terminal keeps it) is
    // not news.
    port->clear(QSerialPort::Input);
    port->clearError();
    return OpenedPort(std::move(port));
}

bool CdcLog::open(const QList<SerialPortEntry> &ports)
{
    const std::optional<QString> location = findLogPort(ports);
    m_flags.setFlag(LinkFlag::LogPortFound, location.has_value());
    if (m_flags.testFlag(LinkFlag::LogPortOpen) || !location)
        return false;
    OpenedPort opened = m_opener(*location);
    if (!opened.device || !opened.device->isOpen()) {
        if (opened.error == PortOpenError::PermissionDenied && !m_accessDeniedReported) {
            m_accessDeniedReported = true;
            emit accessDenied(permissionMessage(*location, QFileInfo(*location).group()));
        }
        return false;
    }
    m_port = std::move(opened.device);
    m_flags |= LinkFlag::LogPortOpen;
    return true;
}

void CdcLog::windowShown()
{
    if (!m_port)
        return;
    if (m_reader) {
        m_reader->stop();
        m_reader.reset();
    }
    const int generation = ++m_generation;
    m_reader = std::make_unique<CDC_LOG>(std::move(m_port), m_pollMs);
    // Queued text of a reader that was stopped must not reach a window that
    // was cleared since.
    connect(
        m_reader.get(), &CDC_LOG::textRead, this,
        [this, generation](const QString &text) {
            if (generation == m_generation && m_reader)
                emit textReceived(text);
        },
        Qt::QueuedConnection);
    m_reader->start(QThread::NormalPriority);
}

void CdcLog::stop()
{
    if (m_reader) {
        m_reader->stop();
        m_reader.reset();
    }
    if (m_port) {
        m_port->close();
        m_port.reset();
    }
    m_flags &= ~LinkFlags(LinkFlag::LogPortOpen);
}

} // namespace kvmt
