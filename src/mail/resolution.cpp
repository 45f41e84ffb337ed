// MAPIRecipient::resolve: the Extended MAPI address book on Windows 6.1 and later, Simple
// MAPI's MAPIResolveName before 6.1 or where the address book cannot be reached, and the
// reports of names that match nothing or several.
#include "resolution.h"

#include "address_book.h"
#include "allocation.h"
#include "export_job.h"
#include "format_text.h"
#include "recipient.h"
#include "resource_ids.h"
#include "simple_mapi.h"

using namespace uxd;

namespace {

// What a resolution brought back: one of the two, each released by whoever allocated it.
struct Resolution {
    OwnedRow fromAddressBook;
    unique_mapi_buffer<MapiRecipDesc> fromSimpleMapi;

    const MapiRecipDesc &descriptor() const {
        if (fromSimpleMapi) return *fromSimpleMapi.get();
        return fromAddressBook;
    }
};

// Through the address book when it can be reached; where it cannot, the job now knows, and
// the caller turns to Simple MAPI.
ULONG resolveThroughAddressBook(const MAPIRecipient &recipient, bool showDialog, HWND window,
                                Resolution &result) noexcept {
    AddressBook book;
    HRESULT hr = reachAddressBook(*recipient.job, window, book);
    if (FAILED(hr)) return static_cast<ULONG>(hr);
    result.fromAddressBook.lpszName = duplicateText(recipient.name);
    if (!result.fromAddressBook.lpszName) return MAPI_E_INSUFFICIENT_MEMORY;
    return static_cast<ULONG>(resolveInAddressBook(book, window, showDialog, &result.fromAddressBook.lpszName,
                                                   &result.fromAddressBook.ulEIDSize,
                                                   &result.fromAddressBook.lpEntryID));
}

// Texts 1001 and 1002: into a 300-byte buffer, cut however long the name is.
UXDResult reportUnresolved(const MAPIRecipient &recipient, unsigned textId, bool showDialog,
                           HWND window) noexcept {
    char pattern[kMessageBufferSize], message[kFailureTextSize];
    MAPIDestination &job = *recipient.job;
    loadText(recipient.language, textId, pattern);
    formatText(message, sizeof message, pattern, {recipient.name});
    if (showDialog) MessageBoxA(window, message, nullptr, MB_ICONHAND | MB_OK);
    return job.setError(UXD_E_FAILURE, message);
}

}  // namespace

UXDResult MAPIRecipient::resolve(LHANDLE session, bool showDialog, HWND window) noexcept {
    if (isResolved) return UXD_SUCCESS;
    Resolution result;
    ULONG rc = 0;
    if (addressBookInReach(*job)) rc = resolveThroughAddressBook(*this, showDialog, window, result);
    if (!addressBookInReach(*job))
        rc = simpleMapi.resolveName(session, static_cast<ULONG>(reinterpret_cast<ULONG_PTR>(window)), name,
                                    showDialog ? MAPI_DIALOG : 0, 0, result.fromSimpleMapi.put());
    if (rc == MAPI_E_UNKNOWN_RECIPIENT) return reportUnresolved(*this, IDS_NO_MATCH, showDialog, window);
    if (rc == MAPI_E_AMBIGUOUS_RECIPIENT) return reportUnresolved(*this, IDS_AMBIGUOUS, showDialog, window);
    if (rc != SUCCESS_SUCCESS) return job->reportMapiResult(showDialog, rc, "MAPIResolveName");

    // Name, descriptor and state change together, or not at all.
    MapiRecipDesc *copy = copyRecipDesc(result.descriptor());
    if (!copy) return UXD_E_OUT_OF_MEMORY;
    copy->ulRecipClass = recipClass;
    char *displayName = duplicateText(copy->lpszName);
    if (copy->lpszName && !displayName) {
        releaseRecipDesc(copy);
        return UXD_E_OUT_OF_MEMORY;
    }
    release(name);
    name = displayName;
    takeResolved(copy);
    return UXD_SUCCESS;
}

namespace uxd {

UXDResult resolveRecipients(MAPIDestination *job, MAPIRecipient *list, bool showDialog,
                            HWND window) noexcept {
    UXDResult last = UXD_SUCCESS;
    for (MAPIRecipient *r = list; r; r = r->next) {
        UXDResult rc = r->resolve(job->session, showDialog, window);
        if (rc != UXD_SUCCESS) last = rc;
    }
    return last;
}

}  // namespace uxd
