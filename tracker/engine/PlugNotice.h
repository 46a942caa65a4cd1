// Telling running configurators that a virtual tracker was plugged or
// unplugged, the way the system tells them about a real one.
#pragma once

namespace kvtracker {

// Called by the control tool after it changed the attached trackers. On
// Linux the change of the "attached" folder is itself the notice that the
// configurator watches, so there is nothing more to send; on Windows every
// top-level window receives WM_DEVICECHANGE (DBT_DEVNODES_CHANGED), as when
// a USB device comes or goes.
void announcePlugChange();

} // namespace kvtracker
