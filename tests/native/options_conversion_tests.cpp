// ANSI <-> UTF-16 conversion of options records: the reference blocks byte for byte, the
// pointer form, malformed stored blocks, Latin-1 and double-byte text, out of memory.
#include <functional>

#include "options_blocks.h"
#include "options_conversion.h"

using namespace blocks;

namespace {

class OptionsConversion : public Options {};

// The bytes of a flat result, or the 70 of a pointer-form one; none after a failure.
struct Converted { UXDResult code; Bytes bytes; };

template <class Source, class Result>
Converted convert(UXDResult (*f)(const Source *, Result **, uint16_t *), const Bytes &block) {
    Converted out{-1, {}};
    const Bytes source = block;  // a copy's heap buffer is exactly its size: ASan sees reads past it
    Result *result = reinterpret_cast<Result *>(&out);  // must be overwritten
    uint16_t size = 0xBEEF;
    out.code = f(reinterpret_cast<const Source *>(source.data()), &result, &size);
    if (out.code != UXD_SUCCESS) {
        EXPECT_TRUE(!result && size == 0xBEEF) << "code " << out.code << " with a result or a size";
        return out;
    }
    EXPECT_EQ(size, get(result, 68, 2)) << "the size out-value is the result's flatSize";
    const auto *p = reinterpret_cast<const unsigned char *>(result);
    out.bytes.assign(p, p + (size ? size : 70));
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(result));
    return out;
}
Converted a2w(const Bytes &b) { return convert(convertOptionsA2W, b); }
Converted w2a(const Bytes &b) { return convert(convertOptionsW2A, b); }

std::u16string wide(const UXDWideChar *s) {
    return s ? std::u16string(s, s + std::char_traits<char16_t>::length(reinterpret_cast<const char16_t *>(s)))
             : u"<null>";
}

TEST_F(OptionsConversion, BlocksConvertByteForByte) {
    Bytes spare = oneRecipient(1);  // back to ANSI the wide stringBytes stays: 25 bytes spare
    spare.resize(180);
    const Bytes emptyRecord = with(Bytes(70, 0), {{0, 2, 70}});
    const Bytes older = with(Bytes(52, 0xAB), {{0, 2, 52}});  // only its own 52 bytes exist
    const struct { const char *what; bool toWide; Bytes source, expected; } cases[] = {
        {"empty job, ANSI 81 to wide", true, emptyAnsi81(), emptyWide88()},
        {"empty job, wide 88 to ANSI", false, emptyWide88(), emptyAnsi88()},
        {"one recipient, ANSI 155 to wide", true, oneRecipient(1), oneRecipient(2)},
        {"one recipient, wide 180 to ANSI", false, oneRecipient(2), with(spare, {{68, 2, 180}, {70, 2, 50}})},
        {"wide structSize 71 with a flatSize is flat", false, with(emptyWide88(), {{0, 2, 71}}), emptyAnsi88()},
        {"ANSI structSize 71 gives an empty record", true, with(emptyAnsi81(), {{0, 2, 71}}), emptyRecord},
        {"structSize 52 gives an empty record (to wide)", true, older, emptyRecord},
        {"structSize 52 gives an empty record (to ANSI)", false, older, emptyRecord},
    };
    for (const auto &c : cases) {
        Converted got = c.toWide ? a2w(c.source) : w2a(c.source);
        EXPECT_EQ(got.code, UXD_SUCCESS) << c.what;
        EXPECT_TRUE(sameBytes(c.expected, got.bytes)) << c.what;
    }
}

