// libFuzzer: the calls a host makes with its options (encode, read back, the four conversions,
// release) run once cleanly and once with the Nth allocation failing, N chosen by the input.
// The clean run must give back what the record holds (a host gets back the recipients it
// stored, through UTF-16 and back). With the failure, every call must give what the clean run
// gave, or code 2, or -- a pointer-form conversion only -- a string or identifier left null;
// and nothing may be left behind.
// Input: a 16-bit choice of N, then a record as fuzz_options.h reads it.
#include <array>
#include <cstdint>
#include <string>

#include "codepage_standin.h"
#include "encoded_options.h"
#include "fuzz_options.h"
#include "options_conversion.h"

using namespace uxd;
using namespace uxd_fuzz;

namespace {

// The calls in the order they run; each after the first works on an earlier one's result.
enum Step { Encoded, Widened, Narrowed, WidePointers, AnsiPointers, kSteps };
const char *const kStepNames[kSteps] = {"encoding", "flat ANSI to wide", "flat wide to ANSI",
                                        "pointer-form ANSI to wide", "pointer-form wide to ANSI"};
constexpr UXDResult kNotRun = -100;  // an earlier call failed, so there was nothing to call it on

struct Result {
    UXDResult code = kNotRun;
    std::string bytes;  // a flat result, byte for byte
    Content content;    // what it says
};
using Run = std::array<Result, kSteps>;

// Calls `f` for `step`; after a failure no result may be handed out, nor the size touched.
template <class Source, class Made>
Made *call(UXDResult (*f)(const Source *, Made **, uint16_t *), const void *source, Run &run, Step step,
           OwnedRecord<Made> &owner) {
    Made *made = nullptr;
    uint16_t size = 0xBEEF;
    UXDResult code = run[step].code = f(static_cast<const Source *>(source), &made, &size);
    owner.reset(made);
    check(code == UXD_SUCCESS || (!made && size == 0xBEEF), "%s: code %d with a result or a size", kStepNames[step],
          code);
    return code == UXD_SUCCESS ? made : nullptr;
}

void keepFlat(Result &result, const void *block, TextWidth width) {
    result.bytes.assign(static_cast<const char *>(block), readField<uint16_t>(block, kFlatSizeField));
    FlatBlockView view;
    check(readFlatBlock(block, width, &view) == UXD_SUCCESS, "a flat result does not read back");
    result.content = contentOf(view);
}

Run runAll(const InputRecord &input) {
    Run run;
    OwnedBlock block;
    OwnedRecord<MAPIDestinationOptionsW> wide, widePointers;
    OwnedRecord<MAPIDestinationOptions> ansi, ansiPointers;
    unsigned char *made = nullptr;
    uint16_t size = 0xBEEF;
    run[Encoded].code = encodeOptions(input.texts, input.table.data(), input.count(), &made, &size);
    block.reset(made);
    check(run[Encoded].code == UXD_SUCCESS || (!made && size == 0xBEEF), "encoding: code %d with a block or a size",
          run[Encoded].code);
    if (run[Encoded].code == UXD_SUCCESS) {
        keepFlat(run[Encoded], made, TextWidth::Ansi);
        if (auto *w = call(convertOptionsA2W, made, run, Widened, wide)) {
            keepFlat(run[Widened], w, TextWidth::Wide);
            if (auto *a = call(convertOptionsW2A, w, run, Narrowed, ansi)) keepFlat(run[Narrowed], a, TextWidth::Ansi);
        }
    }
    if (auto *w = call(convertOptionsA2W, &input.record, run, WidePointers, widePointers)) {
        run[WidePointers].content = contentOf(w, TextWidth::Wide);
        if (auto *a = call(convertOptionsW2A, w, run, AnsiPointers, ansiPointers))
            run[AnsiPointers].content = contentOf(a, TextWidth::Ansi);
    }
    return run;
}

// What the clean run gave against what the record holds. A double-byte page may turn a lone
// lead byte into '?', so there only presence survives the way back.
void checkRoundTrip(const InputRecord &input, const Run &clean) {
    const Content stored = storedInABlock(input.content), kept = keptInARecord(input.content);
    uint64_t total = kHeaderSize + uint64_t(kEntrySize) * input.count();
    auto add = [&](const Bytes &text) { total += text ? text->size() + 1 : 0; };
    for (const Bytes &text : stored.texts) add(text);
    for (const Entry &e : stored.entries) add(e.name), add(e.address), total += e.idSize;
    check((clean[Encoded].code == UXD_SUCCESS) == (total <= kMaxFlatSize), "encoding %llu bytes gave code %d",
          (unsigned long long)total, clean[Encoded].code);
    const TextMatch back = input.doubleByte ? TextMatch::Presence : TextMatch::Exact;
    const struct { Step step; const Content &expected; TextMatch match; } expectations[] = {
        {Encoded, stored, TextMatch::Exact}, {Widened, stored, TextMatch::Presence}, {Narrowed, stored, back},
        {WidePointers, kept, TextMatch::Presence}, {AnsiPointers, kept, back}};
    for (const auto &e : expectations)
        if (clean[e.step].code == UXD_SUCCESS)
            checkContent(e.expected, clean[e.step].content, e.match, false, kStepNames[e.step]);
}

// Checks each call of the faulted run against the clean one; says how many failures showed.
int noticedFailures(const Run &clean, const Run &faulted, unsigned long n) {
    int shown = 0;
    for (int step = 0; step < kSteps; ++step) {
        const Result &c = clean[step], &f = faulted[step];
        if (f.code == kNotRun) continue;
        check(f.code == c.code || f.code == UXD_E_OUT_OF_MEMORY, "%s with allocation %lu failing: expected code %d or 2, got %d",
              kStepNames[step], n, c.code, f.code);
        shown += f.code != c.code;
        if (f.code != UXD_SUCCESS) continue;
        if (step <= Narrowed) check(f.bytes == c.bytes, "allocation %lu failing changed the result of %s", n, kStepNames[step]);
        else shown += checkContent(c.content, f.content, TextMatch::Exact, true, kStepNames[step]);
    }
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
