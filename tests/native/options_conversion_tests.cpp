// ANSI <-> UTF-16 conversion of options records: the reference blocks byte for byte, the
// pointer form, damaged stored blocks, sizes the 16-bit fields cannot hold, Latin-1 and
// double-byte text, and every allocation failing in turn.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "allocation.h"
#include "codepage_standin.h"
#include "encoded_options.h"
#include "flat_block.h"
#include "options_blocks.h"
#include "options_conversion.h"

using namespace uxd;
using namespace blocks;
using codepage_standin::CodePage;

namespace {

class OptionsConversion : public ::testing::Test {
protected:
    void SetUp() override {
        allocation_fault::reset();
        codepage_standin::use(CodePage::Windows1252);
        before_ = allocation_fault::outstanding();
    }
    void TearDown() override {
        allocation_fault::reset();
        codepage_standin::use(CodePage::Windows1252);
        EXPECT_EQ(allocation_fault::outstanding(), before_) << "blocks left behind";
    }
    long before_ = 0;
};

// A heap buffer of exactly the block's bytes, so that ASan reports any read past it.
class Exact {
public:
    explicit Exact(const Bytes &b) : size_(b.size()), data_(new unsigned char[b.size()]) {
        std::memcpy(data_.get(), b.data(), b.size());
    }
    const MAPIDestinationOptions *ansi() const {
        return reinterpret_cast<const MAPIDestinationOptions *>(data_.get());
    }
    const MAPIDestinationOptionsW *wide() const {
        return reinterpret_cast<const MAPIDestinationOptionsW *>(data_.get());
    }
    const unsigned char *data() const { return data_.get(); }

private:
    std::size_t size_;
    std::unique_ptr<unsigned char[]> data_;
};

struct Flat {
    UXDResult code = -99;
    Bytes bytes;  // empty after a failure
};

void freeRecord(void *record) { UXDFreeDestinationOptions(0, static_cast<MAPIDestinationOptions *>(record)); }

// Converts a flat block; checks the out-values' contract and releases the result.
template <class Source, class Result>
Flat convertFlat(UXDResult (*convert)(const Source *, Result **, uint16_t *), const Bytes &block) {
    Exact source(block);
    Result *result = reinterpret_cast<Result *>(&source);  // must be overwritten
    uint16_t size = 0xBEEF;
    Flat out;
    out.code = convert(reinterpret_cast<const Source *>(source.data()), &result, &size);
    if (out.code != UXD_SUCCESS) {
        EXPECT_EQ(result, nullptr) << "no result after code " << out.code;
        EXPECT_EQ(size, 0xBEEF) << "size untouched after code " << out.code;
        return out;
    }
    EXPECT_NE(result, nullptr);
    if (!result) return out;
    out.bytes = copyOf(result);
    EXPECT_EQ(size, out.bytes.size()) << "size out-value is the block's flatSize";
    freeRecord(result);
    return out;
}

Flat a2w(const Bytes &block) { return convertFlat(convertOptionsA2W, block); }
Flat w2a(const Bytes &block) { return convertFlat(convertOptionsW2A, block); }

struct Texts {
    const char *values[7] = {"", "", "", "", "", "", ""};
};

Bytes encode(const Texts &texts, const std::vector<UXDRecipDesc> &entries) {
    unsigned char *block = nullptr;
    uint16_t size = 0;
    EXPECT_EQ(encodeOptions(texts.values, entries.data(), uint32_t(entries.size()), &block, &size), 0);
    if (!block) return Bytes();
    Bytes copy(block, block + size);
    release(block);
    return copy;
}

UXDRecipDesc recipient(uint32_t reserved, uint32_t recipClass, const char *name, const char *address,
                       uint32_t idSize = 0, const void *id = nullptr) {
    UXDRecipDesc e{};
    e.ulReserved = reserved;
    e.ulRecipClass = recipClass;
    e.lpszName = const_cast<char *>(name);
    e.lpszAddress = const_cast<char *>(address);
    e.ulEIDSize = idSize;
    e.lpEntryID = const_cast<void *>(id);
    return e;
}

// ---- flat blocks ------------------------------------------------------------------------------

TEST_F(OptionsConversion, EmptyJobBlocks81To88To88) {
    Flat wide = a2w(emptyAnsi81());
    ASSERT_EQ(wide.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(emptyWide88(), wide.bytes)) << "ANSI 81 -> wide";
    Flat back = w2a(wide.bytes);
    ASSERT_EQ(back.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(emptyAnsi88(), back.bytes)) << "wide 88 -> ANSI";
}

TEST_F(OptionsConversion, RecipientBlock155ToWideAndBack) {
    Flat wide = a2w(oneRecipientAnsi155());
    ASSERT_EQ(wide.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(oneRecipientWide180(), wide.bytes)) << "ANSI 155 -> wide";

    // Back to ANSI: the 155-byte layout, keeping the wide stringBytes, so 25 spare bytes.
    Bytes expected = oneRecipientAnsi155();
    expected.resize(180, 0);
    put16(expected, kFlatSizeAt, 180);
    put16(expected, kStringBytesAt, 50);
    Flat back = w2a(wide.bytes);
    ASSERT_EQ(back.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(expected, back.bytes)) << "wide 180 -> ANSI";
}

TEST_F(OptionsConversion, FlatSourceWithStructSizeAbove70) {
    // Wide to ANSI takes any structSize of 70 or more with a flatSize as flat; ANSI to
    // wide only exactly 70, and makes anything else an empty record.
    Bytes wide = emptyWide88();
    put16(wide, kStructSizeAt, 71);
    Flat back = w2a(wide);
    ASSERT_EQ(back.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(emptyAnsi88(), back.bytes));

    Bytes ansi = emptyAnsi81();
    put16(ansi, kStructSizeAt, 71);
    Exact source(ansi);
    MAPIDestinationOptionsW *result = nullptr;
    uint16_t size = 0xBEEF;
    ASSERT_EQ(convertOptionsA2W(source.ansi(), &result, &size), UXD_SUCCESS);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(size, 0u);
    Bytes empty(70, 0);
    put16(empty, kStructSizeAt, 70);
    EXPECT_TRUE(sameBytes(empty, Bytes(reinterpret_cast<unsigned char *>(result),
                                       reinterpret_cast<unsigned char *>(result) + 70)));
    freeRecord(result);
}

TEST_F(OptionsConversion, RoundTripKeepsTextsRecipientsAndEntryIds) {
    unsigned char id16[16], id3[3] = {0, 0xFF, 0};
    for (int i = 0; i < 16; ++i) id16[i] = static_cast<unsigned char>(i * 17);
    Texts texts;
    const char *values[7] = {"Ann; Bob", nullptr, "", "Q3 report", "See attached.\r\nRegards", "Outlook", "pw"};
    std::copy(values, values + 7, texts.values);
    std::vector<UXDRecipDesc> entries = {
        recipient(0, 1, "Ann", "SMTP:ann@example.com", 16, id16),
        recipient(5, 1, "Bob", nullptr),
        recipient(0, 3, nullptr, "SMTP:x@y", 3, id3),
    };
    Bytes encoded = encode(texts, entries);
    Flat wide = a2w(encoded);
    ASSERT_EQ(wide.code, UXD_SUCCESS);
    Flat back = w2a(wide.bytes);
    ASSERT_EQ(back.code, UXD_SUCCESS);

    FlatBlockView w, a;
    ASSERT_EQ(readFlatBlock(wide.bytes.data(), TextWidth::Wide, &w), UXD_SUCCESS);
    ASSERT_EQ(readFlatBlock(back.bytes.data(), TextWidth::Ansi, &a), UXD_SUCCESS);
    auto wideOf = [&](const FlatText &t) { return t.bytes ? wideAt(t.bytes, 0) : Wide(u"<none>"); };
    auto ansiOf = [&](const FlatText &t) { return t.bytes ? ansiAt(t.bytes, 0) : std::string("<none>"); };
    auto widened = [](const char *s) { return s ? Wide(s, s + std::strlen(s)) : Wide(u"<none>"); };
    for (int i = 0; i < 7; ++i) {
        std::string expected = values[i] ? values[i] : "<none>";
        EXPECT_EQ(ansiOf(a.texts[i]), expected) << "text " << i;
        EXPECT_TRUE(wideOf(w.texts[i]) == widened(values[i])) << "wide text " << i;
    }
    ASSERT_EQ(a.nRecipients, entries.size());
    for (uint16_t i = 0; i < a.nRecipients; ++i) {
        FlatEntry got = a.entry(i);
        const UXDRecipDesc &want = entries[i];
        EXPECT_EQ(got.ulReserved, want.ulReserved) << "entry " << i;
        EXPECT_EQ(got.ulRecipClass, want.ulRecipClass) << "entry " << i;
        EXPECT_EQ(ansiOf(got.name), want.lpszName ? want.lpszName : "<none>") << "entry " << i;
        EXPECT_EQ(ansiOf(got.address), want.lpszAddress ? want.lpszAddress : "<none>") << "entry " << i;
        ASSERT_EQ(got.ulEIDSize, want.ulEIDSize) << "entry " << i;
        if (want.ulEIDSize)
            EXPECT_EQ(Bytes(got.entryId, got.entryId + got.ulEIDSize),
                      Bytes(static_cast<unsigned char *>(want.lpEntryID),
                            static_cast<unsigned char *>(want.lpEntryID) + want.ulEIDSize))
                << "entry identifier " << i;
        else
            EXPECT_EQ(got.entryId, nullptr) << "entry " << i;
    }
}

TEST_F(OptionsConversion, Latin1TextSurvivesUnder1252) {
    // "Grüße, Jürgen" and the euro sign, as Windows-1252 bytes.
    const char greeting[] = "Gr\xFC\xDF" "e, J\xFCrgen";
    const char price[] = "\x80 5";
    Texts texts;
    texts.values[3] = greeting;
    texts.values[4] = price;
    Flat wide = a2w(encode(texts, {recipient(0, 1, "J\xFCrgen", nullptr)}));
    ASSERT_EQ(wide.code, UXD_SUCCESS);
    FlatBlockView w;
    ASSERT_EQ(readFlatBlock(wide.bytes.data(), TextWidth::Wide, &w), UXD_SUCCESS);
    EXPECT_TRUE(wideAt(w.texts[uxd::kSubject].bytes, 0) == u"Grüße, Jürgen");
    EXPECT_TRUE(wideAt(w.texts[uxd::kMessage].bytes, 0) == u"\u20AC 5");
    EXPECT_TRUE(wideAt(w.entry(0).name.bytes, 0) == u"Jürgen");

    Flat back = w2a(wide.bytes);
    ASSERT_EQ(back.code, UXD_SUCCESS);
    FlatBlockView a;
    ASSERT_EQ(readFlatBlock(back.bytes.data(), TextWidth::Ansi, &a), UXD_SUCCESS);
    EXPECT_EQ(ansiAt(a.texts[uxd::kSubject].bytes, 0), greeting);
    EXPECT_EQ(ansiAt(a.texts[uxd::kMessage].bytes, 0), price);
    EXPECT_EQ(ansiAt(a.entry(0).name.bytes, 0), "J\xFCrgen");
}

TEST_F(OptionsConversion, AnsiToWideRefusesABlockOver65535Bytes) {
    // Six empty texts and a message: 74 + 2 x stringBytes bytes once widened.
    for (auto [messageLength, expected] : {std::pair<std::size_t, UXDResult>{32723, UXD_SUCCESS},
                                           {32724, UXD_E_INVALID_ARGUMENT}}) {
        std::string message(messageLength, 'm');
        Texts texts;
        texts.values[4] = message.c_str();
        Flat wide = a2w(encode(texts, {}));
        EXPECT_EQ(wide.code, expected) << "message of " << messageLength << " bytes";
        if (expected == UXD_SUCCESS) EXPECT_EQ(wide.bytes.size(), 74u + 2 * (messageLength + 7));
    }
}

// ---- damaged stored blocks ---------------------------------------------------------------------

struct Damage {
    const char *what;
    bool ansi, wide;        // which forms the damage applies to
    bool withRecipient;     // start from the 155/180-byte blocks, else from the 81/88-byte ones
    std::function<void(Bytes &)> apply;
};

uint16_t flatSizeOf(const Bytes &b) { return get16(b.data(), kFlatSizeAt); }
std::size_t row(const Bytes &b) { return std::size_t(get64(b.data(), kTableAt)); }
void truncate(Bytes &b, std::size_t size) {
    b.resize(size);
    put16(b, kFlatSizeAt, uint16_t(size));
}

const std::vector<Damage> &damages() {
    static const std::vector<Damage> list = {
        {"flatSize below the header", true, true, true, [](Bytes &b) { truncate(b, 73); }},
        {"truncated to the header", true, true, true, [](Bytes &b) { truncate(b, 74); }},
        {"last byte cut off", true, true, true, [](Bytes &b) { truncate(b, b.size() - 1); }},
        {"text offset at flatSize", true, true, true, [](Bytes &b) { put64(b, kSubjectAt, flatSizeOf(b)); }},
        {"text offset past the low 32 bits", true, true, true,
         [](Bytes &b) { put64(b, kToAt, (uint64_t(1) << 32) + 74); }},
        {"text offset inside the header", true, true, true, [](Bytes &b) { put64(b, kCcAt, 10); }},
        {"unterminated last string", true, false, false, [](Bytes &b) { b.back() = 'x'; }},
        {"unterminated last wide string", false, true, false, [](Bytes &b) { put16(b, b.size() - 2, 'x'); }},
        {"odd-offset wide string running off the end", false, true, false,
         [](Bytes &b) { put64(b, kPasswordAt, b.size() - 1); }},
        {"nRecipients larger than the room", true, true, true, [](Bytes &b) { put16(b, kCountAt, 2); }},
        {"entries without a table", true, true, true, [](Bytes &b) { put64(b, kTableAt, 0); }},
        {"table offset 0 over a header that reads as a valid entry", true, true, false, [](Bytes &b) {
             for (std::size_t field : kTextFields) put64(b, field, 0);
             put16(b, kCountAt, 1);
             truncate(b, 74 + get16(b.data(), kStringBytesAt) + 40);
         }},
        {"unused table offset past the end", true, true, false,
         [](Bytes &b) { put64(b, kTableAt, b.size() + 100); }},
        {"table running past the end", true, true, true, [](Bytes &b) { put64(b, kTableAt, b.size() - 39); }},
        {"stringBytes below the strings", true, true, true,
         [](Bytes &b) { put16(b, kStringBytesAt, get16(b.data(), kStringBytesAt) - 1); }},
        {"stringBytes beyond the block", true, true, true,
         [](Bytes &b) { put16(b, kStringBytesAt, get16(b.data(), kStringBytesAt) + 1); }},
        {"a name running into the address", true, false, true, [](Bytes &b) { b[127] = 'x'; }},
        {"entryIdBytes below the identifiers", true, true, true, [](Bytes &b) { put16(b, kIdBytesAt, 15); }},
        {"entry identifier past the end", true, true, true,
         [](Bytes &b) { put64(b, row(b) + kEntryId, b.size() - 8); }},
        {"identifier size without an offset", true, true, true,
         [](Bytes &b) { put64(b, row(b) + kEntryId, 0); }},
        {"identifier size near 2^32", true, true, true,
         [](Bytes &b) { put32(b, row(b) + kEntryIdSize, 0xFFFFFFFFu); }},
        {"unused identifier offset past the end", true, true, true, [](Bytes &b) {
             put32(b, row(b) + kEntryIdSize, 0);
             put64(b, row(b) + kEntryId, b.size());
         }},
        {"name offset past the end", true, true, true,
         [](Bytes &b) { put64(b, row(b) + kEntryName, b.size() + 1); }},
        {"address offset near 2^64", true, true, true,
         [](Bytes &b) { put64(b, row(b) + kEntryAddress, ~uint64_t(0) - 1); }},
    };
    return list;
}

TEST_F(OptionsConversion, DamagedBlocksAreRefusedByTheReaderAndBothConversions) {
    for (const Damage &d : damages()) {
        for (TextWidth width : {TextWidth::Ansi, TextWidth::Wide}) {
            bool wide = width == TextWidth::Wide;
            if (wide ? !d.wide : !d.ansi) continue;
            Bytes b = wide ? (d.withRecipient ? oneRecipientWide180() : emptyWide88())
                           : (d.withRecipient ? oneRecipientAnsi155() : emptyAnsi81());
            d.apply(b);
            const char *form = wide ? "wide" : "ANSI";
            Exact exact(b);
            FlatBlockView view;
            EXPECT_EQ(readFlatBlock(exact.data(), width, &view), UXD_E_INVALID_ARGUMENT)
                << d.what << " (" << form << ", reader)";
            EXPECT_EQ((wide ? w2a(b) : a2w(b)).code, UXD_E_INVALID_ARGUMENT)
                << d.what << " (" << form << ", conversion)";
        }
    }
}

TEST_F(OptionsConversion, UndamagedBasesOfTheDamageTableAreAccepted) {
    // Otherwise every damaged block above would be refused for the wrong reason.
    for (const Bytes &b : {emptyAnsi81(), oneRecipientAnsi155()}) EXPECT_EQ(a2w(b).code, UXD_SUCCESS);
    for (const Bytes &b : {emptyWide88(), oneRecipientWide180()}) EXPECT_EQ(w2a(b).code, UXD_SUCCESS);
}

// ---- pointer form -------------------------------------------------------------------------------

// A pointer-form record built from test-owned storage (the source is the host's).
struct WideSource {
    std::vector<UXDWideChar> texts[7];
    bool present[7] = {};
    std::vector<UXDWideChar> names[4], addresses[4];
    UXDRecipDescW table[4] = {};
    MAPIDestinationOptionsW record{};

