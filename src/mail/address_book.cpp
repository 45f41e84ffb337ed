// The Extended MAPI address-book paths.
#include "address_book.h"

#include <cstring>

#include "allocation.h"
#include "export_job.h"
#include "raii.h"
#include "win32_resources.h"

namespace uxd {

ExtendedMapi extendedMapi;

namespace {

constexpr ULONG kMaxValuesPerEntry = 0x0AAAAAAA;  // values * 24 still fits in 32 bits
constexpr ULONG kExtendedLogonFlags = MAPI_EXTENDED | MAPI_USE_DEFAULT;  // 0x60
constexpr ULONG kAddressDialogFlags = DIALOG_MODAL | AB_RESOLVE;        // 0x21
constexpr HRESULT kSimpleMapiUserAbort = 1;  // a cancelled dialog, in Simple MAPI terms

// Frees an address list the way FreePadrlist does: each entry's values, then the list.
struct AddressListFree {
    void operator()(LPADRLIST list) const noexcept {
        for (ULONG i = 0; i < list->cEntries; ++i) extendedMapi.freeBuffer(list->aEntries[i].rgPropVals);
        extendedMapi.freeBuffer(list);
    }
};
using unique_address_list = unique_res<LPADRLIST, AddressListFree>;

// Out of memory is the one failure that does not say the address book is missing.
bool meansNoAddressBook(HRESULT hr) noexcept { return hr != MAPI_E_NOT_ENOUGH_MEMORY; }

// Takes one value of a returned entry into its row; false when out of memory.
bool takeValue(const SPropValue &value, MapiRecipDesc &row) noexcept {
    switch (value.ulPropTag) {
    case PR_ENTRYID:
        release(row.lpEntryID);
        row.ulEIDSize = value.Value.bin.cb;
        row.lpEntryID = duplicateBytes(value.Value.bin.lpb, value.Value.bin.cb);
        return row.lpEntryID != nullptr;
    case PR_DISPLAY_NAME_A:
        release(row.lpszName);
        row.lpszName = duplicateText(value.Value.lpszA);
        return row.lpszName != nullptr;
    case PR_RECIPIENT_TYPE:
        row.ulRecipClass = value.Value.l;
        return true;
    default:
        return true;
    }
}

}  // namespace

bool useAddressBook() noexcept {
    // Unguarded: the module runs on the host's one thread.
    static OSVERSIONINFOA version = [] {
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
        GetVersionExA(&info);
        return info;
    }();
    return version.dwMajorVersion > 6 || (version.dwMajorVersion == 6 && version.dwMinorVersion >= 1);
}

bool addressBookInReach(const MAPIDestination &job) noexcept {
    return useAddressBook() && !job.addressBookUnreachable;
}

ULONG bindExtendedMapi(HMODULE mapiLibrary) noexcept {
    if (extendedMapi.bound) return 0;
    if (!bindFunction(mapiLibrary, "MAPILogonEx", extendedMapi.logonEx) ||
        !bindFunction(mapiLibrary, "MAPIAllocateBuffer", extendedMapi.allocateBuffer) ||
        !bindFunction(mapiLibrary, "MAPIFreeBuffer", extendedMapi.freeBuffer))
        return GetLastError();
    extendedMapi.bound = true;
    return 0;
}

HRESULT allocAddressList(ULONG valuesPerEntry, ULONG entryCount, LPADRLIST *list) noexcept {
    if (!list || valuesPerEntry > kMaxValuesPerEntry ||
        entryCount > (ULONG_MAX - offsetof(ADRLIST, aEntries)) / sizeof(ADRENTRY))
        return E_INVALIDARG;
    *list = nullptr;
    ULONG listBytes = static_cast<ULONG>(offsetof(ADRLIST, aEntries) + sizeof(ADRENTRY) * entryCount);
    LPADRLIST made = nullptr;
    HRESULT hr = extendedMapi.allocateBuffer(listBytes, reinterpret_cast<void **>(&made));
    if (FAILED(hr)) return hr;
    std::memset(made, 0, listBytes);
    unique_address_list owner(made);  // cEntries stays 0: frees only the values made so far
    for (ULONG i = 0; i < entryCount; ++i) {
        ULONG valueBytes = sizeof(SPropValue) * valuesPerEntry;
        hr = extendedMapi.allocateBuffer(valueBytes, reinterpret_cast<void **>(&made->aEntries[i].rgPropVals));
        if (FAILED(hr)) return hr;
        std::memset(made->aEntries[i].rgPropVals, 0, valueBytes);
        made->cEntries = i + 1;
    }
    made->cEntries = 0;
    *list = owner.release();
    return S_OK;
}

HRESULT reachAddressBook(MAPIDestination &job, HWND window, AddressBook &book) noexcept {
    if (!extendedMapi.bound) bindExtendedMapi(job.mapiLibrary.get());
    HRESULT hr = E_UNEXPECTED;  // no entry points: no address book
    if (extendedMapi.bound)
        hr = extendedMapi.logonEx(0, job.profileName, job.password, kExtendedLogonFlags, book.session_.put());
    if (SUCCEEDED(hr))
        hr = book.session_->OpenAddressBook(reinterpret_cast<ULONG_PTR>(window), nullptr, AB_NO_DIALOG,
                                            book.book_.put());
    if (FAILED(hr) && meansNoAddressBook(hr)) job.addressBookUnreachable = true;
    return hr;
}

HRESULT resolveInAddressBook(const AddressBook &book, HWND window, bool showDialog, char **name,
                             ULONG *entryIdSize, void **entryId) noexcept {
    LPADRLIST list = nullptr;
    HRESULT hr = allocAddressList(1, 1, &list);
    if (FAILED(hr)) return hr;
    unique_address_list listOwner(list);
    list->cEntries = 1;
    list->aEntries[0].cValues = 1;
    list->aEntries[0].rgPropVals[0].ulPropTag = PR_DISPLAY_NAME_A;
    list->aEntries[0].rgPropVals[0].Value.lpszA = *name;

    hr = book->ResolveName(reinterpret_cast<ULONG_PTR>(window), showDialog ? MAPI_DIALOG : 0,
                                       nullptr, list);
    if (hr == MAPI_E_USER_CANCEL) return kSimpleMapiUserAbort;
    if (FAILED(hr)) return hr;

    const ADRENTRY &entry = list->aEntries[0];
    for (ULONG i = 0; i < entry.cValues; ++i) {
        const SPropValue &value = entry.rgPropVals[i];
        if (value.ulPropTag == PR_ENTRYID) {
            void *copy = duplicateBytes(value.Value.bin.lpb, value.Value.bin.cb);
            if (!copy) return E_FAIL;
            release(*entryId);
            *entryId = copy;
            *entryIdSize = value.Value.bin.cb;
        } else if (value.ulPropTag == PR_DISPLAY_NAME_A) {
            char *copy = duplicateText(value.Value.lpszA);
            if (!copy) return E_FAIL;
            release(*name);
            *name = copy;
        }
    }
    return hr;
}

namespace {
// Pre-fills the dialog with the current entries; their strings outlive the call, so the
// values borrow them rather than copying.
HRESULT buildPrefilledList(const RecipientTable &entries, unique_address_list &owner) noexcept {
    uint32_t count = entries.count();
    if (count == 0) return S_OK;
    LPADRLIST list = nullptr;
    HRESULT hr = allocAddressList(3, count, &list);
    if (FAILED(hr)) return hr;
    if (!list) return E_FAIL;
    owner.reset(list);
    list->cEntries = count;
    for (uint32_t i = 0; i < count; ++i) {
        SPropValue *values = list->aEntries[i].rgPropVals;
        list->aEntries[i].cValues = 3;
        values[0].ulPropTag = PR_DISPLAY_NAME_A;
        const MapiRecipDesc &entry = entries.rows()[i];
        values[0].Value.lpszA = entry.lpszName;
        values[1].ulPropTag = PR_RECIPIENT_TYPE;
        values[1].Value.l = static_cast<LONG>(entry.ulRecipClass);
        values[2].ulPropTag = PR_ENTRYID;
        values[2].Value.bin.cb = entry.ulEIDSize;
        values[2].Value.bin.lpb = static_cast<LPBYTE>(entry.lpEntryID);
    }
    return S_OK;
}

// The chosen recipients as a new table; E_FAIL when out of memory.
HRESULT readChoice(const ADRLIST &list, RecipientTable &chosen) noexcept {
    if (!chosen.allocate(list.cEntries)) return E_FAIL;
    for (ULONG i = 0; i < list.cEntries; ++i)
        for (ULONG v = 0; v < list.aEntries[i].cValues; ++v)
            if (!takeValue(list.aEntries[i].rgPropVals[v], chosen.rows()[i])) return E_FAIL;
    return S_OK;
}
}  // namespace

HRESULT chooseFromAddressBook(const AddressBook &book, HWND window, RecipientTable &entries) noexcept {
    unique_address_list listOwner;
    HRESULT hr = buildPrefilledList(entries, listOwner);
    if (FAILED(hr)) return hr;

    ADRPARM parameters = {};
    parameters.ulFlags = kAddressDialogFlags;
    parameters.lpszCaption = const_cast<LPSTR>("Address Book");
    parameters.cDestFields = 2;
    ULONG_PTR owner = reinterpret_cast<ULONG_PTR>(window);
    LPADRLIST list = listOwner.release();  // the address book may replace it
    hr = book->Address(&owner, &parameters, &list);
    listOwner.reset(list);
    if (FAILED(hr)) return hr;

    if (list && list->cEntries > 0) {
        RecipientTable chosen;
        if (FAILED(readChoice(*list, chosen))) return E_FAIL;
        entries.swap(chosen);
    }
    if (LPADRLIST returned = listOwner.release()) FreePadrlist(returned);
    return hr;
}

}  // namespace uxd
