#pragma once

#include <QtGlobal>

namespace kvmt {

// What decides which keys a tracker has. Kept across disconnections: reading
// or writing a profile file uses the values of the tracker identified last.
struct TrackerIdentity {
    // NUMBER as a signed 32-bit decimal, 0 when it is not one; compared with
    // thresholds as unsigned.
    qint32 serialNumber = 0;
    // major * 100 + minor of "KVMT-major.minor"; 0 when it did not match.
    quint32 firmwareVersion = 0;
    // From the tracker's ACCLEN reply.
    int accelerometerPresent = 0;

    quint32 serialUnsigned() const { return quint32(serialNumber); }
};

} // namespace kvmt
