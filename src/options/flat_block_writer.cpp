// See flat_block_writer.h.
#include "flat_block_writer.h"

#include <cstring>
#include <utility>

#include "allocation.h"
#include "byte_fields.h"

namespace uxd {

FlatBlockWriter::~FlatBlockWriter() { releaseSecret(block_); }

UXDResult FlatBlockWriter::begin(uint16_t count, uint64_t stringBytes, uint64_t entryIdBytes) noexcept {
    // The 64-bit total bounds every part: stringBytes and entryIdBytes fit their 16-bit
    // fields whenever the whole block does.
    uint64_t total = kHeaderSize + stringBytes + uint64_t(kEntrySize) * count + entryIdBytes;
    if (total > kMaxFlatSize) return UXD_E_INVALID_ARGUMENT;
    block_ = static_cast<unsigned char *>(allocateZeroed(total, 1));
    if (!block_) return UXD_E_OUT_OF_MEMORY;
    size_ = uint16_t(total);
    count_ = count;
    writeField<uint16_t>(block_, kStructSizeField, UXD_OPTIONS_SIZE);
    writeField<uint16_t>(block_, kCountField, count);
    writeField<uint16_t>(block_, kFlatSizeField, size_);
    writeField<uint16_t>(block_, kStringBytesField, uint16_t(stringBytes));
    writeField<uint16_t>(block_, kEntryIdBytesField, uint16_t(entryIdBytes));
    return UXD_SUCCESS;
}

unsigned char *FlatBlockWriter::room(std::size_t field, uint64_t bytes) noexcept {
    unsigned char *place = block_ + at_;
    writeField<uint64_t>(block_, field, at_);
    at_ += bytes;
    return place;
}

void FlatBlockWriter::table() noexcept {
    if (count_ == 0) return;  // no table: offset 0
    tableAt_ = std::size_t(at_);
    writeField<uint64_t>(block_, kTableField, at_);
    at_ += uint64_t(kEntrySize) * count_;
}

void FlatBlockWriter::row(uint16_t index, uint32_t reserved, uint32_t recipClass, uint32_t idSize) noexcept {
    std::size_t row = rowAt(index);
    writeField<uint32_t>(block_, row + offsetof(UXDEncodedRecipient, ulReserved), reserved);
    writeField<uint32_t>(block_, row + offsetof(UXDEncodedRecipient, ulRecipClass), recipClass);
    writeField<uint32_t>(block_, row + offsetof(UXDEncodedRecipient, ulEIDSize), idSize);
}

std::size_t FlatBlockWriter::nameField(uint16_t index) const noexcept {
    return rowAt(index) + offsetof(UXDEncodedRecipient, lpszName);
}

std::size_t FlatBlockWriter::addressField(uint16_t index) const noexcept {
    return rowAt(index) + offsetof(UXDEncodedRecipient, lpszAddress);
}

void FlatBlockWriter::entryId(uint16_t index, const void *id, uint32_t size) noexcept {
    if (size == 0) return;
    std::memcpy(room(rowAt(index) + offsetof(UXDEncodedRecipient, lpEntryID), size), id, size);
}

unsigned char *FlatBlockWriter::take() noexcept { return std::exchange(block_, nullptr); }

}  // namespace uxd
