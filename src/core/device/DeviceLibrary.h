#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

#include <memory>

#include "kvusb.h"

namespace kvmt {

// The eight entry points of the device access library, resolved at run time.
struct DeviceApi {
    decltype(&RW_GetListDevices) getListDevices = nullptr;
    decltype(&RW_OpenDevice) openDevice = nullptr;
    decltype(&RW_CloseDevice) closeDevice = nullptr;
    decltype(&RW_Read) read = nullptr;
    decltype(&RW_ReadNotTimeOut) readNotTimeOut = nullptr;
    decltype(&RW_Write) write = nullptr;
    decltype(&RW_Purge) purge = nullptr;
    decltype(&RW_SetTimeouts) setTimeouts = nullptr;
};

// The loaded device access library (KVUSB). It is looked up by bare name
// first, so that a maker's library placed earlier on the search path wins;
// then in the fallback folders (the program's own folder), because dlopen
// called from inside Qt does not see the executable's RUNPATH.
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

} // namespace kvmt
