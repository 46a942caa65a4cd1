// The tracker's debug serial port, as a pseudo-terminal.
//
// A real tracker shows up as a serial port named "KV USB CDC" besides its
// command channel. Serial-port enumeration does not list pseudo-terminals, so
// each port is announced by a file ports/<entry> under the tracker home:
//
//   [port]
//   path=/dev/pts/7
//   name=KV USB CDC
//   serial=5001500
//
// The file exists while the tracker is plugged and the library that serves
// it is loaded; the process holding the library owns the terminal's master.
#pragma once

#include <memory>
#include <string>

namespace kvtracker {

inline constexpr const char *DebugPortName = "KV USB CDC";

class DebugPort
{
public:
    // Nothing when no pseudo-terminal can be had; the tracker then simply
    // has no debug port.
    static std::unique_ptr<DebugPort> open(const std::string &home, const std::string &serial,
                                           const std::string &entryName);
    ~DebugPort();
    DebugPort(const DebugPort &) = delete;
    DebugPort &operator=(const DebugPort &) = delete;

    const std::string &path() const { return path_; }
    const std::string &announcement() const { return announcement_; }
    // Never blocks: text nobody reads is dropped once the terminal's buffer
    // is full, as the tracker's own output is.
    void write(const std::string &text);

private:
    DebugPort(int master, std::string path, std::string announcement);
    int master_ = -1;
    std::string path_;
    std::string announcement_;
};

} // namespace kvtracker
