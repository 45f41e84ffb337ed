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

/* ---- Export job records ------------------------------------------------------------- */

/* One exported file as the host describes it; only these fields are read. */
typedef struct UXDExportFile {
    uint8_t     reserved1[4];
    uint32_t    hasFileName;      /* nonzero: fileName names the file */
    const char *fileName;         /* may carry drive and directory; may be null */
    uint8_t     reserved2[32];
    const char *fileNamePattern;  /* base name or extension may hold * and ?; may be null */
} UXDExportFile;

/* The host's description of an export (fourth argument of UXDInitExportDestination). */
typedef struct UXDExportRecord {
    uint16_t                    structSize;    /* allowLogonUI read from 60, language above 60 */
    uint8_t                     reserved1[14];
    uint16_t                    fileCount;
    uint8_t                     reserved2[6];
    const UXDExportFile *const *files;         /* fileCount entries, each may be null */
    uint8_t                     reserved3[24];
    uint32_t                    allowLogonUI;  /* nonzero allows the logon dialog */
    uint32_t                    language;      /* language of the job's texts and dialog */
} UXDExportRecord;

/* Where the exported files lie (second argument of UXDExportToDestination). */
typedef struct UXDExportRequest {
    uint8_t             reserved1[2];
    uint16_t            fileCount;
    uint8_t             reserved2[4];
    const char *const  *filePaths;   /* fileCount full paths, in the export record's order */
} UXDExportRequest;

/* Job information block: the module sets structSize to 112 and every other field to 0. */
typedef struct UXDJobInfo {
    uint16_t structSize;
    uint64_t fields1[5];
    uint16_t field2;
    uint64_t fields3[7];
} UXDJobInfo;

UXD_STATIC_ASSERT(sizeof(UXDExportFile) == 56, "per-file record");
UXD_STATIC_ASSERT(offsetof(UXDExportFile, hasFileName) == 4, "hasFileName at 4");
UXD_STATIC_ASSERT(offsetof(UXDExportFile, fileName) == 8, "fileName at 8");
UXD_STATIC_ASSERT(offsetof(UXDExportFile, fileNamePattern) == 48, "fileNamePattern at 48");
UXD_STATIC_ASSERT(sizeof(UXDExportRecord) == 64, "export record");
UXD_STATIC_ASSERT(offsetof(UXDExportRecord, fileCount) == 16, "fileCount at 16");
UXD_STATIC_ASSERT(offsetof(UXDExportRecord, files) == 24, "files at 24");
UXD_STATIC_ASSERT(offsetof(UXDExportRecord, allowLogonUI) == 56, "allowLogonUI at 56");
UXD_STATIC_ASSERT(offsetof(UXDExportRecord, language) == 60, "language at 60");
UXD_STATIC_ASSERT(sizeof(UXDExportRequest) == 16, "export request");
UXD_STATIC_ASSERT(offsetof(UXDExportRequest, fileCount) == 2, "request fileCount at 2");
UXD_STATIC_ASSERT(offsetof(UXDExportRequest, filePaths) == 8, "filePaths at 8");
UXD_STATIC_ASSERT(sizeof(UXDJobInfo) == 112, "job information block");
UXD_STATIC_ASSERT(offsetof(UXDJobInfo, fields1) == 8, "first fields at 8");
UXD_STATIC_ASSERT(offsetof(UXDJobInfo, field2) == 48, "16-bit field at 48");
UXD_STATIC_ASSERT(offsetof(UXDJobInfo, fields3) == 56, "last fields at 56");

/* ---- Destination options ---------------------------------------------------------- */

#if defined(_WIN32)
typedef wchar_t UXDWideChar;
#else
typedef uint16_t UXDWideChar;   /* UTF-16 code unit, as on Windows */
#endif

/* A recipient as Simple MAPI describes it: the layout of MapiRecipDesc (40 bytes,
   natural alignment), spelled out so the header does not need <mapi.h>. */
typedef struct UXDRecipDesc {
    uint32_t ulReserved;
    uint32_t ulRecipClass;      /* 1 To, 2 Cc, 3 Bcc */
    char    *lpszName;
    char    *lpszAddress;
    uint32_t ulEIDSize;
    void    *lpEntryID;
} UXDRecipDesc;

