/* Device access library interface of the Korvel-MT tracker.
 *
 * The configurator loads a library with these eight functions at run time
 * (libKVUSB.so on Linux) and calls nothing else. Any library that honours
 * this header serves: the maker's, or the virtual tracker shipped with the
 * configurator. All functions return 0 on success and a non-zero code
 * otherwise. */
#ifndef KVUSB_H
#define KVUSB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define KVUSB_API __declspec(dllexport)
#else
#define KVUSB_API __attribute__((visibility("default")))
#endif

/* The maker does not document the functions' calling convention; the
 * configurator calls them so that __cdecl and __stdcall both work. The
 * virtual library is built with either (KVUSB_CALL). */
#ifndef KVUSB_CALL
#define KVUSB_CALL
#endif

typedef void *RW_HANDLE;

/* The configurator passes this value in every `flags` argument. */
#define KVUSB_FLAGS 257u

/* One entry of the device list: bytes 0..3 belong to the library, bytes
 * 4..25 hold the tracker's name as NUL-terminated text. */
#define KVUSB_LIST_ENTRY_SIZE 26u
#define KVUSB_LIST_NAME_OFFSET 4u

/* list NULL: *count receives the number of attached trackers;
 * otherwise list holds *count entries of KVUSB_LIST_ENTRY_SIZE bytes and
 * *count receives the number actually filled. */
KVUSB_API int KVUSB_CALL RW_GetListDevices(uint32_t flags, void *list, uint32_t *count);
KVUSB_API int KVUSB_CALL RW_OpenDevice(uint32_t flags, const char *name, RW_HANDLE *handle);
KVUSB_API int KVUSB_CALL RW_CloseDevice(RW_HANDLE *handle);
KVUSB_API int KVUSB_CALL RW_Read(RW_HANDLE handle, void *buffer, uint32_t capacity, uint32_t *bytesRead);
/* Returns what one reply brought; *bytesRead is 0 when nothing arrived within
 * the read time-out. */
KVUSB_API int KVUSB_CALL RW_ReadNotTimeOut(RW_HANDLE handle, void *buffer, uint32_t capacity, uint32_t *bytesRead);
KVUSB_API int KVUSB_CALL RW_Write(RW_HANDLE handle, const void *data, uint32_t count, uint32_t *bytesWritten);
KVUSB_API int KVUSB_CALL RW_Purge(RW_HANDLE handle);
KVUSB_API int KVUSB_CALL RW_SetTimeouts(RW_HANDLE handle, uint32_t readTimeoutMs, uint32_t writeTimeoutMs);

#ifdef __cplusplus
}
#endif

#endif
