#pragma once

#include <QIODevice>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <memory>

namespace kvmt {

// The reader of the tracker's debug port: every poll interval it reads at
// most kReadSize bytes and hands them, as text, to whoever listens on
// textRead (queued into the listener's thread).
//
// The reader owns the port for its whole life and closes it itself before
// it ends, so no other thread can close the port under a read, and a port
// that is closed can never be read again. stop() wakes it from its sleep
// and waits until it has finished: the next port may be opened right after.
class CDC_LOG : public QThread
{
    Q_OBJECT

public:
    static constexpr int kPollMs = 100;
    static constexpr qint64 kReadSize = 100;

    // `port` is open and configured, without parent, owned by the calling
    // thread; the reader takes it over.
    explicit CDC_LOG(std::unique_ptr<QIODevice> port, int pollMs = kPollMs, QObject *parent = nullptr);
    ~CDC_LOG() override;

    // Asks the reader to end and waits for it; the port is closed when this
    // returns. Safe to call more than once, and before start().
    void stop();

signals:
    void textRead(const QString &text);

protected:
    void run() override;

private:
    // Sleeps one poll interval; false when asked to stop meanwhile.
    bool sleepOnePoll();
    void releasePort();

    std::unique_ptr<QIODevice> m_port;
    const int m_pollMs;
    QMutex m_mutex;
    QWaitCondition m_wake;
    bool m_stopRequested = false;
};

} // namespace kvmt
