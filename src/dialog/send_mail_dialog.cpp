// The Send Mail dialog procedure and its commands: Send, Check Names, Address and Cancel.
#include "send_mail_dialog.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "address_book.h"
#include "allocation.h"
#include "export_job.h"
#include "gather_recipients.h"
#include "module_state.h"
#include "owned_block.h"
#include "recipient.h"
#include "recipient_text.h"
#include "resolution.h"
#include "resource_ids.h"
#include "simple_mapi.h"
#include "win32_resources.h"

namespace uxd {
namespace {

// A box of the dialog and the job's text it edits.
struct Box {
    int id;
    OptionText text;
};
const Box kTo = {IDC_TO_BOX, kToNames};
const Box kCc = {IDC_CC_BOX, kCcNames};
const Box kBcc = {IDC_BCC_BOX, kBccNames};
const Box kSubjectBox = {IDC_SUBJECT_BOX, kSubject};
const Box kMessageBox = {IDC_MESSAGE_BOX, kMessage};

// Writes a list into its box's text. What the box shows is what is sent: the names it has
// no room for (the last ones) leave the list, since Send reads the boxes again.
void showRecipients(MAPIRecipient **list, char *text, std::size_t size) noexcept {
    RecipientJoiner joiner(text, size);
    MAPIRecipient **rest = list;
    while (*rest && joiner.append((*rest)->name)) rest = &(*rest)->next;
    destroy(*rest);
    *rest = nullptr;
}

MAPIDestination *jobOf(HWND dialog) noexcept {
    return reinterpret_cast<MAPIDestination *>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// A box the template lacks (Bcc) reads as empty text and ignores writes.
void readBox(HWND dialog, MAPIDestination &job, const Box &box) noexcept {
    const JobText &text = kJobTexts[box.text];
    (job.*text.buffer)[0] = '\0';
    GetDlgItemTextA(dialog, box.id, job.*text.buffer, static_cast<int>(text.size));
}

void writeBox(HWND dialog, MAPIDestination &job, const Box &box) noexcept {
    SetDlgItemTextA(dialog, box.id, job.*kJobTexts[box.text].buffer);
}

void writeRecipientBoxes(HWND dialog, MAPIDestination &job) noexcept {
    for (const Box *box : {&kTo, &kCc, &kBcc}) writeBox(dialog, job, *box);
}

INT_PTR onInitDialog(HWND dialog, MAPIDestination *job) noexcept {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(job));
    for (const Box *box : {&kSubjectBox, &kMessageBox, &kTo, &kCc, &kBcc}) writeBox(dialog, *job, *box);
    SetFocus(GetDlgItem(dialog, IDC_TO_BOX));
    return FALSE;  // the focus is set
}

void onCommand(HWND dialog, MAPIDestination &job, int command) noexcept {
    switch (command) {
    case IDOK:
        if (!checkNames(dialog, true, true)) return;
        readBox(dialog, job, kSubjectBox);
        readBox(dialog, job, kMessageBox);
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

// The address book's choice as a table on the module's heap, or an error code. The current
// recipients are handed over whole or not at all.
HRESULT chooseThroughAddressBook(MAPIDestination &job, HWND dialog, uint32_t count, const MapiRecipDesc *table,
                                 RecipientTable &chosen) noexcept {
    AddressBook book;
    HRESULT rc = reachAddressBook(job, dialog, book);
    if (FAILED(rc)) return rc;
    if (!chosen.copy(count, table)) return E_FAIL;
    return chooseFromAddressBook(book, dialog, chosen);
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
    rc = resolve ? resolveRecipients(job, *list, true, dialog) : UXD_SUCCESS;
    showRecipients(list, text, textSize);  // resolved names may be longer than typed ones
    *toCount = countRecipients(*list);
    return rc;
}

namespace {

// Takes `typed` into the list being built, or the known recipient `kept` in its place.
void append(MAPIRecipient **&tail, MAPIRecipient *typed, MAPIRecipient *kept) noexcept {
    typed->next = nullptr;  // detached first: destroying a recipient destroys its chain
    if (kept) {  // typed again: keep what is known about it
        uxd::destroy(typed);
        typed = kept;
    }
    *tail = typed;
    tail = &typed->next;
}

// Without room for an index: the same result by searching the old list for each name.
void reconcileBySearch(MAPIRecipient **list, MAPIRecipient *parsed) noexcept {
    MAPIRecipient *old = *list;
    MAPIRecipient **tail = list;
    *list = nullptr;
    while (MAPIRecipient *typed = parsed) {
        parsed = parsed->next;
        MAPIRecipient **match = &old;
        while (*match && !((*match)->name && _stricmp((*match)->name, typed->name) == 0)) match = &(*match)->next;
        MAPIRecipient *kept = *match;
        if (kept) *match = kept->next;
        append(tail, typed, kept);
    }
    uxd::destroy(old);  // names no longer typed
}

// The old list by name (case ignored), each entry with its place in the list: a typed name
// takes the earliest unclaimed recipient of that name, as a search from the front would.
struct Known {
    MAPIRecipient *recipient;  // null once claimed
    const char *name;
    uint32_t position;
};

bool before(const Known &a, const Known &b) noexcept {
    if (!a.name || !b.name) return a.name && !b.name;  // nameless ones last, never matched
    int order = _stricmp(a.name, b.name);
    return order != 0 ? order < 0 : a.position < b.position;
}

MAPIRecipient *claim(Known *index, uint32_t count, const char *name) noexcept {
    if (!name) return nullptr;
    Known probe = {nullptr, name, 0};
    Known *at = std::lower_bound(index, index + count, probe, before);
    for (; at != index + count && at->name && _stricmp(at->name, name) == 0; ++at)
        if (at->recipient) return std::exchange(at->recipient, nullptr);
    return nullptr;
}

}  // namespace

void reconcileRecipients(MAPIDestination *, MAPIRecipient **list, MAPIRecipient *parsed) noexcept {
    uint32_t count = countRecipients(*list);
    unique_block<Known> index(static_cast<Known *>(allocate((count ? count : 1) * sizeof(Known))));
    if (!index) return reconcileBySearch(list, parsed);
    uint32_t position = 0;
    for (MAPIRecipient *old = *list; old; ++position) {  // each known one on its own
        index.get()[position] = {old, old->name, position};
        old = std::exchange(old->next, nullptr);
    }
    std::sort(index.get(), index.get() + count, before);
    MAPIRecipient **tail = list;
    *list = nullptr;
    while (MAPIRecipient *typed = parsed) {
        parsed = parsed->next;
        append(tail, typed, claim(index.get(), count, typed->name));
    }
    for (uint32_t i = 0; i < count; ++i) uxd::destroy(index.get()[i].recipient);  // names no longer typed
}

void addressRecipients(MAPIDestination *job, HWND dialog) noexcept {
    uint32_t count = 0;
    unique_block<MapiRecipDesc> table;  // its strings are the recipients'
    {
        WaitCursor wait;
        if (gatherRecipients(job, false, &count, table.put()) != UXD_SUCCESS) return;
    }
    HRESULT rc = S_OK;
    unique_mapi_buffer<MapiRecipDesc> fromSimpleMapi;
    RecipientTable fromAddressBook;
    const MapiRecipDesc *chosen = nullptr;
    uint32_t chosenCount = 0;
    if (addressBookInReach(*job)) {
        rc = chooseThroughAddressBook(*job, dialog, count, table.get(), fromAddressBook);
        chosen = fromAddressBook.rows();
        chosenCount = fromAddressBook.count();
    }
    if (!addressBookInReach(*job)) {
        ULONG simpleCount = 0;
        ULONG result = simpleMapi.address(job->session, reinterpret_cast<ULONG_PTR>(dialog), nullptr, 2, nullptr,
                                          count, table.get(), 0, 0, &simpleCount, fromSimpleMapi.put());
        // Where the client offers no address book of either kind, the user is told why nothing
        // opened; before Windows 6.1 the command stays silent, as it always was.
        if (useAddressBook() && result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT)
            job->reportMapiResult(1, result, "MAPIAddress");
        rc = static_cast<HRESULT>(result);
        chosen = fromSimpleMapi.get();
        chosenCount = simpleCount;
    }
    // Any other failure is not reported; the lists, and so the boxes, then stay as they were.
    if (rc != S_OK || setRecipientsFromTable(job, chosenCount, chosen) != UXD_SUCCESS) return;
    showRecipients(&job->toList.head, job->toText, kRecipientTextSize);
    showRecipients(&job->ccList.head, job->ccText, kRecipientTextSize);
    showRecipients(&job->bccList.head, job->bccText, kRecipientTextSize);
}

}  // namespace uxd
