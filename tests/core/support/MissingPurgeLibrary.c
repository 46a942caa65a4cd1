/* A device library that offers every entry point but RW_Purge: the
 * configurator must treat it as absent and unload it. */
#include "kvusb.h"

#include <stddef.h>

int RW_GetListDevices(uint32_t flags, void *list, uint32_t *count)
{
    (void)flags;
    (void)list;
    if (count)
        *count = 1;
    return 0;
}

int RW_OpenDevice(uint32_t flags, const char *name, RW_HANDLE *handle)
{
    (void)flags;
    (void)name;
    *handle = NULL;
    return 1;
}

int RW_CloseDevice(RW_HANDLE *handle)
{
    (void)handle;
    return 0;
}

int RW_Read(RW_HANDLE handle, void *buffer, uint32_t capacity, uint32_t *bytesRead)
{
    (void)handle;
    (void)buffer;
    (void)capacity;
    *bytesRead = 0;
    return 1;
}

int RW_ReadNotTimeOut(RW_HANDLE handle, void *buffer, uint32_t capacity, uint32_t *bytesRead)
{
    return RW_Read(handle, buffer, capacity, bytesRead);
}

int RW_Write(RW_HANDLE handle, const void *data, uint32_t count, uint32_t *bytesWritten)
{
    (void)handle;
    (void)data;
    *bytesWritten = count;
    return 0;
}

int RW_SetTimeouts(RW_HANDLE handle, uint32_t readTimeoutMs, uint32_t writeTimeoutMs)
{
    (void)handle;
    (void)readTimeoutMs;
    (void)writeTimeoutMs;
    return 0;
}
