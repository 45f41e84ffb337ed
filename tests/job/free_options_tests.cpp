// UXDFreeDestinationOptions for every kind of record: each block it must release is
// released (the seam's count returns to where it was) and nothing else is touched.
#include <gtest/gtest.h>

#include <cstring>

#include "allocation.h"
#include "uxdmapi.h"

using namespace uxd;

namespace {
char *text(const char *value) { return duplicateText(value); }

UXDRecipDesc *table(uint16_t count) {
    auto *entries = static_cast<UXDRecipDesc *>(allocateZeroed(count, sizeof(UXDRecipDesc)));
    for (uint16_t i = 0; i < count; ++i) {
        entries[i].ulRecipClass = 1;
        entries[i].lpszName = text("Ann");
        if (i % 2) entries[i].lpszAddress = text("SMTP:ann@example.com");
        if (i % 2) {
            entries[i].ulEIDSize = 4;
            entries[i].lpEntryID = allocate(4);
        }
    }
    return entries;
}

MAPIDestinationOptions *record(uint16_t structSize) {
    auto *options = static_cast<MAPIDestinationOptions *>(allocateZeroed(1, sizeof(MAPIDestinationOptions)));
    options->structSize = structSize;
    return options;
}
}  // namespace

