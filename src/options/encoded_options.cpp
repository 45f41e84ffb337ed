// Packing options into one flat ANSI block; see encoded_options.h. Sizes are added in 64
// bits and checked before anything is allocated: a block must never be shorter than what
// is written into it.
#include "encoded_options.h"

#include <cstring>

#include "allocation.h"
#include "flat_block_writer.h"

namespace uxd {
namespace {

uint64_t textBytes(const char *text) { return text ? std::strlen(text) + 1 : 0; }

// An identifier without bytes to copy is not stored at all.
uint32_t storedIdSize(const UXDRecipDesc &entry) { return entry.lpEntryID ? entry.ulEIDSize : 0; }

void placeText(FlatBlockWriter &writer, std::size_t field, const char *text) {
    if (!text) return;  // offset 0
    uint64_t bytes = textBytes(text);
    std::memcpy(writer.room(field, bytes), text, bytes);
}

}  // namespace

UXDResult encodeOptions(const char *const texts[kOptionTextCount], const UXDRecipDesc *entries,
                        uint32_t count, unsigned char **block, uint16_t *flatSize) noexcept {
    if (!block || !flatSize) return UXD_E_INVALID_ARGUMENT;
    *block = nullptr;
    if (!texts || (count != 0 && !entries)) return UXD_E_INVALID_ARGUMENT;
    if (count > kMaxFlatSize / kEntrySize) return UXD_E_INVALID_ARGUMENT;

    uint64_t stringBytes = 0;
    for (int i = 0; i < kOptionTextCount; ++i) stringBytes += textBytes(texts[i]);
    uint64_t entryIdBytes = 0;
    for (uint32_t i = 0; i < count; ++i) {
        stringBytes += textBytes(entries[i].lpszName) + textBytes(entries[i].lpszAddress);
        entryIdBytes += storedIdSize(entries[i]);
    }
    FlatBlockWriter writer;
    if (UXDResult r = writer.begin(uint16_t(count), stringBytes, entryIdBytes)) return r;
    for (int i = 0; i < kOptionTextCount; ++i) placeText(writer, kOptionTextField[i], texts[i]);
    writer.table();
    for (uint16_t i = 0; i < count; ++i) {
        const UXDRecipDesc &entry = entries[i];
        writer.row(i, entry.ulReserved, entry.ulRecipClass, storedIdSize(entry));
        placeText(writer, writer.nameField(i), entry.lpszName);
        placeText(writer, writer.addressField(i), entry.lpszAddress);
        writer.entryId(i, entry.lpEntryID, storedIdSize(entry));
    }
    *flatSize = writer.size();
    *block = writer.take();
    return UXD_SUCCESS;
}

}  // namespace uxd
