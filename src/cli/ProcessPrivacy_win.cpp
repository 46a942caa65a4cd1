#include "cli/ProcessPrivacy.h"

#include <windows.h>

namespace kvmt {

void keepOutOfCoreDumps()
{
    // Windows has no core file; a crash of the tool is shown no fault box,
    // through which a person would be offered to send the process's memory
    // off as a report. Reports collected silently by the system's policy
    // are beyond a program's say.
    ::SetErrorMode(::GetErrorMode() | SEM_NOGPFAULTERRORBOX);
}

bool readableByOthers(const QString &)
{
    // Files under the user's profile are the user's by inheritance; Windows
    // has no mode bits that would tell otherwise.
    return false;
}

} // namespace kvmt
