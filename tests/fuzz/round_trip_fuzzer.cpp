// libFuzzer: a record built from the input (pointer form with a table, see fuzz_options.h) is
// encoded, read back and compared with what it was; then it goes through UTF-16 and back, as
// a flat block and as a pointer-form record. A host must get back the recipients it stored.
#include <cstdint>

#include "codepage_standin.h"
#include "encoded_options.h"
#include "fuzz_options.h"
#include "options_conversion.h"

using namespace uxd;
using namespace uxd_fuzz;

namespace {

struct Sizes {
    uint64_t strings = 0, ids = 0;
    uint64_t total(uint64_t stringFactor, uint32_t count) const {
        return kHeaderSize + stringFactor * strings + uint64_t(kEntrySize) * count + ids;
    }
};

// Counted here from the input alone, so that the encoder's own sums are checked too.
Sizes blockSizes(const Content &stored) {
    Sizes s;
    auto add = [&](const Bytes &text) { s.strings += text ? text->size() + 1 : 0; };
    for (const Bytes &text : stored.texts) add(text);
    for (const Entry &e : stored.entries) add(e.name), add(e.address), s.ids += e.idSize;
    return s;
}

// Every piece lies where the one before it ended, in the order texts, table, then each
// entry's name, address and identifier, and the last ends at flatSize.
void checkPacked(const FlatBlockView &view) {
    uint64_t at = kHeaderSize;
    auto next = [&](const unsigned char *piece, uint64_t bytes, const char *what) {
        if (!piece) return;
        check(uint64_t(piece - view.base) == at, "encoded block: %s at %td, expected at %llu", what,
              piece - view.base, (unsigned long long)at);
        at += bytes;
    };
    for (const FlatText &t : view.texts) next(t.bytes, t.byteLength, "a text");
    next(view.table, uint64_t(kEntrySize) * view.nRecipients, "the table");
    for (uint16_t i = 0; i < view.nRecipients; ++i) {
        FlatEntry e = view.entry(i);
        next(e.name.bytes, e.name.byteLength, "a name");
        next(e.address.bytes, e.address.byteLength, "an address");
        next(e.entryId, e.ulEIDSize, "an identifier");
    }
    check(at == view.flatSize, "encoded block: content ends at %llu, flatSize %u", (unsigned long long)at,
          view.flatSize);
}

FlatBlockView readBack(const void *block, TextWidth width, const char *what) {
    FlatBlockView view;
    check(readFlatBlock(block, width, &view) == UXD_SUCCESS, "%s does not read back", what);
    return view;
}

// A flat conversion that must refuse with 5 exactly when its result would pass 65535 bytes.
template <class Source, class Result>
OwnedRecord<Result> convertFlat(UXDResult (*f)(const Source *, Result **, uint16_t *), const void *block,
                                uint64_t expectedSize, const char *what) {
    Result *result = nullptr;
    uint16_t size = 0xBEEF;
    UXDResult r = f(static_cast<const Source *>(block), &result, &size);
    OwnedRecord<Result> owned(result);
    if (expectedSize > kMaxFlatSize) {
        check(r == UXD_E_INVALID_ARGUMENT && !result && size == 0xBEEF,
              "%s of %llu bytes: expected code 5 and no result, got %d", what, (unsigned long long)expectedSize, r);
        return nullptr;
    }
    check(r == UXD_SUCCESS && result, "%s of %llu bytes: expected code 0, got %d", what,
          (unsigned long long)expectedSize, r);
    check(size == expectedSize && readField<uint16_t>(result, kFlatSizeField) == expectedSize,
          "%s: expected flatSize %llu, got %u (out-value %u)", what, (unsigned long long)expectedSize,
          readField<uint16_t>(result, kFlatSizeField), size);
    return owned;
}

void checkFlatRoundTrip(const InputRecord &input) {
    const Content stored = storedInABlock(input.content);
    const Sizes sizes = blockSizes(stored);
    const uint64_t total = sizes.total(1, input.count());
    unsigned char *made = nullptr;
    uint16_t flatSize = 0xBEEF;
    UXDResult r = encodeOptions(input.texts, input.table.data(), input.count(), &made, &flatSize);
    OwnedBlock block(made);
    if (total > kMaxFlatSize) {
        check(r == UXD_E_INVALID_ARGUMENT && !made && flatSize == 0xBEEF,
              "encoding %llu bytes: expected code 5, no block, size untouched; got %d", (unsigned long long)total, r);
        return;
    }
    check(r == UXD_SUCCESS && made && flatSize == total, "encoding %llu bytes: expected code 0, got %d and size %u",
          (unsigned long long)total, r, flatSize);
    FlatBlockView ansi = readBack(made, TextWidth::Ansi, "an encoded block");
    check(ansi.stringBytes == sizes.strings && ansi.entryIdBytes == sizes.ids,
          "encoded block: expected stringBytes %llu, entryIdBytes %llu; got %u, %u", (unsigned long long)sizes.strings,
          (unsigned long long)sizes.ids, ansi.stringBytes, ansi.entryIdBytes);
    checkPacked(ansi);
    checkContent(stored, contentOf(ansi), TextMatch::Exact, false, "encoded block");

    // Each byte becomes one UTF-16 unit, so the strings take twice their bytes.
    auto wide = convertFlat(convertOptionsA2W, made, sizes.total(2, input.count()), "flat ANSI to wide");
    if (!wide) return;
    FlatBlockView wideView = readBack(wide.get(), TextWidth::Wide, "a wide block");
    const Content wideContent = contentOf(wideView);
    checkContent(stored, wideContent, TextMatch::Presence, false, "wide block");
    // Wide to ANSI keeps the wide stringBytes, as room that a double-byte page may need.
    auto back = convertFlat(convertOptionsW2A, wide.get(), wideView.flatSize, "flat wide to ANSI");
    const Content backContent = contentOf(readBack(back.get(), TextWidth::Ansi, "a block back in ANSI"));
    if (!input.doubleByte) return void(checkContent(stored, backContent, TextMatch::Exact, false, "back in ANSI"));
    // A lone lead byte becomes '?', so only from its first UTF-16 form on does text survive.
    checkContent(stored, backContent, TextMatch::Presence, false, "back in ANSI");
    auto again = convertFlat(convertOptionsA2W, back.get(), sizes.total(4, input.count()), "flat ANSI to wide again");
    if (again)
        checkContent(wideContent, contentOf(readBack(again.get(), TextWidth::Wide, "a wide block again")),
                     TextMatch::Exact, false, "wide again");
}

template <class Source, class Result>
OwnedRecord<Result> convertPointers(UXDResult (*f)(const Source *, Result **, uint16_t *), const Source *source,
                                    const char *what) {
    Result *result = nullptr;
    uint16_t size = 0xBEEF;
    UXDResult r = f(source, &result, &size);
    check(r == UXD_SUCCESS && result && size == 0, "%s: expected code 0 and size 0, got %d and %u", what, r, size);
    check(readField<uint16_t>(result, kStructSizeField) == UXD_OPTIONS_SIZE &&
              readField<uint16_t>(result, kFlatSizeField) == 0,
          "%s: not a pointer-form record", what);
    return OwnedRecord<Result>(result);
}

void checkPointerRoundTrip(const InputRecord &input) {
    const Content kept = keptInARecord(input.content);
    auto wide = convertPointers(convertOptionsA2W, &input.record, "pointer-form ANSI to wide");
    const Content wideContent = contentOf(wide.get(), TextWidth::Wide);
    checkContent(kept, wideContent, TextMatch::Presence, false, "pointer-form wide record");
    auto back = convertPointers(convertOptionsW2A, wide.get(), "pointer-form wide to ANSI");
    const Content backContent = contentOf(back.get(), TextWidth::Ansi);
    if (!input.doubleByte) return void(checkContent(kept, backContent, TextMatch::Exact, false, "record back in ANSI"));
    checkContent(kept, backContent, TextMatch::Presence, false, "record back in ANSI");
    auto again = convertPointers(convertOptionsA2W, back.get(), "pointer-form ANSI to wide again");
    checkContent(wideContent, contentOf(again.get(), TextWidth::Wide), TextMatch::Exact, false, "record wide again");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    const InputRecord input(in);
    codepage_standin::use(input.doubleByte ? codepage_standin::CodePage::ToyDoubleByte
                                           : codepage_standin::CodePage::Windows1252);
    const long before = allocation_fault::outstanding();
    checkPointerRoundTrip(input);
    checkFlatRoundTrip(input);
    check(allocation_fault::outstanding() == before, "%ld blocks left behind",
          allocation_fault::outstanding() - before);
    return 0;
}
