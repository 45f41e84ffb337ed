// Options records: the encoder and the ANSI <-> UTF-16 conversions against blocks written out
// field by field at the layout's offsets, so neither is checked only against the other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

#include "allocation.h"
#include "byte_fields.h"
#include "codepage_standin.h"
#include "encoded_options.h"
#include "flat_block.h"
#include "options_conversion.h"

using namespace uxd;

namespace {

using Bytes = std::vector<unsigned char>;
using Texts = std::vector<const char *>;  // the seven texts in layout order

// Little-endian, as on the Windows targets.
void put(Bytes &b, std::size_t at, std::size_t width, uint64_t v) { std::memcpy(&b[at], &v, width); }
struct Field { std::size_t at, width; uint64_t value; };
Bytes with(Bytes b, std::initializer_list<Field> fields) {
    for (const Field &f : fields) put(b, f.at, f.width, f.value);
    return b;
}
// A text and its terminator, k bytes a unit.
void putText(Bytes &b, std::size_t at, const std::u16string &s, std::size_t k) {
    for (std::size_t i = 0; i <= s.size(); ++i) put(b, at + k * i, k, i < s.size() ? s[i] : 0);
}
Bytes flat(uint16_t size, uint16_t stringBytes, uint16_t idBytes, uint16_t count, std::vector<uint64_t> texts) {
    Bytes b = with(Bytes(size, 0), {{0, 2, 70}, {42, 2, count}, {68, 2, size}, {70, 2, stringBytes}, {72, 2, idBytes}});
    const std::size_t textFields[7] = {2, 10, 18, 26, 34, 52, 60};
    for (int i = 0; i < 7; ++i) put(b, textFields[i], 8, texts[i]);
    return b;
}
// Seven empty texts. Wide to ANSI keeps the wide stringBytes, so seven bytes spare.
Bytes emptyAnsi81() { return flat(81, 7, 0, 0, {74, 75, 76, 77, 78, 79, 80}); }
Bytes emptyWide88() { return flat(88, 14, 0, 0, {74, 76, 78, 80, 82, 84, 86}); }

const char kEntryId[] = "\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF";  // no zero: see "unterminated"

// To "Ann" and one To recipient Ann <SMTP:a@b.c> with kEntryId: 155 bytes in ANSI, 180 in UTF-16.
Bytes oneRecipient(std::size_t k) {
    const bool w = k == 2;
    const std::size_t table = w ? 94 : 84, name = w ? 134 : 124, address = w ? 142 : 128, id = w ? 164 : 139;
    Bytes b = with(w ? flat(180, 50, 16, 1, {74, 82, 84, 86, 88, 90, 92})
                     : flat(155, 25, 16, 1, {74, 78, 79, 80, 81, 82, 83}),
                   {{44, 8, table}, {table + 4, 4, 1}, {table + 8, 8, name}, {table + 16, 8, address},
                    {table + 24, 4, 16}, {table + 32, 8, id}});
    putText(b, 74, u"Ann", k);
    putText(b, name, u"Ann", k);
    putText(b, address, u"SMTP:a@b.c", k);
    std::memcpy(&b[id], kEntryId, 16);
    return b;
}

UXDRecipDesc recipient(uint32_t reserved, uint32_t recipClass, const char *name, const char *address,
                       uint32_t idSize = 0, const void *id = nullptr) {
    return {reserved, recipClass, const_cast<char *>(name), const_cast<char *>(address), idSize, const_cast<void *>(id)};
}

// After a failure no block may be handed out nor the size touched.
UXDResult encode(const Texts &texts, const std::vector<UXDRecipDesc> &entries, Bytes &out) {
    unsigned char *block = nullptr;
    uint16_t size = 0xBEEF;
    UXDResult r = encodeOptions(texts.data(), entries.data(), uint32_t(entries.size()), &block, &size);
    if (r != UXD_SUCCESS) EXPECT_TRUE(!block && size == 0xBEEF) << "code " << r << " with a block or a size";
    out = block ? Bytes(block, block + size) : Bytes();
    release(block);
    return r;
}

// The bytes of a flat result, or the 70 of a pointer-form one; none after a failure.
struct Converted { UXDResult code; Bytes bytes; };
template <class Source, class Result>  // `source` a copy: its buffer is exactly its size, so ASan sees reads past it
Converted convert(UXDResult (*f)(const Source *, Result **, uint16_t *), Bytes source) {
    Result *result = reinterpret_cast<Result *>(&source);  // must be overwritten
    uint16_t size = 0xBEEF;
    const UXDResult code = f(reinterpret_cast<const Source *>(source.data()), &result, &size);
    if (code != UXD_SUCCESS) {
        EXPECT_TRUE(!result && size == 0xBEEF) << "code " << code << " with a result or a size";
        return {code, {}};
    }
    EXPECT_EQ(size, readField<uint16_t>(result, 68)) << "the size out-value is the result's flatSize";
    const auto *p = reinterpret_cast<const unsigned char *>(result);
    Converted out{code, Bytes(p, p + (size ? size : 70))};
    uxd::releaseOptionsRecord(result);
    return out;
}
Converted a2w(const Bytes &b) { return convert(convertOptionsA2W, b); }
Converted w2a(const Bytes &b) { return convert(convertOptionsW2A, b); }

::testing::AssertionResult sameBytes(const Bytes &expected, const Bytes &got) {
    if (expected == got) return ::testing::AssertionSuccess();
    std::size_t i = std::mismatch(expected.begin(), expected.end(), got.begin(), got.end()).first - expected.begin();
    auto at = [&](const Bytes &b) { return i < b.size() ? std::to_string(b[i]) : std::string("the end"); };
    return ::testing::AssertionFailure() << "byte " << i << ": expected " << at(expected) << ", got " << at(got);
}

// Each allocation of both flat conversions fails in turn. The name after the password is the
// longest text, so a scratch grows once the password is in the new block: that block, released
// on the failure, must be wiped.
TEST(Options, AFlatConversionThatFailsWipesThePasswordItCopied) {
    const char password[] = "Pw-7f3a9c-marker";
    const std::string name(64, 'n');
    Bytes ansi;
    ASSERT_EQ(encode({"Ann", "", "", "", "", "", password}, {recipient(0, 1, name.c_str(), "SMTP:a@b.c")}, ansi),
              UXD_SUCCESS);
    const Converted wide = a2w(ansi);
    ASSERT_EQ(wide.code, UXD_SUCCESS);
    allocation_fault::watchReleasesFor(password);
    for (bool toWide : {true, false}) {
        for (unsigned long n = 1;; ++n) {
            allocation_fault::failAt(n);
            const UXDResult code = toWide ? a2w(ansi).code : w2a(wide.bytes).code;
            const bool reached = allocation_fault::attempts() >= n;
            allocation_fault::failAt(0);
            if (!reached) break;  // every allocation has failed once
            EXPECT_EQ(code, UXD_E_OUT_OF_MEMORY) << (toWide ? "to wide" : "to ANSI") << ", allocation " << n;
        }
    }
    EXPECT_EQ(allocation_fault::releasesHoldingMarker(), 0) << "released blocks held the password";
    allocation_fault::watchReleasesFor(nullptr);
}

TEST(Options, EncoderAndFlatConversionsGiveTheReferenceBlocks) {
    Bytes got;
    ASSERT_EQ(encode(Texts(7, ""), {}, got), UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(emptyAnsi81(), got)) << "empty job";
    ASSERT_EQ(encode({"Ann", "", "", "", "", "", ""}, {recipient(0, 1, "Ann", "SMTP:a@b.c", 16, kEntryId)}, got),
              UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(oneRecipient(1), got)) << "one recipient";
    unsigned char *block = nullptr;
    uint16_t size = 0;
    EXPECT_EQ(encodeOptions(Texts(7, "").data(), nullptr, 1, &block, &size), UXD_E_INVALID_ARGUMENT)
        << "a count without a table";
    const Bytes emptyRecord = with(Bytes(70, 0), {{0, 2, 70}});
    const struct { const char *what; bool toWide; Bytes source, expected; } cases[] = {
        {"empty job, ANSI 81 to wide", true, emptyAnsi81(), emptyWide88()},
        {"empty job, wide 88 to ANSI", false, emptyWide88(), flat(88, 14, 0, 0, {74, 75, 76, 77, 78, 79, 80})},
        {"one recipient, ANSI 155 to wide", true, oneRecipient(1), oneRecipient(2)},
        // only the older record's own 52 bytes exist
        {"structSize 52 gives an empty record", true, with(Bytes(52, 0xAB), {{0, 2, 52}}), emptyRecord},
    };
    for (const auto &c : cases) {
        Converted got = c.toWide ? a2w(c.source) : w2a(c.source);
        EXPECT_EQ(got.code, UXD_SUCCESS) << c.what;
        EXPECT_TRUE(sameBytes(c.expected, got.bytes)) << c.what;
    }
}

TEST(Options, MalformedBlocksAreRefusedByTheReaderAndBothConversions) {
    // Each change is made to the ANSI and the UTF-16 form (k bytes a unit) of oneRecipient(k).
    using Change = std::function<void(Bytes &, std::size_t k)>;
    const struct { const char *what; Change change; } cases[] = {
        {"intact", nullptr},
        {"last byte cut off", [](Bytes &b, std::size_t) { b.pop_back(); put(b, 68, 2, b.size()); }},
        {"flatSize inside the header", [](Bytes &b, std::size_t) { put(b, 68, 2, 69); }},
        {"text offset at flatSize", [](Bytes &b, std::size_t) { put(b, 26, 8, b.size()); }},
        {"unterminated last string", [](Bytes &b, std::size_t k) { put(b, k == 1 ? 138 : 162, k, 'x'); }},
        {"nRecipients larger than the room", [](Bytes &b, std::size_t) { put(b, 42, 2, 2); }},
        {"stringBytes more than the strings take", [](Bytes &b, std::size_t k) { put(b, 70, 2, 25 * k + 1); }},
        {"identifier past the end", [](Bytes &b, std::size_t k) { put(b, k == 1 ? 116 : 126, 8, b.size() - 8); }},
        {"identifier one byte past the end", [](Bytes &b, std::size_t k) { put(b, k == 1 ? 116 : 126, 8, b.size() - 15); }},
        {"empty identifier at flatSize", [](Bytes &b, std::size_t k) {
             put(b, k == 1 ? 108 : 118, 4, 0), put(b, 72, 2, 0), put(b, k == 1 ? 116 : 126, 8, b.size());
         }},
        {"table's entry running past the end", [](Bytes &b, std::size_t) { put(b, 44, 8, b.size() - 8); }},
        {"no recipients, table offset at flatSize", [](Bytes &b, std::size_t) { put(b, 42, 2, 0), put(b, 44, 8, b.size()); }},
    };
    for (const auto &c : cases) {
        for (std::size_t k : {1, 2}) {
            Bytes b = oneRecipient(k);
            if (c.change) c.change(b, k);
            const UXDResult expected = c.change ? UXD_E_INVALID_ARGUMENT : UXD_SUCCESS;
            const char *form = k == 1 ? ", ANSI " : ", wide ";
            FlatBlockView view;
            EXPECT_EQ(readFlatBlock(Bytes(b).data(), TextWidth(k), &view), expected) << c.what << form << "reader";
            EXPECT_EQ((k == 1 ? a2w(b) : w2a(b)).code, expected) << c.what << form << "conversion";
        }
    }
}

TEST(Options, DoubleByteTextGetsTheRoomItNeedsInAFlatAnsiBlock) {
    codepage_standin::use(codepage_standin::CodePage::ToyDoubleByte);
    // Three ideographs take four units of room in UTF-16 but seven bytes in ANSI: counting a
    // byte a character would cut To and lay Cc over it.
    Bytes wideBlock = flat(88, 14, 0, 0, {74, 82, 0, 0, 0, 0, 0}), expected = flat(88, 14, 0, 0, {74, 81, 0, 0, 0, 0, 0});
    putText(wideBlock, 74, u"\u4E00\u4E01\u4E02", 2);
    putText(wideBlock, 82, u"ab", 2);
    putText(expected, 74, u"\x81\x40\x81\x41\x81\x42", 1);
    putText(expected, 81, u"ab", 1);
    Converted got = w2a(wideBlock);
    EXPECT_EQ(got.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(expected, got.bytes));
    codepage_standin::use(codepage_standin::CodePage::Latin1);
}

}  // namespace
