// The tracker's debug port on Windows: none. Windows has no pseudo-terminal
// that a serial-port class could open (a COM port needs a driver), so a
// virtual tracker there has no "KV USB CDC" port and announces none; the
// configurator's debug log finds no port for it, as for a real tracker
// whose port is not connected.
#include "DebugPort.h"

namespace kvtracker {

std::unique_ptr<DebugPort> DebugPort::open(const std::string &, const std::string &, const std::string &)
{
    return nullptr;
}

DebugPort::DebugPort(int master, std::string path, std::string announcement)
    : master_(master), path_(std::move(path)), announcement_(std::move(announcement))
{
}

DebugPort::~DebugPort() = default;

void DebugPort::write(const std::string &)
{
}

} // namespace kvtracker
