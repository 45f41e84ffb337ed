// ADRLIST helpers; see adrlist.h.
#include "adrlist.h"

#include <cstddef>

#include "buffers.h"

namespace testmail {
namespace {

struct AdrListDeleter {
    void operator()(LPADRLIST list) const noexcept { freeAdrList(list); }
};
using OwnedList = std::unique_ptr<ADRLIST, AdrListDeleter>;

void setText(void *head, SPropValue &value, ULONG tag, const std::string &text) {
    value.ulPropTag = tag;
    value.Value.lpszA = chainText(head, text);
}

void setEntryId(void *head, SPropValue &value, const Bytes &entryId) {
    value.ulPropTag = PR_ENTRYID;
    value.Value.bin.cb = static_cast<ULONG>(entryId.size());
    value.Value.bin.lpb = entryId.empty() ? nullptr : chainBytes(head, entryId);
}

}  // namespace

const SPropValue *findProp(const ADRENTRY &entry, ULONG tag) {
    for (ULONG i = 0; entry.rgPropVals && i < entry.cValues; ++i)
        if (entry.rgPropVals[i].ulPropTag == tag) return &entry.rgPropVals[i];
    return nullptr;
}

void logAdrEntry(LogLine &line, const char *what, const ADRENTRY &entry) {
    const SPropValue *name = findProp(entry, PR_DISPLAY_NAME_A);
    const SPropValue *type = findProp(entry, PR_RECIPIENT_TYPE);
    const SPropValue *entryId = findProp(entry, PR_ENTRYID);
    line.detail(what).text("name", name ? name->Value.lpszA : nullptr);
    if (type) line.number("type", type->Value.l);
    else line.word("type", "none");
    line.bytes("eid", entryId ? entryId->Value.bin.lpb : nullptr, entryId ? entryId->Value.bin.cb : 0);
}

int freeAdrList(LPADRLIST list) noexcept {
    if (!list) return 0;
    int foreign = 0;
    for (ULONG i = 0; i < list->cEntries; ++i)
        if (list->aEntries[i].rgPropVals && !freeBuffer(list->aEntries[i].rgPropVals)) ++foreign;
    return foreign + (freeBuffer(list) ? 0 : 1);
}

LPSPropValue resolvedProps(const BookEntry &entry, const SPropValue *recipientType, ULONG &count) {
    OwnedBuffer owner;
    count = recipientType ? 5 : 4;
    SPropValue *values = newBuffer<SPropValue>(count, owner);
    setText(values, values[0], PR_DISPLAY_NAME_A, entry.name);
    setEntryId(values, values[1], entry.entryId);
    setText(values, values[2], PR_EMAIL_ADDRESS_A, addressWithoutType(entry.address));
    setText(values, values[3], PR_ADDRTYPE_A, addressType(entry.address));
    if (recipientType) values[4] = *recipientType;  // a long: nothing to copy behind it
    owner.release();
    return values;
}

LPADRLIST newPickedList(const std::vector<Picked> &picks) {
    OwnedBuffer head;
    auto *list = static_cast<LPADRLIST>(newBufferBytes(CbNewADRLIST(picks.size()), head));
    head.release();
    OwnedList owner(list);  // from here on the list and its rows are freed together
    list->cEntries = static_cast<ULONG>(picks.size());
    for (std::size_t i = 0; i < picks.size(); ++i) {
        OwnedBuffer row;
        SPropValue *values = newBuffer<SPropValue>(3, row);
        list->aEntries[i].rgPropVals = values;
        list->aEntries[i].cValues = 3;
        row.release();
        setText(values, values[0], PR_DISPLAY_NAME_A, picks[i].entry.name);
        values[1].ulPropTag = PR_RECIPIENT_TYPE;
        values[1].Value.l = static_cast<LONG>(picks[i].recipClass);
        setEntryId(values, values[2], picks[i].entry.entryId);
    }
    return owner.release();
}

}  // namespace testmail
