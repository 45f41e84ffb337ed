// ANSI <-> UTF-16 conversion of destination options records; see options_conversion.h.
// One frame serves both directions; what differs (unit types, the code-page call, the
// base room of a string) comes from the direction's traits.
#include "options_conversion.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "allocation.h"
#include "byte_fields.h"
#include "flat_block.h"
#include "flat_block_writer.h"
#include "recipient_row.h"
#include "text_converter.h"

namespace uxd {
namespace {

using namespace conversion;

// ---- flat source, flat result ---------------------------------------------------------

template <class Dir>
UXDResult convertFlat(const void *source, void **result, uint16_t *size) {
    using To = typename Dir::To;
    FlatBlockView view;
    if (readFlatBlock(source, Dir::kSourceWidth, &view) != UXD_SUCCESS) return UXD_E_INVALID_ARGUMENT;
    TextConverter<Dir> texts;

    // Every string is measured before the block is made, so that its size is known.
    uint64_t neededBytes = 0;
    auto addRoom = [&](const FlatText &flat) -> UXDResult {
        SourceText text = fromFlat(flat, Dir::kSourceWidth);
        if (!text.data) return UXD_SUCCESS;
        std::size_t units = 0;
        UXDResult r = texts.room(text, text.units, units);
        neededBytes += uint64_t(units) * sizeof(To);
        return r;
    };
    for (const FlatText &text : view.texts)
        if (UXDResult r = addRoom(text)) return r;
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        FlatEntry entry = view.entry(i);
        if (UXDResult r = addRoom(entry.name)) return r;
        if (UXDResult r = addRoom(entry.address)) return r;
    }
    uint64_t stringBytes = std::max(view.stringBytes * Dir::kStringBytesFactor, neededBytes);

    FlatBlockWriter writer;
    if (UXDResult r = writer.begin(view.nRecipients, stringBytes, view.entryIdBytes)) return r;
    auto place = [&](const FlatText &flat, std::size_t field) -> UXDResult {
        SourceText text = fromFlat(flat, Dir::kSourceWidth);
        if (!text.data) return UXD_SUCCESS;
        std::size_t units = 0;
        if (UXDResult r = texts.room(text, text.units, units)) return r;
        return texts.convert(text, writer.room(field, uint64_t(units) * sizeof(To)), units, true);
    };
    for (int i = 0; i < kOptionTextCount; ++i)
        if (UXDResult r = place(view.texts[i], kOptionTextField[i])) return r;
    writer.table();
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        FlatEntry entry = view.entry(i);
        writer.row(i, entry.ulReserved, entry.ulRecipClass, entry.ulEIDSize);
        if (UXDResult r = place(entry.name, writer.nameField(i))) return r;
        if (UXDResult r = place(entry.address, writer.addressField(i))) return r;
        writer.entryId(i, entry.entryId, entry.ulEIDSize);
    }
    if (size) *size = writer.size();
    *result = writer.take();
    return UXD_SUCCESS;
}

// ---- pointer-form result ----------------------------------------------------------------

// A converted string in its own allocation; null when the source text is absent or when
// that allocation fails.
template <class Dir>
UXDResult makeText(TextConverter<Dir> &texts, const SourceText &text, typename Dir::To *&made) {
    made = nullptr;
    if (!text.data) return UXD_SUCCESS;
    std::size_t units = 0;
    if (UXDResult r = texts.room(text, text.units * Dir::kPointerRoomFactor, units)) return r;
    auto *buffer = static_cast<typename Dir::To *>(allocate(units * sizeof(typename Dir::To)));
    if (!buffer) return UXD_SUCCESS;
    if (UXDResult r = texts.convert(text, buffer, units, false)) {
        releaseSecret(buffer);
        return r;
    }
    made = buffer;
    return UXD_SUCCESS;
}

