// libFuzzer: the calls a host makes with its options (encode, read back, the four conversions,
// release) run once cleanly and once with the Nth allocation failing, N chosen by the input.
// The clean run must give back what the record holds (a host gets back the recipients it
// stored, through UTF-16 and back). With the failure, every call must give what the clean run
// gave, or code 2, or -- a pointer-form conversion only -- a string or identifier left null;
// and nothing may be left behind.
// Input: a 16-bit choice of N, then a record as fuzz_options.h reads it.
#include <cstdint>
#include <string>

#include "codepage_standin.h"
#include "encoded_options.h"
#include "fuzz_options.h"
#include "options_conversion.h"

using namespace uxd;
using namespace uxd_fuzz;

namespace {

constexpr UXDResult kNotRun = -100;  // an earlier call failed, so there was nothing to call it on

struct Run {
    UXDResult encoded = kNotRun, widened = kNotRun, narrowed = kNotRun;
    std::string block, wideBlock, ansiBlock;  // the flat results, byte for byte
    UXDResult widePointers = kNotRun, ansiPointers = kNotRun;
    Content wideRecord, ansiRecord;
};

std::string bytesOf(const void *block) {
    return std::string(static_cast<const char *>(block), readField<uint16_t>(block, kFlatSizeField));
}

// After a failure no result may be handed out, nor the size out-value touched.
template <class Source, class Result>
UXDResult convert(UXDResult (*f)(const Source *, Result **, uint16_t *), const void *source,
                  OwnedRecord<Result> &result, const char *what) {
    Result *made = nullptr;
    uint16_t size = 0xBEEF;
    UXDResult r = f(static_cast<const Source *>(source), &made, &size);
    result.reset(made);
    check(r == UXD_SUCCESS || (!made && size == 0xBEEF), "%s: code %d with a result or a size", what, r);
    return r;
}

void runFlat(const InputRecord &input, Run &run) {
    unsigned char *made = nullptr;
    uint16_t size = 0xBEEF;
    run.encoded = encodeOptions(input.texts, input.table.data(), input.count(), &made, &size);
    OwnedBlock block(made);
    check(run.encoded == UXD_SUCCESS || (!made && size == 0xBEEF), "encoding: code %d with a block or a size",
          run.encoded);
    if (run.encoded != UXD_SUCCESS) return;
    FlatBlockView view;
    check(readFlatBlock(made, TextWidth::Ansi, &view) == UXD_SUCCESS, "an encoded block does not read back");
    run.block = bytesOf(made);
    OwnedRecord<MAPIDestinationOptionsW> wide;
    run.widened = convert(convertOptionsA2W, made, wide, "flat ANSI to wide");
    if (run.widened != UXD_SUCCESS) return;
    run.wideBlock = bytesOf(wide.get());
    OwnedRecord<MAPIDestinationOptions> ansi;
    run.narrowed = convert(convertOptionsW2A, wide.get(), ansi, "flat wide to ANSI");
    if (run.narrowed == UXD_SUCCESS) run.ansiBlock = bytesOf(ansi.get());
}

void runPointers(const InputRecord &input, Run &run) {
    OwnedRecord<MAPIDestinationOptionsW> wide;
    run.widePointers = convert(convertOptionsA2W, &input.record, wide, "pointer-form ANSI to wide");
    if (run.widePointers != UXD_SUCCESS) return;
    run.wideRecord = contentOf(wide.get(), TextWidth::Wide);
    OwnedRecord<MAPIDestinationOptions> ansi;
    run.ansiPointers = convert(convertOptionsW2A, wide.get(), ansi, "pointer-form wide to ANSI");
    if (run.ansiPointers == UXD_SUCCESS) run.ansiRecord = contentOf(ansi.get(), TextWidth::Ansi);
}

Content contentOfBlock(const std::string &block, TextWidth width, const char *what) {
    FlatBlockView view;
    check(readFlatBlock(block.data(), width, &view) == UXD_SUCCESS, "%s does not read back", what);
    return contentOf(view);
}

// What the clean run gave against what the record holds. A double-byte page may turn a lone
// lead byte into '?', so there only presence survives the way back.
void checkRoundTrip(const InputRecord &input, const Run &clean) {
    const Content stored = storedInABlock(input.content), kept = keptInARecord(input.content);
    uint64_t total = kHeaderSize + uint64_t(kEntrySize) * input.count();
    auto add = [&](const Bytes &text) { total += text ? text->size() + 1 : 0; };
    for (const Bytes &text : stored.texts) add(text);
    for (const Entry &e : stored.entries) add(e.name), add(e.address), total += e.idSize;
    check((clean.encoded == UXD_SUCCESS) == (total <= kMaxFlatSize), "encoding %llu bytes gave code %d",
          (unsigned long long)total, clean.encoded);
    const TextMatch back = input.doubleByte ? TextMatch::Presence : TextMatch::Exact;
    if (clean.encoded == UXD_SUCCESS)
        checkContent(stored, contentOfBlock(clean.block, TextWidth::Ansi, "the block"), TextMatch::Exact, false,
                     "encoded block");
    if (clean.widened == UXD_SUCCESS)
        checkContent(stored, contentOfBlock(clean.wideBlock, TextWidth::Wide, "the wide block"), TextMatch::Presence,
                     false, "wide block");
    if (clean.narrowed == UXD_SUCCESS)
        checkContent(stored, contentOfBlock(clean.ansiBlock, TextWidth::Ansi, "the block back"), back, false,
                     "block back in ANSI");
    if (clean.widePointers == UXD_SUCCESS)
        checkContent(kept, clean.wideRecord, TextMatch::Presence, false, "pointer-form wide record");
    if (clean.ansiPointers == UXD_SUCCESS) checkContent(kept, clean.ansiRecord, back, false, "record back in ANSI");
}

Run runAll(const InputRecord &input) {
    Run run;
    runFlat(input, run);
    runPointers(input, run);
    return run;
}

// Checks each call of the faulted run against the clean one; says how many failures showed.
int noticedFailures(const Run &clean, const Run &faulted, unsigned long n) {
    int shown = 0;
    auto bothSucceeded = [&](UXDResult cleanCode, UXDResult faultedCode, const char *what) {
        if (faultedCode == kNotRun) return false;
        check(faultedCode == cleanCode || faultedCode == UXD_E_OUT_OF_MEMORY,
              "%s with allocation %lu failing: expected code %d or 2, got %d", what, n, cleanCode, faultedCode);
        shown += faultedCode != cleanCode;
        return faultedCode == UXD_SUCCESS;
    };
    if (bothSucceeded(clean.encoded, faulted.encoded, "encoding"))
        check(faulted.block == clean.block, "allocation %lu failing changed the encoded block", n);
    if (bothSucceeded(clean.widened, faulted.widened, "flat ANSI to wide"))
        check(faulted.wideBlock == clean.wideBlock, "allocation %lu failing changed the wide block", n);
    if (bothSucceeded(clean.narrowed, faulted.narrowed, "flat wide to ANSI"))
        check(faulted.ansiBlock == clean.ansiBlock, "allocation %lu failing changed the ANSI block", n);
    if (bothSucceeded(clean.widePointers, faulted.widePointers, "pointer-form ANSI to wide"))
        shown += checkContent(clean.wideRecord, faulted.wideRecord, TextMatch::Exact, true, "wide record");
    if (bothSucceeded(clean.ansiPointers, faulted.ansiPointers, "pointer-form wide to ANSI"))
        shown += checkContent(clean.ansiRecord, faulted.ansiRecord, TextMatch::Exact, true, "ANSI record");
    return shown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzInput in(data, size);
    const uint16_t choice = in.take<uint16_t>();
    const InputRecord input(in);
    codepage_standin::use(input.doubleByte ? codepage_standin::CodePage::ToyDoubleByte
                                           : codepage_standin::CodePage::Latin1);
    const long before = allocation_fault::outstanding();
    allocation_fault::reset();
    const Run clean = runAll(input);
    const unsigned long attempts = allocation_fault::attempts();  // at least the pointer-form record
    check(allocation_fault::outstanding() == before, "the clean run left blocks behind");
    checkRoundTrip(input, clean);

    const unsigned long n = 1 + choice % attempts;
    allocation_fault::failAt(n);
    const Run faulted = runAll(input);
    const unsigned long reached = allocation_fault::attempts();
    allocation_fault::reset();
    check(reached >= n, "allocation %lu of %lu was never attempted: the runs differ", n, attempts);
    check(allocation_fault::outstanding() == before, "allocation %lu of %lu failing left %ld blocks behind", n,
          attempts, allocation_fault::outstanding() - before);
    check(noticedFailures(clean, faulted, n) > 0,
          "allocation %lu of %lu failed and no call gave code 2 or left a field null", n, attempts);
    return 0;
}
