// Converting between Simple MAPI recipient tables and the address book's entry records.
#include <cstring>

#include "address_book.h"
#include "allocation.h"
#include "send_mail_dialog.h"

namespace uxd {

namespace {
void *copyBlock(const void *source, uint32_t size) noexcept {
    void *copy = allocate(size);  // a size of 0 still gives a block
    if (copy && size && source) std::memcpy(copy, source, size);
    return copy;
}
}  // namespace

HRESULT toAddressBookEntries(uint32_t count, const MapiRecipDesc *table, AddressBookEntry **entries) noexcept {
    if (count == 0) return S_OK;
    if (!table) return E_FAIL;
    AddressBookEntry *made = allocAddressBookEntries(count);
    if (!made) return E_FAIL;
    for (uint32_t i = 0; i < count; ++i) {
        made[i].displayName = duplicateText(table[i].lpszName);
        made[i].recipClass = table[i].ulRecipClass;
        made[i].entryIdSize = table[i].ulEIDSize;
        made[i].entryId = copyBlock(table[i].lpEntryID, table[i].ulEIDSize);
        if (!made[i].entryId || (table[i].lpszName && !made[i].displayName)) {
            releaseAddressBookEntries(made, count);
            return E_FAIL;
        }
    }
    *entries = made;
    return S_OK;
}

HRESULT fromAddressBookEntries(uint32_t count, const AddressBookEntry *entries, MapiRecipDesc **table) noexcept {
    if (count == 0) return S_OK;
    if (!entries) return E_FAIL;
    auto *made = static_cast<MapiRecipDesc *>(allocateZeroed(count, sizeof(MapiRecipDesc)));
    if (!made) return E_FAIL;
    for (uint32_t i = 0; i < count; ++i) {
        made[i].lpszName = duplicateText(entries[i].displayName);
        made[i].ulRecipClass = entries[i].recipClass;
        made[i].ulEIDSize = entries[i].entryIdSize;
        made[i].lpEntryID = copyBlock(entries[i].entryId, entries[i].entryIdSize);
        if (!made[i].lpEntryID || (entries[i].displayName && !made[i].lpszName)) {
            releaseEntryTable(count, made);
            return E_FAIL;
        }
    }
    *table = made;
    return S_OK;
}

void releaseEntryTable(uint32_t count, MapiRecipDesc *table) noexcept {
    if (!table) return;
    for (uint32_t i = 0; i < count; ++i) {
        release(table[i].lpszName);
        release(table[i].lpEntryID);
    }
    release(table);
}

}  // namespace uxd
