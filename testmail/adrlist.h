// ADRLIST handling for the address book: reading an entry's properties for the log, the
// property blocks of resolved and picked recipients, and freeing a caller's list the way
// FreeProws does. Every block comes from and goes back to the MAPI buffer pool.
#pragma once

#include <windows.h>
#include <mapix.h>

#include <vector>

#include "directory.h"
#include "log.h"

namespace testmail {

const SPropValue *findProp(const ADRENTRY &entry, ULONG tag);
void logAdrEntry(LogLine &line, const char *what, const ADRENTRY &entry);  // name, type, entry id

// Each entry's rgPropVals, then the list. Returns how many of those blocks were not ours.
int freeAdrList(LPADRLIST list) noexcept;

// A resolved entry's values: PR_DISPLAY_NAME_A, PR_ENTRYID, PR_EMAIL_ADDRESS_A, PR_ADDRTYPE_A,
// and the entry's PR_RECIPIENT_TYPE when it had one. Throws std::bad_alloc.
LPSPropValue resolvedProps(const BookEntry &entry, const SPropValue *recipientType, ULONG &count);

// The dialog's picks, each entry PR_DISPLAY_NAME_A, PR_RECIPIENT_TYPE, PR_ENTRYID. Throws.
LPADRLIST newPickedList(const std::vector<Picked> &picks);

}  // namespace testmail
