// The device library over virtual trackers: the eight functions of kvusb.h.
//
// The configurator may hand us anything a C caller can: NULL pointers, zero
// capacities, stale handles. None of that may crash it, so every argument is
// checked and every handle is looked up, never dereferenced.
#include "kvusb.h"

#include "TrackerBus.h"

#include "kvtracker_home.h"

#include <cstring>

namespace {

kvtracker::TrackerBus &bus()
{
    // Destroyed when the library is unloaded or the process ends, which
    // closes the debug terminals and withdraws their announcements.
    static kvtracker::TrackerBus instance([] { return kvtracker::homeDir(); });
    return instance;
}

kvtracker::TrackerBus::HandleId idOf(RW_HANDLE handle)
{
    return reinterpret_cast<kvtracker::TrackerBus::HandleId>(handle);
}

void putCount(uint32_t *out, uint32_t value)
{
    if (out)
        *out = value;
}

} // namespace

extern "C" {

KVUSB_API int KVUSB_CALL RW_GetListDevices(uint32_t, void *list, uint32_t *count)
{
    if (!count)
        return kvtracker::InvalidArgument;
    const auto listed = bus().list();
    if (!list) {
        *count = static_cast<uint32_t>(listed.size());
        return kvtracker::Ok;
    }
    const std::size_t n = std::min<std::size_t>(*count, listed.size());
    auto *bytes = static_cast<unsigned char *>(list);
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char *entry = bytes + i * KVUSB_LIST_ENTRY_SIZE;
        std::memset(entry, 0, KVUSB_LIST_ENTRY_SIZE);
        const uint32_t id = listed[i].id;
        entry[0] = static_cast<unsigned char>(id);
        entry[1] = static_cast<unsigned char>(id >> 8);
        entry[2] = static_cast<unsigned char>(id >> 16);
        entry[3] = static_cast<unsigned char>(id >> 24);
        const std::size_t room = KVUSB_LIST_ENTRY_SIZE - KVUSB_LIST_NAME_OFFSET - 1;
        std::memcpy(entry + KVUSB_LIST_NAME_OFFSET, listed[i].name.data(), std::min(room, listed[i].name.size()));
    }
    *count = static_cast<uint32_t>(n);
    return kvtracker::Ok;
}

KVUSB_API int KVUSB_CALL RW_OpenDevice(uint32_t, const char *name, RW_HANDLE *handle)
{
    if (!name || !handle)
        return kvtracker::InvalidArgument;
    kvtracker::TrackerBus::HandleId id = 0;
    const int result = bus().open(std::string(name, strnlen(name, 256)), id);
    if (result == kvtracker::Ok)
        *handle = reinterpret_cast<RW_HANDLE>(id);
    return result;
}

KVUSB_API int KVUSB_CALL RW_CloseDevice(RW_HANDLE *handle)
{
    if (!handle || !*handle)
        return kvtracker::InvalidArgument;
    const int result = bus().close(idOf(*handle));
    if (result == kvtracker::Ok)
        *handle = nullptr;
    return result;
}

KVUSB_API int KVUSB_CALL RW_Read(RW_HANDLE handle, void *buffer, uint32_t capacity, uint32_t *bytesRead)
{
    putCount(bytesRead, 0);
    if (!buffer || !capacity || !bytesRead)
        return kvtracker::InvalidArgument;
    return bus().read(idOf(handle), static_cast<char *>(buffer), capacity, *bytesRead, false);
}

KVUSB_API int KVUSB_CALL RW_ReadNotTimeOut(RW_HANDLE handle, void *buffer, uint32_t capacity, uint32_t *bytesRead)
{
    putCount(bytesRead, 0);
    if (!buffer || !capacity || !bytesRead)
        return kvtracker::InvalidArgument;
    return bus().read(idOf(handle), static_cast<char *>(buffer), capacity, *bytesRead, true);
}

KVUSB_API int KVUSB_CALL RW_Write(RW_HANDLE handle, const void *data, uint32_t count, uint32_t *bytesWritten)
{
    putCount(bytesWritten, 0);
    if (!data && count)
        return kvtracker::InvalidArgument;
    const std::string bytes = count ? std::string(static_cast<const char *>(data), count) : std::string();
    const int result = bus().write(idOf(handle), bytes);
    if (result == kvtracker::Ok)
        putCount(bytesWritten, count);
    return result;
}

KVUSB_API int KVUSB_CALL RW_Purge(RW_HANDLE handle)
{
    return bus().purge(idOf(handle));
}

KVUSB_API int KVUSB_CALL RW_SetTimeouts(RW_HANDLE handle, uint32_t readTimeoutMs, uint32_t writeTimeoutMs)
{
    return bus().setTimeouts(idOf(handle), readTimeoutMs, writeTimeoutMs);
}

} // extern "C"