    void text(int i, const Wide &value) {
        texts[i] = units(value);
        present[i] = true;
    }
    const MAPIDestinationOptionsW *build(uint16_t count) {
        record.structSize = 70;
        for (int i = 0; i < 7; ++i) {  // packed record: no pointers to its fields
            UXDWideChar *text = present[i] ? texts[i].data() : nullptr;
            std::memcpy(reinterpret_cast<unsigned char *>(&record) + kTextFields[i], &text, sizeof text);
        }
        record.nRecipients = count;
        record.recipients = count ? table : nullptr;
        return &record;
    }
};

TEST_F(OptionsConversion, PointerFormWideEntryBecomesAnsiWithNullAddressAndId) {
    WideSource source;
    source.names[0] = units(u"Ann");
    source.table[0].ulRecipClass = 1;
    source.table[0].lpszName = source.names[0].data();
    const MAPIDestinationOptionsW *record = source.build(1);

    MAPIDestinationOptions *result = nullptr;
    uint16_t size = 0xBEEF;
    ASSERT_EQ(convertOptionsW2A(record, &result, &size), UXD_SUCCESS);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(size, 0u) << "pointer-form result";
    EXPECT_EQ(result->structSize, 70u);
    EXPECT_EQ(result->flatSize, 0u);
    EXPECT_EQ(result->nRecipients, 1u);
    for (std::size_t field : kTextFields)
        EXPECT_EQ(get64(result, field), 0u) << "absent text at offset " << field << " stays null";
    UXDRecipDesc *table = result->recipients;
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table[0].ulRecipClass, 1u);
    ASSERT_NE(table[0].lpszName, nullptr);
    EXPECT_STREQ(table[0].lpszName, "Ann");
    EXPECT_EQ(table[0].lpszAddress, nullptr);
    EXPECT_EQ(table[0].ulEIDSize, 0u);
    EXPECT_EQ(table[0].lpEntryID, nullptr);
    freeRecord(result);
}

