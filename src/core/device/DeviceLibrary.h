#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

#include <memory>

#include "device/LibraryEntry.h"
#include "kvusb.h"

namespace kvmt {

// The eight entry points of the device access library, resolved at run time
// by their plain names, callable whatever their calling convention.
struct DeviceApi {
    LibraryEntry<int(uint32_t, void *, uint32_t *)> getListDevices;
    LibraryEntry<int(uint32_t, const char *, RW_HANDLE *)> openDevice;
    LibraryEntry<int(RW_HANDLE *)> closeDevice;
    LibraryEntry<int(RW_HANDLE, void *, uint32_t, uint32_t *)> read;
    LibraryEntry<int(RW_HANDLE, void *, uint32_t, uint32_t *)> readNotTimeOut;
    LibraryEntry<int(RW_HANDLE, const void *, uint32_t, uint32_t *)> write;
    LibraryEntry<int(RW_HANDLE)> purge;
    LibraryEntry<int(RW_HANDLE, uint32_t, uint32_t)> setTimeouts;
};

// The loaded device access library (KVUSB). It is looked up by bare name
// first, so that a maker's library placed earlier on the search path wins;
// then in the fallback folders (the program's own folder), because dlopen
// called from inside Qt does not see the executable's RUNPATH. A fallback
// entry that names the library file itself (the virtual tracker's, asked for
// by the person) is the only one tried: nothing found by bare name may take
// its place.
class DeviceLibrary
{
public:
    explicit DeviceLibrary(QStringList fallbackDirs = {}, QString baseName = QStringLiteral("KVUSB"));
    ~DeviceLibrary();
    DeviceLibrary(const DeviceLibrary &) = delete;
    DeviceLibrary &operator=(const DeviceLibrary &) = delete;

    // Loads the library if it is not loaded yet. A library that lacks any of
    // the eight functions is unloaded again and counts as absent.
    bool load();
    bool isLoaded() const { return m_library != nullptr; }
    const DeviceApi &api() const { return m_api; }
    // Where the loaded library came from, or why the last attempt failed.
    QString location() const { return m_location; }
    QString lastError() const { return m_lastError; }

private:
    enum class Attempt { NotFound, Incomplete, Loaded };
    Attempt tryLoad(const QString &fileName);

    QStringList m_fallbackDirs;
    QString m_baseName;
    std::unique_ptr<QLibrary> m_library;
    DeviceApi m_api;
    QString m_location;
    QString m_lastError;
};

// The file a library of that base name has on this platform
// ("libKVUSB.so", "KVUSB.dll").
QString deviceLibraryFileName(const QString &baseName);

} // namespace kvmt