/* The same with UTF-16 name and address, for MAPIDestinationOptionsW. */
typedef struct UXDRecipDescW {
    uint32_t     ulReserved;
    uint32_t     ulRecipClass;
    UXDWideChar *lpszName;
    UXDWideChar *lpszAddress;
    uint32_t     ulEIDSize;
    void        *lpEntryID;
} UXDRecipDescW;

#define UXD_OPTIONS_SIZE 70

#pragma pack(push, 1)
/* Destination options: byte-packed, pointer fields at unaligned offsets. In the pointer
   form (flatSize 0) every pointer is its own allocation or null. In the flat form
   (structSize 70, flatSize nonzero) the record heads one block of flatSize bytes and each
   pointer field holds a byte offset from the start of the block (0: not given).
   Any structSize other than 70 is an older layout: only the texts up to `recipients` are
   read from it. Copy fields out with memcpy rather than through pointers to them. */
typedef struct MAPIDestinationOptions {
    uint16_t      structSize;
    char         *toNames;      /* names separated by ";" */
    char         *ccNames;
    char         *bccNames;
    char         *subject;
    char         *message;
    uint16_t      nRecipients;  /* 0: no table, the name texts are used */
    UXDRecipDesc *recipients;
    char         *profileName;
    char         *password;
    uint16_t      flatSize;
} MAPIDestinationOptions;

typedef struct MAPIDestinationOptionsW {
    uint16_t       structSize;
    UXDWideChar   *toNames;
    UXDWideChar   *ccNames;
    UXDWideChar   *bccNames;
    UXDWideChar   *subject;
    UXDWideChar   *message;
    uint16_t       nRecipients;
    UXDRecipDescW *recipients;
    UXDWideChar   *profileName;
    UXDWideChar   *password;
    uint16_t       flatSize;
} MAPIDestinationOptionsW;

/* Head of an encoded (flat) block: the record's 70 bytes, then two byte counts. Strings,
   then the table, then each entry's name, address and entry identifier follow from 74. */
typedef struct UXDEncodedOptionsHeader {
    uint16_t structSize;        /* 70 */
    uint64_t toNames;           /* offsets from the start of the block; 0: not given */
    uint64_t ccNames;
    uint64_t bccNames;
    uint64_t subject;
    uint64_t message;
    uint16_t nRecipients;
    uint64_t recipients;
    uint64_t profileName;
    uint64_t password;
    uint16_t flatSize;          /* the whole block, nonzero */
    uint16_t stringBytes;       /* all strings with their terminators */
    uint16_t entryIdBytes;      /* all entry identifiers */
} UXDEncodedOptionsHeader;

/* A table entry of an encoded block: MapiRecipDesc with offsets in place of pointers. */
typedef struct UXDEncodedRecipient {
    uint32_t ulReserved;
    uint32_t ulRecipClass;
    uint64_t lpszName;
    uint64_t lpszAddress;
    uint32_t ulEIDSize;
    uint32_t reserved;          /* zero */
    uint64_t lpEntryID;         /* 0 when ulEIDSize is 0 */
} UXDEncodedRecipient;
#pragma pack(pop)

/* Flat blocks handed back to the module are checked before use, since a stored block may
   come back truncated or damaged; one that fails gives code 5. UXDInitExportDestination
   checks that everything the block's offsets designate lies inside flatSize (the first three
   rules below, except the sum); the conversions, which size their results from the block's
   counts, check all of them:
   - flatSize is at least 74, and 74 + stringBytes + 40 x nRecipients + entryIdBytes is at
     most flatSize;
   - every nonzero offset, read with all 64 bits, is at least 74 and below flatSize; the
     table (offset + 40 x nRecipients) and each entry identifier (offset + ulEIDSize) end
     within flatSize; a table offset of 0 with entries, or an identifier offset of 0 with a
     nonzero ulEIDSize, is refused;
   - every string ends inside the block: a NUL byte, or in the wide form a zero UTF-16 unit
     counted from the string's own offset (which may be odd);
   - the strings found (terminators included) need at most stringBytes bytes and the
     identifiers at most entryIdBytes; a block may hold more room than it uses, so a
     wide-to-ANSI result, which keeps the source's stringBytes, reads back.
   Sizes: a block holds at most 65535 bytes. The encoder and the conversions refuse with code
   5 any content whose block would be larger, rather than make a block shorter than its
   content (ANSI-to-wide doubles stringBytes, so a large ANSI block can reach this).
   Double-byte code pages: a flat wide-to-ANSI result gives each string the larger of its
   character count and its real ANSI length (terminator included), and its stringBytes is
   the larger of the source's and the sum of these; in a single-byte code page this is the
   layout of one byte per character. The other directions likewise never give a string less
   room than the code page needs for it. A text the code page cannot convert gives code 5. */