TEST_F(OptionsConversion, PointerFormAnsiToWideOwnsEveryPartItself) {
    char to[] = "Ann; Bob", subject[] = "Gr\xFC\xDF" "e", message[] = "", name0[] = "Ann",
         address0[] = "SMTP:ann@example.com", name1[] = "Bob";
    unsigned char id[4] = {9, 8, 7, 6};
    UXDRecipDesc table[3] = {recipient(0, 1, name0, address0, 4, id), recipient(7, 3, name1, nullptr),
                             recipient(0, 2, nullptr, nullptr, 5, nullptr)};
    MAPIDestinationOptions source{};
    source.structSize = 70;
    source.toNames = to;
    source.subject = subject;
    source.message = message;
    source.nRecipients = 3;
    source.recipients = table;

    long before = allocation_fault::outstanding();
    MAPIDestinationOptionsW *result = nullptr;
    ASSERT_EQ(convertOptionsA2W(&source, &result, nullptr), UXD_SUCCESS) << "size may be null";
    ASSERT_NE(result, nullptr);
    EXPECT_TRUE(wideText(result->toNames) == u"Ann; Bob");
    EXPECT_TRUE(wideText(result->subject) == u"Grüße");
    // Pointer fields of the packed record are copied out before gtest takes references.
    const UXDWideChar *gotMessage = result->message, *gotCc = result->ccNames, *gotPassword = result->password;
    ASSERT_NE(gotMessage, nullptr) << "an empty text stays present";
    EXPECT_EQ(gotMessage[0], 0);
    EXPECT_EQ(gotCc, nullptr);
    EXPECT_EQ(gotPassword, nullptr);
    ASSERT_EQ(result->nRecipients, 3u);
    UXDRecipDescW *got = result->recipients;
    ASSERT_NE(got, nullptr);
    EXPECT_TRUE(wideText(got[0].lpszName) == u"Ann");
    EXPECT_TRUE(wideText(got[0].lpszAddress) == u"SMTP:ann@example.com");
    ASSERT_EQ(got[0].ulEIDSize, 4u);
    ASSERT_NE(got[0].lpEntryID, nullptr);
    EXPECT_NE(got[0].lpEntryID, static_cast<void *>(id)) << "the identifier is a copy";
    EXPECT_EQ(std::memcmp(got[0].lpEntryID, id, 4), 0);
    EXPECT_EQ(got[1].ulReserved, 7u);
    EXPECT_EQ(got[1].ulRecipClass, 3u);
    EXPECT_EQ(got[1].lpszAddress, nullptr);
    EXPECT_EQ(got[1].lpEntryID, nullptr);
    EXPECT_EQ(got[2].lpszName, nullptr);
    EXPECT_EQ(got[2].ulEIDSize, 5u) << "copied unchanged";
    EXPECT_EQ(got[2].lpEntryID, nullptr) << "no bytes behind the size";

    freeRecord(result);
    EXPECT_EQ(allocation_fault::outstanding(), before) << "every part of the result released";
    const unsigned char original[4] = {9, 8, 7, 6};
    EXPECT_EQ(std::memcmp(id, original, 4), 0) << "the source's identifier is untouched";
    EXPECT_STREQ(table[0].lpszAddress, "SMTP:ann@example.com");
}

