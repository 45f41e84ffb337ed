#include "gather_recipients.h"

#include "allocation.h"
#include "export_job.h"
#include "recipient.h"

namespace uxd {

UXDResult copyRecipientsToTable(MAPIDestination *job, MAPIRecipient *list, bool resolveFirst,
                                uint32_t firstIndex, MapiRecipDesc *table) noexcept {
    MapiRecipDesc *entry = table + firstIndex;
    for (MAPIRecipient *r = list; r; r = r->next, ++entry) {
        if (resolveFirst && !r->isResolved) {
            UXDResult rc = r->resolve(job->session, false, nullptr);
            if (rc != UXD_SUCCESS) return rc;
        }
        if (r->isResolved) {
            *entry = *r->resolved;  // pointers borrowed as they are
        } else {
            entry->ulRecipClass = r->recipClass;
            entry->lpszName = r->name;
        }
    }
    return UXD_SUCCESS;
}

UXDResult gatherRecipients(MAPIDestination *job, bool resolve, uint32_t *count,
                           MapiRecipDesc **table) noexcept {
    *count = 0;
    *table = nullptr;
    uint32_t to = countRecipients(job->toList.head), cc = countRecipients(job->ccList.head);
    *count = to + cc + countRecipients(job->bccList.head);
    if (*count == 0) return UXD_SUCCESS;
    auto *entries = static_cast<MapiRecipDesc *>(allocateZeroed(*count, sizeof(MapiRecipDesc)));
    if (!entries) return UXD_E_OUT_OF_MEMORY;
    UXDResult rc = copyRecipientsToTable(job, job->toList.head, resolve, 0, entries);
    if (rc == UXD_SUCCESS) rc = copyRecipientsToTable(job, job->ccList.head, resolve, to, entries);
    if (rc == UXD_SUCCESS) rc = copyRecipientsToTable(job, job->bccList.head, resolve, to + cc, entries);
    if (rc != UXD_SUCCESS) {
        release(entries);
        return rc;
    }
    *table = entries;
    return UXD_SUCCESS;
}

}  // namespace uxd
