// Releasing an options record that the module handed to the host.
#include <cstddef>

#include "allocation.h"
#include "byte_fields.h"
#include "uxdmapi.h"

namespace {
// The record is packed: its pointer fields are read by offset.
constexpr std::size_t kTextFields[] = {
    offsetof(MAPIDestinationOptions, toNames),     offsetof(MAPIDestinationOptions, ccNames),
    offsetof(MAPIDestinationOptions, bccNames),    offsetof(MAPIDestinationOptions, subject),
    offsetof(MAPIDestinationOptions, message),     offsetof(MAPIDestinationOptions, profileName),
    offsetof(MAPIDestinationOptions, password)};

bool isPointerForm(const MAPIDestinationOptions *record) {
    return uxd::readField<uint16_t>(record, offsetof(MAPIDestinationOptions, structSize)) >= UXD_OPTIONS_SIZE &&
           uxd::readField<uint16_t>(record, offsetof(MAPIDestinationOptions, flatSize)) == 0;
}

void releaseOwnedParts(MAPIDestinationOptions *record) {
    for (std::size_t field : kTextFields) uxd::release(uxd::readField<void *>(record, field));
    auto *table = uxd::readField<UXDRecipDesc *>(record, offsetof(MAPIDestinationOptions, recipients));
    if (!table) return;
    uint16_t count = uxd::readField<uint16_t>(record, offsetof(MAPIDestinationOptions, nRecipients));
    for (uint16_t i = 0; i < count; ++i) {
        uxd::release(table[i].lpszName);
        uxd::release(table[i].lpszAddress);
        uxd::release(table[i].lpEntryID);
    }
    uxd::release(table);
    uxd::writeField<UXDRecipDesc *>(record, offsetof(MAPIDestinationOptions, recipients), nullptr);
}
}  // namespace

extern "C" UXDResult UXD_CALL UXDFreeDestinationOptions(uint32_t, MAPIDestinationOptions *record) noexcept {
    if (!record) return UXD_SUCCESS;
    // A flat block or an older, shorter layout is one allocation: its fields are offsets
    // or belong to nobody here.
    if (isPointerForm(record)) releaseOwnedParts(record);
    uxd::release(record);
    return UXD_SUCCESS;
}