TEST_F(OptionsConversion, PointerFormEntriesWithoutATableAreRefused) {
    MAPIDestinationOptions source{};
    source.structSize = 70;
    source.nRecipients = 2;
    MAPIDestinationOptionsW *result = nullptr;
    EXPECT_EQ(convertOptionsA2W(&source, &result, nullptr), UXD_E_INVALID_ARGUMENT);
    EXPECT_EQ(result, nullptr);
}

TEST_F(OptionsConversion, UnrecognisedStructSizeGivesAnEmptyRecord) {
    Bytes empty(70, 0);
    put16(empty, kStructSizeAt, 70);
    for (uint16_t structSize : {0, 52, 69, 71}) {
        // Only structSize bytes (at least two) exist, all else 0xAB: nothing else may be read.
        std::size_t length = std::max<std::size_t>(structSize, 2);
        Bytes garbage(length, 0xAB);
        put16(garbage, kStructSizeAt, structSize);
        if (length >= 70) put16(garbage, kFlatSizeAt, 0);
        for (bool wide : {false, true}) {
            Exact source(garbage);
            void *result = nullptr;
            uint16_t size = 0xBEEF;
            UXDResult r = wide ? convertOptionsW2A(source.wide(), reinterpret_cast<MAPIDestinationOptions **>(&result), &size)
                               : convertOptionsA2W(source.ansi(), reinterpret_cast<MAPIDestinationOptionsW **>(&result), &size);
            EXPECT_EQ(r, UXD_SUCCESS) << "structSize " << structSize;
            ASSERT_NE(result, nullptr) << "structSize " << structSize;
            EXPECT_EQ(size, 0u);
            EXPECT_TRUE(sameBytes(empty, Bytes(static_cast<unsigned char *>(result),
                                               static_cast<unsigned char *>(result) + 70)))
                << "structSize " << structSize << (wide ? " wide to ANSI" : " ANSI to wide");
            freeRecord(result);
        }
    }
}

