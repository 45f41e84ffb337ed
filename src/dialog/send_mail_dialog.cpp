// The Send Mail dialog procedure and its commands: Send, Check Names, Address and Cancel.
#include "send_mail_dialog.h"

#include <cstring>

#include "address_book.h"
#include "allocation.h"
#include "export_job.h"
#include "gather_recipients.h"
#include "module_state.h"
#include "recipient.h"
#include "resolution.h"
#include "resource_ids.h"
#include "simple_mapi.h"
#include "win32_resources.h"

namespace uxd {
namespace {

struct Box {
    int id;
    OwnedText MAPIDestination::*text;
    std::size_t size;
};
const Box kTo = {IDC_TO_BOX, &MAPIDestination::toText, kRecipientTextSize};
const Box kCc = {IDC_CC_BOX, &MAPIDestination::ccText, kRecipientTextSize};
const Box kBcc = {IDC_BCC_BOX, &MAPIDestination::bccText, kRecipientTextSize};
const Box kSubject = {IDC_SUBJECT_BOX, &MAPIDestination::subjectText, kSubjectTextSize};
const Box kMessage = {IDC_MESSAGE_BOX, &MAPIDestination::messageText, kMessageTextSize};

MAPIDestination *jobOf(HWND dialog) noexcept {
    return reinterpret_cast<MAPIDestination *>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// A box the template lacks (Bcc) reads as empty text and ignores writes.
void readBox(HWND dialog, MAPIDestination &job, const Box &box) noexcept {
    char *text = job.*box.text;
    text[0] = '\0';
    GetDlgItemTextA(dialog, box.id, text, static_cast<int>(box.size));
}

void writeBox(HWND dialog, MAPIDestination &job, const Box &box) noexcept {
    SetDlgItemTextA(dialog, box.id, job.*box.text);
}

void writeRecipientBoxes(HWND dialog, MAPIDestination &job) noexcept {
    for (const Box *box : {&kTo, &kCc, &kBcc}) writeBox(dialog, job, *box);
}

INT_PTR onInitDialog(HWND dialog, MAPIDestination *job) noexcept {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(job));
    for (const Box *box : {&kSubject, &kMessage, &kTo, &kCc, &kBcc}) writeBox(dialog, *job, *box);
    SetFocus(GetDlgItem(dialog, IDC_TO_BOX));
    return FALSE;  // the focus is set
}

void onCommand(HWND dialog, MAPIDestination &job, int command) noexcept {
    switch (command) {
    case IDOK:
        if (!checkNames(dialog, true, true)) return;
        readBox(dialog, job, kSubject);
        readBox(dialog, job, kMessage);
        EndDialog(dialog, IDOK);
        return;
    case IDC_CHECK_NAMES:
        checkNames(dialog, true, false);
        return;
    case IDC_ADDRESS:
        checkNames(dialog, false, false);
        addressRecipients(&job, dialog);
        writeRecipientBoxes(dialog, job);
        return;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return;
    default:
        return;
    }
}

// The address book's choice as a Simple MAPI table (module heap), or an error code.
HRESULT chooseThroughAddressBook(MAPIDestination &job, HWND dialog, uint32_t count, const MapiRecipDesc *table,
                                 uint32_t *chosenCount, MapiRecipDesc **chosen) noexcept {
    HRESULT rc = S_OK;
    if (!extendedMapi.bound) rc = bindExtendedMapi(job.mapiLibrary.get());
    if (!extendedMapi.bound) return rc;
    AddressBookEntry *entries = nullptr;
    rc = toAddressBookEntries(count, table, &entries);
    if (FAILED(rc)) return rc;
    uint32_t working = count;
    rc = chooseFromAddressBook(dialog, job.profileName, job.password, &working, &entries);
    if (rc == S_OK && entries) {
        rc = fromAddressBookEntries(working, entries, chosen);
        if (rc == S_OK) *chosenCount = working;
    }
    releaseAddressBookEntries(entries, working);
    return rc;
}

}  // namespace

UXDResult runSendMailDialog(MAPIDestination &job) noexcept {
    HINSTANCE resources = RMGetResDLLInstance(module.resourceSession, job.language, job.parentWindow);
    if (!resources) resources = module.moduleInstance;
    INT_PTR result = DialogBoxParamA(resources, "MAPI_SPOOLER", job.parentWindow, sendMailDialogProc,
                                     reinterpret_cast<LPARAM>(&job));
    return result == IDOK ? UXD_SUCCESS : UXD_E_CANCELLED;  // -1 (no dialog) counts as a cancel
}

INT_PTR CALLBACK sendMailDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) return onInitDialog(dialog, reinterpret_cast<MAPIDestination *>(lParam));
    if (message != WM_COMMAND) return FALSE;
    if (MAPIDestination *job = jobOf(dialog)) onCommand(dialog, *job, LOWORD(wParam));
    return TRUE;
}

