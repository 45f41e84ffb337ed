// Packing options into one flat ANSI block; see encoded_options.h. Sizes are added in 64
// bits and checked against the 16-bit fields before anything is allocated: a block must
// never be shorter than what is written into it.
#include "encoded_options.h"

#include <cstring>

#include "allocation.h"
#include "byte_fields.h"

namespace uxd {
namespace {

uint64_t textBytes(const char *text) { return text ? std::strlen(text) + 1 : 0; }

// An identifier without bytes to copy is not stored at all.
uint32_t storedIdSize(const UXDRecipDesc &entry) { return entry.lpEntryID ? entry.ulEIDSize : 0; }

// Copies a string with its NUL to `at`, stores the offset in `field` and advances; a null
// string gets offset 0.
void placeText(unsigned char *block, std::size_t field, const char *text, uint64_t &at) {
    if (!text) return;
    uint64_t bytes = textBytes(text);
    std::memcpy(block + at, text, bytes);
    writeField<uint64_t>(block, field, at);
    at += bytes;
}

}  // namespace

UXDResult encodeOptions(const char *const texts[kOptionTextCount], const UXDRecipDesc *entries,
                        uint32_t count, unsigned char **block, uint16_t *flatSize) noexcept {
    if (!block || !flatSize) return UXD_E_INVALID_ARGUMENT;
    *block = nullptr;
    if (!texts || (count != 0 && !entries)) return UXD_E_INVALID_ARGUMENT;
    if (count > kMaxFlatSize / kEntrySize) return UXD_E_INVALID_ARGUMENT;

    // The 64-bit total bounds every part: each text, stringBytes and entryIdBytes fit their
    // 16-bit fields whenever the whole block does.
    uint64_t stringBytes = 0;
    for (int i = 0; i < kOptionTextCount; ++i) stringBytes += textBytes(texts[i]);
    uint64_t entryIdBytes = 0;
    for (uint32_t i = 0; i < count; ++i) {
        stringBytes += textBytes(entries[i].lpszName) + textBytes(entries[i].lpszAddress);
        entryIdBytes += storedIdSize(entries[i]);
    }
    uint64_t total = kHeaderSize + stringBytes + uint64_t(kEntrySize) * count + entryIdBytes;
    if (total > kMaxFlatSize) return UXD_E_INVALID_ARGUMENT;

    auto *out = static_cast<unsigned char *>(allocateZeroed(total, 1));
    if (!out) return UXD_E_OUT_OF_MEMORY;
    writeField<uint16_t>(out, offsetof(UXDEncodedOptionsHeader, structSize), UXD_OPTIONS_SIZE);
    writeField<uint16_t>(out, offsetof(UXDEncodedOptionsHeader, nRecipients), uint16_t(count));
    writeField<uint16_t>(out, offsetof(UXDEncodedOptionsHeader, flatSize), uint16_t(total));
    writeField<uint16_t>(out, offsetof(UXDEncodedOptionsHeader, stringBytes), uint16_t(stringBytes));
    writeField<uint16_t>(out, offsetof(UXDEncodedOptionsHeader, entryIdBytes), uint16_t(entryIdBytes));

    uint64_t at = kHeaderSize;
    for (int i = 0; i < kOptionTextCount; ++i) placeText(out, kOptionTextField[i], texts[i], at);
    if (count != 0) {
        uint64_t table = at;
        writeField<uint64_t>(out, offsetof(UXDEncodedOptionsHeader, recipients), table);
        at += uint64_t(kEntrySize) * count;
        for (uint32_t i = 0; i < count; ++i) {
            const UXDRecipDesc &entry = entries[i];
            std::size_t row = table + std::size_t(i) * kEntrySize;
            writeField<uint32_t>(out, row + offsetof(UXDEncodedRecipient, ulReserved), entry.ulReserved);
            writeField<uint32_t>(out, row + offsetof(UXDEncodedRecipient, ulRecipClass), entry.ulRecipClass);
            placeText(out, row + offsetof(UXDEncodedRecipient, lpszName), entry.lpszName, at);
            placeText(out, row + offsetof(UXDEncodedRecipient, lpszAddress), entry.lpszAddress, at);
            uint32_t idSize = storedIdSize(entry);
            writeField<uint32_t>(out, row + offsetof(UXDEncodedRecipient, ulEIDSize), idSize);
            if (idSize != 0) {
                std::memcpy(out + at, entry.lpEntryID, idSize);
                writeField<uint64_t>(out, row + offsetof(UXDEncodedRecipient, lpEntryID), at);
                at += idSize;
            }
        }
    }
    *block = out;
    *flatSize = uint16_t(total);
    return UXD_SUCCESS;
}

}  // namespace uxd
