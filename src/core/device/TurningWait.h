#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kvmt {

// Runs each call on one long-lived worker thread and keeps the calling
// thread's event loop turning until it returns: a library call that sits out
// a time-out leaves the window painting (progress, log lines) and its timers
// running. The caller decides what the turning loop may deliver; user input
// is for the window to hold back. One call at a time: the device link never
// starts a call inside another's wait.
class TurningWaiter
{
public:
    TurningWaiter();
    ~TurningWaiter();
    TurningWaiter(const TurningWaiter &) = delete;
    TurningWaiter &operator=(const TurningWaiter &) = delete;

    // Returns only after `call` has returned.
    void operator()(const std::function<void()> &call);

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    const std::function<void()> *m_call = nullptr;
    bool m_ending = false;
    std::thread m_thread;
};

} // namespace kvmt
