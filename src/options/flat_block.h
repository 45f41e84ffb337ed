// Reading a flat options block (ANSI or UTF-16) that a host stored and handed back. Such a
// block may come back truncated or damaged, so everything is checked against its flatSize
// before any string, table entry or entry identifier is used. Free of Windows: it runs
// under the sanitizers and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "option_texts.h"
#include "uxdmapi.h"

namespace uxd {

// Fields every reader of a record or block takes by offset (the layouts are packed).
constexpr std::size_t kStructSizeField = offsetof(MAPIDestinationOptions, structSize);
constexpr std::size_t kCountField = offsetof(MAPIDestinationOptions, nRecipients);
constexpr std::size_t kTableField = offsetof(MAPIDestinationOptions, recipients);
constexpr std::size_t kFlatSizeField = offsetof(MAPIDestinationOptions, flatSize);
constexpr std::size_t kStringBytesField = offsetof(UXDEncodedOptionsHeader, stringBytes);
constexpr std::size_t kEntryIdBytesField = offsetof(UXDEncodedOptionsHeader, entryIdBytes);

constexpr std::size_t kHeaderSize = sizeof(UXDEncodedOptionsHeader);  // 74
constexpr std::size_t kEntrySize = sizeof(UXDEncodedRecipient);       // 40
constexpr std::size_t kMaxFlatSize = 0xFFFF;

enum class TextWidth { Ansi = 1, Wide = 2 };  // bytes per code unit

// A string inside the block. Wide strings may sit at odd addresses: read them bytewise.
struct FlatText {
    const unsigned char *bytes = nullptr;  // null: not given
    uint32_t byteLength = 0;               // with the terminator (two bytes for UTF-16)
};

struct FlatEntry {
    uint32_t ulReserved = 0;
    uint32_t ulRecipClass = 0;
    FlatText name;
    FlatText address;
    uint32_t ulEIDSize = 0;
    const unsigned char *entryId = nullptr;  // null exactly when ulEIDSize is 0
};

// A checked block. Pointers point into the caller's block, which must outlive the view.
struct FlatBlockView {
    const unsigned char *base = nullptr;
    TextWidth width = TextWidth::Ansi;
    uint16_t flatSize = 0;
    uint16_t stringBytes = 0;
    uint16_t entryIdBytes = 0;
    uint16_t nRecipients = 0;
    FlatText texts[kOptionTextCount];
    const unsigned char *table = nullptr;  // null when nRecipients is 0

    // Entry `index` (< nRecipients) of the table, decoded from the block.
    FlatEntry entry(uint16_t index) const noexcept;
};

// Releases an options record the module made (ANSI or UTF-16, the strings' encoding does not
// matter): a pointer-form record with every string, its table and each entry's parts, any
// other record as one block. Null is fine. UXDFreeDestinationOptions is this.
void releaseOptionsRecord(void *record) noexcept;

// Checks the block that starts at `record` (its flatSize bytes; the caller has decided that
// the record is flat) and fills `view`. Returns 0, or 5 for a block that is inconsistent:
// flatSize below 74; a nonzero offset below 74 or at or past flatSize (all 64 bits count);
// a string whose terminator is not inside the block; a table or an entry identifier that
// runs past flatSize; a table offset of 0 with entries, or an identifier offset of 0 with
// a nonzero ulEIDSize; 74 + stringBytes + 40 x nRecipients + entryIdBytes above flatSize;
// measured strings above stringBytes, or identifier sizes above entryIdBytes (sums, so a
// block may keep more room than its content needs). No byte at or past flatSize is read.
// Strict is for the conversions, which size their results from the block's own counts.
// Bounds is for the job's setup, which copies only what the offsets designate: it checks
// every offset, terminator, table and entry identifier against flatSize as Strict does, but
// not stringBytes, entryIdBytes or the declared total, so a block a host built itself with
// counts of 0 reads.
enum class FlatCheck { Strict, Bounds };
UXDResult readFlatBlock(const void *record, TextWidth width, FlatBlockView *view,
                        FlatCheck check = FlatCheck::Strict) noexcept;

}  // namespace uxd
