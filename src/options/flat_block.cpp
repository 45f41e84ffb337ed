// Checks of flat options blocks; see flat_block.h. Offsets and sizes are compared in 64-bit
// arithmetic, so no field of a damaged block can wrap a bound.
#include "flat_block.h"

#include <cstring>

#include "byte_fields.h"

namespace uxd {
namespace {

constexpr uint64_t kUnlimited = ~uint64_t(0);

bool insideBlock(uint64_t offset, uint16_t flatSize) {
    return offset >= kHeaderSize && offset < flatSize;
}

// Length with terminator of the string at `offset`, looking at no more than `limit` bytes
// and at nothing from flatSize on; 0 when no terminator lies within that. A UTF-16
// terminator is a zero unit counted from the string's own offset, not any two zero bytes.
uint32_t measure(const unsigned char *base, uint16_t flatSize, uint64_t offset, TextWidth width,
                 uint64_t limit) {
    uint64_t end = flatSize;
    if (limit < end - offset) end = offset + limit;
    if (width == TextWidth::Ansi) {
        const void *zero = std::memchr(base + offset, 0, std::size_t(end - offset));
        return zero ? static_cast<uint32_t>(static_cast<const unsigned char *>(zero) - base - offset + 1) : 0;
    }
    // A zero byte at an even distance with a zero after it; at an odd one it ends a unit
    // whose first byte is not zero (memchr would have found that first).
    for (uint64_t at = offset; at + 1 < end;) {
        const void *found = std::memchr(base + at, 0, std::size_t(end - at));
        if (!found) break;
        uint64_t zero = uint64_t(static_cast<const unsigned char *>(found) - base);
        if ((zero - offset) % 2 != 0) {
            at = zero + 1;
        } else if (zero + 1 < end && base[zero + 1] == 0) {
            return static_cast<uint32_t>(zero - offset + 2);
        } else {
            at = zero + 2;
        }
    }
    return 0;
}

// The string designated by an offset field; `budget` is what is left of stringBytes.
bool takeText(const unsigned char *base, uint16_t flatSize, TextWidth width, uint64_t offset,
              uint64_t &budget, FlatText &text) {
    text = FlatText();
    if (offset == 0) return true;
    if (!insideBlock(offset, flatSize)) return false;
    uint32_t length = measure(base, flatSize, offset, width, budget);
    if (length == 0) return false;
    budget -= length;
    text.bytes = base + offset;
    text.byteLength = length;
    return true;
}

bool takeEntry(const FlatBlockView &view, uint16_t index, uint64_t &stringBudget,
               uint64_t &idBudget, FlatEntry &entry) {
    const unsigned char *row = view.table + std::size_t(index) * kEntrySize;
    entry = FlatEntry();
    entry.ulReserved = readField<uint32_t>(row, offsetof(UXDEncodedRecipient, ulReserved));
    entry.ulRecipClass = readField<uint32_t>(row, offsetof(UXDEncodedRecipient, ulRecipClass));
    if (!takeText(view.base, view.flatSize, view.width,
                  readField<uint64_t>(row, offsetof(UXDEncodedRecipient, lpszName)), stringBudget,
                  entry.name) ||
        !takeText(view.base, view.flatSize, view.width,
                  readField<uint64_t>(row, offsetof(UXDEncodedRecipient, lpszAddress)), stringBudget,
                  entry.address))
        return false;

    uint32_t size = readField<uint32_t>(row, offsetof(UXDEncodedRecipient, ulEIDSize));
    uint64_t offset = readField<uint64_t>(row, offsetof(UXDEncodedRecipient, lpEntryID));
    if (offset != 0 && !insideBlock(offset, view.flatSize)) return false;
    entry.ulEIDSize = size;
    if (size == 0) return true;
    if (offset == 0 || offset + size > view.flatSize || size > idBudget) return false;
    idBudget -= size;
    entry.entryId = view.base + offset;
    return true;
}

}  // namespace

FlatEntry FlatBlockView::entry(uint16_t index) const noexcept {
    // Already checked by readFlatBlock, so the budgets no longer matter.
    FlatEntry decoded;
    uint64_t strings = kUnlimited, ids = kUnlimited;
    if (index >= nRecipients || !takeEntry(*this, index, strings, ids, decoded)) return FlatEntry();
    return decoded;
}

UXDResult readFlatBlock(const void *record, TextWidth width, FlatBlockView *view, FlatCheck check) noexcept {
    if (!record || !view) return UXD_E_INVALID_ARGUMENT;
    const auto *base = static_cast<const unsigned char *>(record);
    // flatSize first: nothing past the record's 70 bytes is read before it is known.
    FlatBlockView checked;
    checked.base = base;
    checked.width = width;
    checked.flatSize = readField<uint16_t>(base, kFlatSizeField);
    if (checked.flatSize < kHeaderSize) return UXD_E_INVALID_ARGUMENT;
    checked.stringBytes = readField<uint16_t>(base, kStringBytesField);
    checked.entryIdBytes = readField<uint16_t>(base, kEntryIdBytesField);
    checked.nRecipients = readField<uint16_t>(base, kCountField);
    uint64_t declared = kHeaderSize + uint64_t(checked.stringBytes) +
                        uint64_t(kEntrySize) * checked.nRecipients + checked.entryIdBytes;
    const bool strict = check == FlatCheck::Strict;
    if (strict && declared > checked.flatSize) return UXD_E_INVALID_ARGUMENT;

    uint64_t stringBudget = strict ? checked.stringBytes : kUnlimited;
    for (int i = 0; i < kOptionTextCount; ++i)
        if (!takeText(base, checked.flatSize, width, readField<uint64_t>(base, kOptionTextField[i]),
                      stringBudget, checked.texts[i]))
            return UXD_E_INVALID_ARGUMENT;

    uint64_t tableOffset = readField<uint64_t>(base, kTableField);
    if (tableOffset != 0 && !insideBlock(tableOffset, checked.flatSize)) return UXD_E_INVALID_ARGUMENT;
    if (checked.nRecipients != 0) {
        if (tableOffset == 0 || tableOffset + uint64_t(kEntrySize) * checked.nRecipients > checked.flatSize)
            return UXD_E_INVALID_ARGUMENT;
        checked.table = base + tableOffset;
    }

    uint64_t idBudget = strict ? checked.entryIdBytes : kUnlimited;
    for (uint16_t i = 0; i < checked.nRecipients; ++i) {
        FlatEntry entry;
        if (!takeEntry(checked, i, stringBudget, idBudget, entry)) return UXD_E_INVALID_ARGUMENT;
    }
    *view = checked;
    return UXD_SUCCESS;
}

}  // namespace uxd
