/*
 * uxdmapi.h - what a reporting host needs to drive the uxdmapi mail export destination:
 * the UXD return codes, the records exchanged with the module (byte layouts fixed for
 * 64-bit Windows, little-endian, 8-byte pointers) and the prototypes of the exported
 * entry points. Valid C and C++; every size and offset is checked at compile time.
 */
#ifndef UXDMAPI_H
#define UXDMAPI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define UXD_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#define UXD_NOEXCEPT noexcept
extern "C" {
#else
#define UXD_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#define UXD_NOEXCEPT
#endif

#if defined(_WIN32)
#define UXD_CALL __stdcall
#else
#define UXD_CALL
#endif

/* ---- UXD return codes ------------------------------------------------------------ */

typedef int32_t UXDResult;

#define UXD_SUCCESS            0  /* success */
#define UXD_E_NOT_SUPPORTED    1  /* the mail system does not support the request */
#define UXD_E_OUT_OF_MEMORY    2  /* memory exhausted */
#define UXD_E_DISK_FULL        3  /* disk full */
#define UXD_E_INVALID_ARGUMENT 5  /* missing or invalid argument */
#define UXD_E_CANCELLED        6  /* cancelled by the user */
#define UXD_E_MAIL_UNAVAILABLE 7  /* mail services unavailable */
#define UXD_E_FAILURE        (-1) /* any other failure: UXDGetErrorText says which */

/* Interface version reported by UXDGetVersion. */
#define UXD_INTERFACE_VERSION 0x0100

/* ---- Destination catalogue --------------------------------------------------------- */

/* One export destination. Owned by the module; the host only reads it. */
typedef struct UXDDestinationEntry {
    uint16_t    structSize;     /* 32 */
    uint8_t     reserved1[6];
    const char *name;           /* display name, in the catalogue's language */
    uint32_t    value;          /* not interpreted by the module; always 0 */
    uint8_t     reserved2[4];
    const char *description;    /* description, in the catalogue's language */
} UXDDestinationEntry;

#define UXD_DESTINATION_ID_SIZE 8

/* The catalogue a host receives from UXDGetExportDestinations(Ex). It stays valid until
   the module is unloaded; the host never releases it. */
typedef struct UXDDestinationCatalogue {
    uint16_t              structSize;   /* 24 */
    uint16_t              entryCount;   /* 1 */
    uint8_t               reserved[4];
    UXDDestinationEntry **entries;      /* entryCount pointers */
    char                  identifier[UXD_DESTINATION_ID_SIZE]; /* "xmapi", zero padded */
} UXDDestinationCatalogue;

UXD_STATIC_ASSERT(sizeof(UXDDestinationEntry) == 32, "catalogue entry is 32 bytes");
UXD_STATIC_ASSERT(offsetof(UXDDestinationEntry, structSize) == 0, "entry size at 0");
UXD_STATIC_ASSERT(offsetof(UXDDestinationEntry, name) == 8, "entry name at 8");
UXD_STATIC_ASSERT(offsetof(UXDDestinationEntry, value) == 16, "entry value at 16");
UXD_STATIC_ASSERT(offsetof(UXDDestinationEntry, description) == 24, "entry description at 24");
UXD_STATIC_ASSERT(sizeof(UXDDestinationCatalogue) == 24, "catalogue header is 24 bytes");
UXD_STATIC_ASSERT(offsetof(UXDDestinationCatalogue, entryCount) == 2, "entry count at 2");
UXD_STATIC_ASSERT(offsetof(UXDDestinationCatalogue, entries) == 8, "entry array at 8");
UXD_STATIC_ASSERT(offsetof(UXDDestinationCatalogue, identifier) == 16, "identifier at 16");

/* ---- Entry points ------------------------------------------------------------------ */

#if defined(_WIN32)
UXDResult UXD_CALL UXDInitialize(uint32_t reserved) UXD_NOEXCEPT;
UXDResult UXD_CALL UXDTerminate(void) UXD_NOEXCEPT;
uint16_t UXD_CALL UXDGetVersion(void) UXD_NOEXCEPT;
const char *UXD_CALL UXDGetErrorText(void *job) UXD_NOEXCEPT;
UXDDestinationCatalogue *UXD_CALL UXDGetExportDestinations(void) UXD_NOEXCEPT;
UXDDestinationCatalogue *UXD_CALL UXDGetExportDestinationsEx(uint32_t language) UXD_NOEXCEPT;

/* Pointer types for hosts that bind the entry points with GetProcAddress. */
typedef UXDResult (UXD_CALL *UXDInitializeProc)(uint32_t);
typedef UXDResult (UXD_CALL *UXDTerminateProc)(void);
typedef uint16_t (UXD_CALL *UXDGetVersionProc)(void);
typedef const char *(UXD_CALL *UXDGetErrorTextProc)(void *);
typedef UXDDestinationCatalogue *(UXD_CALL *UXDGetExportDestinationsProc)(void);
typedef UXDDestinationCatalogue *(UXD_CALL *UXDGetExportDestinationsExProc)(uint32_t);
#endif

#ifdef __cplusplus
}
#endif

#endif /* UXDMAPI_H */