TEST_F(OptionsConversion, PointerFormWideEntryBecomesAnsiWithNullAddressAndId) {
    UXDWideChar name[] = {'A', 'n', 'n', 0};
    UXDRecipDescW entry{0, 1, name, nullptr, 0, nullptr};
    MAPIDestinationOptionsW source{70, nullptr, nullptr, nullptr, nullptr, nullptr, 1, &entry, nullptr, nullptr, 0};
    MAPIDestinationOptions *result = nullptr;
    ASSERT_EQ(convertOptionsW2A(&source, &result, nullptr), UXD_SUCCESS) << "a null size is allowed";
    const Bytes got(reinterpret_cast<unsigned char *>(result), reinterpret_cast<unsigned char *>(result) + 70);
    // Pointer form, every text null, one entry in the table.
    EXPECT_TRUE(sameBytes(with(Bytes(70, 0), {{0, 2, 70}, {42, 2, 1}, {44, 8, get(result, 44, 8)}}), got));
    const UXDRecipDesc e = result->recipients[0];
    EXPECT_EQ(e.ulRecipClass, 1u);
    EXPECT_STREQ(e.lpszName, "Ann");
    EXPECT_TRUE(!e.lpszAddress && !e.ulEIDSize && !e.lpEntryID) << "address, identifier size and identifier";
    UXDFreeDestinationOptions(0, result);
}

TEST_F(OptionsConversion, PointerFormAnsiToWideOwnsEveryPart) {
    char to[] = "Ann", empty[] = "", address[] = "SMTP:a@b.c";
    unsigned char id[4] = {9, 8, 7, 6};
    UXDRecipDesc table[2] = {recipient(0, 1, to, address, 4, id), recipient(7, 3, nullptr, nullptr, 5, nullptr)};
    MAPIDestinationOptions source{70, to, nullptr, nullptr, nullptr, empty, 2, table, nullptr, nullptr, 0};
    MAPIDestinationOptionsW *result = nullptr;
    ASSERT_EQ(convertOptionsA2W(&source, &result, nullptr), UXD_SUCCESS);
    EXPECT_EQ(wide(result->message), u"") << "an empty text stays present";
    EXPECT_EQ(wide(result->subject), u"<null>");
    const UXDRecipDescW first = result->recipients[0], second = result->recipients[1];
    EXPECT_EQ(wide(first.lpszAddress), u"SMTP:a@b.c");
    ASSERT_EQ(first.ulEIDSize, 4u);
    EXPECT_NE(first.lpEntryID, static_cast<void *>(id)) << "the identifier is a copy of its own";
    EXPECT_EQ(std::memcmp(first.lpEntryID, id, 4), 0);
    EXPECT_TRUE(second.ulEIDSize == 5 && !second.lpEntryID) << "a size without bytes is kept, with no identifier";
    UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(result));
    EXPECT_EQ(Bytes(id, id + 4), Bytes({9, 8, 7, 6})) << "freeing the result leaves the source's identifier";
}

