#include "PlugNotice.h"

#include <windows.h>

// From <dbt.h>, which the MinGW headers keep apart.
#ifndef DBT_DEVNODES_CHANGED
#define DBT_DEVNODES_CHANGED 0x0007
#endif

namespace kvtracker {

void announcePlugChange()
{
    // Sent, not posted: when the tool returns, every responsive program has
    // had the notice. A hung window costs at most the time-out.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

} // namespace kvtracker
