// Simple MAPI recipient descriptors; see recipients.h.
#include "recipients.h"

#include "buffers.h"

namespace testmail {
namespace {

void fill(void *head, MapiRecipDesc &recip, const BookEntry &entry, ULONG recipClass) {
    recip.ulRecipClass = recipClass;
    recip.lpszName = chainText(head, entry.name);
    recip.lpszAddress = chainText(head, entry.address);
    recip.ulEIDSize = static_cast<ULONG>(entry.entryId.size());
    recip.lpEntryID = entry.entryId.empty() ? nullptr : chainBytes(head, entry.entryId);
}

}  // namespace

void logRecipient(LogLine &line, const char *what, const MapiRecipDesc &recip) {
    line.detail(what).number("class", recip.ulRecipClass).text("name", recip.lpszName);
    line.text("address", recip.lpszAddress).bytes("eid", recip.lpEntryID, recip.ulEIDSize);
}

void logRecipients(LogLine &line, const char *what, const MapiRecipDesc *recips, ULONG count) {
    for (ULONG i = 0; recips && i < count; ++i) logRecipient(line, what, recips[i]);
}

lpMapiRecipDesc newRecipient(const BookEntry &entry, ULONG recipClass) {
    OwnedBuffer owner;
    MapiRecipDesc *recip = newBuffer<MapiRecipDesc>(1, owner);
    fill(recip, *recip, entry, recipClass);
    owner.release();
    return recip;
}

lpMapiRecipDesc newRecipients(const std::vector<Picked> &picks) {
    if (picks.empty()) return nullptr;
    OwnedBuffer owner;
    MapiRecipDesc *recips = newBuffer<MapiRecipDesc>(picks.size(), owner);
    for (std::size_t i = 0; i < picks.size(); ++i) fill(recips, recips[i], picks[i].entry, picks[i].recipClass);
    owner.release();
    return recips;
}

ULONG lookupResult(const Lookup &lookup) {
    switch (lookup.outcome) {
    case Lookup::found: return SUCCESS_SUCCESS;
    case Lookup::ambiguous: return MAPI_E_AMBIGUOUS_RECIPIENT;
    default: return MAPI_E_UNKNOWN_RECIPIENT;
    }
}

}  // namespace testmail
