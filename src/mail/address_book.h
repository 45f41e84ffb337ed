// Name resolution and recipient choice through the Extended MAPI address book, used on
// Windows 6.1 and later. Each call opens its own Extended MAPI session and address book
// and releases both before it returns.
#pragma once

#include <windows.h>
#include <mapix.h>

#include <cstdint>

#include "recipient.h"

// MAPI32.DLL ordinal 139, imported by number (see mapi32_ordinals.def): releases an
// address list with the value arrays of its entries.
extern "C" __declspec(dllimport) void WINAPI FreePadrlist(LPADRLIST list);

namespace uxd {

struct ExtendedMapi {
    LPMAPILOGONEX logonEx;
    LPMAPIALLOCATEBUFFER allocateBuffer;
    LPMAPIFREEBUFFER freeBuffer;
    bool bound;  // never cleared once set
};
extern ExtendedMapi extendedMapi;

// True on Windows 6.1 and later (version read once per process).
bool useAddressBook() noexcept;

// 0 once the three entry points are bound; else the system error of the failed lookup.
ULONG bindExtendedMapi(HMODULE mapiLibrary) noexcept;

// Resolves *name; on success *name is the display name (module heap) and the entry
// identifier a new module-heap block. 0, 1 for a cancelled dialog, or a failure code.
HRESULT resolveInAddressBook(HWND window, const char *profile, const char *password,
                             bool showDialog, char **name, ULONG *entryIdSize,
                             void **entryId) noexcept;

// Opens the address-book dialog pre-filled with `entries` (name, class and entry identifier
// of each); on success with a non-empty choice, they are replaced by the chosen ones.
// Reports nothing itself.
HRESULT chooseFromAddressBook(HWND window, const char *profile, const char *password,
                              RecipientTable &entries) noexcept;

// An address list of `entryCount` entries, each with a zeroed array of `valuesPerEntry`
// property values, all from MAPIAllocateBuffer. Counts are left for the caller to set.
HRESULT allocAddressList(ULONG valuesPerEntry, ULONG entryCount, LPADRLIST *list) noexcept;

}  // namespace uxd
