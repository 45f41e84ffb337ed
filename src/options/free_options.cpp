// Releasing an options record that the module handed to the host.
#include <cstddef>

#include "allocation.h"
#include "byte_fields.h"
#include "flat_block.h"
#include "uxdmapi.h"

namespace {
using namespace uxd;

bool isPointerForm(const MAPIDestinationOptions *record) {
    return readField<uint16_t>(record, kStructSizeField) >= UXD_OPTIONS_SIZE &&
           readField<uint16_t>(record, kFlatSizeField) == 0;
}

void releaseOwnedParts(MAPIDestinationOptions *record) {
    // Only the password is a secret: wiping the others (the message alone may be 33 KB in
    // UTF-16) would cost the host time for nothing.
    for (int text = 0; text < kOptionTextCount; ++text) {
        void *part = readField<void *>(record, kOptionTextField[text]);
        if (text == kPassword) releaseSecret(part);
        else release(part);
    }
    auto *table = readField<UXDRecipDesc *>(record, kTableField);
    if (!table) return;
    uint16_t count = readField<uint16_t>(record, kCountField);
    for (uint16_t i = 0; i < count; ++i) {
        release(table[i].lpszName);
        release(table[i].lpszAddress);
        release(table[i].lpEntryID);
    }
    release(table);
    writeField<UXDRecipDesc *>(record, kTableField, nullptr);
}
}  // namespace

void uxd::releaseOptionsRecord(void *options) noexcept {
    auto *record = static_cast<MAPIDestinationOptions *>(options);
    if (!record) return;
    // A flat block or an older, shorter layout is one allocation: its fields are offsets
    // or belong to nobody here. A flat block holds the password, so blocks are wiped whole.
    if (isPointerForm(record)) releaseOwnedParts(record);
    releaseSecret(record);
}
