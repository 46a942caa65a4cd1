#pragma once

#include "device/LinkFlags.h"

namespace kvmt {

class CdcLog;
class DeviceLink;

// The program is ending: the debug log stops and its port is closed, a
// connected tracker is told that the configurator leaves ("CONFCLOSE=1;",
// which locks a protected tracker again; its answer does not matter), and
// the tracker is closed.
void closeSession(CdcLog &cdcLog, DeviceLink &link, const LinkFlags &flags);

} // namespace kvmt