TEST_F(OptionsConversion, NullSourceNullResultAndNullSize) {
    MAPIDestinationOptions *a = reinterpret_cast<MAPIDestinationOptions *>(this);
    MAPIDestinationOptionsW *w = reinterpret_cast<MAPIDestinationOptionsW *>(this);
    uint16_t size = 0xBEEF;
    EXPECT_EQ(convertOptionsW2A(nullptr, &a, &size), UXD_SUCCESS);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(convertOptionsA2W(nullptr, &w, &size), UXD_SUCCESS);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(size, 0xBEEF) << "size untouched without a source";

    Exact ansi(emptyAnsi81()), wide(emptyWide88());
    EXPECT_EQ(convertOptionsA2W(ansi.ansi(), nullptr, &size), UXD_E_INVALID_ARGUMENT);
    EXPECT_EQ(convertOptionsW2A(wide.wide(), nullptr, &size), UXD_E_INVALID_ARGUMENT);

    ASSERT_EQ(convertOptionsA2W(ansi.ansi(), &w, nullptr), UXD_SUCCESS) << "flat, null size";
    EXPECT_EQ(get16(w, kFlatSizeAt), 88u);
    freeRecord(w);
    ASSERT_EQ(convertOptionsW2A(wide.wide(), &a, nullptr), UXD_SUCCESS) << "flat, null size";
    EXPECT_EQ(get16(a, kFlatSizeAt), 88u);
    freeRecord(a);
    WideSource pointers;
    pointers.text(0, u"Ann");
    ASSERT_EQ(convertOptionsW2A(pointers.build(0), &a, nullptr), UXD_SUCCESS) << "pointer form, null size";
    EXPECT_STREQ(a->toNames, "Ann");
    freeRecord(a);
}

