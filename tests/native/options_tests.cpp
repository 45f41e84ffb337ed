// The encoded options block: the encoder's layout byte for byte, its refusals of content the
// 16-bit sizes cannot describe, and the reader that checks stored blocks before use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "allocation.h"
#include "encoded_options.h"
#include "flat_block.h"
#include "options_blocks.h"

using namespace uxd;
using namespace blocks;

namespace {

class EncodedOptions : public ::testing::Test {
protected:
    void SetUp() override {
        allocation_fault::reset();
        before_ = allocation_fault::outstanding();
    }
    void TearDown() override {
        allocation_fault::reset();
        EXPECT_EQ(allocation_fault::outstanding(), before_) << "blocks left behind";
    }
    long before_ = 0;
};

struct Texts {
    const char *values[7] = {"", "", "", "", "", "", ""};
};

// Encodes and hands back a copy, releasing the block; the result code goes to *code.
Bytes encode(const Texts &texts, const std::vector<UXDRecipDesc> &entries, UXDResult *code = nullptr) {
    unsigned char *block = nullptr;
    uint16_t size = 0xBEEF;
    UXDResult r = encodeOptions(texts.values, entries.data(), uint32_t(entries.size()), &block, &size);
    if (code) *code = r;
    if (r != UXD_SUCCESS) {
        EXPECT_EQ(block, nullptr) << "no block after a failure";
        EXPECT_EQ(size, 0xBEEF) << "flatSize untouched after a failure";
        return Bytes();
    }
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(size, get16(block, kFlatSizeAt)) << "out-value and header agree";
    Bytes copy(block, block + size);
    release(block);
    return copy;
}

UXDRecipDesc recipient(uint32_t recipClass, const char *name, const char *address, uint32_t idSize = 0,
                       const void *id = nullptr, uint32_t reserved = 0) {
    UXDRecipDesc e{};
    e.ulReserved = reserved;
    e.ulRecipClass = recipClass;
    e.lpszName = const_cast<char *>(name);
    e.lpszAddress = const_cast<char *>(address);
    e.ulEIDSize = idSize;
    e.lpEntryID = const_cast<void *>(id);
    return e;
}

TEST_F(EncodedOptions, EmptyJobIsThe81ByteBlock) {
    EXPECT_TRUE(sameBytes(emptyAnsi81(), encode(Texts(), {})));
}

TEST_F(EncodedOptions, OneResolvedRecipientIsThe155ByteBlock) {
    Texts texts;
    texts.values[0] = kOneTo;
    Bytes id = oneEntryId();
    EXPECT_TRUE(sameBytes(oneRecipientAnsi155(),
                          encode(texts, {recipient(1, kOneName, kOneAddress, 16, id.data())})));
}

TEST_F(EncodedOptions, AbsentPartsGetOffsetZeroAndNoBytes) {
    Texts texts;
    texts.values[1] = nullptr;  // Cc not given
    texts.values[6] = nullptr;  // password not given
    texts.values[3] = "Q3";
    unsigned char id[3] = {1, 2, 3};
    Bytes b = encode(texts, {recipient(2, "Bo", nullptr, 0, id),       // size 0: no identifier
                             recipient(3, nullptr, "X:y", 3, id, 9),   // no name
                             recipient(1, "Cy", nullptr, 7, nullptr)});  // no bytes behind the size
    ASSERT_FALSE(b.empty());
    // Texts: To "" 74, Cc none, Bcc "" 75, subject "Q3" 76, message 79, profile 80, password none.
    const uint64_t textOffsets[7] = {74, 0, 75, 76, 79, 80, 0};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(get64(b.data(), kTextFields[i]), textOffsets[i]) << "text " << i;
    EXPECT_EQ(get64(b.data(), kTableAt), 81u);
    EXPECT_EQ(get16(b.data(), kCountAt), 3u);
    const struct {
        uint32_t reserved, recipClass;
        uint64_t name, address;
        uint32_t idSize;
        uint64_t id;
    } rows[] = {
        {0, 2, 201, 0, 0, 0},
        {9, 3, 0, 204, 3, 208},
        {0, 1, 211, 0, 0, 0},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        std::size_t row = 81 + 40 * i;
        EXPECT_EQ(get32(b.data(), row + kEntryReserved), rows[i].reserved) << "entry " << i;
        EXPECT_EQ(get32(b.data(), row + kEntryClass), rows[i].recipClass) << "entry " << i;
        EXPECT_EQ(get64(b.data(), row + kEntryName), rows[i].name) << "entry " << i;
        EXPECT_EQ(get64(b.data(), row + kEntryAddress), rows[i].address) << "entry " << i;
        EXPECT_EQ(get32(b.data(), row + kEntryIdSize), rows[i].idSize) << "entry " << i;
        EXPECT_EQ(get64(b.data(), row + kEntryId), rows[i].id) << "entry " << i;
        EXPECT_EQ(get32(b.data(), row + 28), 0u) << "reserved word of entry " << i;
    }
    EXPECT_EQ(ansiAt(b.data(), 76), "Q3");
    EXPECT_EQ(ansiAt(b.data(), 201), "Bo");
    EXPECT_EQ(ansiAt(b.data(), 204), "X:y");
    EXPECT_EQ(b[208], 1);
    EXPECT_EQ(b[210], 3);
    EXPECT_EQ(ansiAt(b.data(), 211), "Cy");
    EXPECT_EQ(b.size(), 214u);
    EXPECT_EQ(get16(b.data(), kStringBytesAt), 7 + 3 + 4 + 3) << "five texts, two names, one address";
    EXPECT_EQ(get16(b.data(), kIdBytesAt), 3u);
}

TEST_F(EncodedOptions, RefusesContentThe16BitSizesCannotDescribe) {
    // The largest block: 74 header bytes, six empty texts, and a message filling the rest.
    const std::size_t fullMessage = 65535 - 74 - 6 - 1;
    const std::string longest(fullMessage, 'm'), tooLong(fullMessage + 1, 'm');
    const std::string text65535(65535, 't'), half(32768, 'h');
    const std::string name(1000, 'n');
    static unsigned char ids[65536];
    struct Case {
        const char *what;
        std::string message, subject;
        std::vector<UXDRecipDesc> entries;
        UXDResult expected;
        std::size_t size;
    };
    std::vector<Case> cases = {
        {"a block of exactly 65535 bytes", longest, "", {}, UXD_SUCCESS, 65535},
        {"one byte more", tooLong, "", {}, UXD_E_INVALID_ARGUMENT, 0},
        {"a text of 65536 bytes with its NUL", text65535, "", {}, UXD_E_INVALID_ARGUMENT, 0},
        {"texts that pass 65535 together", half, half, {}, UXD_E_INVALID_ARGUMENT, 0},
        {"names that pass 65535 together",
         "",
         "",
         std::vector<UXDRecipDesc>(66, recipient(1, name.c_str(), nullptr)),
         UXD_E_INVALID_ARGUMENT,
         0},
        {"identifiers that pass 65535",
         "",
         "",
         {recipient(1, nullptr, nullptr, 65536 - 74 - 7 - 40, ids)},
         UXD_E_INVALID_ARGUMENT,
         0},
        {"identifiers that just fit",
         "",
         "",
         {recipient(1, nullptr, nullptr, 65535 - 74 - 7 - 40, ids)},
         UXD_SUCCESS,
         65535},
        {"a table too long for the block",
         "",
         "",
         std::vector<UXDRecipDesc>(1637, recipient(1, nullptr, nullptr)),
         UXD_E_INVALID_ARGUMENT,
         0},
        {"an identifier size near 2^32", "", "",
         {recipient(1, nullptr, nullptr, 0xFFFFFFF0u, ids), recipient(1, nullptr, nullptr, 0x20, ids)},
         UXD_E_INVALID_ARGUMENT, 0},
    };
    for (const Case &c : cases) {
        Texts texts;
        texts.values[4] = c.message.c_str();
        texts.values[3] = c.subject.c_str();
        UXDResult r = -99;
        Bytes b = encode(texts, c.entries, &r);
        EXPECT_EQ(r, c.expected) << c.what;
        EXPECT_EQ(b.size(), c.size) << c.what;
    }
}

TEST_F(EncodedOptions, RefusesMissingArguments) {
    Texts texts;
    unsigned char *block = reinterpret_cast<unsigned char *>(&texts);
    uint16_t size = 7;
    EXPECT_EQ(encodeOptions(texts.values, nullptr, 1, &block, &size), UXD_E_INVALID_ARGUMENT);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(encodeOptions(texts.values, nullptr, 0, nullptr, &size), UXD_E_INVALID_ARGUMENT);
    EXPECT_EQ(encodeOptions(texts.values, nullptr, 0, &block, nullptr), UXD_E_INVALID_ARGUMENT);
}

TEST_F(EncodedOptions, OutOfMemoryGivesCode2AndNoBlock) {
    Texts texts;
    allocation_fault::failAt(1);
    UXDResult r = -99;
    encode(texts, {}, &r);
    EXPECT_EQ(r, UXD_E_OUT_OF_MEMORY);
}

// ---- the reader -----------------------------------------------------------------------------

class FlatBlockReader : public EncodedOptions {};

std::string textOf(const FlatText &t) {
    return t.bytes ? std::string(reinterpret_cast<const char *>(t.bytes), t.byteLength) : "<none>";
}

TEST_F(FlatBlockReader, GivesEveryPartOfTheRecipientBlock) {
    Bytes b = oneRecipientAnsi155();
    FlatBlockView view;
    ASSERT_EQ(readFlatBlock(b.data(), TextWidth::Ansi, &view), UXD_SUCCESS);
    EXPECT_EQ(view.flatSize, 155u);
    EXPECT_EQ(view.stringBytes, 25u);
    EXPECT_EQ(view.entryIdBytes, 16u);
    EXPECT_EQ(view.nRecipients, 1u);
    const std::size_t offsets[7] = {74, 78, 79, 80, 81, 82, 83};
    const uint32_t lengths[7] = {4, 1, 1, 1, 1, 1, 1};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(view.texts[i].bytes, b.data() + offsets[i]) << "text " << i;
        EXPECT_EQ(view.texts[i].byteLength, lengths[i]) << "text " << i;
    }
    EXPECT_EQ(view.table, b.data() + 84);
    FlatEntry e = view.entry(0);
    EXPECT_EQ(e.ulRecipClass, 1u);
    EXPECT_EQ(textOf(e.name), std::string("Ann", 4));
    EXPECT_EQ(textOf(e.address), std::string("SMTP:a@b.c", 11));
    EXPECT_EQ(e.ulEIDSize, 16u);
    EXPECT_EQ(e.entryId, b.data() + 139);
}

