// Writes a flat options block in its one layout: the header, the present texts in layout
// order, the table, then each entry's name, address and identifier. The encoder and the
// conversions both write through it, measuring first: the block is made to the size the
// caller measured, and every part is placed in that order.
#pragma once

#include <cstddef>
#include <cstdint>

#include "flat_block.h"
#include "uxdmapi.h"

namespace uxd {

class FlatBlockWriter {
public:
    FlatBlockWriter() noexcept = default;
    FlatBlockWriter(const FlatBlockWriter &) = delete;
    FlatBlockWriter &operator=(const FlatBlockWriter &) = delete;
    ~FlatBlockWriter();  // an unfinished block is wiped: it may hold the password

    // Makes the zeroed block and writes its header; 5 when the parts add up to more than a
    // block can describe, 2 when it cannot be had.
    UXDResult begin(uint16_t count, uint64_t stringBytes, uint64_t entryIdBytes) noexcept;

    // `bytes` of room at the next place, whose offset goes into `field`.
    unsigned char *room(std::size_t field, uint64_t bytes) noexcept;
    // The table's place, right after the record's texts; then each row in turn.
    void table() noexcept;
    void row(uint16_t index, uint32_t reserved, uint32_t recipClass, uint32_t idSize) noexcept;
    std::size_t nameField(uint16_t index) const noexcept;
    std::size_t addressField(uint16_t index) const noexcept;
    void entryId(uint16_t index, const void *id, uint32_t size) noexcept;

    uint16_t size() const noexcept { return size_; }
    // Hands the finished block over (the caller releases it with uxd::releaseSecret).
    unsigned char *take() noexcept;

private:
    std::size_t rowAt(uint16_t index) const noexcept { return tableAt_ + std::size_t(index) * kEntrySize; }

    unsigned char *block_ = nullptr;
    uint16_t size_ = 0;
    uint16_t count_ = 0;
    uint64_t at_ = kHeaderSize;
    std::size_t tableAt_ = 0;
};

}  // namespace uxd
