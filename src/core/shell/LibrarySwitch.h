#pragma once

#include <QString>
#include <QStringList>

namespace kvmt {

// Where the programs look for the device library, and the switch that picks
// the virtual tracker instead of the maker's library.
//
// Without the switch: the standard search by bare name (on Windows the
// program's own folder first, where the maker's KVUSB.dll is installed), then
// the program's folders. With "--virtual-tracker": only the virtual tracker's
// library, from the folder of its own that keeps it from shadowing the
// maker's; when it is not there, no library at all.
struct LibraryChoice {
    // For DeviceLibrary: folders to search, or the one library file to load.
    QStringList libraryDirs;
    // The arguments without the switch.
    QStringList arguments;
    bool virtualTracker = false;
};

inline constexpr const char *VirtualTrackerSwitch = "--virtual-tracker";

LibraryChoice chooseDeviceLibrary(const QStringList &arguments, const QString &programDir);

} // namespace kvmt
