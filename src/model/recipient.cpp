// Recipients and recipient lists of an export job.
#include "recipient.h"

#include <cstring>

#include "allocation.h"
#include "export_job.h"
#include "recipient_text.h"

using namespace uxd;

void *MAPIRecipient::operator new(std::size_t bytes) noexcept { return allocate(bytes); }
void MAPIRecipient::operator delete(void *block) noexcept { release(block); }

MAPIRecipient::MAPIRecipient(MAPIDestination *owner, uint32_t typedClass, const char *typedName) noexcept
    : job(owner), recipClass(typedClass), name(duplicateText(typedName)), language(owner->language) {}

MAPIRecipient::MAPIRecipient(MAPIDestination *owner, const MapiRecipDesc &descriptor) noexcept
    : job(owner), recipClass(descriptor.ulRecipClass), name(duplicateText(descriptor.lpszName)),
      language(owner->language) {
    takeResolved(copyRecipDesc(descriptor));
}

MAPIRecipient::~MAPIRecipient() {
    MAPIRecipient *rest = next;
    next = nullptr;
    while (rest) {
        MAPIRecipient *after = rest->next;
        rest->next = nullptr;
        destroy(rest);
        rest = after;
    }
    releaseRecipDesc(resolved);
    release(name);
}

void *MAPIRecipient::deletingDestructor(uint32_t flags) noexcept {
    this->~MAPIRecipient();
    if (flags & kReleaseMemory) operator delete(this);
    return this;
}

RecipientList::~RecipientList() { destroy(head); }

bool MAPIRecipient::copiedWhole(const MapiRecipDesc &descriptor) const noexcept {
    return (name || !descriptor.lpszName) && resolved;
}

void MAPIRecipient::takeResolved(MapiRecipDesc *descriptor) noexcept {
    releaseRecipDesc(resolved);
    resolved = descriptor;
    isResolved = identifiesRecipient(resolved) ? 1 : 0;
}

namespace uxd {

bool identifiesRecipient(const MapiRecipDesc *descriptor) noexcept {
    return descriptor && (descriptor->lpszAddress || descriptor->lpEntryID);
}

MapiRecipDesc *copyRecipDesc(const MapiRecipDesc &source) noexcept {
    auto *copy = static_cast<MapiRecipDesc *>(allocateZeroed(1, sizeof(MapiRecipDesc)));
    if (copy && !copyRecipientRow(source, *copy)) {  // a part missing: it could be somebody else
        releaseRecipDesc(copy);
        return nullptr;
    }
    return copy;
}

void releaseRecipDesc(MapiRecipDesc *descriptor) noexcept {
    if (!descriptor) return;
    releaseRecipientRow(*descriptor);
    release(descriptor);
}

bool RecipientTable::copy(uint32_t count, const MapiRecipDesc *table) noexcept {
    if (!allocate(count)) return false;
    for (uint32_t i = 0; i < count; ++i)
        if (!copyRecipientRow(table[i], rows()[i])) return false;  // the caller decides; the rows stay owned
    return true;
}

UXDResult parseRecipients(MAPIDestination *job, const char *text, MAPIRecipient **head,
                          uint32_t recipClass) noexcept {
    *head = nullptr;
    char *workingCopy = duplicateText(text);
    if (!workingCopy) return UXD_E_OUT_OF_MEMORY;
    bool complete = forEachRecipientName(workingCopy, [&](const char *piece) {
        MAPIRecipient *recipient = new MAPIRecipient(job, recipClass, piece);
        if (!recipient || !recipient->name) {
            destroy(recipient);
            return false;
        }
        recipient->next = *head;
        *head = recipient;
        return true;
    });
    release(workingCopy);
    if (!complete) {
        destroy(*head);
        *head = nullptr;
        return UXD_E_OUT_OF_MEMORY;
    }
    reverseRecipients(head);
    return UXD_SUCCESS;
}

bool joinRecipients(MAPIDestination *, const MAPIRecipient *list, char *buffer,
                    std::size_t capacity) noexcept {
    RecipientJoiner joiner(buffer, capacity);
    for (const MAPIRecipient *r = list; r; r = r->next) joiner.append(r->name);
    return joiner.complete();
}

uint32_t countRecipients(const MAPIRecipient *list) noexcept {
    uint32_t count = 0;
    for (; list; list = list->next) ++count;
    return count;
}

void reverseRecipients(MAPIRecipient **head) noexcept {
    MAPIRecipient *reversed = nullptr;
    while (MAPIRecipient *r = *head) {
        *head = r->next;
        r->next = reversed;
        reversed = r;
    }
    *head = reversed;
}

namespace {
MAPIRecipient **listFor(MAPIRecipient *(&lists)[3], uint32_t recipClass) noexcept {
    return recipClass == MAPI_TO ? &lists[0] : recipClass == MAPI_CC ? &lists[1] : &lists[2];
}
}  // namespace

UXDResult setRecipientsFromTable(MAPIDestination *job, uint32_t count,
                                 const MapiRecipDesc *table) noexcept {
    // A size that promises an identifier the entry does not have: the host's record is wrong,
    // and guessing (dropping the identifier, or resolving the bare name) could reach somebody else.
    for (uint32_t i = 0; i < count; ++i)
        if (table[i].ulEIDSize && !table[i].lpEntryID) return UXD_E_INVALID_ARGUMENT;
    // Built aside and put in only when whole: a recipient that lost its name or descriptor
    // would later be resolved by what is left of it, perhaps as somebody else.
    MAPIRecipient *lists[3] = {};
    for (uint32_t i = count; i-- > 0;) {
        MAPIRecipient *recipient = new MAPIRecipient(job, table[i]);
        if (!recipient || !recipient->copiedWhole(table[i])) {
            destroy(recipient);
            for (MAPIRecipient *list : lists) destroy(list);
            return UXD_E_OUT_OF_MEMORY;
        }
        MAPIRecipient **list = listFor(lists, table[i].ulRecipClass);
        recipient->next = *list;
        *list = recipient;
    }
    MAPIRecipient **jobLists[3] = {&job->toList.head, &job->ccList.head, &job->bccList.head};
    for (int i = 0; i < 3; ++i) {
        destroy(*jobLists[i]);
        *jobLists[i] = lists[i];
    }
    return UXD_SUCCESS;
}

}  // namespace uxd