UXD_STATIC_ASSERT(sizeof(UXDRecipDesc) == 40, "MapiRecipDesc layout");
UXD_STATIC_ASSERT(offsetof(UXDRecipDesc, lpszName) == 8, "name at 8");
UXD_STATIC_ASSERT(offsetof(UXDRecipDesc, lpszAddress) == 16, "address at 16");
UXD_STATIC_ASSERT(offsetof(UXDRecipDesc, ulEIDSize) == 24, "entry id size at 24");
UXD_STATIC_ASSERT(offsetof(UXDRecipDesc, lpEntryID) == 32, "entry id at 32");
UXD_STATIC_ASSERT(sizeof(UXDRecipDescW) == 40, "wide MapiRecipDesc layout");
UXD_STATIC_ASSERT(offsetof(UXDRecipDescW, lpEntryID) == 32, "wide entry id at 32");

UXD_STATIC_ASSERT(sizeof(MAPIDestinationOptions) == UXD_OPTIONS_SIZE, "options record");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, toNames) == 2, "toNames at 2");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, ccNames) == 10, "ccNames at 10");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, bccNames) == 18, "bccNames at 18");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, subject) == 26, "subject at 26");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, message) == 34, "message at 34");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, nRecipients) == 42, "nRecipients at 42");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, recipients) == 44, "recipients at 44");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, profileName) == 52, "profileName at 52");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, password) == 60, "password at 60");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptions, flatSize) == 68, "flatSize at 68");
UXD_STATIC_ASSERT(sizeof(MAPIDestinationOptionsW) == UXD_OPTIONS_SIZE, "wide options record");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptionsW, nRecipients) == 42, "wide nRecipients at 42");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptionsW, recipients) == 44, "wide recipients at 44");
UXD_STATIC_ASSERT(offsetof(MAPIDestinationOptionsW, flatSize) == 68, "wide flatSize at 68");

UXD_STATIC_ASSERT(sizeof(UXDEncodedOptionsHeader) == 74, "encoded header");
UXD_STATIC_ASSERT(offsetof(UXDEncodedOptionsHeader, recipients) == 44, "table offset at 44");
UXD_STATIC_ASSERT(offsetof(UXDEncodedOptionsHeader, flatSize) == 68, "flatSize at 68");
UXD_STATIC_ASSERT(offsetof(UXDEncodedOptionsHeader, stringBytes) == 70, "stringBytes at 70");
UXD_STATIC_ASSERT(offsetof(UXDEncodedOptionsHeader, entryIdBytes) == 72, "entryIdBytes at 72");
UXD_STATIC_ASSERT(sizeof(UXDEncodedRecipient) == 40, "encoded table entry");
UXD_STATIC_ASSERT(offsetof(UXDEncodedRecipient, lpszName) == 8, "encoded name at 8");
UXD_STATIC_ASSERT(offsetof(UXDEncodedRecipient, lpszAddress) == 16, "encoded address at 16");
UXD_STATIC_ASSERT(offsetof(UXDEncodedRecipient, ulEIDSize) == 24, "encoded id size at 24");
UXD_STATIC_ASSERT(offsetof(UXDEncodedRecipient, lpEntryID) == 32, "encoded id at 32");

/* ---- Entry points ------------------------------------------------------------------ */

#if defined(_WIN32)
UXDResult UXD_CALL UXDInitialize(uint32_t reserved) UXD_NOEXCEPT;
UXDResult UXD_CALL UXDTerminate(void) UXD_NOEXCEPT;
uint16_t UXD_CALL UXDGetVersion(void) UXD_NOEXCEPT;
const char *UXD_CALL UXDGetErrorText(void *job) UXD_NOEXCEPT;
UXDDestinationCatalogue *UXD_CALL UXDGetExportDestinations(void) UXD_NOEXCEPT;
UXDDestinationCatalogue *UXD_CALL UXDGetExportDestinationsEx(uint32_t language) UXD_NOEXCEPT;
/* Creates an export job: silently from `options` (pointer or flat form), or through the
   Send Mail dialog when `options` is null. On failure *job is null and
   UXDGetErrorText(NULL) says why. */
