// The one copy of a recipient's row (name, address, entry identifier), for every row type
// laid out as MapiRecipDesc: Simple MAPI's own and the host's tables in either width. Every
// part the source has is copied and the answer says whether all of them were; what a row
// with a part missing means is said by each caller beside its call. Free of Windows: the
// conversions use it under the sanitizers too.
#pragma once

#include <cstdint>

#include "allocation.h"

namespace uxd {

// The identifier its size promises; null when there is none or the copy fails.
inline void *copyEntryId(const void *id, uint32_t size) noexcept {
    return size && id ? duplicateBytes(id, size) : nullptr;
}

// copyText(source, copy) sets copy (null for a null source) and says whether it copied.
template <class From, class To, class CopyText>
bool copyRecipientRow(const From &from, To &to, CopyText &&copyText) noexcept {
    to.ulReserved = from.ulReserved;
    to.ulRecipClass = from.ulRecipClass;
    to.ulEIDSize = from.ulEIDSize;
    bool name = copyText(from.lpszName, to.lpszName);
    bool address = copyText(from.lpszAddress, to.lpszAddress);
    to.lpEntryID = copyEntryId(from.lpEntryID, from.ulEIDSize);
    return name && address && (to.lpEntryID || !from.ulEIDSize);
}

// Rows of the same width: the strings duplicated as they are.
template <class From, class To>
bool copyRecipientRow(const From &from, To &to) noexcept {
    return copyRecipientRow(from, to, [](const char *text, char *&copy) {
        copy = duplicateText(text);
        return copy || !text;
    });
}

template <class Row>
void releaseRecipientRow(Row &row) noexcept {
    release(row.lpszName);
    release(row.lpszAddress);
    release(row.lpEntryID);
    row.lpszName = nullptr;
    row.lpszAddress = nullptr;
    row.lpEntryID = nullptr;
}

}  // namespace uxd
