// libFuzzer: the calls a host makes with its options (encode, read back, the four conversions,
// release) run once cleanly and once with the Nth allocation failing, N chosen by the input.
// The clean run must give back what the record holds (a host gets back the recipients it
// stored, through UTF-16 and back). With the failure, every call must give what the clean run
// gave, or code 2, or -- a pointer-form conversion only -- a string or identifier left null;
// and nothing may be left behind.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "byte_fields.h"
#include "codepage_standin.h"
#include "encoded_options.h"
#include "fuzz_input.h"
#include "options_conversion.h"
#include "owned_block.h"
#include "record_content.h"

using namespace uxd;
using namespace uxd_fuzz;
using namespace uxd_test;

namespace {

// The record, from the bytes after the choice of N (make_corpus.py writes seeds so): a flags
// byte (bit 0: the toy double-byte code page), the seven texts, a count byte (255: 255 more
// than a following 16-bit value, up to 2047), then each entry: 32-bit reserved word and
// class, name, address, identifier.
//   text: a tag byte; tag & 3 = 0 null, 1 the next tag >> 2 bytes, 2 a length byte and as many
//         bytes, 3 a length (16 bits when tag & 4, else a byte), a chunk length byte and the
//         chunk, repeated to the length: large texts from short inputs, but seldom, since they
//         are slow to convert. A text ends at its first NUL, as a C string does.
//   identifier: a tag byte; tag & 3 = 0 none (size 0, null), 1 a 32-bit size and a null
//         pointer, 2 a length byte and as many bytes, 3 a 16-bit size and a first byte, the
//         following bytes counting up from it.
class InputRecord {
public:
    explicit InputRecord(FuzzInput &in) {
        doubleByte = in.take<uint8_t>() & 1;
        for (Bytes &text : content.texts) text = takeText(in);
        std::size_t count = in.take<uint8_t>();
        if (count == 255) count += in.take<uint16_t>() % 1793;
        content.entries.resize(count);
        for (Entry &e : content.entries) {
            e.reserved = in.take<uint32_t>(), e.recipClass = in.take<uint32_t>();
            e.name = takeText(in), e.address = takeText(in);
            takeIdentifier(in, e);
        }
        for (int i = 0; i < kOptionTextCount; ++i) texts[i] = pointer(content.texts[i]);
        for (Entry &e : content.entries)
            table.push_back({e.reserved, e.recipClass, pointer(e.name), pointer(e.address), e.idSize, pointer(e.id)});
        // The record is packed: its pointer fields are written bytewise, not through pointers.
        writeField<uint16_t>(&record, kStructSizeField, UXD_OPTIONS_SIZE);
        for (int i = 0; i < kOptionTextCount; ++i) writeField(&record, kOptionTextField[i], texts[i]);
        writeField<uint16_t>(&record, kCountField, uint16_t(count));
        writeField<const UXDRecipDesc *>(&record, kTableField, table.empty() ? nullptr : table.data());
    }
    InputRecord(const InputRecord &) = delete;  // `record` points into `content`

    uint32_t count() const { return uint32_t(content.entries.size()); }

    bool doubleByte = false;
    Content content;
    const char *texts[kOptionTextCount] = {};
    std::vector<UXDRecipDesc> table;
    MAPIDestinationOptions record{};  // pointer form, pointing into `content`

private:
    static Bytes takeText(FuzzInput &in) {
        uint8_t tag = in.take<uint8_t>();
        std::string s;
        switch (tag & 3) {
        case 0: return std::nullopt;
        case 1: s = in.takeBytes(tag >> 2); break;
        case 2: s = in.takeBytes(in.take<uint8_t>()); break;
        default: {
            uint16_t length = tag & 4 ? in.take<uint16_t>() : in.take<uint8_t>();
            std::string chunk = in.takeBytes(in.take<uint8_t>());
            if (chunk.empty()) chunk = "x";
            while (s.size() < length) s += chunk;
            s.resize(length);
        }
        }
        s.resize(std::strlen(s.c_str()));
        return s;
    }

    static void takeIdentifier(FuzzInput &in, Entry &e) {
        uint8_t tag = in.take<uint8_t>();
        switch (tag & 3) {
        case 0: return;
        case 1: e.idSize = in.take<uint32_t>(); return;
        case 2: e.id = in.takeBytes(in.take<uint8_t>()); break;
        default: {
            e.id = std::string(in.take<uint16_t>(), '\0');
            uint8_t next = in.take<uint8_t>();
            for (char &c : *e.id) c = char(next++);
        }
        }
        e.idSize = uint32_t(e.id->size());
    }

    static char *pointer(Bytes &b) { return b ? &(*b)[0] : nullptr; }
};

// Aborts on the first difference of `got` from `expected`; returns how many strings or
// identifiers were lost where `mayLose` allows it.
int checkContent(const Content &expected, const Content &got, TextMatch match, bool mayLose, const char *what) {
    int lost = 0;
    const std::string difference = differenceOf(expected, got, match, mayLose, lost);
    check(difference.empty(), "%s: %s", what, difference.c_str());
    return lost;
}

// Owners of what the module hands out: encoded blocks, and records of either form.
struct ReleaseRecord { void operator()(void *record) const noexcept { releaseOptionsRecord(record); } };
using OwnedBlock = unique_block<unsigned char>;
template <class Record> using OwnedRecord = unique_block<Record, ReleaseRecord>;

// The calls in the order they run; each after the first works on an earlier one's result.
enum Step { Encoded, Widened, Narrowed, WidePointers, AnsiPointers, kSteps };
const char *const kStepNames[kSteps] = {"encoding", "flat ANSI to wide", "flat wide to ANSI",
                                        "pointer-form ANSI to wide", "pointer-form wide to ANSI"};
constexpr UXDResult kNotRun = -100;  // an earlier call failed, so there was nothing to call it on

struct Result { UXDResult code = kNotRun; std::string bytes; Content content; };  // bytes: a flat result's
using Run = std::array<Result, kSteps>;

// encodeOptions in the shape of a conversion, for call().
UXDResult encode(const InputRecord *input, unsigned char **block, uint16_t *size) {
    return encodeOptions(input->texts, input->table.data(), input->count(), block, size);
}

// Calls `f` for `step`; after a failure no result may be handed out, nor the size touched.
template <class Source, class Made, class Owner>
Made *call(UXDResult (*f)(const Source *, Made **, uint16_t *), const void *source, Run &run, Step step, Owner &owner) {
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
    if (auto *made = call(encode, &input, run, Encoded, block)) {
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
    // An encoded block keeps an identifier only with a pointer and a size; a pointer-form
    // conversion keeps the size as it is, the bytes when there are any.
    Content stored = input.content, kept = input.content;
    for (Entry &e : stored.entries) if (!e.id || e.idSize == 0) e.id.reset(), e.idSize = 0;
    for (Entry &e : kept.entries) if (e.idSize == 0) e.id.reset();
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