bool checkNames(HWND dialog, bool resolve, bool requireTo) noexcept {
    MAPIDestination *job = jobOf(dialog);
    if (!job) return false;
    for (const Box *box : {&kTo, &kCc, &kBcc}) readBox(dialog, *job, *box);

    uint32_t toCount = 0, unused = 0;
    UXDResult to = UXD_SUCCESS, cc = UXD_SUCCESS, bcc = UXD_SUCCESS;
    {
        WaitCursor wait;
        to = syncRecipientBox(job, job->toText, kRecipientTextSize, resolve, dialog, &job->toList.head, &toCount, MAPI_TO);
        if (to != UXD_E_CANCELLED)
            cc = syncRecipientBox(job, job->ccText, kRecipientTextSize, resolve, dialog, &job->ccList.head, &unused, MAPI_CC);
        if (to != UXD_E_CANCELLED && cc != UXD_E_CANCELLED)
            bcc = syncRecipientBox(job, job->bccText, kRecipientTextSize, resolve, dialog, &job->bccList.head, &unused,
                                   MAPI_BCC);
    }
    if (to == UXD_E_CANCELLED || cc == UXD_E_CANCELLED || bcc == UXD_E_CANCELLED) return false;
    writeRecipientBoxes(dialog, *job);
    if (to != UXD_SUCCESS) return false;
    if (toCount == 0 && requireTo) {
        char text[kMessageBufferSize];
        job->loadText(IDS_TO_REQUIRED, text);
        MessageBoxA(dialog, text, nullptr, MB_ICONHAND | MB_OK);
        return false;
    }
    return cc == UXD_SUCCESS && bcc == UXD_SUCCESS;
}

UXDResult syncRecipientBox(MAPIDestination *job, char *text, std::size_t textSize, bool resolve, HWND dialog,
                           MAPIRecipient **list, uint32_t *toCount, uint32_t recipientClass) noexcept {
    MAPIRecipient *parsed = nullptr;
    UXDResult rc = parseRecipients(job, text, &parsed, recipientClass);
    if (rc != UXD_SUCCESS) return rc;
    reconcileRecipients(job, list, parsed);
    *toCount = countRecipients(*list);
    rc = resolve ? resolveRecipients(job, *list, true, dialog) : UXD_SUCCESS;
    joinRecipients(job, *list, text, textSize);
    return rc;
}

void reconcileRecipients(MAPIDestination *, MAPIRecipient **list, MAPIRecipient *parsed) noexcept {
    MAPIRecipient *old = *list;
    *list = nullptr;
    while (parsed) {
        MAPIRecipient *typed = parsed;
        parsed = parsed->next;
        typed->next = nullptr;
        MAPIRecipient **match = &old;
        while (*match && !((*match)->name && _stricmp((*match)->name, typed->name) == 0)) match = &(*match)->next;
        if (*match) {  // typed again: keep what is known about it
            MAPIRecipient *kept = *match;
            *match = kept->next;
            kept->next = nullptr;
            uxd::destroy(typed);
            typed = kept;
        }
        typed->next = *list;
        *list = typed;
    }
    reverseRecipients(list);
    uxd::destroy(old);  // names no longer typed
}

void addressRecipients(MAPIDestination *job, HWND dialog) noexcept {
    uint32_t count = 0;
    MapiRecipDesc *table = nullptr;
    {
        WaitCursor wait;
        if (gatherRecipients(job, false, &count, &table) != UXD_SUCCESS) return;
    }
    uint32_t chosenCount = 0;
    MapiRecipDesc *chosen = nullptr;
    bool fromSimpleMapi = !useAddressBook();
    HRESULT rc;
    if (fromSimpleMapi) {
        ULONG newCount = 0;
        rc = static_cast<HRESULT>(simpleMapi.address(job->session, reinterpret_cast<ULONG_PTR>(dialog), nullptr, 2,
                                                     nullptr, count, table, 0, 0, &newCount, &chosen));
        chosenCount = newCount;
    } else {
        rc = chooseThroughAddressBook(*job, dialog, count, table, &chosenCount, &chosen);
    }
    release(table);  // its strings are the recipients'
    // A failure is not reported; the lists, and so the boxes, then stay as they were.
    if (rc == S_OK && setRecipientsFromTable(job, chosenCount, chosen) != UXD_SUCCESS) rc = E_FAIL;
    if (fromSimpleMapi) {
        if (chosen) simpleMapi.freeBuffer(chosen);
    } else {
        releaseEntryTable(chosenCount, chosen);
    }
    if (rc != S_OK) return;
    joinRecipients(job, job->toList.head, job->toText, kRecipientTextSize);
    joinRecipients(job, job->ccList.head, job->ccText, kRecipientTextSize);
    joinRecipients(job, job->bccList.head, job->bccText, kRecipientTextSize);
}

}  // namespace uxd
