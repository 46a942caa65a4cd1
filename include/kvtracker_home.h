// Where virtual trackers keep their state, shared by the virtual tracker
// library, its control tool and the configurator's device-change watcher.
//
// $KVTRACKER_HOME/attached/ holds one scenario file per plugged tracker; a
// change of that folder is the virtual tracker's plug or unplug notice. While
// the folder does not exist, one default tracker counts as attached.
#pragma once

#include <cstdlib>
#include <string>

namespace kvtracker {

inline std::string homeDir()
{
    if (const char *home = std::getenv("KVTRACKER_HOME"); home && *home)
        return home;
#if defined(_WIN32)
    // The user's local application data; HOME and XDG_* may be set by a
    // Unix-like shell (or wine) but name no Windows folder.
    if (const char *local = std::getenv("LOCALAPPDATA"); local && *local)
        return std::string(local) + "/kvtracker";
    return "C:/kvtracker";
#endif
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state)
        return std::string(state) + "/kvtracker";
    if (const char *user = std::getenv("HOME"); user && *user)
        return std::string(user) + "/.local/state/kvtracker";
    return "/tmp/kvtracker";
}

inline std::string attachedDir()
{
    return homeDir() + "/attached";
}

} // namespace kvtracker
