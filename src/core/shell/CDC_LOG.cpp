#include "shell/CDC_LOG.h"

#include "shell/LogTextDecoder.h"

#include <QMutexLocker>

namespace kvmt {

CDC_LOG::CDC_LOG(std::unique_ptr<QIODevice> port, int pollMs, QObject *parent)
    : QThread(parent)
    , m_port(std::move(port))
    , m_pollMs(pollMs)
{
    setObjectName(QStringLiteral("CDC_LOG"));
    // From now on the port is the reader's alone; its notifiers follow it,
    // so the window's event loop never reads the port behind our back.
    if (m_port)
        m_port->moveToThread(this);
}

CDC_LOG::~CDC_LOG()
{
    stop();
}

void CDC_LOG::stop()
{
    {
        const QMutexLocker lock(&m_mutex);
        m_stopRequested = true;
        m_wake.wakeAll();
    }
    if (isRunning())
        wait();
    // A reader that never ran still holds its port.
    releasePort();
}

bool CDC_LOG::sleepOnePoll()
{
    QMutexLocker lock(&m_mutex);
    if (!m_stopRequested)
        m_wake.wait(&m_mutex, QDeadlineTimer(m_pollMs));
    return !m_stopRequested;
}

void CDC_LOG::releasePort()
{
    if (!m_port)
        return;
    m_port->close();
    m_port.reset();
}

void CDC_LOG::run()
{
    LogTextDecoder decoder;
    char buffer[kReadSize];
    while (sleepOnePoll()) {
        if (!m_port->isOpen())
            continue;
        // The port is read without blocking: what arrived since the last
        // poll, at most kReadSize bytes; the rest waits for the next poll.
        if (m_port->bytesAvailable() <= 0)
            m_port->waitForReadyRead(0);
        const qint64 count = m_port->read(buffer, kReadSize);
        // A failed read is an empty one; the reader goes on until stopped.
        if (count <= 0)
            continue;
        const QString text = decoder.decode(QByteArrayView(buffer, count));
        if (!text.isEmpty())
            emit textRead(text);
    }
    releasePort();
}

} // namespace kvmt