template <class Dir>
UXDResult fillRecord(const void *source, unsigned char *record) {
    using From = typename Dir::From;
    using To = typename Dir::To;
    TextConverter<Dir> texts;
    uint16_t count = readField<uint16_t>(source, kCountField);
    auto *sourceTable = readField<const unsigned char *>(source, kTableField);
    if (count != 0 && !sourceTable) return UXD_E_INVALID_ARGUMENT;

    for (std::size_t field : kOptionTextField) {
        To *made = nullptr;
        if (UXDResult r = makeText(texts, fromPointer(readField<const From *>(source, field)), made)) return r;
        writeField<To *>(record, field, made);
    }
    writeField<uint16_t>(record, kCountField, count);
    if (count == 0) return UXD_SUCCESS;

    auto *table = static_cast<typename Dir::ToEntry *>(allocateZeroed(count, sizeof(typename Dir::ToEntry)));
    if (!table) return UXD_E_OUT_OF_MEMORY;
    writeField(record, kTableField, table);
    for (uint16_t i = 0; i < count; ++i) {
        typename Dir::FromEntry from;
        std::memcpy(&from, sourceTable + std::size_t(i) * sizeof from, sizeof from);
        // A part that cannot be allocated stays null (the record stays whole and freeable); a
        // text the code page cannot take refuses the record.
        UXDResult failed = UXD_SUCCESS;
        copyRecipientRow(from, table[i], [&](const From *text, To *&made) {
            made = nullptr;
            if (failed == UXD_SUCCESS) failed = makeText(texts, fromPointer(text), made);
            return made || !text;
        });
        if (failed) return failed;
    }
    return UXD_SUCCESS;
}

// An unrecognised structSize is an older layout: it becomes an empty record.
template <class Dir>
UXDResult convertToPointers(const void *source, bool recognised, void **result, uint16_t *size) {
    auto *record = static_cast<unsigned char *>(allocateZeroed(1, UXD_OPTIONS_SIZE));
    if (!record) return UXD_E_OUT_OF_MEMORY;
    writeField<uint16_t>(record, kStructSizeField, UXD_OPTIONS_SIZE);
    if (recognised) {
        if (UXDResult r = fillRecord<Dir>(source, record)) {
            releaseOptionsRecord(record);  // complete or not: parts not yet set are null
            return r;
        }
    }
    *result = record;
    if (size) *size = 0;
    return UXD_SUCCESS;
}

template <class Dir>
UXDResult convertRecord(const void *source, void **result, uint16_t *size) {
    if (!result) return UXD_E_INVALID_ARGUMENT;
    *result = nullptr;
    if (!source) return UXD_SUCCESS;
    // flatSize is read only from a record long enough to have it.
    uint16_t structSize = readField<uint16_t>(source, kStructSizeField);
    bool current = structSize == UXD_OPTIONS_SIZE;
    bool flatCandidate = std::is_same<Dir, WideToAnsi>::value ? structSize >= UXD_OPTIONS_SIZE : current;
    if (flatCandidate && readField<uint16_t>(source, kFlatSizeField) != 0)
        return convertFlat<Dir>(source, result, size);
    return convertToPointers<Dir>(source, current, result, size);
}

}  // namespace

UXDResult convertOptionsW2A(const MAPIDestinationOptionsW *source, MAPIDestinationOptions **result,
                            uint16_t *size) noexcept {
    void *made = nullptr;
    UXDResult r = convertRecord<WideToAnsi>(source, result ? &made : nullptr, size);
    if (result) *result = static_cast<MAPIDestinationOptions *>(made);
    return r;
}

UXDResult convertOptionsA2W(const MAPIDestinationOptions *source, MAPIDestinationOptionsW **result,
                            uint16_t *size) noexcept {
    void *made = nullptr;
    UXDResult r = convertRecord<AnsiToWide>(source, result ? &made : nullptr, size);
    if (result) *result = static_cast<MAPIDestinationOptionsW *>(made);
    return r;
}

}  // namespace uxd
