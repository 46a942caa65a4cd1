#pragma once

#include <atomic>

namespace kvmt {

// A request to end the sequence under way after the exchange in progress:
// a Stop button, Esc or a signal handler sets it; the sequences look at it
// between two exchanges. Only an atomic flag, so that a signal handler may
// set it. Whoever starts a sequence on a person's behalf clears it first;
// the sequences never do, so that a request made just before one starts is
// not lost.
class SequenceStop
{
public:
    void request() noexcept { m_requested.store(true, std::memory_order_relaxed); }
    void clear() noexcept { m_requested.store(false, std::memory_order_relaxed); }
    bool requested() const noexcept { return m_requested.load(std::memory_order_relaxed); }

private:
    static_assert(std::atomic<bool>::is_always_lock_free, "set from signal handlers");
    std::atomic<bool> m_requested{false};
};

} // namespace kvmt
