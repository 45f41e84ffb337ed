// Name resolution and recipient choice through the Extended MAPI address book, used on
// Windows 6.1 and later where the client offers it. Each resolution and each choice opens
// its own Extended MAPI session and address book and releases both when it is done.
#pragma once

#include <windows.h>
#include <mapix.h>

#include <cstdint>

#include "com_ptr.h"
#include "recipient.h"

class MAPIDestination;

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

// The job's names go through the address book: Windows 6.1 or later, and the job has not
// found the address book out of reach. Otherwise through Simple MAPI, as before 6.1: many
// mail clients offer Simple MAPI only.
bool addressBookInReach(const MAPIDestination &job) noexcept;

// 0 once the three entry points are bound; else the system error of the failed lookup.
ULONG bindExtendedMapi(HMODULE mapiLibrary) noexcept;

// An Extended MAPI session and its address book, released address book first; whatever a
// half-done open took goes with the object.
class AddressBook {
public:
    IAddrBook *operator->() const noexcept { return book_.get(); }

private:
    friend HRESULT reachAddressBook(MAPIDestination &job, HWND window, AddressBook &book) noexcept;
    ComPtr<IMAPISession> session_;
    ComPtr<IAddrBook> book_;
};

// Binds Extended MAPI, logs on with the job's profile and opens the address book without a
// dialog. Where that fails because the address book is not there (the entry points, the
// logon or the book itself), the job remembers it: addressBookInReach turns false for the
// rest of the job. An out-of-memory failure is only returned.
HRESULT reachAddressBook(MAPIDestination &job, HWND window, AddressBook &book) noexcept;

// Resolves *name; on success *name is the display name (module heap) and the entry
// identifier a new module-heap block. 0, 1 for a cancelled dialog, or a failure code.
HRESULT resolveInAddressBook(const AddressBook &book, HWND window, bool showDialog, char **name,
                             ULONG *entryIdSize, void **entryId) noexcept;

// Opens the address-book dialog pre-filled with `entries` (name, class and entry identifier
// of each); on success with a non-empty choice, they are replaced by the chosen ones.
// Reports nothing itself.
HRESULT chooseFromAddressBook(const AddressBook &book, HWND window, RecipientTable &entries) noexcept;

// An address list of `entryCount` entries, each with a zeroed array of `valuesPerEntry`
// property values, all from MAPIAllocateBuffer. Counts are left for the caller to set.
HRESULT allocAddressList(ULONG valuesPerEntry, ULONG entryCount, LPADRLIST *list) noexcept;

}  // namespace uxd