// ---- double-byte code page ---------------------------------------------------------------------

TEST_F(OptionsConversion, DoubleByteTextGetsTheRoomItNeedsInAFlatAnsiBlock) {
    codepage_standin::Using page(CodePage::ToyDoubleByte);
    // A tight wide block: To three ideographs, Cc "ab", subject ideograph + "x", one entry.
    Bytes wide = header(144, 30, 0, 1);
    putWide(wide, 74, u"\u4E00\u4E01\u4E02");
    putWide(wide, 82, u"ab");
    putWide(wide, 88, u"\u4E03x");
    put64(wide, kToAt, 74);
    put64(wide, kCcAt, 82);
    put64(wide, kSubjectAt, 88);
    put64(wide, kTableAt, 94);
    put32(wide, 94 + kEntryClass, 2);
    put64(wide, 94 + kEntryName, 134);
    put64(wide, 94 + kEntryAddress, 140);
    putWide(wide, 134, u"\u4E04\u4E05");
    putWide(wide, 140, u"q");

    // Each string gets max(characters, ANSI bytes): 7, 3, 4, then name 5 and address 2.
    // One byte per character would have cut the To text and laid Cc over it.
    Bytes expected = header(144, 30, 0, 1);
    putAnsi(expected, 74, "\x81\x40\x81\x41\x81\x42");
    putAnsi(expected, 81, "ab");
    putAnsi(expected, 84, "\x81\x43x");
    put64(expected, kToAt, 74);
    put64(expected, kCcAt, 81);
    put64(expected, kSubjectAt, 84);
    put64(expected, kTableAt, 88);
    put32(expected, 88 + kEntryClass, 2);
    put64(expected, 88 + kEntryName, 128);
    put64(expected, 88 + kEntryAddress, 133);
    putAnsi(expected, 128, "\x81\x44\x81\x45");
    putAnsi(expected, 133, "q");

    Flat ansi = w2a(wide);
    ASSERT_EQ(ansi.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(expected, ansi.bytes));
    FlatBlockView view;
    EXPECT_EQ(readFlatBlock(ansi.bytes.data(), TextWidth::Ansi, &view), UXD_SUCCESS) << "reads back";

    // And back to wide: the same texts.
    Flat again = a2w(ansi.bytes);
    ASSERT_EQ(again.code, UXD_SUCCESS);
    ASSERT_EQ(readFlatBlock(again.bytes.data(), TextWidth::Wide, &view), UXD_SUCCESS);
    EXPECT_TRUE(wideAt(view.texts[kToNames].bytes, 0) == u"\u4E00\u4E01\u4E02");
    EXPECT_TRUE(wideAt(view.texts[uxd::kSubject].bytes, 0) == u"\u4E03x");
    EXPECT_TRUE(wideAt(view.entry(0).name.bytes, 0) == u"\u4E04\u4E05");
}