TEST_F(FlatBlockReader, AcceptsBlocksWithMoreRoomThanContent) {
    // A wide-to-ANSI result keeps the source's stringBytes: 14, for 7 bytes of strings.
    Bytes b = emptyAnsi88();
    FlatBlockView view;
    ASSERT_EQ(readFlatBlock(b.data(), TextWidth::Ansi, &view), UXD_SUCCESS);
    EXPECT_EQ(view.stringBytes, 14u);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(view.texts[i].byteLength, 1u) << "text " << i;
    Bytes absent = emptyAnsi81();  // a text not given at all
    put64(absent, kCcAt, 0);
    ASSERT_EQ(readFlatBlock(absent.data(), TextWidth::Ansi, &view), UXD_SUCCESS);
    EXPECT_EQ(view.texts[kCcNames].bytes, nullptr);
    EXPECT_EQ(view.texts[kCcNames].byteLength, 0u);
}

TEST_F(FlatBlockReader, WideTerminatorIsAZeroUnitFromTheStringsOwnOffset) {
    // "A" U+4100 at the odd offset 75: bytes 41 00 00 41 00 00. Two zero bytes meet at 76-77
    // across the units, but the string ends only at its third unit.
    Bytes b = header(81, 6, 0, 0);
    put64(b, kToAt, 75);
    putWide(b, 75, u"A\u4100");
    FlatBlockView view;
    ASSERT_EQ(readFlatBlock(b.data(), TextWidth::Wide, &view), UXD_SUCCESS);
    EXPECT_EQ(view.texts[kToNames].bytes, b.data() + 75);
    EXPECT_EQ(view.texts[kToNames].byteLength, 6u);
    EXPECT_EQ(wideAt(b.data(), 75), u"A\u4100");
}

TEST_F(FlatBlockReader, RefusesNullArguments) {
    Bytes b = emptyAnsi81();
    FlatBlockView view;
    EXPECT_EQ(readFlatBlock(nullptr, TextWidth::Ansi, &view), UXD_E_INVALID_ARGUMENT);
    EXPECT_EQ(readFlatBlock(b.data(), TextWidth::Ansi, nullptr), UXD_E_INVALID_ARGUMENT);
}

}  // namespace