TEST_F(OptionsConversion, MalformedBlocksAreRefusedByTheReaderAndBothConversions) {
    // Each change is made to the ANSI and the UTF-16 form (k bytes a unit) of an empty job,
    // or of the one-recipient block; no change: the block must be accepted.
    using Change = std::function<void(Bytes &, std::size_t k)>;
    auto cut = [](Bytes &b, std::size_t size) {
        b.resize(size);
        put(b, 68, 2, size);
    };
    auto row = [](const Bytes &b) { return std::size_t(get(b.data(), 44, 8)); };
    const struct { const char *what; bool withRecipient; Change change; } cases[] = {
        {"intact empty job", false, nullptr},
        {"intact recipient block", true, nullptr},
        {"flatSize below the header", false, [&](Bytes &b, std::size_t) { cut(b, 73); }},
        {"last byte cut off", true, [&](Bytes &b, std::size_t) { cut(b, b.size() - 1); }},
        {"text offset at flatSize", false, [](Bytes &b, std::size_t) { put(b, 26, 8, b.size()); }},
        {"text offset past the low 32 bits", false, [](Bytes &b, std::size_t) { put(b, 2, 8, (1ull << 32) + 74); }},
        {"text offset inside the header", false, [](Bytes &b, std::size_t) { put(b, 10, 8, 10); }},
        {"unterminated last string", false, [](Bytes &b, std::size_t k) { b[b.size() - k] = 'x'; }},
        {"nRecipients larger than the room", true, [](Bytes &b, std::size_t) { put(b, 42, 2, 2); }},
        {"entries without a table", true, [](Bytes &b, std::size_t) { put(b, 44, 8, 0); }},
        {"table running past the end", true, [](Bytes &b, std::size_t) { put(b, 44, 8, b.size() - 39); }},
        {"stringBytes below the strings", true, [](Bytes &b, std::size_t k) { put(b, 70, 2, 25 * k - 1); }},
        {"stringBytes beyond the block", true, [](Bytes &b, std::size_t k) { put(b, 70, 2, 25 * k + 1); }},
        {"entryIdBytes below the identifiers", true, [](Bytes &b, std::size_t) { put(b, 72, 2, 15); }},
        {"identifier past the end", true, [&](Bytes &b, std::size_t) { put(b, row(b) + 32, 8, b.size() - 8); }},
        {"identifier size near 2^32", true, [&](Bytes &b, std::size_t) { put(b, row(b) + 24, 4, 0xFFFFFFFF); }},
        {"address offset near 2^64", true, [&](Bytes &b, std::size_t) { put(b, row(b) + 16, 8, ~0ull - 1); }},
    };
    for (const auto &c : cases) {
        for (std::size_t k : {1, 2}) {
            Bytes b = c.withRecipient ? oneRecipient(k) : k == 1 ? emptyAnsi81() : emptyWide88();
            if (c.change) c.change(b, k);
            UXDResult expected = c.change ? UXD_E_INVALID_ARGUMENT : UXD_SUCCESS;
            const char *form = k == 1 ? ", ANSI " : ", wide ";
            FlatBlockView view;
            EXPECT_EQ(readFlatBlock(Bytes(b).data(), TextWidth(k), &view), expected) << c.what << form << "reader";
            EXPECT_EQ((k == 1 ? a2w(b) : w2a(b)).code, expected) << c.what << form << "conversion";
        }
    }
}

TEST_F(OptionsConversion, RoundTripUnder1252KeepsTextsRecipientsAndEntryIds) {
    const unsigned char id[3] = {0, 0xFF, 0};
    const Texts texts = {"Ann; Bob", nullptr, "", "Gr\xFC\xDF" "e \x80", "See attached.\r\nRegards", "Outlook", "pw"};
    Bytes encoded;
    const UXDRecipDesc entries[2] = {recipient(5, 1, "J\xFCrgen", "SMTP:j@x", 3, id), recipient(0, 3, nullptr, nullptr, 7)};
    ASSERT_EQ(encode(texts, {entries[0], entries[1]}, encoded), UXD_SUCCESS);
    Converted toWide = a2w(encoded);
    ASSERT_EQ(toWide.code, UXD_SUCCESS);
    FlatBlockView w, a;
    ASSERT_EQ(readFlatBlock(toWide.bytes.data(), TextWidth::Wide, &w), UXD_SUCCESS);
    const std::u16string greeting = u"Grüße €";
    EXPECT_EQ(content(w)[kSubject], std::string(reinterpret_cast<const char *>(greeting.data()), 14))
        << "Windows-1252 bytes as UTF-16";
    Converted back = w2a(toWide.bytes);
    ASSERT_EQ(back.code, UXD_SUCCESS);
    ASSERT_EQ(readFlatBlock(back.bytes.data(), TextWidth::Ansi, &a), UXD_SUCCESS);
    const std::vector<std::string> expected = {
        "Ann; Bob", "-", "", "Gr\xFC\xDF" "e \x80", "See attached.\r\nRegards", "Outlook", "pw",
        "5/1/3", "J\xFCrgen", "SMTP:j@x", std::string("\0\xFF\0", 3),
        "0/3/0", "-", "-", "-"};  // an identifier size without bytes is stored as none
    EXPECT_EQ(content(a), expected);
}

