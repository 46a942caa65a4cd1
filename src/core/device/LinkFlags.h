#pragma once

#include <QFlags>

namespace kvmt {

enum class LinkFlag : unsigned {
    Present = 1u << 0,      // the last listing found a tracker and opened it
    Connected = 1u << 1,    // the connection was taken up (identification began)
    LogPortFound = 1u << 2, // the last serial-port search matched the tracker's port
    LogPortOpen = 1u << 3,  // the debug-log serial port is open
};
Q_DECLARE_FLAGS(LinkFlags, LinkFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(LinkFlags)

} // namespace kvmt
