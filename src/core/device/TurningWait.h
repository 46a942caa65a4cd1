#pragma once

#include <functional>

namespace kvmt {

// Runs `call` on a worker thread and keeps the calling thread's event loop
// turning until it returns: a library call that sits out a time-out leaves
// the window painting (progress, log lines) and its timers running. The
// caller decides what the turning loop may deliver; user input is for the
// window to hold back. Returns only after `call` has returned.
void waitTurning(const std::function<void()> &call);

} // namespace kvmt
