// Flattening a job's To, Cc and Bcc lists into one Simple MAPI recipient table, for
// sending, for encoding the options and for the address book.
#pragma once

#include <windows.h>
#include <mapi.h>

#include <cstdint>

#include "uxdmapi.h"

class MAPIDestination;
class MAPIRecipient;

namespace uxd {

// Fills table[firstIndex...] from the list, resolving unresolved recipients first when
// asked; 0, or the first failed resolution's code (entries written so far stay).
UXDResult copyRecipientsToTable(MAPIDestination *job, MAPIRecipient *list, bool resolveFirst,
                                uint32_t firstIndex, MapiRecipDesc *table) noexcept;

// *table (module heap, released as a bare array) borrows every string from the recipients,
// so it is valid only while the lists stay as they are. Null with a count of 0.
UXDResult gatherRecipients(MAPIDestination *job, bool resolve, uint32_t *count,
                           MapiRecipDesc **table) noexcept;

}  // namespace uxd