TEST_F(OptionsConversion, DoubleByteTextInThePointerForm) {
    codepage_standin::Using page(CodePage::ToyDoubleByte);
    WideSource source;
    source.text(kToNames, u"\u4E00\u4E01\u4E02");
    source.text(uxd::kSubject, u"a\u4E03");
    MAPIDestinationOptions *ansi = nullptr;
    ASSERT_EQ(convertOptionsW2A(source.build(0), &ansi, nullptr), UXD_SUCCESS);
    EXPECT_STREQ(ansi->toNames, "\x81\x40\x81\x41\x81\x42");
    EXPECT_STREQ(ansi->subject, "a\x81\x43");
    MAPIDestinationOptionsW *wide = nullptr;
    ASSERT_EQ(convertOptionsA2W(ansi, &wide, nullptr), UXD_SUCCESS);
    EXPECT_TRUE(wideText(wide->toNames) == u"\u4E00\u4E01\u4E02");
    EXPECT_TRUE(wideText(wide->subject) == u"a\u4E03");
    freeRecord(wide);
    freeRecord(ansi);
}

// ---- out of memory -------------------------------------------------------------------------------

// Every string and identifier of a pointer-form record (nullopt: null), in a fixed order.
using Parts = std::vector<std::optional<Bytes>>;

template <class Char>
std::optional<Bytes> stringPart(const Char *s) {
    if (!s) return std::nullopt;
    std::size_t n = 0;
    while (s[n]) ++n;
    const auto *p = reinterpret_cast<const unsigned char *>(s);
    return Bytes(p, p + (n + 1) * sizeof(Char));
}

template <class Record>
Parts partsOf(const Record *r) {
    Parts parts;
    for (auto *s : {r->toNames, r->ccNames, r->bccNames, r->subject, r->message, r->profileName, r->password})
        parts.push_back(stringPart(s));
    for (uint16_t i = 0; r->recipients && i < r->nRecipients; ++i) {
        const auto &e = r->recipients[i];
        parts.push_back(stringPart(e.lpszName));
        parts.push_back(stringPart(e.lpszAddress));
        const auto *id = static_cast<const unsigned char *>(e.lpEntryID);
        parts.push_back(id ? std::optional<Bytes>(Bytes(id, id + e.ulEIDSize)) : std::nullopt);
    }
    return parts;
}

struct Outcome {
    UXDResult code;
    bool flat;
    Bytes block;  // a flat result
    Parts parts;  // a pointer-form result
};

template <class Source, class Result>
Outcome run(UXDResult (*convert)(const Source *, Result **, uint16_t *), const Source *source) {
    Result *result = nullptr;
    Outcome o{convert(source, &result, nullptr), false, {}, {}};
    if (o.code != UXD_SUCCESS) {
        EXPECT_EQ(result, nullptr);
        return o;
    }
    o.flat = result->flatSize != 0;
    if (o.flat)
        o.block = copyOf(result);
    else
        o.parts = partsOf(result);
    freeRecord(result);
    return o;
}

