#include "device/TurningWait.h"

#include <QEventLoop>
#include <QMetaObject>

#include <atomic>

namespace kvmt {

TurningWaiter::TurningWaiter()
    : m_thread([this] { work(); })
{
}

TurningWaiter::~TurningWaiter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void TurningWaiter::operator()(const std::function<void()> &call)
{
    QEventLoop loop;
    std::atomic<bool> done{false};
    const std::function<void()> job = [&] {
        call();
        done.store(true);
        // Queued: if it comes before exec() starts, exec() still sees it.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    };
    {
        const std::lock_guard lock(m_mutex);
        m_call = &job;
    }
    m_wake.notify_all();
    // A quit meant for this loop may be taken by a loop that a handler run
    // from here opens and closes again; the flag decides.
    while (!done.load())
        loop.exec();
    // `job` lives on this stack: the worker must be out of it.
    std::unique_lock lock(m_mutex);
    m_wake.wait(lock, [this] { return m_call == nullptr; });
}

void TurningWaiter::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_ending || m_call; });
        if (!m_call)
            return;
        const std::function<void()> *call = m_call;
        lock.unlock();
        (*call)();
        lock.lock();
        m_call = nullptr;
        m_wake.notify_all();
    }
}

} // namespace kvmt