UXDResult UXD_CALL UXDInitExportDestination(void *parentWindow, uint32_t reserved,
                                            const MAPIDestinationOptions *options,
                                            const UXDExportRecord *exportRecord, void **job,
                                            UXDJobInfo **infoBlock) UXD_NOEXCEPT;
UXDResult UXD_CALL UXDTermExportDestination(void *job, uint32_t reserved) UXD_NOEXCEPT;
/* Sends one mail with one attachment per file of the request. */
UXDResult UXD_CALL UXDExportToDestination(void *job, const UXDExportRequest *request) UXD_NOEXCEPT;
/* Releases a record handed out by the module: a pointer-form record with its strings and
   table, a flat block or an older layout as one block. Null is fine. Always 0. */
UXDResult UXD_CALL UXDFreeDestinationOptions(uint32_t reserved, MAPIDestinationOptions *record) UXD_NOEXCEPT;
/* The job's options as a flat block that the job owns (valid until the next encode or the
   end of the job), and as a pointer-form record that the caller frees. Both resolve the
   job's recipients first. */
UXDResult UXD_CALL UXDEncodeDestinationOptions(void *job, void **block, uint16_t *size) UXD_NOEXCEPT;
UXDResult UXD_CALL UXDDecodeDestinationOptions(void *job, MAPIDestinationOptions **record) UXD_NOEXCEPT;
/* Conversions between the ANSI and UTF-16 records, keeping the source's form; the result is
   the caller's, freed with UXDFreeDestinationOptions. UXDW2ADestinationOptions and
   UXDA2WDestinationOptions are the same functions under second names. */
UXDResult UXD_CALL UXDDestinationOptionsW2A(const MAPIDestinationOptionsW *source,
                                            MAPIDestinationOptions **result, uint16_t *size) UXD_NOEXCEPT;
UXDResult UXD_CALL UXDDestinationOptionsA2W(const MAPIDestinationOptions *source,
                                            MAPIDestinationOptionsW **result, uint16_t *size) UXD_NOEXCEPT;

/* Pointer types for hosts that bind the entry points with GetProcAddress. */
typedef UXDResult (UXD_CALL *UXDInitializeProc)(uint32_t);
typedef UXDResult (UXD_CALL *UXDTerminateProc)(void);
typedef uint16_t (UXD_CALL *UXDGetVersionProc)(void);
typedef const char *(UXD_CALL *UXDGetErrorTextProc)(void *);
typedef UXDDestinationCatalogue *(UXD_CALL *UXDGetExportDestinationsProc)(void);
typedef UXDDestinationCatalogue *(UXD_CALL *UXDGetExportDestinationsExProc)(uint32_t);
typedef UXDResult (UXD_CALL *UXDInitExportDestinationProc)(void *, uint32_t, const MAPIDestinationOptions *,
                                                           const UXDExportRecord *, void **, UXDJobInfo **);
typedef UXDResult (UXD_CALL *UXDTermExportDestinationProc)(void *, uint32_t);
typedef UXDResult (UXD_CALL *UXDExportToDestinationProc)(void *, const UXDExportRequest *);
typedef UXDResult (UXD_CALL *UXDFreeDestinationOptionsProc)(uint32_t, MAPIDestinationOptions *);
typedef UXDResult (UXD_CALL *UXDEncodeDestinationOptionsProc)(void *, void **, uint16_t *);
typedef UXDResult (UXD_CALL *UXDDecodeDestinationOptionsProc)(void *, MAPIDestinationOptions **);
typedef UXDResult (UXD_CALL *UXDDestinationOptionsW2AProc)(const MAPIDestinationOptionsW *,
                                                          MAPIDestinationOptions **, uint16_t *);
typedef UXDResult (UXD_CALL *UXDDestinationOptionsA2WProc)(const MAPIDestinationOptions *,
                                                          MAPIDestinationOptionsW **, uint16_t *);
#endif

#ifdef __cplusplus
}
#endif

#endif /* UXDMAPI_H */