TEST_F(OptionsConversion, DoubleByteTextGetsTheRoomItNeedsInAFlatAnsiBlock) {
    codepage_standin::use(codepage_standin::CodePage::ToyDoubleByte);
    // To is three ideographs: four units of room in UTF-16, seven bytes in ANSI. Counting one
    // byte a character would cut it and lay Cc over it.
    Bytes wideBlock = flat(88, 14, 0, 0, {74, 82, 0, 0, 0, 0, 0});
    putText(wideBlock, 74, u"\u4E00\u4E01\u4E02", 2);
    putText(wideBlock, 82, u"ab", 2);
    Bytes expected = flat(88, 14, 0, 0, {74, 81, 0, 0, 0, 0, 0});
    putText(expected, 74, u"\x81\x40\x81\x41\x81\x42", 1);
    putText(expected, 81, u"ab", 1);
    Converted got = w2a(wideBlock);
    EXPECT_EQ(got.code, UXD_SUCCESS);
    EXPECT_TRUE(sameBytes(expected, got.bytes));
}

TEST_F(OptionsConversion, AnsiToWideRefusesAResultOver65535Bytes) {
    for (std::size_t length : {32723, 32724}) {  // widened: 74 + 2 x (length + 7), 65534 then 65536 bytes
        const std::string message(length, 'm');
        Bytes encoded;
        ASSERT_EQ(encode({"", "", "", "", message.c_str(), "", ""}, {}, encoded), UXD_SUCCESS);
        EXPECT_EQ(a2w(encoded).code, length == 32723 ? UXD_SUCCESS : UXD_E_INVALID_ARGUMENT) << length << "-byte message";
    }
}

TEST_F(OptionsConversion, EveryAllocationFailingInTurnGivesCode2AndLeaksNothing) {
    const Bytes ansi = oneRecipient(1), wideBlock = oneRecipient(2);
    char name[] = "Bob";
    unsigned char id[2] = {1, 2};
    UXDRecipDesc entry = recipient(0, 1, name, nullptr, 2, id);
    MAPIDestinationOptions pointers{70, name, nullptr, nullptr, nullptr, nullptr, 1, &entry, nullptr, nullptr, 0};
    const struct { const char *what; bool pointerForm; std::function<UXDResult()> run; } operations[] = {
        {"encoding", false, [&] { Bytes out; return encode(Texts(7, "x"), {entry}, out); }},
        {"flat ANSI to wide", false, [&] { return a2w(ansi).code; }},
        {"flat wide to ANSI", false, [&] { return w2a(wideBlock).code; }},
        // A pointer-form string or identifier whose own allocation fails is left null instead.
        {"pointer-form ANSI to wide", true, [&] {
             MAPIDestinationOptionsW *result = nullptr;
             UXDResult code = convertOptionsA2W(&pointers, &result, nullptr);
             if (result) EXPECT_NE(get(result, 44, 8), 0u) << "a table that could not be made is code 2";
             UXDFreeDestinationOptions(0, reinterpret_cast<MAPIDestinationOptions *>(result));
             return code;
         }},
    };
    for (const auto &op : operations) {
        allocation_fault::failAt(0);
        ASSERT_EQ(op.run(), UXD_SUCCESS) << op.what;
        const unsigned long attempts = allocation_fault::attempts();
        for (unsigned long n = 1; n <= attempts; ++n) {
            long before = allocation_fault::outstanding();
            allocation_fault::failAt(n);
            UXDResult code = op.run();
            if (!op.pointerForm || code != UXD_SUCCESS)
                EXPECT_EQ(code, UXD_E_OUT_OF_MEMORY) << op.what << ", allocation " << n << " of " << attempts;
            EXPECT_EQ(allocation_fault::outstanding(), before) << op.what << ", allocation " << n << " left blocks";
        }
    }
}

}  // namespace
