#include "shell/SessionClose.h"

#include "device/DeviceLink.h"
#include "shell/CdcLog.h"

namespace kvmt {

void closeSession(CdcLog &cdcLog, DeviceLink &link, const LinkFlags &flags)
{
    cdcLog.stop();
    if (flags.testFlag(LinkFlag::Connected)) {
        link.sendCommand("CONFCLOSE=1;");
        link.receiveReply();
    }
    if (link.hasHandle())
        link.closeDevice();
}

} // namespace kvmt