TEST_F(OptionsConversion, EveryAllocationFailingInTurnGivesCode2OrANullPartAndLeaksNothing) {
    Exact ansi155(oneRecipientAnsi155()), wide180(oneRecipientWide180());
    char to[] = "Ann", name[] = "Bob", address[] = "SMTP:bob@example.com";
    unsigned char id[5] = {1, 2, 3, 4, 5};
    UXDRecipDesc table[2] = {recipient(0, 1, name, address, 5, id), recipient(0, 2, name, nullptr)};
    MAPIDestinationOptions ansiPointers{};
    ansiPointers.structSize = 70;
    ansiPointers.toNames = to;
    ansiPointers.nRecipients = 2;
    ansiPointers.recipients = table;
    WideSource widePointers;
    widePointers.text(kToNames, u"Ann");
    widePointers.text(uxd::kPassword, u"");
    widePointers.names[0] = units(u"Bob");
    widePointers.table[0].lpszName = widePointers.names[0].data();
    widePointers.table[0].ulEIDSize = 5;
    widePointers.table[0].lpEntryID = id;
    Bytes older(52, 0);
    put16(older, kStructSizeAt, 52);
    Exact olderRecord(older);

    const struct {
        const char *what;
        std::function<Outcome()> convert;
    } operations[] = {
        {"flat ANSI to wide", [&] { return run(convertOptionsA2W, ansi155.ansi()); }},
        {"flat wide to ANSI", [&] { return run(convertOptionsW2A, wide180.wide()); }},
        {"pointer-form ANSI to wide", [&] { return run(convertOptionsA2W, &ansiPointers); }},
        {"pointer-form wide to ANSI", [&] { return run(convertOptionsW2A, widePointers.build(1)); }},
        {"older layout", [&] { return run(convertOptionsA2W, olderRecord.ansi()); }},
    };
    for (const auto &op : operations) {
        allocation_fault::failAt(0);
        Outcome full = op.convert();
        ASSERT_EQ(full.code, UXD_SUCCESS) << op.what;
        unsigned long attempts = allocation_fault::attempts();
        ASSERT_GT(attempts, 0u) << op.what;
        int partsPresent = 0, runsWithANullPart = 0;
        for (const auto &part : full.parts) partsPresent += part.has_value();
        for (unsigned long n = 1; n <= attempts; ++n) {
            long before = allocation_fault::outstanding();
            allocation_fault::failAt(n);
            Outcome got = op.convert();
            EXPECT_EQ(allocation_fault::outstanding(), before) << op.what << ", allocation " << n << " failing";
            if (got.code == UXD_E_OUT_OF_MEMORY) continue;
            // A pointer-form string or identifier of its own may come out null instead.
            ASSERT_EQ(got.code, UXD_SUCCESS) << op.what << ", allocation " << n << " failing";
            ASSERT_FALSE(got.flat) << op.what << ": a flat result needs every allocation";
            ASSERT_EQ(got.parts.size(), full.parts.size()) << op.what;
            int nulled = 0;
            for (std::size_t i = 0; i < got.parts.size(); ++i) {
                if (got.parts[i] == full.parts[i]) continue;
                EXPECT_FALSE(got.parts[i].has_value()) << op.what << ": part " << i << " changed";
                ++nulled;
            }
            EXPECT_EQ(nulled, 1) << op.what << ", allocation " << n << ": exactly one part left null";
            ++runsWithANullPart;
        }
        // Each present part has an allocation of its own; every other failure is code 2.
        EXPECT_EQ(runsWithANullPart, partsPresent) << op.what;
    }
}

TEST_F(OptionsConversion, AFailingCodePageCallGivesCode5AndLeaksNothing) {
    // Measuring and converting are both checked: each call failing in turn refuses the record.
    Exact ansi155(oneRecipientAnsi155()), wide180(oneRecipientWide180());
    WideSource widePointers;
    widePointers.text(kToNames, u"Ann");
    widePointers.text(uxd::kSubject, u"Q3");
    widePointers.names[0] = units(u"Bob");
    widePointers.addresses[0] = units(u"SMTP:bob@example.com");
    widePointers.table[0].lpszName = widePointers.names[0].data();
    widePointers.table[0].lpszAddress = widePointers.addresses[0].data();
    const struct {
        const char *what;
        std::function<Outcome()> convert;
    } operations[] = {
        {"flat ANSI to wide", [&] { return run(convertOptionsA2W, ansi155.ansi()); }},
        {"flat wide to ANSI", [&] { return run(convertOptionsW2A, wide180.wide()); }},
        {"pointer-form wide to ANSI", [&] { return run(convertOptionsW2A, widePointers.build(1)); }},
    };
    for (const auto &op : operations) {
        codepage_standin::failCall(0);
        ASSERT_EQ(op.convert().code, UXD_SUCCESS) << op.what;
        unsigned long calls = codepage_standin::calls();
        ASSERT_GT(calls, 0u) << op.what;
        for (unsigned long n = 1; n <= calls; ++n) {
            long before = allocation_fault::outstanding();
            codepage_standin::failCall(n);
            EXPECT_EQ(op.convert().code, UXD_E_INVALID_ARGUMENT) << op.what << ", call " << n << " failing";
            EXPECT_EQ(allocation_fault::outstanding(), before) << op.what << ", call " << n << " failing";
        }
    }
    codepage_standin::failCall(0);
}

}  // namespace
