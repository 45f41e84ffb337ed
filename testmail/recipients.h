// Simple MAPI recipient descriptors: the ones the caller passes in, as log lines, and the
// ones handed out, each array one MAPI buffer with its texts and entry ids chained onto it.
#pragma once

#include <windows.h>
#include <mapi.h>

#include <vector>

#include "directory.h"
#include "log.h"

namespace testmail {

void logRecipient(LogLine &line, const char *what, const MapiRecipDesc &recip);
void logRecipients(LogLine &line, const char *what, const MapiRecipDesc *recips, ULONG count);

// Throws std::bad_alloc; nothing is left allocated then.
lpMapiRecipDesc newRecipient(const BookEntry &entry, ULONG recipClass);
lpMapiRecipDesc newRecipients(const std::vector<Picked> &picks);

// MAPI_E_UNKNOWN_RECIPIENT, MAPI_E_AMBIGUOUS_RECIPIENT or SUCCESS_SUCCESS.
ULONG lookupResult(const Lookup &lookup);

}  // namespace testmail
